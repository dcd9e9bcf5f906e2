#!/usr/bin/env bash
# Prints the locale that gives Wine the ANSI code page N (Wine takes its
# code page from LC_ALL), after making sure the machine has it: the locale
# is generated with Debian's locales when missing, and a font that holds
# the code page's characters is installed, so that dialogs show text, not
# boxes. For 1252 it prints nothing: Wine's default, the environment as is.
#   scripts/wine-locale.sh N
set -euo pipefail
cp=${1:?usage: scripts/wine-locale.sh CODEPAGE}
font=
case "$cp" in
  1252) exit 0 ;;
  874) locale=th_TH; font=fonts-tlwg-loma-ttf ;;
  932) locale=ja_JP; font=fonts-wqy-microhei ;;
  936) locale=zh_CN; font=fonts-wqy-microhei ;;
  949) locale=ko_KR; font=fonts-wqy-microhei ;;
  950) locale=zh_TW; font=fonts-wqy-microhei ;;
  1250) locale=pl_PL ;;
  1251) locale=ru_RU ;;
  1253) locale=el_GR; font=fonts-dejavu-core ;;
  1254) locale=tr_TR ;;
  1255) locale=he_IL; font=fonts-dejavu-core ;;
  1256) locale=ar_SA ;;
  1257) locale=lt_LT ;;
  1258) locale=vi_VN; font=fonts-dejavu-core ;;
  *) echo "wine-locale: no locale for code page $cp (874, 932, 936, 949, 950, 1250 to 1258)" >&2; exit 2 ;;
esac
SUDO=""
[[ $(id -u) -eq 0 ]] || SUDO="sudo"
need=()
for p in locales $font; do
  [[ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)" == "install ok installed" ]] || need+=("$p")
done
if [[ ${#need[@]} -gt 0 ]]; then
  echo "wine-locale: installing ${need[*]}" >&2
  $SUDO apt-get update -qq >&2
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >&2
fi
# glibc lists locales as ja_JP.utf8.
if ! locale -a 2>/dev/null | grep -qix "$locale.utf-\?8"; then
  echo "wine-locale: generating the locale $locale.UTF-8" >&2
  $SUDO localedef -i "$locale" -f UTF-8 "$locale.UTF-8" >&2
fi
echo "$locale.UTF-8"
