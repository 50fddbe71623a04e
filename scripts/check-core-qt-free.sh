#!/usr/bin/env bash
# Checks that no source of the core includes a Qt header. The core is every
# .h and .cpp under common/ dsp/ transceiver/ audio/ files/ app/ cli/, except
# in folders named qt/, where the Qt views live. Lists each offending line
# and exits with status 1 when there is one. (That no core library links Qt
# is checked by CMake when the build is configured.)
set -euo pipefail
cd "$(dirname "$0")/.."

folders=(common dsp transceiver audio files app cli)
present=()
for f in "${folders[@]}"; do
  [ -d "$f" ] && present+=("$f")
done
[ ${#present[@]} -gt 0 ] || { echo "check-core-qt-free: no core folder found" >&2; exit 1; }

# #include <QLabel>, <QtWidgets/QLabel>, "QObject" and the like.
offenders=$(find "${present[@]}" -type d -name qt -prune -o -type f \( -name '*.h' -o -name '*.cpp' \) -print0 |
  xargs -0 -r grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]Q' || true)

if [ -n "$offenders" ]; then
  echo "check-core-qt-free: the core includes Qt headers (Qt code belongs in a qt/ folder):" >&2
  printf '%s\n' "$offenders" >&2
  exit 1
fi
echo "check-core-qt-free: no Qt header included by the core"
