#!/usr/bin/env bash
# Makes the release for disc authors on Windows, from the win32 preset:
#
#   build/release/cd-launcher-VERSION-win32.zip
#
# holding launcher.exe, disccheck.exe, README.html (the guide for Windows,
# from docs/windows.md), docs/README.html (this repository's README.md, with
# the pictures it shows beside it), the sample discs laid out ready to copy
# (the built launcher in place, no stand-in installer: a note says where
# setup.exe goes), the sample machines, and SHA256SUMS for every file.
# The same commit gives the same zip, byte for byte, wherever it is built:
# the programs carry no path and no time, and the zip holds its files in
# sorted order, each with the commit's time, the same mode and no owner.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

case "${1:-}" in
  -h | --help)
    sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"
    exit 0
    ;;
  ?*)
    echo "release: takes no argument (tools/release.sh --help)" >&2
    exit 2
    ;;
esac

scripts/install-deps.sh --release

version=$(head -n 1 VERSION | tr -d '\r')
if [[ ! $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
  echo "release: VERSION holds \"$version\", not MAJOR.MINOR.PATCH" >&2
  exit 1
fi
# The zip's time stamps: the commit's time, unless SOURCE_DATE_EPOCH says
# otherwise; without either, the earliest time a zip can hold.
in_git=false
git rev-parse --is-inside-work-tree >/dev/null 2>&1 && in_git=true
epoch=${SOURCE_DATE_EPOCH:-}
if [[ -z $epoch ]] && $in_git; then
  epoch=$(git log -1 --format=%ct)
fi
epoch=${epoch:-315532800}
export SOURCE_DATE_EPOCH=$epoch
if $in_git && [[ -n $(git status --porcelain --untracked-files=no) ]]; then
  echo "release: note: the working tree has changes not committed; the zip is not of commit $(git rev-parse --short HEAD) alone"
fi

cmake --preset win32
cmake --build --preset win32

name=cd-launcher-$version-win32
out=build/release
stage=$out/$name
rm -rf "$stage" "$out/$name.zip"
mkdir -p "$stage"

cp build/win32/launcher.exe build/win32/disccheck.exe "$stage/"
# Markdown as a page of its own, titled with the release.
html_page() {
  printf '<!DOCTYPE html>\n<html lang="en">\n<head>\n<meta charset="utf-8">\n'
  printf '<title>CD AutoPlay Launcher %s</title>\n' "$version"
  printf '<style>body{max-width:60em;margin:2em auto;padding:0 1em;font-family:sans-serif;line-height:1.4}'
  printf 'pre{background:#f4f4f4;padding:.6em;overflow:auto}table{border-collapse:collapse}'
  printf 'th,td{border:1px solid #ccc;padding:.2em .5em;vertical-align:top}</style>\n</head>\n<body>\n'
  cmark-gfm --extension table --extension autolink --extension strikethrough --to html
  printf '</body>\n</html>\n'
}
# The zip's own README is the guide for Windows, its commands as typed in
# cmd.exe; the repository's README, which speaks of building and testing on
# Linux, goes into docs/ with the pictures it shows, which it names as docs/.
sed "s/@VERSION@/$version/g" docs/windows.md | html_page >"$stage/README.html"
mkdir -p "$stage/docs"
if compgen -G 'docs/*.png' >/dev/null; then
  cp docs/*.png "$stage/docs/"
fi
html_page <README.md | sed 's#\(src\|href\)="docs/#\1="#g' >"$stage/docs/README.html"

# The samples: every disc folder (samples/disc*), and every folder that holds
# a machine (.reg), with the drive folders beside it. The files are those in
# git, so nothing built or left over comes along; without git, every file.
if $in_git; then
  mapfile -d '' samples < <(git ls-files -z -- samples)
else
  mapfile -d '' samples < <(find samples -type f -print0)
fi
machine_dirs=()
for f in "${samples[@]}"; do
  [[ $f == *.reg && $f != samples/disc*/* ]] && machine_dirs+=("$(dirname "$f")")
