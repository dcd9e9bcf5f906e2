#!/usr/bin/env bash
# Installs what is missing, builds both presets and runs every test.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh

cmake --preset win32
cmake --build --preset win32
samples/prepare-disc.sh build/win32/launcher.exe
cmake --preset native
cmake --build --preset native
ctest --preset native -j2
