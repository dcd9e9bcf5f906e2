#!/usr/bin/env bash
# tools/make-image.sh on disc folders laid out here: it makes an image that
# disccheck passes when the folder is sound (given by its root or by the
# launcher's folder, a blank in that folder's name, a label beyond ASCII),
# that xorriso reads as the folder (Joliet names, a name beyond ASCII
# among them, the label, every file's bytes), and the same again when made again;
# writes none (an older image of the same name stays as it was) when
# disccheck finds an error in it, and refuses what it cannot make an image
# of, or into, saying what was given and what it expects.
#   tests/e2e/make_image.sh DISCCHECK WORK-FOLDER LAUNCHER.EXE
# LAUNCHER.EXE, a 32-bit Windows program, stands in for the installer too.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
export DISCCHECK=$1
work=$2
program=$3
make_image=$root/tools/make-image.sh
fail() { echo "FAIL: $*"; cat "$work"/*.log; exit 1; }
[[ -f "$program" ]] || { echo "FAIL: $program is missing: build the win32 preset first"; exit 1; }

# A sound disc in $work/NAME with its launcher in FOLDER and autorun.inf's open= as given.
lay_out() {
  local disc=$work/$1 folder=$2 open=$3
  mkdir -p "$disc/$folder"
  printf '[autorun]\r\nopen=%s\r\nicon=%s\\launcher.exe\r\n' "$open" "$folder" >"$disc/autorun.inf"
  cp "$root/samples/disc/LAUNCH/install.ini" "$root/samples/disc/LAUNCH/Launcher.bmp" "$disc/$folder/"
  cp "$program" "$disc/setup.exe"
  cp "$program" "$disc/$folder/launcher.exe"
}

[[ -d "$work" ]] && chmod -R u+w "$work"
rm -rf "$work"
mkdir -p "$work"
lay_out disc LAUNCH 'LAUNCH\launcher.exe'
printf 'Übungen\r\n' >"$work/disc/Übungen.txt"

"$make_image" "$work/disc" "$work/disc.iso" >"$work/sound.log" 2>&1 || fail "no image of a sound folder"
[[ $(grep -c '^disccheck: 0 errors, 0 warnings$' "$work/sound.log") -eq 2 ]] || fail "the folder or the image has findings"
grep -q 'volume label "DISC"' "$work/sound.log" || fail "the image is not labelled with the folder's name"

# Another reader: xorriso, Rock Ridge off, reads the Joliet tree Windows reads.
xorriso -osirrox on -indev "$work/disc.iso" -report_about WARNING -rockridge off -pvd_info \
  -extract / "$work/read-back" >"$work/xorriso.log" 2>&1 || fail "xorriso cannot read the image"
diff -r "$work/disc" "$work/read-back" >"$work/read-back.log" 2>&1 || fail "xorriso reads other names or bytes than the folder's"
grep -q '^Volume Id *: DISC$' "$work/xorriso.log" || fail "xorriso reads no plain label DISC"
joliet_label=$(dd if="$work/disc.iso" bs=2048 skip=17 count=1 status=none | dd bs=1 skip=40 count=32 status=none |
               iconv -f UTF-16BE -t UTF-8)
[[ $joliet_label == "$(printf '%-16s' DISC)" ]] || fail "the Joliet label is \"$joliet_label\""
sleep 1
"$make_image" "$work/disc/LAUNCH" "$work/again.iso" >"$work/again.log" 2>&1 || fail "no image the second time"
cmp "$work/disc.iso" "$work/again.iso" || fail "the same disc made again gives another image"
rm "$work/again.iso"

# Made alike from the root or the launcher's folder, a blank in its name quoted
# or not in open= (Windows starts it either way), a label beyond ASCII.
lay_out blank 'Lumora Startprogramm' '"Lumora Startprogramm\launcher.exe"'
lay_out unquoted 'Lumora Startprogramm' 'Lumora Startprogramm\launcher.exe'
made=(
  "the launcher's folder|$work/disc/LAUNCH|$work/launch.iso||disccheck: 0 errors, 0 warnings"
  "a blank, quoted|$work/blank|$work/blank.iso||disccheck: 0 errors, 0 warnings"
  "a blank, not quoted|$work/unquoted|$work/unquoted.iso||disccheck: 0 errors, 0 warnings"
  "a label beyond ASCII|$work/disc|$work/label.iso|Lumora Übung|volume label \"Lumora Übung\""
)
for row in "${made[@]}"; do
  IFS='|' read -r name disc out label expected <<<"$row"
  status=0
  "$make_image" "$disc" "$out" ${label:+"$label"} >"$work/made.log" 2>&1 || status=$?
  [[ $status -eq 0 && -f "$out" ]] || fail "$name: no image (status $status)"
  grep -qF -- "$expected" "$work/made.log" || fail "$name: no line \"$expected\""
  ! grep -q '^error:' "$work/made.log" || fail "$name: errors"
done
grep -q 'plain ISO 9660 label "LUMORA_UBUNG"' "$work/made.log" || fail "the plain label is not in capitals"
! grep -q 'warning: image' "$work/made.log" || fail "the image of a label beyond ASCII has a finding"

# An error in the folder: no image, and the older one stays.
rm "$work/disc/LAUNCH/install.ini"
echo "an older image" >"$work/old.iso"
status=0
"$make_image" "$work/disc" "$work/old.iso" NEW >"$work/error.log" 2>&1 || status=$?
[[ $status -eq 1 ]] || fail "make-image exited with $status on a folder with an error"
grep -q '^error: install.ini: missing' "$work/error.log" || fail "the folder's error is not shown"
grep -q 'no image written' "$work/error.log" || fail "no word of the refusal"
[[ "$(cat "$work/old.iso")" == "an older image" ]] || fail "the older image was overwritten"

# What it refuses, with status 2 and nothing written.
mkdir -p "$work/out-folder" "$work/nodisc"
echo "not a disc" >"$work/nodisc/readme.txt"
refused=(
  "no arguments||usage: tools/make-image.sh DISC OUT.iso"
  "an image for the disc|$work/disc.iso $work/again.iso|is a file, not a disc folder: give the folder the image is made of"
  "a folder for the image|$work/blank $work/out-folder|$work/out-folder is a folder: give the image's file name"
  "a folder that does not exist|$work/blank $work/nowhere/disc.iso|the folder $work/nowhere (for $work/nowhere/disc.iso) does not exist"
  "the image inside the disc|$work/blank $work/blank/disc.iso|is inside the disc root $work/blank"
  "a folder that is no disc|$work/nodisc $work/nodisc.iso|cannot tell which folder is the launcher's"
  "a label too long|$work/blank $work/long.iso SEVENTEEN_LETTERS|the label must be 1 to 16 characters"
)
for row in "${refused[@]}"; do
  IFS='|' read -r name args expected <<<"$row"
  status=0
  # shellcheck disable=SC2086  # the arguments hold no blanks
  "$make_image" $args >"$work/refused.log" 2>&1 || status=$?
  [[ $status -eq 2 ]] || fail "$name: status $status, not 2"
  grep -qF -- "$expected" "$work/refused.log" || fail "$name: no \"$expected\""
done
[[ -z "$(ls -A "$work/out-folder")" ]] || fail "something was written into the folder given for the image"
[[ ! -e "$work/again.iso" && ! -e "$work/long.iso" ]] || fail "an image was written though refused"
"$make_image" --help >"$work/help.log" 2>&1 || fail "--help failed"
grep -q '^usage: tools/make-image.sh DISC OUT.iso' "$work/help.log" || fail "--help gives no usage"
grep -q 'launcher.exe or' "$work/help.log" || fail "--help does not say how the launcher's folder is found"
echo "make-image: made and passed images of sound folders, refused a folder with an error and what it cannot use"
