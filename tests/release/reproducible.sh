#!/usr/bin/env bash
# The release is reproducible: tools/release.sh run in this tree and in a
# fresh clone at another path (one with a blank in it) makes zips with the
# same SHA-256. The clone builds everything anew; this tree's build is
# reused. The clone is of this tree's commit, with the changes not yet
# committed copied over, so that a run before a commit checks what is there.
#
#   tests/release/reproducible.sh [WORK-FOLDER]   (default build/release-check)
#
# On a difference it says which files in the two zips differ and exits 1;
# so it does when the zip's READMEs name what the zip does not hold.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=${1:-$root/build/release-check}
start=$SECONDS
rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)
other="$work/another clone"

# The clone borrows this repository's objects, so any commit checks out.
git clone -q --shared --no-checkout "$root" "$other"
git -C "$other" checkout -q --detach "$(git -C "$root" rev-parse HEAD)"
git -C "$root" diff --binary HEAD >"$work/uncommitted.diff"
if [[ -s "$work/uncommitted.diff" ]]; then
  git -C "$other" apply --whitespace=nowarn "$work/uncommitted.diff"
fi
(cd "$root" && git ls-files -z --others --exclude-standard | xargs -0 -r cp --parents -t "$other")

status=0
"$root/tools/release.sh" >"$work/here.log" 2>&1 || status=$?
if [[ $status -eq 0 ]]; then
  "$other/tools/release.sh" >"$work/clone.log" 2>&1 || status=$?
fi
if [[ $status -ne 0 ]]; then
  tail -n 30 "$work/here.log" "$work/clone.log" 2>/dev/null
  echo "release-check: tools/release.sh failed (logs in $work)" >&2
  exit 1
fi

zip_name=$(sed -n 's|^release: build/release/\(.*\.zip\)$|\1|p' "$work/here.log")
here="$root/build/release/$zip_name" there="$other/build/release/$zip_name"
a=$(sha256sum <"$here" | cut -d ' ' -f 1)
b=$(sha256sum <"$there" | cut -d ' ' -f 1)
echo "release-check: $zip_name built in $root: $a"
echo "release-check: $zip_name built in $other: $b"
if [[ $a != "$b" ]]; then
  mkdir -p "$work/here" "$work/there"
  unzip -q "$here" -d "$work/here"
  unzip -q "$there" -d "$work/there"
  diff -rq "$work/here" "$work/there" || true
  diff <(unzip -Z -v "$here" | grep -v 'offset of') <(unzip -Z -v "$there" | grep -v 'offset of') | head -n 20 || true
  echo "release-check: FAIL: two builds of one commit give different zips" >&2
  exit 1
fi
rm -rf "$other"
echo "release-check: the same zip from both builds ($((SECONDS - start)) s)"

# What a Windows author opens first: the guide for Windows, which names none
# of this repository's scripts or build folders, and the full README in
# docs/ with every picture it shows beside it.
stage="$root/build/release/${zip_name%.zip}"
for f in README.html docs/README.html; do
  [[ -f "$stage/$f" ]] || { echo "release-check: FAIL: the zip holds no $f" >&2; exit 1; }
done
if grep -nE '[A-Za-z_-]+\.sh\b|build/' "$stage/README.html"; then
  echo "release-check: FAIL: README.html names the above, which the zip does not hold" >&2
  exit 1
fi
for picture in $(sed -n 's/.*<img src="\([^"]*\)".*/\1/p' "$stage/docs/README.html"); do
  [[ -f "$stage/docs/$picture" ]] || { echo "release-check: FAIL: docs/README.html shows $picture, not in the zip" >&2; exit 1; }
done
echo "release-check: README.html is the guide for Windows; docs/README.html has its pictures beside it"
