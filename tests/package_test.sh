#!/usr/bin/env bash
# tools/package three times. Without GITHUB_REPOSITORY: no manifests. With a made-up one, twice: the same
# bytes both times, the zip and the exe the same as without, the zip holding the exe, the read-me and the
# licence; a BUILDINFO.txt that records every package of the build layer that can touch the bytes (all but
# git and unzip), each at the version dpkg reports; and manifests that Scoop and winget would take.
set -uo pipefail
cd "$(dirname "$0")/.."
source tools/packages
failed=0
fail() { echo "package test: $*"; failed=1; }
package() { tools/package >"$logs/package.txt" 2>&1 || { cat "$logs/package.txt"; echo "package test: tools/package failed"; exit 1; }; }
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
mkdir "$logs/bare" "$logs/first"
(unset GITHUB_REPOSITORY; package) || exit 1
grep -q 'no GITHUB_REPOSITORY' "$logs/package.txt" && ! ls dist/*.json >/dev/null 2>&1 || fail "manifests without GITHUB_REPOSITORY"
cp -p dist/* "$logs/bare/"
export GITHUB_REPOSITORY=Example-Owner/quintabela-timer
package
cp -p dist/* "$logs/first/"
package
for f in "$logs/first"/*; do cmp -s "$f" "dist/${f##*/}" || fail "${f##*/} differs between two runs"; done
for f in "$logs/bare"/Quintabela_Timer*; do cmp -s "$f" "dist/${f##*/}" || fail "${f##*/} differs with manifests"; done
python3 tests/manifests_check.py dist "$GITHUB_REPOSITORY" || failed=1
(cd dist && sha256sum --quiet --check SHA256SUMS) || fail "SHA256SUMS does not match the files"
zip=$(ls dist/Quintabela_Timer-*.zip)
[ "$(unzip -Z1 "$zip" | tr '\n' ' ')" = "Quintabela_Timer.exe LEIA-ME.txt LICENSE.txt " ] ||
  fail "the zip holds $(unzip -Z1 "$zip" | tr '\n' ' ')"
for p in "${qtimer_recorded_packages[@]}" $(printf '%s\n' "${qtimer_build_packages[@]}" | grep -vxE 'git|unzip'); do
  want="  $p $(dpkg-query -W -f='${Version}' "$p")"
  grep -qxF -- "$want" dist/BUILDINFO.txt || fail "BUILDINFO.txt lacks '$want'"
done
grep -qx "commit: $(git rev-parse HEAD).*" dist/BUILDINFO.txt || fail "BUILDINFO.txt names another commit"
[ $failed -eq 0 ] && echo "package test: two runs gave the same $(ls dist | wc -l) files; BUILDINFO.txt matches dpkg" || exit 1
