#!/usr/bin/env bash
# Shows the launcher on a disc under Wine: builds it (and disccheck, which
# makes the machines it runs on and which tools/make-image.sh uses next),
# lays out the disc as a CD-ROM drive and runs build/win32/launcher.exe from it.
#
#   ./demo.sh [DISC] [--all] [--registry FILE.reg] [--drive X:=FOLDER ...]
#             [--disc X:] [--launcher FILE] [--launcher-dir NAME] [--codepage N]
#             [--language XXXX]
#
# DISC is a disc's root folder, its launcher's folder or its image; without
# it, the sample disc. --all saves every screen the disc can show, one
# machine state after the other, to build/demo (gallery.png, gallery.html).
# With --registry, on a machine with those installation records (and
# --drive: the folders that stand for its disks). Without a display it
# starts an Xvfb screen, saves each window the launcher opens to build/demo,
# prints its path and cancels it, so the command ends by itself. Wine runs
# in a locale of the disc's code page (--codepage N, else install.ini's
# [INSTALL] CodePage=N, else Windows-1252's: the environment as it is);
# with --language XXXX, as a user of that Windows language (0415 Polish:
# pl_PL.UTF-8, code page 1250), and with --all a disc with [Texts.XXXX]
# sections is shown to a user of each language, a row of the gallery each.
# ./demo.sh --help says more.
#
# BUILD_WIN32 and BUILD_NATIVE name other build folders than the presets',
# DEMO_DIR another folder than build/demo.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
# Paths given relative to where the command was typed.
args=()
for a in "$@"; do
  if [[ "$a" != -* && -e "$a" ]]; then a=$(realpath "$a"); fi
  if [[ "$a" == [A-Za-z]:=* && -e "${a:3}" ]]; then a="${a:0:3}$(realpath "${a:3}")"; fi
  args+=("$a")
done
# Where the demo keeps its Wine prefix and writes what it shows.
demo_dir=$(realpath -m "${DEMO_DIR:-$root/build/demo}")
cd "$root"
for a in "$@"; do
  case "$a" in -h|--help) exec python3 tests/e2e/demo.py "$root" "$demo_dir" --help ;; esac
done

scripts/install-deps.sh

win32=${BUILD_WIN32:-build/win32}
native=${BUILD_NATIVE:-build/native}
if [[ -z "${BUILD_WIN32:-}" ]]; then
  cmake --preset win32 >/dev/null
else
  cmake -S . -B "$win32" -G Ninja --toolchain cmake/toolchain-mingw.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
fi
cmake --build "$win32" --target launcher
if [[ -z "${BUILD_NATIVE:-}" ]]; then
  cmake --preset native >/dev/null
else
  cmake -S . -B "$native" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=Debug >/dev/null
fi
# Only the programs the demo needs: disccheck, which makes the machines; the
# stand-in setup.exe, the probe that finds the launcher's window (and the
# 64-bit launcher, the last resort on a machine where 32-bit Windows
# programs cannot run).
cmake --build "$native" --target disccheck e2e_programs

e2e="$root/$native/tests/e2e"
export E2E_LAUNCHER="$root/$win32/launcher.exe"
export E2E_LAUNCHER64="$e2e/launcher64.exe"
export E2E_STANDIN32="$e2e/standin32.exe" E2E_STANDIN64="$e2e/standin64.exe"
export E2E_PROBE32="$e2e/probe32.exe" E2E_PROBE64="$e2e/probe64.exe"
export E2E_MARKER32="$e2e/marker32.dll" E2E_MARKER64="$e2e/marker64.dll"
export E2E_DEFAULT_BMP="$root/res/default.bmp"
export E2E_DISCCHECK="$root/$native/disccheck"
mkdir -p "$demo_dir"
python3 tests/e2e/demo.py "$root" "$demo_dir" ${args[@]+"${args[@]}"}
