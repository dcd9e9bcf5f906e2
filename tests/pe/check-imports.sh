#!/usr/bin/env bash
# Checks that a program can start on the oldest Windows it is meant for:
# every function it imports is on a list of those that Windows exports
# ("DLL Function" a line, # comments), and its header asks for no newer
# subsystem version than that Windows runs.
#   tests/pe/check-imports.sh OBJDUMP FILE LIST SUBSYSTEM-VERSION
# Prints what fails and exits 1 when something does; 77 when there is no FILE.
set -euo pipefail
objdump=$1 file=$2 list=$3 oldest=$4
# Exit status 77 is a skip to ctest.
[[ -e "$file" ]] || { echo "SKIP: $file is missing: build the win32 preset first"; exit 77; }
headers=$("$objdump" -p "$file")
imports=$(awk '
  /^[ \t]*DLL Name:/ { dll = toupper($3); sub(/\.DLL$/, "", dll); next }
  dll != "" && NF == 0 { dll = ""; next }
  dll != "" && $1 ~ /^[0-9a-f]+$/ && NF >= 3 { print dll, $3 }' <<<"$headers" | sort -u)
[[ -n "$imports" ]] || { echo "FAIL: no import found in $file"; exit 1; }
echo "$(wc -l <<<"$imports") imported functions"
fail=0
missing=$(comm -23 <(echo "$imports") <(grep -v '^#' "$list" | awk 'NF == 2 { print toupper($1), $2 }' | sort -u))
if [[ -n "$missing" ]]; then
  sed 's/^/FAIL: not on the list: /' <<<"$missing"
  fail=1
fi
major=$(awk '/^MajorSubsystemVersion/ { print $2 }' <<<"$headers")
minor=$(awk '/^MinorSubsystemVersion/ { print $2 }' <<<"$headers")
echo "subsystem version $major.$minor"
if (( major * 100 + minor > ${oldest%.*} * 100 + ${oldest#*.} )); then
  echo "FAIL: subsystem version $major.$minor is above $oldest"
  fail=1
fi
exit $fail
