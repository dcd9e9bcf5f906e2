#!/usr/bin/env bash
# Runs 32-bit Windows programs under Wine on this machine, whichever way it
# can: launcher.exe is a 32-bit program, and the tests run that very file.
#
#   scripts/wine32.sh how          one line: how 32-bit programs run here
#                                  ("native 32-bit Wine", "qemu-i386 10.0.2"),
#                                  or "none: <why>" and exit status 1
#   scripts/wine32.sh install      sets up what that needs (apt, as root or
#                                  with sudo) and prints the same line
#   scripts/wine32.sh run CMD ...  runs CMD where Wine can start 32-bit
#                                  programs: as it is when the kernel runs
#                                  32-bit Linux programs, otherwise in a
#                                  private namespace that hands every i386
#                                  program to qemu-i386
#
# Some kernels are booted without 32-bit emulation, and then Wine's 32-bit
# loader cannot start. The rest of Wine is 64-bit and native; only that
# loader, and the 32-bit Windows code it runs, go through qemu-i386 (user
# mode, QEMU 8 or newer: older ones do not honour MAP_FIXED_NOREPLACE and
# Wine's address-space reservation crawls for minutes). The emulator is
# registered with binfmt_misc in a user namespace of its own (Linux 6.7 and
# later give each one its own binfmt_misc), never system-wide, where it would
# take over every i386 program on the machine. Inside, call wine64, never
# /usr/bin/wine, in a 64-bit prefix: wine64 starts the 32-bit loader for a
# PE32 file by itself, so the program meets WOW64 as on 64-bit Windows.
#
# QEMU_I386 names the emulator; by default the one this script installs.
# WINE32_VIA=native, qemu or none makes "how" and "run" take that way only
# (qemu works where the kernel runs 32-bit programs too: to try it there).
set -euo pipefail

WINE32_LOADER=/usr/lib/wine/wine
QEMU_DEFAULT=/usr/local/lib/launcher-tests/qemu-i386
qemu=${QEMU_I386:-$QEMU_DEFAULT}
here=$(cd "$(dirname "$0")" && pwd)

# The i386 ELF executable magic and mask, as Debian's qemu-user registers them.
I386_MAGIC='\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
I386_MASK='\xff\xff\xff\xff\xff\xfe\xfe\xfc\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

native_runs() {
  "$WINE32_LOADER" --version >/dev/null 2>&1
}

qemu_version() {
  local v
  v=$("$qemu" --version 2>/dev/null | sed -n '1s/^qemu-i386 version \([0-9][0-9.]*\).*/\1/p')
  [[ -n "$v" && ${v%%.*} -ge 8 ]] && echo "$v"
}

# Inside the namespace: binfmt_misc of its own, qemu-i386 for i386 programs.
enter() {
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  printf ':qemu-i386:M::%s:%s:%s:FOC' "$I386_MAGIC" "$I386_MASK" "$qemu" >/proc/sys/fs/binfmt_misc/register
  export WINELOADER=/usr/lib/wine/wine64 WINE32_HOW="qemu-i386 $(qemu_version)"
  exec "$@"
}

in_namespace() {
  unshare --user --map-root-user --mount --propagation private -- "$here/wine32.sh" __enter "$@"
}

how() {
  case "${WINE32_VIA:-}" in
    none) echo "none: WINE32_VIA=none"; return 1 ;;
    native) native_runs && echo "native 32-bit Wine" && return 0
            echo "none: WINE32_VIA=native, and Wine's 32-bit loader does not run here"; return 1 ;;
  esac
  if [[ "${WINE32_VIA:-}" != qemu ]] && native_runs; then
    echo "native 32-bit Wine"
    return 0
  fi
  [[ -x "$WINE32_LOADER" ]] || { echo "none: Wine's 32-bit loader (wine32:i386) is not installed"; return 1; }
  local v
  v=$(qemu_version) || { echo "none: the kernel runs no 32-bit programs and no qemu-i386 8 or newer is at $qemu"; return 1; }
  if ! in_namespace "$WINE32_LOADER" --version >/dev/null 2>&1; then
    echo "none: the kernel runs no 32-bit programs and qemu-i386 $v cannot be registered in a private namespace (Linux 6.7 or newer needed)"
    return 1
  fi
  echo "qemu-i386 $v"
}

# Fetches qemu-user from the release's backports with an apt configuration of
# its own (own sources and lists), so the machine's sources stay as they are,
# and keeps only the static qemu-i386.
install_qemu() {
  local codename tmp apt_opts sudo=""
  [[ $(id -u) -eq 0 ]] || sudo=sudo
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [[ -n "$codename" ]] || { echo "wine32: no Debian release name in /etc/os-release" >&2; return 1; }
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' RETURN
  mkdir -p "$tmp/lists/partial" "$tmp/cache/archives/partial" "$tmp/sources" "$tmp/preferences"
  cat >"$tmp/sources/backports.sources" <<EOF
Types: deb
URIs: http://deb.debian.org/debian
Suites: $codename-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  apt_opts=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$tmp/sources"
            -o Dir::State::Lists="$tmp/lists" -o Dir::Cache="$tmp/cache"
            -o Dir::Etc::Preferences=/dev/null -o Dir::Etc::PreferencesParts="$tmp/preferences"
            -o APT::Sandbox::User=root -qq)
  apt-get "${apt_opts[@]}" update >/dev/null
  (cd "$tmp" && apt-get "${apt_opts[@]}" download qemu-user >/dev/null)
  dpkg-deb --fsys-tarfile "$tmp"/qemu-user_*.deb | tar -x -C "$tmp" ./usr/bin/qemu-i386
  $sudo install -D -m 755 "$tmp/usr/bin/qemu-i386" "$qemu"
}

case "${1:-}" in
  how)
    how
    ;;
  install)
    if { [[ "${WINE32_VIA:-}" == qemu ]] || ! native_runs; } && [[ -x "$WINE32_LOADER" ]] &&
       ! qemu_version >/dev/null; then
      install_qemu
    fi
    line=$(how) && status=0 || status=$?
    echo "32-bit Windows programs: $line"
    exit "$status"
    ;;
  run)
    shift
    line=$(how) || { echo "wine32: $line" >&2; exit 1; }
    if [[ "$line" == native* ]]; then
      WINE32_HOW=$line exec "$@"
    fi
    in_namespace "$@"
    ;;
  __enter)
    shift
    enter "$@"
    ;;
  *)
    sed -n '4,13p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
    ;;
esac
