#!/usr/bin/env bash
# Screenshots under a virtual X server, into docs/: the transceiver window
# receiving the simulated station (English and French) and transmitting.
#
# Then the main window of talven --demo, its input-level menu open, in both
# languages, and its Sound card menu.
#
# Usage: scripts/screenshots.sh [BUILD_DIR]   (default build; needs
# transceiver/qt/talven-transceiver and app/qt/talven built, Xvfb, xdotool and ImageMagick's
# import, which scripts/install-deps.sh installs)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
programme=$build/transceiver/qt/talven-transceiver
[ -x "$programme" ] || { echo "screenshots: no $programme; build the project first" >&2; exit 1; }

affichage=:$((90 + RANDOM % 100))
Xvfb "$affichage" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
serveur=$!
trap 'kill $serveur 2>/dev/null || true' EXIT
export DISPLAY=$affichage
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

# The window of the program started last, once it is mapped.
fenetre() {
  local id=""
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "TALVEN" 2>/dev/null | tail -n 1 || true)
    [ -n "$id" ] && break
    sleep 0.1
  done
  echo "$id"
}

# Clicks on the spectrum at the pixel of 1000 Hz (bin 333: x = 132), at
# the image's place in the window (4, 157).
accord() {
  xdotool mousemove --window "$1" $((4 + 132)) $((157 + 150)) click 1
}

capture() {
  local nom=$1 id=$2
  import -window "$id" "docs/$nom.png"
  echo "screenshots: docs/$nom.png"
}

reception() {
  local nom=$1; shift
  "$programme" --demo "$@" &
  local pid=$!
  local id; id=$(fenetre)
  sleep 2
  accord "$id"
  sleep 25
  capture "$nom" "$id"
  kill "$pid"; wait "$pid" 2>/dev/null || true
}

reception screenshot-reception-en
reception screenshot-reception-fr --french

# Transmission: <Esc>, then a few words typed, and the screenshot while
# they are being sent.
"$programme" --demo &
pid=$!
id=$(fenetre)
sleep 2
accord "$id"
sleep 8
xdotool key --window "$id" Escape
sleep 1
xdotool type --window "$id" --delay 80 "CQ CQ DE F6XYZ PSE K"
sleep 3
capture screenshot-transmission-en "$id"
kill "$pid"; wait "$pid" 2>/dev/null || true

# The main window, started in a directory of its own with its files ready
# (no first-start messages): the input-level menu open, its hint in the
# status line. Byte 1 of CONFPSER.SER is the language.
principal=$build/app/qt/talven
[ -x "$principal" ] || { echo "screenshots: no $principal; build the project first" >&2; exit 1; }
menu_principal() {
  local nom=$1 langue=$2
  local dossier; dossier=$(mktemp -d)
  printf "\\$(printf %03o "$langue")\\170\\001\\002\\005\\001\\001" >"$dossier/CONFPSER.SER"
  for n in $(seq 13 20); do : >"$dossier/F$n.SER"; done
  (cd "$dossier" && exec "$OLDPWD/$principal" --demo) &
  local pid=$!
  local id; id=$(fenetre)
  sleep 1
  # The title at x pixels: "Input level" / "Niveau d'entree", the sixth
  # title of the menu bar, or "Sound card". $4: the width of the picture.
  local x=$3 largeur=${4:-680}
  xdotool mousemove "$x" 8 click 1
  sleep 0.5
  xdotool mousemove "$x" 8
  sleep 0.5
  import -window root -crop "${largeur}x330+0+0" "docs/$nom.png"
  echo "screenshots: docs/$nom.png"
  kill "$pid"; wait "$pid" 2>/dev/null || true
  rm -rf "$dossier"
}
menu_principal screenshot-main-en 1 393
menu_principal screenshot-main-fr 2 411
menu_principal screenshot-sound-card-en 1 252 900
