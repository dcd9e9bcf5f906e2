#!/usr/bin/env bash
# Makes the ISO 9660 image to press from a disc folder. tools/make-image.sh --help says how.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
disccheck=${DISCCHECK:-$here/build/native/disccheck}

usage="usage: tools/make-image.sh DISC OUT.iso [LABEL] [--launcher-dir NAME] [--codepage N]
       tools/make-image.sh --help"

help() {
  cat <<EOF
$usage

Makes the image to press from a disc folder: ISO 9660 with a Joliet tree
(the names Windows reads), Rock Ridge, and a volume label.

DISC is the disc's root folder (where autorun.inf and setup.exe sit) or the
launcher's folder on it; the launcher's folder is found as disccheck finds
it (autorun.inf's open=, else the one folder that holds launcher.exe or
install.ini, else --launcher-dir NAME). The whole disc root goes into the
image. OUT.iso is the image file to write, in a folder that exists and
outside the disc root; an older file of that name is replaced only when
the new image is made.

LABEL is what Explorer and AutoPlay show, 1 to 16 characters (the Joliet
label holds no more); by default the disc root's folder name in capitals.
Systems that read no Joliet tree show the plain ISO 9660 label, which may
hold only A-Z, 0-9 and "_": it is written as LABEL in capitals, other
characters as their nearest ASCII letter or "_".

It checks the folder with disccheck first and writes no image when that
finds an error; then it checks the image it made, and exits with that
check's status (0: no error). Symbolic links in the folder are followed: a
link would be missing from the Joliet tree.

--codepage N names the code page the disc's texts and names are written
in (932 for Japanese, 1250 for Central European...), in place of
install.ini's [INSTALL] CodePage=N; without either, Windows-1252. disccheck
reads the disc and the image with it.

DISCCHECK names the checker (by default build/native/disccheck, which the
native preset builds; ./demo.sh builds it too).
EOF
}

refuse() {
  echo "make-image: $*" >&2
  exit 2
}

args=()
launcher_dir=()
codepage=()
while [[ $# -gt 0 ]]; do
  case "$1" in
    -h | --help) help; exit 0 ;;
    --launcher-dir)
      [[ $# -ge 2 ]] || refuse "--launcher-dir needs the name of the launcher's folder"$'\n'"$usage"
      launcher_dir=(--launcher-dir "$2")
      shift 2
      ;;
    --launcher-dir=*) launcher_dir=(--launcher-dir "${1#*=}"); shift ;;
    --codepage)
      [[ $# -ge 2 ]] || refuse "--codepage needs the disc's code page number, such as 932 or 1250"$'\n'"$usage"
      codepage=(--codepage "$2")
      shift 2
      ;;
    --codepage=*) codepage=(--codepage "${1#*=}"); shift ;;
    -*) refuse "unknown option $1"$'\n'"$usage" ;;
    *) args+=("$1"); shift ;;
  esac
done
if [[ ${#args[@]} -lt 2 || ${#args[@]} -gt 3 ]]; then
  refuse "give the disc folder and the image to make"$'\n'"$usage"
fi
disc=${args[0]}
out=${args[1]}

if [[ -f "$disc" ]]; then
  refuse "$disc is a file, not a disc folder: give the folder the image is made of (its root or the launcher's" \
         "folder); check an image with $disccheck $disc"
fi
[[ -d "$disc" ]] || refuse "$disc does not exist: give the disc's root folder or the launcher's folder on it"
[[ -x "$disccheck" ]] || refuse "$disccheck is missing: build the native preset first (cmake --preset native &&" \
                                "cmake --build --preset native), or run ./demo.sh, which builds it"
command -v xorriso >/dev/null || refuse "xorriso is missing (Debian package xorriso)"

if [[ -d "$out" ]]; then
  refuse "$out is a folder: give the image's file name, such as $out/disc.iso"
fi
out_dir=$(dirname -- "$out")
[[ -d "$out_dir" ]] || refuse "the folder $out_dir (for $out) does not exist: make it first, or write the image elsewhere"
[[ -w "$out_dir" ]] || refuse "no permission to write into $out_dir (for $out)"
out=$(cd "$out_dir" && pwd)/$(basename -- "$out")

# Where the disc root and the launcher's folder are: disccheck tells.
where_log=$(mktemp)
if ! "$disccheck" "$disc" ${launcher_dir[@]+"${launcher_dir[@]}"} ${codepage[@]+"${codepage[@]}"} --where >"$where_log" 2>&1; then
  sed 's/^disccheck: /make-image: /' "$where_log" >&2
  rm -f "$where_log"
  exit 2
fi
root=$(sed -n 's/^root=//p' "$where_log")
folder=$(sed -n 's/^folder=//p' "$where_log")
rm -f "$where_log"
case "$out/" in
  "$root"/*) refuse "$out is inside the disc root $root: the image would hold itself; write it elsewhere" ;;
esac

label=${args[2]:-$(basename "$root" | tr '[:lower:]' '[:upper:]' | cut -c1-16)}
if [[ -z "$label" || ${#label} -gt 16 ]]; then
  refuse "the label must be 1 to 16 characters, not \"$label\" (${#label})"
fi
# The plain ISO 9660 label: capitals, digits and "_" only.
iso_label=$(printf '%s' "$label" | iconv -f UTF-8 -t ASCII//TRANSLIT 2>/dev/null || printf '%s' "$label")
iso_label=$(printf '%s' "$iso_label" | tr '[:lower:]' '[:upper:]' | tr -c 'A-Z0-9_' '_' | cut -c1-32)

echo "make-image: checking the disc $root (the launcher's folder ${folder:-\\})"
status=0
"$disccheck" "$root" ${launcher_dir[@]+"${launcher_dir[@]}"} ${codepage[@]+"${codepage[@]}"} || status=$?
if [[ $status -ne 0 ]]; then
  echo "make-image: disccheck finds the disc folder wrong (above): no image written" >&2
  exit 1
fi

part="$out.part"
rm -f "$part"
if ! xorriso -report_about WARNING -outdev "$part" -volid "$label" -joliet on -rockridge on -follow link \
     -map "$root" / -end >"$part.log" 2>&1; then
  cat "$part.log" >&2
  rm -f "$part" "$part.log"
  echo "make-image: xorriso failed (above): no image written" >&2
  exit 1
fi
rm -f "$part.log"
# xorriso writes one label into both trees: the primary volume descriptor
# (sector 16, the label at byte 40, 32 characters padded with blanks) gets
# the plain one.
if [[ "$(dd if="$part" bs=1 skip=$((16 * 2048)) count=6 status=none | od -An -c | tr -d ' ')" != '001CD001' ]]; then
  rm -f "$part"
  echo "make-image: xorriso wrote no primary volume descriptor where ISO 9660 puts it: no image written" >&2
  exit 1
fi
printf '%-32s' "$iso_label" | dd of="$part" bs=1 seek=$((16 * 2048 + 40)) conv=notrunc status=none
mv -f "$part" "$out"
echo "make-image: wrote $out ($(stat -c %s "$out") bytes, label \"$label\", plain ISO 9660 label \"$iso_label\");" \
     "checking it"
status=0
"$disccheck" "$out" ${launcher_dir[@]+"${launcher_dir[@]}"} ${codepage[@]+"${codepage[@]}"} || status=$?
if [[ $status -ne 0 ]]; then
  echo "make-image: disccheck finds the image wrong (above)" >&2
fi
exit $status
