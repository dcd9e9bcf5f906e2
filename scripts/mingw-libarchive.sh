#!/usr/bin/env bash
# Builds libarchive for 32-bit Windows (MinGW-w64), static, for
# disccheck.exe: Debian packages no MinGW libarchive, so it is built from
# Debian's own source package, the same release the Linux build links, so
# that both builds write an image the same way. Only what disccheck.exe
# links is compiled: the core, and the ISO 9660 reader and writer (21 of
# libarchive's 128 files); no compression library, no crypto, no XML, no
# iconv (on Windows libarchive converts names with the system's own calls).
# The result is kept in build/mingw-libarchive and reused while its stamp
# matches.
#
# Most of the time goes to libarchive's configure checks (some 225 probes,
# each a run of the cross compiler). Their results for this libarchive and
# this tool chain are kept in scripts/mingw-libarchive-checks.cmake and
# given to the configure, which then probes nothing; with another release of
# either, the checks run, and --record writes the file anew.
#
#   scripts/mingw-libarchive.sh [--record] [PREFIX]
#     PREFIX: by default $MINGW_LIBARCHIVE_DIR, else build/mingw-libarchive
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
record=false
if [[ ${1:-} == --record ]]; then
  record=true
  shift
fi
prefix=${1:-${MINGW_LIBARCHIVE_DIR:-$here/build/mingw-libarchive}}
mkdir -p "$prefix"
prefix=$(cd "$prefix" && pwd)
# The release the Linux build links; where that is not installed (a release
# machine), the one apt would install.
version=$(dpkg-query -W -f='${Version}' libarchive-dev 2>/dev/null || true)
[[ -n $version ]] || version=$(apt-cache policy libarchive-dev 2>/dev/null | sed -n 's/^ *Candidate: //p')
[[ -n $version && $version != "(none)" ]] || { echo "mingw-libarchive: no libarchive-dev known to apt" >&2; exit 1; }
# The files disccheck.exe's link takes from the library (its link map says
# which); a link that lacks a function names the file to add here.
objects=(archive_acl archive_check_magic archive_entry archive_entry_sparse archive_entry_xattr archive_options
         archive_rb archive_read archive_read_open_filename archive_read_set_options
         archive_read_support_format_iso9660 archive_string archive_string_sprintf archive_util archive_virtual
         archive_windows archive_write archive_write_open_fd archive_write_open_filename
         archive_write_set_format_iso9660 archive_write_set_options)
stamp="libarchive $version, i686-w64-mingw32, static: ${objects[*]}"
checks=$here/scripts/mingw-libarchive-checks.cmake
toolchain="libarchive $version; $(dpkg-query -W -f='${Package} ${Version}, ' gcc-mingw-w64-i686-win32 mingw-w64-i686-dev 2>/dev/null)"
if ! $record && [[ -f $prefix/lib/libarchive.a && -f $prefix/stamp && "$(cat "$prefix/stamp")" == "$stamp" ]]; then
  exit 0
fi

SUDO=""
[[ $(id -u) -eq 0 ]] || SUDO="sudo"
# apt-get source needs the archive's source entries: the same archive and
# suites as the binary ones already configured, as deb-src.
if ! apt-get source --print-uris -qq "libarchive=$version" >/dev/null 2>&1; then
  list=/etc/apt/sources.list.d/debian.sources
  [[ -f $list ]] || { echo "mingw-libarchive: no $list to take the archive's address from" >&2; exit 1; }
  sed -e 's/^Types: deb$/Types: deb-src/' "$list" | $SUDO tee /etc/apt/sources.list.d/cd-launcher-src.sources >/dev/null
  $SUDO apt-get update -qq
fi

work=$prefix/src
rm -rf "$work"
mkdir -p "$work"
(cd "$work" && apt-get source -qq "libarchive=$version" >"$work/apt-source.log" 2>&1) || {
  cat "$work/apt-source.log" >&2
  echo "mingw-libarchive: apt-get source libarchive=$version failed (above)" >&2
  exit 1
}
source_dir=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'libarchive-*' | head -1)
[[ -n $source_dir ]] || { echo "mingw-libarchive: no unpacked source in $work" >&2; exit 1; }

off=()
for feature in ACL BZip2 CAT CNG COVERAGE CPIO EXPAT ICONV LIBB2 LIBGCC LIBXML2 LZ4 LZMA LZO MBEDTLS NETTLE \
               OPENSSL PCREPOSIX PCRE2POSIX TAR TEST UNZIP WERROR XATTR ZLIB ZSTD; do
  off+=("-DENABLE_$feature=OFF")
done
preset=()
if ! $record && [[ -f $checks ]] && grep -qxF "# for: $toolchain" "$checks"; then
  preset=(-C "$checks")
fi
cmake "${preset[@]}" -S "$source_dir" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-mingw.cmake" -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DBUILD_SHARED_LIBS=OFF -DPOSIX_REGEX_LIB=NONE "${off[@]}" >"$work/configure.log" 2>&1 || {
  cat "$work/configure.log" >&2
  echo "mingw-libarchive: configuring libarchive failed (above)" >&2
  exit 1
}
if $record; then
  {
    echo "# libarchive's configure checks for i686-w64-mingw32, as scripts/mingw-libarchive.sh --record"
    echo "# found them; that script gives them to the configure when the line below names the"
    echo "# libarchive and the tool chain installed."
    echo "# for: $toolchain"
    grep -E '^[A-Za-z0-9_]+:INTERNAL=' "$work/build/CMakeCache.txt" | grep -vE '^(CMAKE_|_)' |
      sed -E 's/^([A-Za-z0-9_]+):INTERNAL=(.*)$/set(\1 "\2" CACHE INTERNAL "")/'
  } >"$checks"
fi
built=()
for o in "${objects[@]}"; do
  built+=("libarchive/CMakeFiles/archive_static.dir/$o.c.obj")
done
cmake --build "$work/build" -j2 --target "${built[@]}" >"$work/build.log" 2>&1 || {
  tail -50 "$work/build.log" >&2
  echo "mingw-libarchive: building libarchive failed (above)" >&2
  exit 1
}
mkdir -p "$prefix/lib" "$prefix/include"
rm -f "$prefix/lib/libarchive.a"
(cd "$work/build" && i686-w64-mingw32-ar rcsD "$prefix/lib/libarchive.a" "${built[@]}")
cp "$source_dir/libarchive/archive.h" "$source_dir/libarchive/archive_entry.h" "$prefix/include/"
rm -rf "$work"
echo "$stamp" >"$prefix/stamp"
echo "mingw-libarchive: built $stamp in $prefix"
