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
stand-in setup.exe into DIR's parent, the disc root, or where DIR's
install.ini names the installer ([INSTALL] Installer=, a path below the disc
root). An existing installer outside the sample discs is kept: it is the
disc's own. DIR defaults to the sample disc's samples/disc/LAUNCH.
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
# The installer where install.ini names it, as the launcher takes it, its
# name decoded from the code page install.ini declares.
installer=$("$here/installer-path.sh" "$dir")
# Windows finds the installer in any letter case.
existing="$(find "$root" -ipath "$root/$installer" -type f -print -quit)"
if [[ -n "$existing" && "$(dirname "$root")" != "$here" ]]; then
  echo "prepare-disc: kept $existing"
else
  target="${existing:-$root/$installer}"
  mkdir -p "$(dirname "$target")"
  i686-w64-mingw32-gcc -Os -s -mwindows -o "$target" "$here/standin/setup.c"
  echo "prepare-disc: $target (a stand-in installer)"
fi
