#!/usr/bin/env bash
# Builds the Debian package and checks it as an operator gets it: configures
# a Release build without the tests in BUILD_DIR (default build-package),
# builds it, makes the package with `cpack -G DEB`, installs it with apt-get
# (as root, sudo otherwise), runs the installed programs from /usr/bin and
# checks that the package holds the desktop entry, the icon, the AppStream
# metadata, the manual pages and the operator's guide. The package is removed
# at the end, unless --keep is given or it was installed before.
#
# Usage: scripts/package-check.sh [--keep] [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."

keep=0
dir=build-package
for a in "$@"; do
  case $a in
    --keep) keep=1 ;;
    -h | --help)
      sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'
      exit 0
      ;;
    -*)
      echo "package-check: unknown option $a" >&2
      exit 2
      ;;
    *) dir=$a ;;
  esac
done

scripts/install-deps.sh
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
else
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive

echo "=== package build in $dir ==="
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DWITH_TESTS=OFF -DWITH_GUI=ON \
  -DWITH_BENCH=OFF -DWITH_ASAN=OFF -DWITH_TSAN=OFF -DWITH_FUZZ=OFF >/dev/null
cmake --build "$dir" -j "$(nproc)"
rm -f "$dir"/talven_*.deb
(cd "$dir" && cpack -G DEB)
debs=("$dir"/talven_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  echo "package-check: cpack made no single talven_*.deb in $dir" >&2
  exit 1
fi
deb=${debs[0]}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$dir/CMakeCache.txt")

failures=0
checks=0
# check DESCRIPTION COMMAND...: runs COMMAND; a failure is counted, and told.
check() {
  local what=$1
  shift
  checks=$((checks + 1))
  if "$@"; then
    echo "ok: $what"
  else
    echo "FAILED: $what" >&2
    failures=$((failures + 1))
  fi
}

echo "=== the package's control fields ==="
dpkg-deb --field "$deb"
field() { dpkg-deb --field "$deb" "$1"; }
check "package name talven" test "$(field Package)" = talven
check "package version $version" test "$(field Version)" = "$version"
check "section hamradio" test "$(field Section)" = hamradio
check "maintainer set" test -n "$(field Maintainer)"
check "recommends xdg-utils" grep -qw xdg-utils <<<"$(field Recommends)"
for library in libqt6widgets6 libqt6dbus6 libasound2 libsndfile1 libsamplerate0 libhamlib4; do
  check "depends on $library" grep -qw "$library" <<<"$(field Depends)"
done

echo "=== the installed tree ==="
# The same install into a folder of its own: the metadata's launchable is
# the desktop entry installed beside it.
rm -rf "$dir/stage"
DESTDIR=$dir/stage cmake --install "$dir" --prefix /usr >/dev/null
check "AppStream metadata and desktop entry agree" appstreamcli validate-tree --no-net "$dir/stage"

echo "=== installation ==="
was_installed=0
if dpkg-query -W -f='${Status}' talven 2>/dev/null | grep -q "install ok installed"; then
  was_installed=1
fi
(cd "$dir" && "${as_root[@]}" apt-get install -y -q "./$(basename "$deb")")
if [ $keep -eq 0 ] && [ $was_installed -eq 0 ]; then
  trap 'echo "=== removal ==="; "${as_root[@]}" apt-get remove -y -q talven' EXIT
fi

echo "=== the installed programs ==="
# --version and --help need no display: run them without one, as on a server.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/talven --version) && status=0 || status=$?
check "talven --version exits with 0" test "$status" -eq 0
check "talven --version says talven $version" test "$out" = "talven $version"
out=$(/usr/bin/talven-modem --help) && status=0 || status=$?
check "talven-modem --help exits with 0" test "$status" -eq 0
check "talven-modem --help prints the usage" grep -q '^Usage: talven-modem COMMAND' <<<"$out"
out=$(/usr/bin/talven-modem loopback "cq de f6xyz") && status=0 || status=$?
check "talven-modem loopback exits with 0" test "$status" -eq 0
check "talven-modem loopback receives what it sent" grep -q '^Received: CQ DE F6XYZ$' <<<"$out"
check "talven-modem with no command exits with 2" \
  bash -c '/usr/bin/talven-modem 2>/dev/null; test $? -eq 2'

echo "=== the installed files ==="
listed=$(dpkg -L talven)
listed_and_present() { grep -qxF "$1" <<<"$listed" && test -f "$1"; }
# desktop-file-validate exits with 0 on some errors: its report decides;
# hints pass.
desktop_entry_valid() {
  local out
  out=$(desktop-file-validate "$1" 2>&1) || { printf '%s\n' "$out"; return 1; }
  [ -z "$out" ] || printf '%s\n' "$out"
  ! grep -qE 'error:|warning:' <<<"$out"
}
renders_without_warnings() {
  local out
  out=$(zcat "$1" | groff -man -Tutf8 -ww -z 2>&1) && test -z "$out"
}
for path in \
  /usr/bin/talven \
  /usr/bin/talven-modem \
  /usr/share/applications/org.talven.Talven.desktop \
  /usr/share/icons/hicolor/scalable/apps/org.talven.Talven.svg \
  /usr/share/metainfo/org.talven.Talven.metainfo.xml \
  /usr/share/man/man1/talven.1.gz \
  /usr/share/man/man1/talven-modem.1.gz \
  /usr/share/talven/help/HELP_PSK.html \
  /usr/share/talven/help/AIDE_PSK.html; do
  check "$path listed by dpkg -L and present" listed_and_present "$path"
done
check "desktop entry valid" desktop_entry_valid /usr/share/applications/org.talven.Talven.desktop
check "AppStream metadata valid" appstreamcli validate --no-net /usr/share/metainfo/org.talven.Talven.metainfo.xml
check "desktop entry starts talven" grep -qx "Exec=talven" /usr/share/applications/org.talven.Talven.desktop
check "desktop entry shows the installed icon" \
  grep -qx "Icon=org.talven.Talven" /usr/share/applications/org.talven.Talven.desktop
for page in talven talven-modem; do
  check "man finds $page(1)" test "$(man -w "$page")" = "/usr/share/man/man1/$page.1.gz"
  check "$page(1) renders without warnings" renders_without_warnings "/usr/share/man/man1/$page.1.gz"
done

if [ $failures -ne 0 ]; then
  echo "package-check: $failures of $checks checks FAILED" >&2
  exit 1
fi
echo "package-check: all $checks checks of $(basename "$deb") passed"