done
for f in "${samples[@]}"; do
  [[ -f $f ]] || continue
  take=false
  if [[ $f == samples/disc*/* ]]; then
    rest=${f#samples/*/}
    # The programs are the build's: the launcher is laid in below, the
    # installer is the disc author's own.
    [[ ${rest,,} == setup.exe || ${rest,,} == */launcher.exe || ${rest,,} == launcher.exe ]] || take=true
  else
    for d in "${machine_dirs[@]}"; do
      if [[ $d == samples ]]; then
        [[ $f == samples/*.reg && ${f#samples/} != */* ]] && take=true
      elif [[ $f == "$d"/* ]]; then
        take=true
      fi
    done
  fi
  if $take; then
    mkdir -p "$stage/$(dirname "$f")"
    cp "$f" "$stage/$f"
  fi
done
# Each disc's launcher goes where its install.ini is; the installer one
# folder up, where a note stands in for it.
discs=0
for disc in "$stage"/samples/disc*/; do
  [[ -d $disc ]] || continue
  discs=$((discs + 1))
  installer=setup.exe
  while IFS= read -r -d '' ini; do
    cp build/win32/launcher.exe "$(dirname "$ini")/launcher.exe"
    installer=$(samples/installer-path.sh "$(dirname "$ini")")
  done < <(find "$disc" -iname install.ini -print0)
  if [[ $installer == setup.exe ]]; then
    printf '%s\r\n' \
      "Put the products' installer here, in the disc root, named setup.exe." \
      "" \
      "The launcher starts it for \"&Install\" and to repair an installation:" \
      "it looks for setup.exe one folder up from its own folder. disccheck reports" \
      "an error until it is here. Delete this note before the image is made." \
      >"$disc/setup.exe goes here.txt"
  else
    # A disc whose install.ini names its installer (Installer=).
    mkdir -p "$disc/$(dirname "$installer")"
    printf '%s\r\n' \
      "Put the products' installer here, named $(basename "$installer")." \
      "" \
      "The launcher starts it for \"&Install\" and to repair an installation:" \
      "install.ini names it, ${installer//\//\\} below the disc root. disccheck" \
      "reports an error until it is here. Delete this note before the image is made." \
      >"$disc/$(dirname "$installer")/$(basename "$installer") goes here.txt"
  fi
done
if [[ $discs -eq 0 ]]; then
  echo "release: no sample disc (samples/disc*) to lay out" >&2
  exit 1
fi

# Checksums of everything else, in the order the zip holds it.
(cd "$stage" && find . -type f -printf '%P\0' | LC_ALL=C sort -z | xargs -0 sha256sum) >"$out/SHA256SUMS.tmp"
mv "$out/SHA256SUMS.tmp" "$stage/SHA256SUMS"

# What the zip records of each file besides its bytes, made the same on
# every machine: its mode, its time (in UTC) and nothing of its owner (-X).
find "$stage" -type d -exec chmod 755 {} + -o -type f -exec chmod 644 {} +
find "$stage" -exec touch -h -d "@$epoch" {} +
(cd "$out" && find "$name" -type f | LC_ALL=C sort | TZ=UTC zip -X -D -9 -q -@ "$name.zip")
# The names beyond ASCII (the Japanese sample's folders) are UTF-8, and
# marked so, as Windows' Explorer reads them.
python3 tools/zip-utf8-names.py "$out/$name.zip"

echo "release: $out/$name.zip"
unzip -l "$out/$name.zip" | sed -n '4,/^-----/{/^-----/d;s/^ *\([0-9]*\) .*[0-9][0-9]:[0-9][0-9]   /  \1\t/;p}'
echo "release: SHA-256 $(sha256sum "$out/$name.zip" | cut -d ' ' -f 1)"
