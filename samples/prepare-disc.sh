#!/usr/bin/env bash
# Completes the sample disc with the programs that are built, not kept:
# the launcher (from the Windows build) and a stand-in setup.exe.
#   samples/prepare-disc.sh [path/to/launcher.exe]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
launcher="${1:-$here/../build/win32/launcher.exe}"

if [[ ! -f "$launcher" ]]; then
  echo "prepare-disc: $launcher is missing: build the win32 preset first" >&2
  exit 1
fi
cp "$launcher" "$here/disc/LAUNCH/launcher.exe"
i686-w64-mingw32-gcc -Os -s -mwindows -o "$here/disc/setup.exe" "$here/standin/setup.c"
