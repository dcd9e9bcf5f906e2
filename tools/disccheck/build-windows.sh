#!/usr/bin/env bash
# Builds disccheck as a Windows console program with MinGW-w64, from the same
# sources as the native one: build/disccheck-windows/disccheck.exe.
#   tools/disccheck/build-windows.sh [i686|x86_64]
set -euo pipefail
cd "$(dirname "$0")/../.."
arch="${1:-i686}"
out=build/disccheck-windows
mkdir -p "$out"
"$arch-w64-mingw32-g++" -std=c++17 -O2 -static -s \
  -include tools/disccheck/mingw_compat.h \
  -Isim/include -Isim -Isrc -Ires -Itools/disccheck \
  sim/*.cpp $(ls src/*.cpp | grep -v "/main.cpp$") \
  tools/disccheck/{disccheck,report,disc_files,machine,profile_file}.cpp \
  tools/disccheck/{config_check,bitmap_check,layout_check,prediction,regfile,main}.cpp \
  -o "$out/disccheck.exe"
echo "$out/disccheck.exe"
