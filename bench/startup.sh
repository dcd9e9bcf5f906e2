#!/usr/bin/env bash
# Start-up benchmark (not a test): prints the file and section sizes of
# launcher.exe and the time from starting it under Wine until its splash
# window is on screen, as a ratio to the floor: startup_floor.exe, built the
# same way, which shows one empty dialog. The two are run alternately, several
# times each, and the medians compared.
#
#   bench/startup.sh [BUILD-DIR] [RUNS] [BEFORE-EXE]
#
# BUILD-DIR holds launcher.exe and startup_floor.exe (default build/win32);
# RUNS is the number of timed runs of each (default 15). BEFORE-EXE, another
# 32-bit launcher.exe (an earlier build, say), is timed in the same runs,
# interleaved with the other two, and its ratio to the same floor printed
# beside the launcher's. Wine runs in its own prefixes under build/ on its
# own Xvfb display.
#
# Two pairs are timed in the same run, their runs interleaved: the shipped
# 32-bit files, the way scripts/wine32.sh runs 32-bit programs here (natively,
# or with Wine's 32-bit loader under qemu-i386), and x86-64 builds of both
# programs, made here from the same sources with the same options, under the
# 64-bit Wine. Where 32-bit programs cannot run at all, only the second.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# How 32-bit programs run here: the script goes on under scripts/wine32.sh.
if [[ -z "${WINE32_HOW:-}" && -z "${BENCH_NO_WINE32:-}" ]]; then
  if scripts_how=$("$root/scripts/wine32.sh" how); then
    exec "$root/scripts/wine32.sh" run "$0" "$@"
  fi
  export BENCH_NO_WINE32=$scripts_how
fi
build=$(cd "${1:-$root/build/win32}" && pwd)
runs=${2:-15}
launcher=$build/launcher.exe
floor=$build/startup_floor.exe
for f in "$launcher" "$floor"; do
  [[ -f "$f" ]] || { echo "missing $f: build the win32 preset first" >&2; exit 2; }
done
before=""
if [[ -n "${3:-}" ]]; then
  [[ -f "$3" ]] || { echo "missing $3: the launcher to compare with" >&2; exit 2; }
  before=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")
fi

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

# ---- the x86-64 builds
out=$work/win64
mkdir -p "$out"
codegen=(-Oz -flto -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-unwind-tables
         -fno-stack-protector -fno-threadsafe-statics -fno-ident -ffunction-sections)
link=(-nostdlib -nostartfiles -s -Wl,--entry,LauncherEntry -Wl,--subsystem,windows -Wl,--gc-sections
      -Wl,-T,"$root/cmake/win32.ld")
libs=(-lkernel32 -luser32 -lgdi32 -ladvapi32 -lgcc)
(cd "$root/res" &&
 x86_64-w64-mingw32-windres -I "$root/res" launcher.rc -O coff -o "$out/launcher-res.o" &&
 x86_64-w64-mingw32-windres -I "$root/res" "$root/bench/startup_floor.rc" -O coff -o "$out/floor-res.o")
x86_64-w64-mingw32-g++ "${codegen[@]}" -fno-lto -fno-builtin -fno-tree-loop-distribute-patterns \
  -c "$root"/src/win32/memory.cpp -o "$out/memory.o"
