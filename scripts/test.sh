#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, then builds and runs every test twice:
# a normal build and an AddressSanitizer + UndefinedBehaviorSanitizer build,
# both with warnings as errors. Each run ends with CTest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
status=0
for variant in normal asan; do
  dir=build-tests-$variant
  asan=OFF
  [ "$variant" = asan ] && asan=ON
  echo "=== $variant build ==="
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DWITH_TESTS=ON -DWITH_BENCH=ON -DWARNINGS_AS_ERRORS=ON -DWITH_ASAN=$asan >/dev/null
  cmake --build "$dir" -j "$jobs"
  echo "=== $variant tests ==="
  if ! ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
      ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 600; then
    status=1
  fi
done
exit $status
