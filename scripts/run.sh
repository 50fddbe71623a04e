#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the program and runs it.
# Until the main window exists this opens the transceiver window; without
# arguments over a simulated station (--demo), otherwise with the options
# given (for instance --device plughw:CARD=Device,DEV=0 for a sound card).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DWITH_TESTS=OFF >/dev/null
cmake --build build --target talven-transceiver
if [ $# -eq 0 ]; then
  exec build/transceiver/qt/talven-transceiver --demo
fi
exec build/transceiver/qt/talven-transceiver "$@"
