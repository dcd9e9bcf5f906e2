#!/usr/bin/env bash
# Builds the launcher, lays out the sample disc under build/demo and runs the
# launcher from it under Wine. Without a display it starts an Xvfb screen,
# saves the splash to build/demo/splash.png, prints that path and cancels
# the dialog, so the command ends by itself.
#
# BUILD_WIN32 and BUILD_NATIVE name other build folders than the presets'.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

scripts/install-deps.sh

win32=${BUILD_WIN32:-build/win32}
native=${BUILD_NATIVE:-build/native}
if [[ -z "${BUILD_WIN32:-}" ]]; then
  cmake --preset win32 >/dev/null
else
  cmake -S . -B "$win32" -G Ninja --toolchain cmake/toolchain-mingw.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
fi
cmake --build "$win32" --target launcher
if [[ -z "${BUILD_NATIVE:-}" ]]; then
  cmake --preset native >/dev/null
else
  cmake -S . -B "$native" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=Debug >/dev/null
fi
# Only the programs the demo needs: the stand-in setup.exe (and the 64-bit
# launcher for a machine without the 32-bit Wine).
cmake --build "$native" --target e2e_programs

e2e="$root/$native/tests/e2e"
export E2E_LAUNCHER="$root/$win32/launcher.exe"
export E2E_LAUNCHER64="$e2e/launcher64.exe"
export E2E_STANDIN32="$e2e/standin32.exe" E2E_STANDIN64="$e2e/standin64.exe"
export E2E_PROBE32="$e2e/probe32.exe" E2E_PROBE64="$e2e/probe64.exe"
export E2E_DEFAULT_BMP="$root/res/default.bmp"
mkdir -p build/demo
python3 tests/e2e/demo.py "$root" "$root/build/demo"