x86_64-w64-mingw32-g++ "${codegen[@]}" -I"$root/src" -I"$root/res" "$root"/src/*.cpp "$out/memory.o" \
  "$out/launcher-res.o" "${link[@]}" "${libs[@]}" -o "$out/launcher.exe"
x86_64-w64-mingw32-g++ "${codegen[@]}" "$root/bench/startup_floor.cpp" "$out/floor-res.o" \
  "${link[@]}" "${libs[@]}" -o "$out/startup_floor.exe"
printf "x86-64 builds: launcher %d bytes, floor %d bytes\n" \
  "$(stat -c %s "$out/launcher.exe")" "$(stat -c %s "$out/startup_floor.exe")"

# ---- the pairs: label, Wine loader, Wine server, prefix, launcher, floor
labels=(); archs=(); loaders=(); servers=(); prefixes=(); launchers=(); floors=()
if [[ -n "${WINE32_HOW:-}" ]]; then
  labels+=("32-bit, $WINE32_HOW")
  launchers+=("$launcher"); floors+=("$floor")
  if [[ "$WINE32_HOW" == native* ]]; then
    archs+=(win32); loaders+=(/usr/lib/wine/wine); servers+=(/usr/lib/wine/wineserver)
  else
    archs+=(win64); loaders+=(/usr/lib/wine/wine64); servers+=(/usr/lib/wine/wineserver64)
  fi
else
  echo "== 32-bit programs cannot run here (${BENCH_NO_WINE32:-}): the shipped launcher.exe is NOT timed"
fi
labels+=("x86-64, 64-bit Wine")
archs+=(win64); loaders+=(/usr/lib/wine/wine64); servers+=(/usr/lib/wine/wineserver64)
launchers+=("$out/launcher.exe"); floors+=("$out/startup_floor.exe")

for a in "${archs[@]}"; do prefixes+=("$work/prefix-$a"); done

# ---- display and Wine
display=""
for n in $(seq 90 120); do
  if [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]]; then display=:$n; break; fi
done
[[ -n "$display" ]] || { echo "no free X display" >&2; exit 2; }
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
started=(); stop=()
cleanup() {
  for i in ${started[@]+"${!started[@]}"}; do
    WINEPREFIX=${started[i]} "${stop[i]}" -k >/dev/null 2>&1 || true
  done
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

for i in "${!labels[@]}"; do
  export WINEPREFIX=${prefixes[i]} WINEARCH=${archs[i]} WINELOADER=${loaders[i]} WINESERVER=${servers[i]}
  arch=${archs[i]}
  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    echo "== creating the $arch Wine prefix (once)"
    "$WINELOADER" wineboot -i >"$work/wineboot-$arch.log" 2>&1 || true
    "$WINELOADER" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
      >>"$work/wineboot-$arch.log" 2>&1 || true
    # The registry reaches the disk when the Wine server ends.
    "$WINESERVER" -w || true
    if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
      echo "Wine cannot make a $arch prefix here; no start-up figures (see $work/wineboot-$arch.log):" >&2
      tail -3 "$work/wineboot-$arch.log" >&2
      rm -rf "$WINEPREFIX"
      exit 2
    fi
  fi
  # One server a prefix: both pairs may share the 64-bit one.
  if [[ " ${started[*]+"${started[*]}"} " != *" $WINEPREFIX "* ]]; then
    "$WINESERVER" -p
    started+=("$WINEPREFIX")
    stop+=("$WINESERVER")
  fi

  # The launcher runs from a disc folder with an install.ini naming one
  # product that is not installed: the ordinary first-run path, splash with
  # "&Install".
  disc=$work/disc$i/LAUNCH
  mkdir -p "$disc"
  cp "${launchers[i]}" "$disc/launcher.exe"
  cp "${floors[i]}" "$disc/startup_floor.exe"
  # The earlier launcher goes with the shipped 32-bit pair only.
  rm -f "$disc/before.exe"
  [[ -n "$before" && -n "${WINE32_HOW:-}" && $i -eq 0 ]] && cp "$before" "$disc/before.exe"
  printf '[INSTALL]\r\nConfigFile=1\r\nProductName=Startup Bench\r\nProduct=Paper\r\n\r\n[Paper]\r\nProgramName=Startup Bench\r\nVersion=1.0\r\n' \
    >"$disc/install.ini"
done

# Times one start of pair $1's program $2 (window name $3): from just before
# it starts until its window is mapped, in milliseconds (startup_wait,
# event-driven); then ends it.
waiter=$work/startup_wait
cc -O2 -o "$waiter" "$root/bench/startup_wait.c" -lX11
time_one() {
  (export WINEPREFIX=${prefixes[$1]} WINEARCH=${archs[$1]} WINELOADER=${loaders[$1]} WINESERVER=${servers[$1]}
   cd "$work/disc$1/LAUNCH" && "$waiter" "$3" 60 "$work/wine.out" "$work/wine.err" "${loaders[$1]}" "$2") ||
    { echo "see $work/wine.err" >&2; return 1; }
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "== start-up under $(/usr/lib/wine/wine64 --version), $runs runs each, alternated"
for i in "${!labels[@]}"; do echo "pair $i: ${labels[i]}"; done
if [[ -n "$before" ]]; then
  if [[ -f "$work/disc0/LAUNCH/before.exe" ]]; then
    echo "pair 0 also times the earlier launcher $before"
  else
    echo "== the earlier launcher is NOT timed: 32-bit programs cannot run here"
  fi
fi
# Pair $1's programs; the earlier launcher's window is the launcher's.
programs() {
  echo launcher.exe startup_floor.exe
  [[ -f "$work/disc$1/LAUNCH/before.exe" ]] && echo before.exe
  return 0
}
window_of() { [[ $1 == startup_floor.exe ]] && echo "Startup Floor" || echo "Startup Bench"; }
# One untimed run of each first, so none pays for a cold cache alone.
for i in "${!labels[@]}"; do
  for p in $(programs "$i"); do
    time_one "$i" "$p" "$(window_of "$p")" >/dev/null
    : >"$work/${p%.exe}$i.ms"
  done
done
for r in $(seq "$runs"); do
  line=$(printf "run %2d:" "$r")
  for i in "${!labels[@]}"; do
    # Each run takes the programs in a turned order, so none is always first.
    read -r -a list <<<"$(programs "$i" | tr '\n' ' ')"
    n=${#list[@]}
    line+=$(printf "   pair %d:" "$i")
    for k in $(seq 0 $((n - 1))); do
      p=${list[$(((k + r + i) % n))]}
      t=$(time_one "$i" "$p" "$(window_of "$p")")
      echo "$t" >>"$work/${p%.exe}$i.ms"
      line+=$(printf " %s %5d ms" "${p%.exe}" "$t")
    done
  done
  echo "$line"
done
ratios() { # program label pair
  local m f b fb
  m=$(median <"$work/$1$3.ms"); f=$(median <"$work/startup_floor$3.ms")
  awk -v l="$m" -v f="$f" -v n="$2" 'BEGIN { printf "median: %s %s ms, floor %s ms, ratio %.3f\n", n, l, f, l / f }'
  # Other load on the machine only ever adds time: the fastest runs show the
  # programs' own cost most clearly.
  b=$(sort -n "$work/$1$3.ms" | head -1); fb=$(sort -n "$work/startup_floor$3.ms" | head -1)
  awk -v l="$b" -v f="$fb" -v n="$2" 'BEGIN { printf "fastest: %s %s ms, floor %s ms, ratio %.3f\n", n, l, f, l / f }'
}
for i in "${!labels[@]}"; do
  echo "== ${labels[i]}"
  ratios launcher launcher "$i"
  [[ -f "$work/disc$i/LAUNCH/before.exe" ]] && ratios before "earlier launcher" "$i"
done
