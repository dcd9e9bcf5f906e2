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
# --list prints the languages it knows: ID, locale, code page and name.
set -euo pipefail
usage='usage: scripts/wine-locale.sh CODEPAGE | --language XXXX | --list'
cp=${1:?$usage}
# Each language: its ID, the glibc locale Wine takes it from, its Windows'
# usual ANSI code page, and its name.
languages="\
0401 ar_SA 1256 Arabic (Saudi Arabia)
0402 bg_BG 1251 Bulgarian
0403 ca_ES 1252 Catalan
0404 zh_TW 950  Chinese (Taiwan)
0405 cs_CZ 1250 Czech
0406 da_DK 1252 Danish
0407 de_DE 1252 German (Germany)
0408 el_GR 1253 Greek
0409 en_US 1252 English (United States)
040B fi_FI 1252 Finnish
040C fr_FR 1252 French (France)
040D he_IL 1255 Hebrew
040E hu_HU 1250 Hungarian
040F is_IS 1252 Icelandic
0410 it_IT 1252 Italian (Italy)
0411 ja_JP 932  Japanese
0412 ko_KR 949  Korean
0413 nl_NL 1252 Dutch (Netherlands)
0414 nb_NO 1252 Norwegian (Bokmal)
0415 pl_PL 1250 Polish
0416 pt_BR 1252 Portuguese (Brazil)
0418 ro_RO 1250 Romanian
0419 ru_RU 1251 Russian
041A hr_HR 1250 Croatian
041B sk_SK 1250 Slovak
041D sv_SE 1252 Swedish
041E th_TH 874  Thai
041F tr_TR 1254 Turkish
0422 uk_UA 1251 Ukrainian
0424 sl_SI 1250 Slovenian
0425 et_EE 1257 Estonian
0426 lv_LV 1257 Latvian
0427 lt_LT 1257 Lithuanian
042A vi_VN 1258 Vietnamese
042D eu_ES 1252 Basque
0804 zh_CN 936  Chinese (PRC)
0807 de_CH 1252 German (Switzerland)
0809 en_GB 1252 English (United Kingdom)
080A es_MX 1252 Spanish (Mexico)
080C fr_BE 1252 French (Belgium)
0810 it_CH 1252 Italian (Switzerland)
0813 nl_BE 1252 Dutch (Belgium)
0814 nn_NO 1252 Norwegian (Nynorsk)
0816 pt_PT 1252 Portuguese (Portugal)
0C04 zh_HK 950  Chinese (Hong Kong)
0C07 de_AT 1252 German (Austria)
0C09 en_AU 1252 English (Australia)
0C0A es_ES 1252 Spanish (Spain)
0C0C fr_CA 1252 French (Canada)
1004 zh_SG 936  Chinese (Singapore)
1007 de_LU 1252 German (Luxembourg)
1009 en_CA 1252 English (Canada)
100C fr_CH 1252 French (Switzerland)
1407 de_LI 1252 German (Liechtenstein)
1409 en_NZ 1252 English (New Zealand)
140C fr_LU 1252 French (Luxembourg)
1809 en_IE 1252 English (Ireland)
2C0A es_AR 1252 Spanish (Argentina)"
language= locale=
if [[ "$cp" == --list ]]; then
  echo "$languages"
  exit 0
fi
if [[ "$cp" == --language ]]; then
  language=$(echo "${2:?$usage}" | tr a-f A-F)
  read -r _ locale cp _ <<<"$(grep "^$language " <<<"$languages" || true)"
  if [[ -z "$locale" || ! "$language" =~ ^[0-9A-F]{4}$ ]]; then
    echo "wine-locale: no locale for the language $2 (a Windows language ID such as 0407, 0415 or 0807)" >&2
    exit 2
  fi
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
