#!/usr/bin/env bash
# disccheck.exe under Wine on the sample disc: it starts, finds nothing, and
# says line for line what the Linux build says (but for the first line, which
# names the folder as each system writes it); --version too. Its
# --make-image makes the very bytes tools/make-image.sh makes on Linux, a
# name beyond ASCII among the disc's files, and passes its own check.
#   tests/e2e/disccheck_windows.sh DISCCHECK.EXE NATIVE-DISCCHECK SAMPLE-DISC LAUNCHER.EXE WORK-FOLDER
# The sample disc is copied into WORK-FOLDER and completed there as
# samples/prepare-disc.sh completes it, with LAUNCHER.EXE; the Wine prefix is
# made once in WORK-FOLDER; nothing here needs a display. Exit status 77 (a
# skip to ctest) when the win32 preset has not been built.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
if [[ "${1:-}" != --inside ]]; then
  for built in "$1" "$4"; do
    [[ -f "$built" ]] || { echo "SKIP: $built is missing: build the win32 preset first"; exit 77; }
  done
  exec "$root/scripts/wine32.sh" run "$0" --inside "$@"
fi
shift
mkdir -p "$5"
exe=$1 native=$2 sample=$(cd "$3" && pwd) launcher=$4 work=$(cd "$5" && pwd)
rm -rf "$work/disc" "$work/named"
cp -R "$sample" "$work/disc"
rm -f "$work/disc/setup.exe" "$work/disc/LAUNCH/launcher.exe" "$work/windows.iso" "$work/linux.iso"
"$root/samples/prepare-disc.sh" "$launcher" "$work/disc/LAUNCH" >"$work/prepare-disc.log"
folder=$work/disc/LAUNCH
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
mkdir -p "$work/named"
cp -R "$work/disc/." "$work/named/"
printf 'Übungen\r\n' >"$work/named/Übungen.txt"
image_status=0
"$wine" "$exe" "Z:${work//\//\\}\\named" --make-image "Z:${work//\//\\}\\windows.iso" --label BRINDLEMARK \
  >"$work/windows-image.out" 2>&1 || image_status=$?
/usr/lib/wine/wineserver -w
DISCCHECK=$native "$root/tools/make-image.sh" "$work/named" "$work/linux.iso" BRINDLEMARK >"$work/linux-image.out" 2>&1 || true

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
if [[ $image_status -ne 0 ]] || ! cmp "$work/windows.iso" "$work/linux.iso"; then
  tr -d '\r' <"$work/windows-image.out"
  echo "disccheck.exe --make-image (status $image_status) and tools/make-image.sh make different images"
  fail=1
fi
cat "$work/windows.txt" "$work/windows.err" "$work/windows-version.out"
exit $fail
