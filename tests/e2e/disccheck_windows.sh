#!/usr/bin/env bash
# disccheck.exe under Wine on the sample disc: it starts, finds nothing, and
# says line for line what the Linux build says (but for the first line, which
# names the folder as each system writes it); --version too. Its
# --make-image makes the very bytes tools/make-image.sh makes on Linux, a
# name beyond ASCII among the disc's files, and passes its own check. Then
# the same disc with its launcher folder named in Polish, Początek, declared
# in code page 1250, checked under a Wine whose ANSI code page is 1252: the
# name reaches disccheck.exe only through the wide-character calls, and it
# finds what the Linux build finds (but for the line naming the folder given).
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

polish=$work/disc-pl
rm -rf "$polish"
cp -R "$work/disc" "$polish"
mv "$polish/LAUNCH" "$polish/Początek"
# The autorun.inf names the folder in its 1250 bytes (ą is B9).
LC_ALL=C sed -i 's/LAUNCH\\/Pocz\xb9tek\\/' "$polish/autorun.inf"
sed -i 's/^\[INSTALL\]\r\?$/&\nCodePage=1250\r/' "$polish/Początek/install.ini"
polish_status=0
LC_ALL=C.UTF-8 "$wine" "$exe" "Z:${polish//\//\\}\\Początek" >"$work/windows-pl.out" 2>"$work/windows-pl.err" ||
  polish_status=$?
/usr/lib/wine/wineserver -w
native_status=0
"$native" "$polish/Początek" >"$work/native-pl.out" 2>&1 || native_status=$?

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
tr -d '\r' <"$work/windows-pl.out" >"$work/windows-pl.txt"
if [[ $polish_status -ne $native_status ]] || ! grep -q '^disccheck: 0 errors' "$work/windows-pl.txt" ||
  ! diff <(grep -vF "disccheck: $polish/Początek: " "$work/native-pl.out") \
    <(grep -vF "disccheck: Z:${polish//\//\\}\\Początek: " "$work/windows-pl.txt"); then
  echo "on the Polish disc disccheck.exe exited with $polish_status, the Linux disccheck with $native_status (above: < Linux, > Windows)"
  fail=1
fi
cat "$work/windows.txt" "$work/windows.err" "$work/windows-version.out" "$work/windows-pl.txt" "$work/windows-pl.err"
exit $fail
