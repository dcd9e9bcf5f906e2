#!/usr/bin/env bash
# Prints the locale that gives Wine the ANSI code page N (Wine takes its
# code page from LC_ALL), after making sure the machine has it: the locale
# is generated with Debian's locales when missing, and a font that holds
# the code page's characters is installed, so that dialogs show text, not
# boxes. For 1252 it prints nothing: Wine's default, the environment as is.
#   scripts/wine-locale.sh N
# With --language, the locale of a user of that Windows language ID (4 hex
# digits): Wine takes the user's UI language from LC_ALL too, and the ANSI
# code page that language's Windows has. Prints the locale and that code
# page, e.g. "pl_PL.UTF-8 1250" for 0415, "de_CH.UTF-8 1252" for 0807.
#   scripts/wine-locale.sh --language XXXX
set -euo pipefail
usage='usage: scripts/wine-locale.sh CODEPAGE | --language XXXX'
cp=${1:?$usage}
language= locale=
if [[ "$cp" == --language ]]; then
  language=$(echo "${2:?$usage}" | tr a-f A-F)
  # Each language as glibc names its main locale, and its Windows' usual
  # ANSI code page.
  case "$language" in
    0401) locale=ar_SA cp=1256 ;;  0402) locale=bg_BG cp=1251 ;;  0403) locale=ca_ES cp=1252 ;;
    0404) locale=zh_TW cp=950 ;;   0405) locale=cs_CZ cp=1250 ;;  0406) locale=da_DK cp=1252 ;;
    0407) locale=de_DE cp=1252 ;;  0408) locale=el_GR cp=1253 ;;  0409) locale=en_US cp=1252 ;;
    040B) locale=fi_FI cp=1252 ;;  040C) locale=fr_FR cp=1252 ;;
    040D) locale=he_IL cp=1255 ;;  040E) locale=hu_HU cp=1250 ;;  040F) locale=is_IS cp=1252 ;;
    0410) locale=it_IT cp=1252 ;;  0411) locale=ja_JP cp=932 ;;   0412) locale=ko_KR cp=949 ;;
    0413) locale=nl_NL cp=1252 ;;  0414) locale=nb_NO cp=1252 ;;  0415) locale=pl_PL cp=1250 ;;
    0416) locale=pt_BR cp=1252 ;;  0418) locale=ro_RO cp=1250 ;;  0419) locale=ru_RU cp=1251 ;;
    041A) locale=hr_HR cp=1250 ;;  041B) locale=sk_SK cp=1250 ;;  041D) locale=sv_SE cp=1252 ;;
    041E) locale=th_TH cp=874 ;;   041F) locale=tr_TR cp=1254 ;;  0422) locale=uk_UA cp=1251 ;;
    0424) locale=sl_SI cp=1250 ;;  0425) locale=et_EE cp=1257 ;;  0426) locale=lv_LV cp=1257 ;;
    0427) locale=lt_LT cp=1257 ;;  042A) locale=vi_VN cp=1258 ;;  042D) locale=eu_ES cp=1252 ;;
    0804) locale=zh_CN cp=936 ;;   0807) locale=de_CH cp=1252 ;;  0809) locale=en_GB cp=1252 ;;
    080A) locale=es_MX cp=1252 ;;  080C) locale=fr_BE cp=1252 ;;  0810) locale=it_CH cp=1252 ;;
    0813) locale=nl_BE cp=1252 ;;  0814) locale=nn_NO cp=1252 ;;  0816) locale=pt_PT cp=1252 ;;
    0C04) locale=zh_HK cp=950 ;;   0C07) locale=de_AT cp=1252 ;;  0C09) locale=en_AU cp=1252 ;;
    0C0A) locale=es_ES cp=1252 ;;  0C0C) locale=fr_CA cp=1252 ;;  1004) locale=zh_SG cp=936 ;;
    1007) locale=de_LU cp=1252 ;;  1009) locale=en_CA cp=1252 ;;  100C) locale=fr_CH cp=1252 ;;
    1407) locale=de_LI cp=1252 ;;  1409) locale=en_NZ cp=1252 ;;  140C) locale=fr_LU cp=1252 ;;
    1809) locale=en_IE cp=1252 ;;  2C0A) locale=es_AR cp=1252 ;;
    *) echo "wine-locale: no locale for the language $2 (a Windows language ID such as 0407, 0415 or 0807)" >&2
       exit 2 ;;
  esac
fi
font=
case "$cp" in
  1252) [[ -n "$language" ]] || exit 0 ;;
  874) cp_locale=th_TH; font=fonts-tlwg-loma-ttf ;;
  932) cp_locale=ja_JP; font=fonts-wqy-microhei ;;
  936) cp_locale=zh_CN; font=fonts-wqy-microhei ;;
  949) cp_locale=ko_KR; font=fonts-wqy-microhei ;;
  950) cp_locale=zh_TW; font=fonts-wqy-microhei ;;
  1250) cp_locale=pl_PL ;;
  1251) cp_locale=ru_RU ;;
  1253) cp_locale=el_GR; font=fonts-dejavu-core ;;
  1254) cp_locale=tr_TR ;;
  1255) cp_locale=he_IL; font=fonts-dejavu-core ;;
  1256) cp_locale=ar_SA ;;
  1257) cp_locale=lt_LT ;;
  1258) cp_locale=vi_VN; font=fonts-dejavu-core ;;
  *) echo "wine-locale: no locale for code page $cp (874, 932, 936, 949, 950, 1250 to 1258)" >&2; exit 2 ;;
esac
# A language's own locale wins: de_CH.UTF-8 for 0807, not the code page's.
locale=${locale:-$cp_locale}
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
echo "$locale.UTF-8${language:+ $cp}"
