#!/usr/bin/env bash
# tools/check-version on copies of this tree's version files: the tree's own tag passes, and a wrong tag, a
# tag without its "v" and a version record that says another number are each refused.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/tools" "$tree/res"
cp "$top/CMakeLists.txt" "$tree/"
cp "$top/tools/check-version" "$tree/tools/"
version=$(sed -n 's/^project(QuintabelaTimer VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
failed=0
expect() { # exit code wanted, what the version record's strings say, tag
  sed "s/^\( *VALUE \"[A-Za-z]*Version\", \"\).*\"/\1$2\"/" "$top/res/app.rc" >"$tree/res/app.rc"
  "$tree/tools/check-version" "$3" >/dev/null 2>&1
  local got=$?
  [ "$got" -eq "$1" ] || { echo "check-version $3 with strings \"$2\": exit $got, not $1"; failed=1; }
}
record=$(echo "$version" | sed 's/\./, /g')
expect 0 "$record" "v$version"
expect 1 "$record" "v$version.1"
expect 1 "$record" "$version"
expect 1 "9, 9, 9, 9" "v$version"
[ $failed -eq 0 ] && echo "version check: the 4 cases came out as expected" || exit 1
