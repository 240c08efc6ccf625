#!/usr/bin/env bash
# The version the build writes (and the package carries): the project's version alone outside a
# git checkout; with the commit in one; marked ".dirty" when a tracked file is changed, a change is
# staged or a new file is not committed yet, and clean again once it is committed.
# Usage: version-marks-changes.sh SOURCE_DIR
set -uo pipefail
src="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
version() { # the version written for the tree in $1
  cmake -DSOURCE_DIR="$1" -DBINARY_DIR="$work/out" -DBASE_VERSION=3.4 -P "$src/cmake/WriteVersion.cmake" >/dev/null &&
    cat "$work/out/version.txt"
}
expect() { # description, pattern, actual
  if [[ "$3" =~ $2 ]]; then echo "ok: $1: $3"; else echo "FAIL: $1: $3 does not match $2"; status=1; fi
}
tree="$work/tree"
mkdir -p "$tree/cmake"
cp "$src/cmake/WriteVersion.cmake" "$src/cmake/ProgramVersion.cpp.in" "$src/cmake/version.txt.in" "$tree/cmake/"
echo one >"$tree/README"
expect "no git checkout" '^3\.4$' "$(version "$tree")"

git -C "$tree" init -q
git -C "$tree" -c user.name=t -c user.email=t@example.org add -A
git -C "$tree" -c user.name=t -c user.email=t@example.org commit -qm one
hash=$(git -C "$tree" rev-parse --short=8 HEAD)
expect "clean checkout" "^3\.4\+git1\.g${hash}$" "$(version "$tree")"
grep -q "\"3.4+git1.g${hash}\"" "$work/out/generated/ProgramVersion.cpp" || { echo "FAIL: ProgramVersion.cpp"; status=1; }

echo change >>"$tree/README"
expect "changed tracked file" "^3\.4\+git1\.g${hash}\.dirty$" "$(version "$tree")"
git -C "$tree" add -A
expect "staged change" '\.dirty$' "$(version "$tree")"
git -C "$tree" -c user.name=t -c user.email=t@example.org commit -qm two
expect "committed again" '^3\.4\+git2\.g[0-9a-f]{8}$' "$(version "$tree")"
touch "$tree/new-file"
expect "untracked file" '\.dirty$' "$(version "$tree")"
rm "$tree/new-file"
version "$tree" >/dev/null

# Only a changed version touches the generated files, so a build that changes nothing rebuilds nothing.
stamps() { stat -c '%n %y' "$work/out/version.txt" "$work/out/generated/ProgramVersion.cpp"; }
before=$(stamps)
sleep 1
version "$tree" >/dev/null
after=$(stamps)
[ "$before" = "$after" ] && echo "ok: unchanged version leaves the files alone" || { echo "FAIL: files rewritten"; status=1; }
exit $status
