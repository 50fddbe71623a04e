#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the program and runs it.
# Until the window exists, this runs the core's demonstration: a synthesized
# TALVEN signal decoded back to text in the terminal.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DWITH_TESTS=OFF >/dev/null
cmake --build build --target talven-demo
exec build/cli/talven-demo "$@"
