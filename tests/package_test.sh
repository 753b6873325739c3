#!/usr/bin/env bash
# tools/package twice: the same bytes both times, the zip holding the exe, the read-me and the licence, and a
# BUILDINFO.txt that records every package of the build layer that can touch the bytes (all but git and
# unzip), each at the version dpkg reports.
set -uo pipefail
cd "$(dirname "$0")/.."
source tools/packages
failed=0
fail() { echo "package test: $*"; failed=1; }
tools/package >/dev/null || { echo "package test: tools/package failed"; exit 1; }
first=$(mktemp -d)
trap 'rm -rf "$first"' EXIT
cp -p dist/* "$first/"
tools/package >/dev/null || { echo "package test: tools/package failed the second time"; exit 1; }
for f in "$first"/*; do cmp -s "$f" "dist/${f##*/}" || fail "${f##*/} differs between two runs"; done
(cd dist && sha256sum --quiet --check SHA256SUMS) || fail "SHA256SUMS does not match the files"
zip=$(ls dist/*.zip)
[ "$(unzip -Z1 "$zip" | tr '\n' ' ')" = "Quintabela_Timer.exe LEIA-ME.txt LICENSE.txt " ] ||
  fail "the zip holds $(unzip -Z1 "$zip" | tr '\n' ' ')"
for p in "${qt_recorded_packages[@]}" $(printf '%s\n' "${qt_build_packages[@]}" | grep -vxE 'git|unzip'); do
  want="  $p $(dpkg-query -W -f='${Version}' "$p")"
  grep -qxF -- "$want" dist/BUILDINFO.txt || fail "BUILDINFO.txt lacks '$want'"
done
grep -qx "commit: $(git rev-parse HEAD).*" dist/BUILDINFO.txt || fail "BUILDINFO.txt names another commit"
[ $failed -eq 0 ] && echo "package test: two runs gave the same $(ls dist | wc -l) files; BUILDINFO.txt matches dpkg" || exit 1
