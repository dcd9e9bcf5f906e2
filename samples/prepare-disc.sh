#!/usr/bin/env bash
# Lays the programs that are built, not kept, into a disc folder: the
# launcher (from the Windows build) into the launcher's folder, and a
# stand-in setup.exe into the disc root above it. Without DIR, the sample
# disc's samples/disc/LAUNCH.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
usage="usage: samples/prepare-disc.sh [LAUNCHER.EXE [DIR]]"

case "${1:-}" in
  -h | --help)
    cat <<EOF
$usage

Copies LAUNCHER.EXE (by default build/win32/launcher.exe, which the win32
preset builds) into DIR, the launcher's folder on a disc image, and builds a
stand-in setup.exe into DIR's parent, the disc root. An existing setup.exe
outside the sample disc is kept: it is the disc's own installer.
DIR defaults to the sample disc's samples/disc/LAUNCH.
EOF
    exit 0
    ;;
  -*)
    echo "prepare-disc: unknown option $1" >&2
    echo "$usage" >&2
    exit 2
    ;;
esac
if [[ $# -gt 2 ]]; then
  echo "$usage" >&2
  exit 2
fi

launcher="${1:-$here/../build/win32/launcher.exe}"
dir="${2:-$here/disc/LAUNCH}"

if [[ ! -f "$launcher" ]]; then
  echo "prepare-disc: $launcher is missing: build the win32 preset first" >&2
  exit 1
fi
if [[ ! -d "$dir" ]]; then
  echo "prepare-disc: $dir is not a folder: give the launcher's folder on the disc image" >&2
  exit 1
fi
dir="$(cd "$dir" && pwd)"
root="$(dirname "$dir")"

cp "$launcher" "$dir/launcher.exe"
echo "prepare-disc: $dir/launcher.exe"
# Windows finds setup.exe in any letter case.
existing="$(find "$root" -maxdepth 1 -iname setup.exe -print -quit)"
if [[ -n "$existing" && "$root" != "$here/disc" ]]; then
  echo "prepare-disc: kept $existing"
else
  i686-w64-mingw32-gcc -Os -s -mwindows -o "${existing:-$root/setup.exe}" "$here/standin/setup.c"
  echo "prepare-disc: ${existing:-$root/setup.exe} (a stand-in installer)"
fi
