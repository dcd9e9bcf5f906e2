#!/usr/bin/env bash
# Prints where a disc's installer goes, relative to the disc root with "/"
# between folders, as the launcher takes it from the install.ini in DIR (the
# launcher's folder): [INSTALL] Installer= when it names a path below the
# disc root (no drive, no leading separator, no ".."), else setup.exe.
#   samples/installer-path.sh DIR
set -euo pipefail
ini="$(find "${1:?usage: samples/installer-path.sh DIR}" -maxdepth 1 -iname install.ini -print -quit)"
installer=setup.exe
if [[ -n "$ini" ]]; then
  named=$(tr -d '\r' <"$ini" | awk '
    /^[ \t]*\[/ { section = tolower($0); gsub(/[ \t\[\]]/, "", section); next }
    section == "install" && tolower($0) ~ /^[ \t]*installer[ \t]*=/ {
      sub(/^[^=]*=[ \t]*/, ""); sub(/[ \t]+$/, ""); print; exit }')
  if [[ -n "$named" && ${#named} -lt 259 && "$named" != [\\/]* && "$named" != *:* && "$named" != *..* ]]; then
    installer=${named//\\//}
  fi
fi
echo "$installer"
