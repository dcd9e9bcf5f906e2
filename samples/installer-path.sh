#!/usr/bin/env bash
# Prints where a disc's installer goes, relative to the disc root with "/"
# between folders, as the launcher takes it from the install.ini in DIR (the
# launcher's folder): [INSTALL] Installer= when it names a path below the
# disc root (no drive, no leading separator, no ".."), else setup.exe. The
# name is printed in UTF-8, as Linux names files, decoded from the code page
# the disc is written in: --codepage N, else install.ini's [INSTALL]
# CodePage=N, else Windows-1252.
#   samples/installer-path.sh [--codepage N] DIR
set -euo pipefail
# Bytes, as the launcher counts them; iconv is told each code page itself.
export LC_ALL=C
usage="usage: samples/installer-path.sh [--codepage N] DIR"
codepage=
if [[ ${1:-} == --codepage ]]; then
  codepage=${2:?$usage}
  shift 2
fi
ini="$(find "${1:?$usage}" -maxdepth 1 -iname install.ini -print -quit)"
installer=setup.exe
if [[ -n "$ini" ]]; then
  # The value's bytes as the launcher reads them; the tests below look at
  # bytes that no trailing byte of a double-byte character can be.
  value() {
    tr -d '\r' <"$ini" | awk -v key="$1" '
      /^[ \t]*\[/ { section = tolower($0); gsub(/[ \t\[\]]/, "", section); next }
      section == "install" && tolower($0) ~ "^[ \t]*" key "[ \t]*=" {
        sub(/^[^=]*=[ \t]*/, ""); sub(/[ \t]+$/, ""); print; exit }'
  }
  named=$(value installer)
  [[ -n $codepage ]] || codepage=$(value codepage)
  codepage=${codepage:-1252}
  if [[ ! $codepage =~ ^[0-9]+$ ]]; then
    echo "installer-path: code page \"$codepage\" is not a number" >&2
    exit 2
  fi
  if [[ -n "$named" && ${#named} -lt 259 && "$named" != [\\/]* && "$named" != *:* && "$named" != *..* ]]; then
    # Decoded first: a "\" byte may be the second half of a character.
    if ! installer=$(printf '%s' "$named" | iconv -f "CP$codepage" -t UTF-8); then
      echo "installer-path: Installer=$named is not text in code page $codepage" >&2
      exit 1
    fi
    installer=${installer//\\//}
  fi
fi
echo "$installer"
