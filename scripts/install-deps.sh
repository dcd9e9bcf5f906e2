#!/usr/bin/env bash
# Installs whatever the build and the tests need and the machine lacks.
# With --release, only what tools/release.sh needs: the Windows build and
# the packing.
set -euo pipefail

packages=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev
          g++-mingw-w64-i686 binutils-mingw-w64-i686
          wine wine32:i386 xvfb xdotool imagemagick x11-utils
          # The end-to-end tests: python3 drives them; the 64-bit Wine runs
          # 32-bit programs where qemu-i386 runs Wine's 32-bit loader, and
          # the 64-bit probe and launcher build.
          python3 wine64 g++-mingw-w64-x86-64
          # Wine's own fonts: Marlett draws the caption's close box; without it
          # a letter "r" shows there. The Wine prefixes get it in C:\windows\Fonts.
          fonts-wine
          # Wine in a Japanese or Polish locale for the tests of discs in code
          # pages 932 and 1250 (scripts/wine-locale.sh; the demo adds what
          # other code pages need), and the one font that holds Japanese,
          # Chinese and Korean.
          locales fonts-wqy-microhei
          # bench/startup.sh: its window waiter is built against Xlib.
          libx11-dev
          # disccheck reads disc images with libarchive; the tests make
          # images with xorriso and sign programs with osslsigncode.
          libarchive-dev xorriso osslsigncode openssl
          # tools/release.sh: the zip, and README.html rendered as GitHub
          # renders README.md; cpack's Debian package of disccheck.
          zip cmark-gfm dpkg-dev)
release=false
if [[ ${1:-} == --release ]]; then
  release=true
  packages=(cmake ninja-build g++-mingw-w64-i686 binutils-mingw-w64-i686 git zip cmark-gfm dpkg-dev xz-utils python3)
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
if [[ ${#missing[@]} -gt 0 ]]; then
  echo "installing: ${missing[*]}"
  SUDO=""
  [[ $(id -u) -eq 0 ]] || SUDO="sudo"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# disccheck.exe reads and writes images with libarchive, which Debian has
# no MinGW package of: built once from Debian's source, kept in build/.
"$(dirname "$0")/mingw-libarchive.sh"

# The tests run the shipped 32-bit launcher.exe: natively where the kernel
# runs 32-bit programs, otherwise through qemu-i386, fetched here. One line
# says which; without either, the end-to-end tests fall back to a 64-bit build.
$release || "$(dirname "$0")/wine32.sh" install || true
# The locales the end-to-end tests run Wine in, generated once here so that
# tests running side by side do not each make them.
if ! $release; then
  for cp in 932 1250; do "$(dirname "$0")/wine-locale.sh" "$cp" >/dev/null; done
  # German and Swiss German users, for the disc with language sections.
  for language in 0407 0807; do "$(dirname "$0")/wine-locale.sh" --language "$language" >/dev/null; done
fi
