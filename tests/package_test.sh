#!/usr/bin/env bash
# tools/package three times, each into a folder of its own, so that nothing an earlier run left in dist/
# counts. Without GITHUB_REPOSITORY: no manifests. With a made-up one, twice: once here, once from another
# clone at another path with a build tree of its own, in a time zone 14 hours from UTC (another local date
# and hour); both must give the same bytes, the zip and the exe the same as without manifests. The zip
# holds the exe, the read-me and the licence; BUILDINFO.txt records every package of the build layer that
# can touch the bytes (all but git and unzip), each at the version dpkg reports; and Scoop and winget would
# take the manifests.
set -uo pipefail
cd "$(dirname "$0")/.."
source tools/packages
failed=0
fail() { echo "package test: $*"; failed=1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
package() { # package NAME [the tools/package of another tree]
  local name=$1 script=${2:-tools/package}
  QTIMER_DIST="$work/$name" "$script" >"$work/$name.txt" 2>&1 ||
    { cat "$work/$name.txt"; echo "package test: $script failed"; exit 1; }
}
version=$(sed -n 's/^project(QuintabelaTimer VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

(unset GITHUB_REPOSITORY; package bare) || exit 1
grep -q 'no GITHUB_REPOSITORY' "$work/bare.txt" && ! ls "$work"/bare/*.json >/dev/null 2>&1 ||
  fail "manifests without GITHUB_REPOSITORY"
export GITHUB_REPOSITORY=Example-Owner/quintabela-timer
package first
# The other clone gets this tree's uncommitted changes too, so that a run before a commit compares the same
# sources (and the same "with changes not committed").
clone=$work/another-clone
git clone -q . "$clone" || exit 1
git diff HEAD --binary | git -C "$clone" apply --allow-empty || exit 1
git ls-files -o --exclude-standard -z | xargs -0 -r cp --parents -t "$clone"
TZ=UTC-14 package second "$clone/tools/package"

for f in "$work/first"/*; do
  cmp -s "$f" "$work/second/${f##*/}" || fail "${f##*/} differs between two clones in two time zones"
done
[ "$(ls "$work/first")" = "$(ls "$work/second")" ] || fail "the two runs made other files"
for f in "$work/bare"/Quintabela_Timer*; do cmp -s "$f" "$work/first/${f##*/}" || fail "${f##*/} differs with manifests"; done
python3 tests/manifests_check.py "$work/first" "$GITHUB_REPOSITORY" || failed=1
(cd "$work/first" && sha256sum --quiet --check SHA256SUMS) || fail "SHA256SUMS does not match the files"
zip=$work/first/Quintabela_Timer-$version.zip
[ "$(unzip -Z1 "$zip" | tr '\n' ' ')" = "Quintabela_Timer.exe LEIA-ME.txt LICENSE.txt " ] ||
  fail "the zip holds $(unzip -Z1 "$zip" | tr '\n' ' ')"
for p in "${qtimer_recorded_packages[@]}" $(printf '%s\n' "${qtimer_build_packages[@]}" | grep -vxE 'git|unzip'); do
  want="  $p $(dpkg-query -W -f='${Version}' "$p")"
  grep -qxF -- "$want" "$work/first/BUILDINFO.txt" || fail "BUILDINFO.txt lacks '$want'"
done
grep -qx "commit: $(git rev-parse HEAD).*" "$work/first/BUILDINFO.txt" || fail "BUILDINFO.txt names another commit"
grep -qx "Debian: [0-9]* ([a-z]*), [a-z0-9]*" "$work/first/BUILDINFO.txt" ||
  fail "BUILDINFO.txt's Debian line is not the release alone: $(grep '^Debian' "$work/first/BUILDINFO.txt")"
[ $failed -eq 0 ] || exit 1
echo "package test: two clones gave the same $(ls "$work/first" | wc -l) files; BUILDINFO.txt matches dpkg"
