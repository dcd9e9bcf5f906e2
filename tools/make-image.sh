#!/usr/bin/env bash
# Makes the image to press from a disc folder: ISO 9660 with a Joliet tree
# (the names Windows reads), Rock Ridge, and a volume label.
#   tools/make-image.sh DISC-ROOT OUT.iso [LABEL]
# It checks the folder with disccheck first and writes no image when that
# finds an error; then it checks the image it made, and exits with that
# check's status. LABEL is what Explorer and AutoPlay show, at most 16
# characters (Windows shows the Joliet label, which holds no more); by
# default the disc root's folder name in capitals. Symbolic links in the
# folder are followed: a link would be missing from the Joliet tree.
# DISCCHECK names the checker (by default build/native/disccheck).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
disccheck=${DISCCHECK:-$here/build/native/disccheck}

if [[ $# -lt 2 || $# -gt 3 ]]; then
  sed -n '3p' "$0" | sed 's/^# *//' | sed 's/^/usage: /' >&2
  exit 2
fi
[[ -d "$1" ]] || { echo "make-image: $1 is no folder" >&2; exit 2; }
root=$(cd "$1" && pwd)
out=$2
label=${3:-$(basename "$root" | tr '[:lower:]' '[:upper:]' | cut -c1-16)}
if [[ -z "$label" || ${#label} -gt 16 ]]; then
  echo "make-image: the label must be 1 to 16 characters, not \"$label\"" >&2
  exit 2
fi
[[ -x "$disccheck" ]] || { echo "make-image: $disccheck is missing: build the native preset first" >&2; exit 2; }
command -v xorriso >/dev/null || { echo "make-image: xorriso is missing (Debian package xorriso)" >&2; exit 2; }

# The launcher's folder, found as disccheck finds it in an image: the one
# autorun.inf's open= names, else the one folder that holds launcher.exe.
found=()
autorun=$(find "$root" -maxdepth 1 -type f -iname autorun.inf | head -n 1)
if [[ -n "$autorun" ]]; then
  open=$(tr -d '\r' <"$autorun" | awk '
    /^[ \t]*\[/ { section = tolower($0); gsub(/[ \t\[\]]/, "", section); next }
    section == "autorun" && tolower($0) ~ /^[ \t]*open[ \t]*=/ { sub(/^[^=]*=[ \t]*/, ""); print; exit }')
  if [[ "$open" == \"* ]]; then open=${open#\"}; open=${open%%\"*}; else open=${open%% *}; fi
  open=${open//\\//}
  open=${open#./}
  open=${open#/}
  if [[ "${open,,}" == launcher.exe || "${open,,}" == */launcher.exe ]]; then
    mapfile -t found < <(find "$root" -type f -ipath "$root/$open")
  fi
fi
if [[ ${#found[@]} -ne 1 ]]; then
  mapfile -t found < <(find "$root" -type f -iname launcher.exe)
fi
if [[ ${#found[@]} -ne 1 ]]; then
  echo "make-image: cannot tell the launcher's folder: autorun.inf's open= names no launcher.exe in $root," \
       "and ${#found[@]} folders hold one" >&2
  exit 2
fi
folder=$(dirname "${found[0]}")
# disccheck takes a folder's parent for the disc root, as the launcher does.
if [[ "$(dirname "$folder")" != "$root" ]]; then
  echo "make-image: launcher.exe is in $folder, not in a folder of the disc root $root: the launcher" \
       "looks for setup.exe one folder up, and AutoPlay for autorun.inf in the root" >&2
  exit 1
fi

echo "make-image: checking the folder $folder"
status=0
"$disccheck" "$folder" || status=$?
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
mv -f "$part" "$out"
echo "make-image: wrote $out ($(stat -c %s "$out") bytes, label \"$label\"); checking it"
status=0
"$disccheck" "$out" || status=$?
if [[ $status -ne 0 ]]; then
  echo "make-image: disccheck finds the image wrong (above)" >&2
fi
exit $status
