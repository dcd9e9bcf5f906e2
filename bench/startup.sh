#!/usr/bin/env bash
# Start-up benchmark (not a test): prints the file and section sizes of
# launcher.exe and the time from starting it under Wine until its splash
# window is on screen, as a ratio to the floor: startup_floor.exe, built the
# same way, which shows one empty dialog. The two are run alternately, several
# times each, and the medians compared.
#
#   bench/startup.sh [BUILD-DIR] [RUNS]
#
# BUILD-DIR holds launcher.exe and startup_floor.exe (default build/win32);
# RUNS is the number of timed runs of each (default 15). Wine runs in its own
# prefix under build/ on its own Xvfb display.
#
# Where this machine cannot run 32-bit Linux programs (a kernel without
# 32-bit emulation), the 32-bit Wine cannot run either. The timing then uses
# x86-64 builds of both programs, made here from the same sources with the
# same options, under the 64-bit Wine; the output says which was timed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/win32}" && pwd)
runs=${2:-15}
launcher=$build/launcher.exe
floor=$build/startup_floor.exe
for f in "$launcher" "$floor"; do
  [[ -f "$f" ]] || { echo "missing $f: build the win32 preset first" >&2; exit 2; }
done

work=$root/build/bench-startup
mkdir -p "$work"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# ---- sizes
echo "== sizes of $launcher"
file_size=$(stat -c %s "$launcher")
# Each section's size in memory, and what it takes in the file: up to the
# next section's start (the file alignment padding included).
names=(); sizes=(); offsets=()
while read -r _ name size _ _ offset _; do
  names+=("$name"); sizes+=($((16#$size))); offsets+=($((16#$offset)))
done < <(i686-w64-mingw32-objdump -h "$launcher" | grep -E '^ +[0-9]+ ')
printf "%-8s %9s %9s\n" section memory file
first=$file_size
for i in "${!names[@]}"; do
  (( sizes[i] > 0 && offsets[i] > 0 && offsets[i] < first )) && first=${offsets[i]}
done
printf "%-8s %9s %9d\n" headers "" "$first"
for i in "${!names[@]}"; do
  next=$file_size
  for j in "${!names[@]}"; do
    (( offsets[j] > offsets[i] && offsets[j] < next )) && next=${offsets[j]}
  done
  in_file=0
  (( offsets[i] > 0 )) && in_file=$((next - offsets[i]))
  printf "%-8s %9d %9d\n" "${names[i]}" "${sizes[i]}" "$in_file"
done
awk -v n="$file_size" -v f="$(stat -c %s "$floor")" \
  'BEGIN { printf "file: %d bytes (%.1f KiB); the floor program: %d bytes\n", n, n / 1024, f }'

# ---- which Wine
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  arch=win32
  wine=/usr/lib/wine/wine
  timed_launcher=$launcher
  timed_floor=$floor
else
  arch=win64
  wine=/usr/lib/wine/wine64
  echo "== this machine cannot run the 32-bit Wine: timing x86-64 builds of both programs"
  out=$work/win64
  mkdir -p "$out"
  codegen=(-Oz -flto -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-unwind-tables
           -fno-stack-protector -fno-threadsafe-statics -fno-ident -ffunction-sections)
  link=(-nostdlib -nostartfiles -s -Wl,--entry,LauncherEntry -Wl,--subsystem,windows -Wl,--gc-sections
        -Wl,-T,"$root/cmake/win32.ld")
  libs=(-lkernel32 -luser32 -lgdi32 -ladvapi32 -lshell32 -lgcc)
  (cd "$root/res" &&
   x86_64-w64-mingw32-windres -I "$root/res" launcher.rc -O coff -o "$out/launcher-res.o" &&
   x86_64-w64-mingw32-windres -I "$root/res" "$root/bench/startup_floor.rc" -O coff -o "$out/floor-res.o")
  x86_64-w64-mingw32-g++ "${codegen[@]}" -fno-lto -fno-builtin -fno-tree-loop-distribute-patterns \
    -c "$root"/src/win32/memory.cpp -o "$out/memory.o"
  x86_64-w64-mingw32-g++ "${codegen[@]}" -I"$root/src" -I"$root/res" "$root"/src/*.cpp "$out/memory.o" \
    "$out/launcher-res.o" "${link[@]}" "${libs[@]}" -o "$out/launcher.exe"
  x86_64-w64-mingw32-g++ "${codegen[@]}" "$root/bench/startup_floor.cpp" "$out/floor-res.o" \
    "${link[@]}" "${libs[@]}" -o "$out/startup_floor.exe"
  timed_launcher=$out/launcher.exe
  timed_floor=$out/startup_floor.exe
  printf "x86-64 builds: launcher %d bytes, floor %d bytes\n" \
    "$(stat -c %s "$timed_launcher")" "$(stat -c %s "$timed_floor")"
fi
export WINEARCH=$arch
export WINEPREFIX=$work/prefix-$arch

# ---- display and Wine
display=""
for n in $(seq 90 120); do
  if [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]]; then display=:$n; break; fi
done
[[ -n "$display" ]] || { echo "no free X display" >&2; exit 2; }
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
wineserver_started=0
cleanup() {
  if [[ $wineserver_started -eq 1 ]]; then wineserver -k >/dev/null 2>&1 || true; fi
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  echo "== creating the Wine prefix (once)"
  "$wine" wineboot -i >"$work/wineboot.log" 2>&1 || true
  "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    >>"$work/wineboot.log" 2>&1 || true
  # The registry reaches the disk when the Wine server ends.
  wineserver -w || true
  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    echo "Wine cannot make a $arch prefix here; no start-up figures (see $work/wineboot.log):" >&2
    tail -3 "$work/wineboot.log" >&2
    rm -rf "$WINEPREFIX"
    exit 2
  fi
fi
wineserver -p
wineserver_started=1

# The launcher runs from a disc folder with an install.ini naming one product
# that is not installed: the ordinary first-run path, splash with "&Install".
disc=$work/disc/LAUNCH
mkdir -p "$disc"
cp "$timed_launcher" "$disc/launcher.exe"
cp "$timed_floor" "$disc/startup_floor.exe"
printf '[INSTALL]\r\nConfigFile=1\r\nProductName=Startup Bench\r\nProduct=Paper\r\n\r\n[Paper]\r\nProgramName=Startup Bench\r\nVersion=1.0\r\n' \
  >"$disc/install.ini"

# Times one start: from just before the program starts until its window is
# mapped, in milliseconds (startup_wait, event-driven); then ends it.
waiter=$work/startup_wait
cc -O2 -o "$waiter" "$root/bench/startup_wait.c" -lX11
time_one() {
  (cd "$disc" && "$waiter" "$2" 30 "$work/wine.out" "$work/wine.err" "$wine" "$1") ||
    { echo "see $work/wine.err" >&2; return 1; }
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "== start-up under $("$wine" --version) ($arch), $runs runs each, alternated"
# One untimed run of each first, so neither pays for a cold cache alone.
time_one launcher.exe "Startup Bench" >/dev/null
time_one startup_floor.exe "Startup Floor" >/dev/null
: >"$work/launcher.ms"
: >"$work/floor.ms"
for i in $(seq "$runs"); do
  if (( i % 2 )); then
    l=$(time_one launcher.exe "Startup Bench"); f=$(time_one startup_floor.exe "Startup Floor")
  else
    f=$(time_one startup_floor.exe "Startup Floor"); l=$(time_one launcher.exe "Startup Bench")
  fi
  echo "$l" >>"$work/launcher.ms"
  echo "$f" >>"$work/floor.ms"
  printf "run %2d: launcher %5d ms   floor %5d ms\n" "$i" "$l" "$f"
done
lm=$(median <"$work/launcher.ms")
fm=$(median <"$work/floor.ms")
awk -v l="$lm" -v f="$fm" 'BEGIN { printf "median: launcher %s ms, floor %s ms, ratio %.3f\n", l, f, l / f }'
# Other load on the machine only ever adds time: the fastest runs show the
# programs' own cost most clearly.
lb=$(sort -n "$work/launcher.ms" | head -1)
fb=$(sort -n "$work/floor.ms" | head -1)
awk -v l="$lb" -v f="$fb" 'BEGIN { printf "fastest: launcher %s ms, floor %s ms, ratio %.3f\n", l, f, l / f }'
