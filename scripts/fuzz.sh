#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer, coverage instrumentation of the whole core) in
# a build directory of their own, then runs each harness for SECONDS seconds
# (default 60), as many at a time as the machine has cores. Each harness
# starts from its checked-in seed corpus (fuzz/corpus/<name>/) and from what
# earlier runs kept in BUILD_DIR/fuzz-corpus/<name>/; an input that makes it
# fail is written to BUILD_DIR/fuzz-findings/<name>/ (emptied at each run),
# the run's output to BUILD_DIR/fuzz-logs/<name>.log.
#
#   scripts/fuzz.sh [SECONDS] [BUILD_DIR]     (default: 60 build-fuzz)
#
# CXX_FUZZ names the clang++ to build with (default: clang++).
#
# Prints each harness's executions, time and corpus size; exits non-zero
# when any harness found something (a sanitizer report, a broken property,
# a crash, a leak, an input slower than 25 s or a memory blow-up), after
# printing its report.
set -euo pipefail
cd "$(dirname "$0")/.."

secondes=${1:-60}
dir=${2:-build-fuzz}
if ! [[ $secondes =~ ^[0-9]+$ ]] || [ "$secondes" -eq 0 ]; then
  echo "usage: scripts/fuzz.sh [SECONDS] [BUILD_DIR]" >&2
  exit 2
fi
racine=$(pwd)

harnais=(fichier_son configuration sequences fichier_qso decodage)
# Options of one harness beyond the common ones: libsndfile is not
# instrumented, so the sound-file harness gets its headers' tokens and room
# for a few blocks of samples.
declare -A options=(
  [fichier_son]="-dict=$racine/fuzz/fichier_son.dict -max_len=8192"
)

compilateur=${CXX_FUZZ:-clang++}
if ! command -v "$compilateur" >/dev/null; then
  echo "scripts/fuzz.sh: $compilateur not found (scripts/install-deps.sh installs clang)" >&2
  exit 1
fi

echo "=== fuzz build ($dir) ==="
CXX=$compilateur cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWITH_FUZZ=ON \
  -DWITH_TESTS=OFF -DWITH_GUI=OFF -DWITH_BENCH=OFF -DWITH_ASAN=OFF -DWITH_TSAN=OFF >/dev/null
cmake --build "$dir" -j "$(nproc)" --target "${harnais[@]/#/fuzz_}"

# One harness: its log in $dir/fuzz-logs/<name>.log, its status in .rc.
lancer() {
  local nom=$1
  local corpus=$dir/fuzz-corpus/$nom
  local trouvailles=$dir/fuzz-findings/$nom
  rm -rf "$trouvailles"
  mkdir -p "$corpus" "$trouvailles"
  # shellcheck disable=SC2086 # the options are words
  ASAN_OPTIONS=abort_on_error=1:detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    LSAN_OPTIONS=suppressions=$racine/tests/lsan.supp:print_suppressions=0 \
    "$dir/fuzz/fuzz_$nom" -max_total_time="$secondes" -timeout=25 -print_final_stats=1 \
    -artifact_prefix="$trouvailles/" ${options[$nom]:-} "$corpus" "fuzz/corpus/$nom" \
    >"$dir/fuzz-logs/$nom.log" 2>&1 && echo 0 >"$dir/fuzz-logs/$nom.rc" || echo $? >"$dir/fuzz-logs/$nom.rc"
}

mkdir -p "$dir/fuzz-logs"
echo "=== fuzzing: ${#harnais[@]} harnesses, $secondes s each, $(nproc) at a time ==="
en_cours=0
for nom in "${harnais[@]}"; do
  if [ "$en_cours" -ge "$(nproc)" ]; then
    wait -n || true
    en_cours=$((en_cours - 1))
  fi
  lancer "$nom" &
  en_cours=$((en_cours + 1))
done
wait

status=0
for nom in "${harnais[@]}"; do
  log=$dir/fuzz-logs/$nom.log
  rc=$(cat "$dir/fuzz-logs/$nom.rc")
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  vitesse=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  corpus=$(sed -n 's/.*DONE.* corp: \([0-9]*\)\/.*/\1/p' "$log" | tail -1)
  if [ "$rc" -eq 0 ]; then
    printf '%-14s %10s executions in %s s (%s/s), corpus of %s inputs: nothing found\n' \
      "$nom" "${executions:-?}" "$secondes" "${vitesse:-?}" "${corpus:-?}"
  else
    status=1
    printf '%-14s %10s executions, exit status %s: FOUND SOMETHING\n' "$nom" "${executions:-?}" "$rc"
    # The report: from the sanitizer's or the property's first line on.
    grep -n -m1 -E '^==[0-9]+==|property broken|runtime error|ERROR: libFuzzer' "$log" | cut -d: -f1 |
      { read -r debut && tail -n "+$debut" "$log" | head -60; } || tail -40 "$log"
    echo "  input kept in: $(find "$dir/fuzz-findings/$nom" -type f | tr '\n' ' ')"
  fi
done
exit $status
