#!/usr/bin/env bash
# Makes the ISO 9660 image to press from a disc folder: disccheck --make-image
# makes it, in both its builds; this is the Linux authors' short way to it.
# tools/make-image.sh --help says how.
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
hold only A-Z, 0-9 and "_": it is written as LABEL in capitals, the
accented letters of Western European languages without their accents
(Ü as U, ß as SS), every other character as "_".

It checks the folder with disccheck first and writes no image when that
finds an error; then it checks the image it made, and exits with that
check's status (0: no error). Symbolic links in the folder are followed: a
link would be missing from the Joliet tree. One disc gives the same image,
to the byte, every time and on Windows too: it is disccheck --make-image
(disccheck.exe --make-image on Windows) that makes it.

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
[[ -x "$disccheck" ]] || refuse "$disccheck is missing: build the native preset first (cmake --preset native &&" \
                                "cmake --build --preset native), or run ./demo.sh, which builds it"
label=()
[[ ${#args[@]} -eq 3 ]] && label=(--label "${args[2]}")
exec "$disccheck" "${args[0]}" --make-image "${args[1]}" ${label[@]+"${label[@]}"} \
  ${launcher_dir[@]+"${launcher_dir[@]}"} ${codepage[@]+"${codepage[@]}"}
