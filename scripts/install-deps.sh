#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs to build, run and test,
# skipping those already present. Uses apt-get as root, sudo otherwise.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libasound2-dev libasound2-plugins alsa-utils
  libsndfile1-dev libsamplerate0-dev libdivide-dev
  # Keying a transmitter by CAT (its dummy rig for the tests).
  libhamlib-dev
  pulseaudio pulseaudio-utils
  # Qt 6 and its tests: QtTest, QtDBus and the platform plugins (offscreen,
  # xcb) come with qt6-base-dev and are named so that they stay; a private
  # session bus for the window's tests (dbus-run-session).
  qt6-base-dev libqt6test6 libqt6dbus6 qt6-qpa-plugins dbus-daemon
  # The window under a virtual X server, screenshots of its root window
  # (ImageMagick's import, xdotool to click and type), and the fonts the window
  # chooses from.
  xvfb xauth xdotool imagemagick fonts-dejavu-core fonts-liberation2
  # The desktop's document opener (the help) and screen-saver command.
  xdg-utils
  # The fuzzing harnesses (scripts/fuzz.sh): clang, whose libFuzzer and
  # sanitizer runtimes come in libclang-rt-14-dev (only recommended by
  # clang-14), and llvm-symbolizer (llvm) for the reports' stack traces.
  clang libclang-rt-14-dev llvm
  clang-format
  # The Debian package (cpack -G DEB: dpkg-shlibdeps works out its
  # dependencies) and the checks of what it installs: the desktop entry,
  # the AppStream metadata and the manual pages.
  dpkg-dev fakeroot desktop-file-utils appstream groff-base man-db mandoc
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  as_root=()
else
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q "${missing[@]}"
