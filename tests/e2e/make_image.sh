#!/usr/bin/env bash
# tools/make-image.sh on a disc folder laid out here: it makes an image that
# disccheck passes when the folder is sound, and writes none (an older image
# of the same name stays as it was) when disccheck finds an error in it.
#   tests/e2e/make_image.sh DISCCHECK WORK-FOLDER LAUNCHER.EXE
# LAUNCHER.EXE, a 32-bit Windows program, stands in for the installer too.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
export DISCCHECK=$1
work=$2
program=$3
fail() { echo "FAIL: $*"; cat "$work"/*.log; exit 1; }
[[ -f "$program" ]] || { echo "FAIL: $program is missing: build the win32 preset first"; exit 1; }

rm -rf "$work"
mkdir -p "$work/disc/LAUNCH"
cp "$root/samples/disc/autorun.inf" "$work/disc/"
cp "$root/samples/disc/LAUNCH/install.ini" "$root/samples/disc/LAUNCH/Launcher.bmp" "$work/disc/LAUNCH/"
cp "$program" "$work/disc/setup.exe"
cp "$program" "$work/disc/LAUNCH/launcher.exe"

"$root/tools/make-image.sh" "$work/disc" "$work/disc.iso" >"$work/sound.log" 2>&1 || fail "no image of a sound folder"
[[ $(grep -c '^disccheck: 0 errors, 0 warnings$' "$work/sound.log") -eq 2 ]] || fail "the folder or the image has findings"
grep -q 'volume label "DISC"' "$work/sound.log" || fail "the image is not labelled with the folder's name"

rm "$work/disc/LAUNCH/install.ini"
echo "an older image" >"$work/old.iso"
status=0
"$root/tools/make-image.sh" "$work/disc" "$work/old.iso" NEW >"$work/error.log" 2>&1 || status=$?
[[ $status -eq 1 ]] || fail "make-image exited with $status on a folder with an error"
grep -q '^error: install.ini: missing' "$work/error.log" || fail "the folder's error is not shown"
grep -q 'no image written' "$work/error.log" || fail "no word of the refusal"
[[ "$(cat "$work/old.iso")" == "an older image" ]] || fail "the older image was overwritten"
echo "make-image: made and passed an image of a sound folder, refused a folder with an error"
