#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the program talven and runs it.
#
# Without arguments it uses the sound card when the machine has one, and
# otherwise runs the demonstration (--demo: a simulated sound card hearing
# two distant stations, a simulated mixer and serial port), saying which.
# Arguments are passed to talven (for instance --device plughw:CARD=Device,DEV=0
# or --demo; --help lists them).
#
# The program keeps its files (CONFPSER.SER, F13.SER to F20.SER, QSO_PSK.TXT)
# in the directory it runs in: here the station directory
# ${XDG_DATA_HOME:-~/.local/share}/talven, or TALVEN_STATION_DIR when set.
set -euo pipefail
cd "$(dirname "$0")/.."
racine=$PWD

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DWITH_TESTS=OFF >/dev/null
cmake --build build --target talven

station=${TALVEN_STATION_DIR:-${XDG_DATA_HOME:-$HOME/.local/share}/talven}
mkdir -p "$station"
cd "$station"

if [ $# -eq 0 ]; then
  if [ -r /proc/asound/cards ] && grep -q '^ *[0-9]' /proc/asound/cards; then
    echo "run.sh: a sound card is present: talven uses ALSA's default device (files in $station)" >&2
  else
    echo "run.sh: no sound card found: talven runs its demonstration, without a radio (files in $station)" >&2
    set -- --demo
  fi
fi
exec "$racine/build/app/qt/talven" "$@"
