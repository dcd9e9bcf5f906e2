#!/usr/bin/env bash
# disccheck.exe under Wine on the sample disc: it starts, finds nothing, and
# says line for line what the Linux build says (but for the first line, which
# names the folder as each system writes it); --version too.
#   tests/e2e/disccheck_windows.sh DISCCHECK.EXE NATIVE-DISCCHECK LAUNCHER-FOLDER WORK-FOLDER
# The Wine prefix is made once in WORK-FOLDER; nothing here needs a display.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
if [[ "${1:-}" != --inside ]]; then
  exec "$root/scripts/wine32.sh" run "$0" --inside "$@"
fi
shift
mkdir -p "$4"
exe=$1 native=$2 folder=$(cd "$3" && pwd) work=$(cd "$4" && pwd)
export WINEARCH=win64 WINEDEBUG=-all WINEPREFIX="$work/prefix" WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
unset DISPLAY
wine=/usr/lib/wine/wine64

if [[ ! -f "$WINEPREFIX/disccheck-ready" ]]; then
  rm -rf "$WINEPREFIX"
  "$wine" wineboot -i >"$work/wineboot.log" 2>&1
  "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >>"$work/wineboot.log" 2>&1
  /usr/lib/wine/wineserver -w
  touch "$WINEPREFIX/disccheck-ready"
fi

status=0
"$wine" "$exe" "Z:${folder//\//\\}" >"$work/windows.out" 2>"$work/windows.err" || status=$?
/usr/lib/wine/wineserver -w
"$native" "$folder" >"$work/native.out" 2>&1 || true
"$wine" "$exe" --version >"$work/windows-version.out" 2>&1 || true
/usr/lib/wine/wineserver -w

fail=0
if [[ $status -ne 0 ]]; then
  echo "disccheck.exe exited with $status"
  fail=1
fi
tr -d '\r' <"$work/windows.out" >"$work/windows.txt"
if ! grep -q '^disccheck: 0 errors, 0 warnings$' "$work/windows.txt" || grep -qE '^(error|warning):' "$work/windows.txt"; then
  echo "disccheck.exe reports findings on the sample disc"
  fail=1
fi
if ! diff <(tail -n +2 "$work/native.out") <(tail -n +2 "$work/windows.txt"); then
  echo "disccheck.exe and the Linux disccheck disagree (above: < Linux, > Windows)"
  fail=1
fi
# Both builds are of one release.
if [[ "$(tr -d '\r' <"$work/windows-version.out")" != "$("$native" --version)" ]]; then
  echo "disccheck.exe --version says \"$(tr -d '\r' <"$work/windows-version.out")\", the Linux build \"$("$native" --version)\""
  fail=1
fi
cat "$work/windows.txt" "$work/windows.err" "$work/windows-version.out"
exit $fail
