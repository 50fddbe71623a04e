#!/usr/bin/env bash
# Character error rate of the receiver against the signal-to-noise ratio.
#
# For each processor class and each S/N from -25 to 0 dB (in 2500 Hz), sends
# the same pseudo-random text of at least 5000 characters through
# `talven-modem loopback` (transmitter, white Gaussian noise, receiver) and
# records the measured character error rate next to the one that ideal
# differential BPSK would give: bit error rate 1/2 exp(-Eb/N0) with
# Eb/N0 = S/N + 10 log10(2500 / 10) (about S/N + 24 dB at 10 bauds), and a
# character lost when any of its bits is wrong, for the text's average
# number of bits per character (separator included).
#
# Usage: scripts/cer-curve.sh [BUILD_DIR] [OUTPUT_DATA]
#   BUILD_DIR    holds cli/talven-modem (default build)
#   OUTPUT_DATA  data file (default docs/cer-curve.dat); the plot goes next
#                to it as a PNG when gnuplot is installed
# Environment: CHARS (characters per point, default 5000), STEP (dB between
# points, default 1), SEED (noise seed, default 1).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
data=${2:-docs/cer-curve.dat}
modem=$build/cli/talven-modem
chars=${CHARS:-5000}
step=${STEP:-1}
seed=${SEED:-1}
[ -x "$modem" ] || { echo "cer-curve: no $modem; build the project first" >&2; exit 1; }

# The text: letters, digits, space and a few signs in words of 1 to 8
# characters, from a fixed generator so that every point sends the same text.
text=$(awk -v n="$chars" 'BEGIN {
  srand(20251210); a = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.,?/=";
  s = ""; while (length(s) < n) {
    w = int(rand() * 8) + 1;
    for (i = 0; i < w; i++) s = s substr(a, int(rand() * length(a)) + 1, 1);
    s = s " ";
  }
  printf "%s", s }')

mkdir -p "$(dirname "$data")"
{
  echo "# talven-modem loopback, $(printf %s "$text" | wc -c) characters per point, noise seed $seed"
  echo "# snr_db  cer_class1  cer_class2  cer_theory   (S/N in 2500 Hz; theory: ideal DBPSK)"
} >"$data"

snr=-25
while awk -v s="$snr" 'BEGIN { exit !(s <= 0) }'; do
  line="$snr"
  bits=""
  for class in 1 2; do
    out=$(printf %s "$text" | "$modem" loopback --snr "$snr" --class "$class" --seed "$seed" -f 1000.0 -)
    cer=$(printf '%s\n' "$out" | awk '/^CER:/ { print $2 }')
    bits=$(printf '%s\n' "$out" | awk '/^Bits per character:/ { print $4 }')
    line="$line $cer"
  done
  theory=$(awk -v s="$snr" -v l="$bits" 'BEGIN {
    ebn0 = 10 ^ ((s + 10 * log(2500 / 10) / log(10)) / 10);
    ber = 0.5 * exp(-ebn0); printf "%.6f", 1 - (1 - ber) ^ l }')
  echo "$line $theory" | tee -a "$data"
  snr=$(awk -v s="$snr" -v p="$step" 'BEGIN { print s + p }')
done

if command -v gnuplot >/dev/null; then
  png=${data%.dat}.png
  gnuplot <<GNUPLOT
set terminal pngcairo size 800,560
set output "$png"
set title "TALVEN character error rate against S/N (white Gaussian noise)"
set xlabel "S/N in 2500 Hz (dB)"
set ylabel "character error rate"
set logscale y
set yrange [1e-4:1.5]
set grid
set key bottom left
plot "$data" using 1:(\$2 > 0 ? \$2 : 1/0) with linespoints title "class 1", \
     "$data" using 1:(\$3 > 0 ? \$3 : 1/0) with linespoints title "class 2", \
     "$data" using 1:(\$4 > 0 ? \$4 : 1/0) with lines dashtype 2 title "ideal DBPSK"
GNUPLOT
  echo "cer-curve: plot in $png" >&2
fi
