#!/usr/bin/env bash
# Installs what is missing, builds, starts the local Firebird server for the
# server tests and runs every test. This is the command CI runs.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=${BUILD_DIR:-$ROOT/build}

bash tools/install-deps.sh
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j"$(nproc)"
if [ -x tools/start-fb-server.sh ] || [ -f tools/start-fb-server.sh ]; then
  bash tools/start-fb-server.sh
fi
cd "$BUILD"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure
