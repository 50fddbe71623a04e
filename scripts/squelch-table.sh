#!/usr/bin/env bash
# What `talven-modem decode --squelch` leaves out, on three recordings.
#
# Makes the recordings with bench's talven_enregistrements_silencieux (fixed
# texts and seeds: the same files every time): leading digital silence before
# the wanted station; a neighbour 60 Hz away that goes on after the wanted
# station stops; white noise alone. Decodes each on 1000 Hz in both processor
# classes, without and with --squelch, and prints a Markdown table: the
# characters printed (the received text, each new line one character, without
# the line end the terminal gets) and the character error rate of the wanted
# text (edit distance over its length).
#
# Usage: scripts/squelch-table.sh [BUILD_DIR]
#   BUILD_DIR holds cli/talven-modem and bench/talven_enregistrements_silencieux
#   (default build; configure with -DWITH_BENCH=ON)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
modem=$build/cli/talven-modem
generateur=$build/bench/talven_enregistrements_silencieux
for p in "$modem" "$generateur"; do
  [ -x "$p" ] || { echo "squelch-table: no $p; build it first" >&2; exit 1; }
done
dossier=$(mktemp -d)
trap 'rm -rf "$dossier"' EXIT
"$generateur" "$dossier"
voulu=$(cat "$dossier/voulu.txt")

# Characters of the text decoded from FILE with the options that follow, the
# final line end taken off.
decodage() {
  local fichier=$1
  shift
  "$modem" decode -f 1000 "$@" "$fichier" | sed -z 's/\n$//'
}

# Edit distance of two texts over the length of the first, or "-" when the
# first is empty.
taux() {
  awk -v a="$1" -v b="$2" 'BEGIN {
    n = length(a); m = length(b)
    if (n == 0) { print "-"; exit }
    for (j = 0; j <= m; j++) d[0, j] = j
    for (i = 1; i <= n; i++) {
      d[i, 0] = i
      for (j = 1; j <= m; j++) {
        c = d[i - 1, j - 1] + (substr(a, i, 1) != substr(b, j, 1))
        if (d[i - 1, j] + 1 < c) c = d[i - 1, j] + 1
        if (d[i, j - 1] + 1 < c) c = d[i, j - 1] + 1
        d[i, j] = c
      }
    }
    printf "%.3f", d[n, m] / n }'
}

echo "| recording | class | wanted characters | printed without squelch | printed with --squelch | CER without | CER with |"
echo "|---|---|---|---|---|---|---|"
for enregistrement in silence voisin bruit; do
  case $enregistrement in
    silence) nom="8 s of digital silence, then the station"; attendu=$voulu ;;
    voisin) nom="neighbour 60 Hz away, on 20 s after the station"; attendu=$voulu ;;
    bruit) nom="60 s of noise only"; attendu="" ;;
  esac
  for classe in 2 1; do
    sans=$(decodage "$dossier/$enregistrement.wav" --class "$classe")
    avec=$(decodage "$dossier/$enregistrement.wav" --class "$classe" --squelch)
    echo "| $nom | $classe | ${#attendu} | ${#sans} | ${#avec} | $(taux "$attendu" "$sans") | $(taux "$attendu" "$avec") |"
  done
done
