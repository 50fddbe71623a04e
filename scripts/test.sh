#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, checks that the core includes no Qt
# header, then builds and runs the tests three times, all with warnings as
# errors: every test in a normal build and in an AddressSanitizer +
# UndefinedBehaviorSanitizer build, and the tests that run real threads
# (CTest label "threads") in a ThreadSanitizer build. Each run ends with
# CTest's summary, then the reason of every skipped test and the run's time.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

status=0
scripts/check-core-qt-free.sh || status=1

jobs=$(nproc)
root=$(pwd)

# Prints what each skipped test of the last CTest run in $1 said, so that a
# test which could not run says why (GoogleTest writes "...: Skipped" and
# the reason before "[  SKIPPED ]").
report_skips() {
  local log=$1/Testing/Temporary/LastTest.log
  [ -f "$log" ] || return 0
  local skips
  skips=$(awk '/^\[  SKIPPED \] .*\([0-9]+ ms\)$/ { print "  " $4 ": " reason; reason = "" }
               /: Skipped$/ { getline reason }' "$log")
  if [ -n "$skips" ]; then
    echo "Skipped tests and why:"
    printf '%s\n' "$skips"
  fi
}

for variant in normal asan tsan; do
  dir=build-tests-$variant
  start=$SECONDS
  options=(-DWITH_TESTS=ON -DWARNINGS_AS_ERRORS=ON -DWITH_ASAN=OFF -DWITH_TSAN=OFF)
  targets=()
  ctest_args=(-j "$jobs" --timeout 600)
  case $variant in
    normal) options+=(-DWITH_BENCH=ON) ;;
    asan) options+=(-DWITH_BENCH=ON -DWITH_ASAN=ON) ;;
    tsan)
      # Only the programs holding threaded tests (and the modem they run):
      # the sound back-ends' and the simulated card's real-time tests, the
      # modem on a PulseAudio server, and every window test (Qt's own
      # threads). One test at a time: some keep real time, and
      # ThreadSanitizer slows them down several times. A labelled test
      # whose program is missing here fails the run as not found.
      options+=(-DWITH_BENCH=OFF -DWITH_TSAN=ON)
      targets=(--target talven_audio_tests talven_cli_tests talven-modem
               talven_transceiver_qt_tests talven_files_qt_tests talven_a_propos_qt_tests
               talven_economiseur_qt_tests talven_creation_sequence_qt_tests
               talven_affiche_puissance_voies_qt_tests talven_fiche_principale_qt_tests
               talven_arret_qt_tests)
      ctest_args=(-L threads -j 1 --timeout 300)
      ;;
  esac
  echo "=== $variant build ==="
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
  cmake --build "$dir" -j "$jobs" "${targets[@]}"
  echo "=== $variant tests ==="
  # A sanitizer's report fails its test through the exit status. ThreadSanitizer
  # goes on after a report (halt_on_error=0) and exits with status 66 at the
  # end: a test stopped in the middle would leave its PulseAudio server
  # running, holding CTest's output pipe open until the timeout. The D-Bus
  # test's QProcess forks the bus daemon from a threaded program and the
  # child starts a thread before its exec, which ThreadSanitizer would end
  # (die_after_fork=0 lets it go on to the exec).
  if ! ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
      LSAN_OPTIONS=suppressions=$root/tests/lsan.supp \
      UBSAN_OPTIONS=print_stacktrace=1 \
      TSAN_OPTIONS=halt_on_error=0:second_deadlock_stack=1:exitcode=66:die_after_fork=0:suppressions=$root/tests/tsan.supp \
      ctest --test-dir "$dir" --output-on-failure "${ctest_args[@]}"; then
    status=1
  fi
  report_skips "$dir"
  echo "=== $variant: $((SECONDS - start)) s ==="
done
# The libFuzzer harnesses of fuzz/, a minute each, in a clang build of their own.
scripts/fuzz.sh 60 || status=1
# The Debian package, installed from its file and run from /usr/bin.
scripts/package-check.sh || status=1
exit $status
