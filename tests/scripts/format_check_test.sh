#!/usr/bin/env bash
# scripts/format.sh in a scratch repository with one formatted and one unformatted file:
# --check fails, names the unformatted file alone and changes nothing; formatting then lets it pass.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo="$(mktemp -d)"
trap 'rm -rf "$repo"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

mkdir -p "$repo/scripts" "$repo/src"
cp "$here/../../scripts/format.sh" "$here/../../scripts/common.sh" "$repo/scripts/"
cp "$here/../../.clang-format" "$repo/"
printf 'int Good() { return 1; }\n' >"$repo/src/good.cpp"
printf 'int  Bad( ){return 2;}\n' >"$repo/src/bad.h"
git -C "$repo" init -q
git -C "$repo" add .
# Only tracked files count.
printf 'int  Untracked( ){return 3;}\n' >"$repo/src/untracked.cpp"

status=0
out="$("$repo/scripts/format.sh" --check 2>&1)" || status=$?
[ "$status" -ne 0 ] || fail "--check passed an unformatted file: $out"
grep -qx 'not formatted: src/bad.h' <<<"$out" || fail "--check did not name src/bad.h: $out"
! grep -q 'good.cpp\|untracked.cpp' <<<"$out" || fail "--check named a file it should not: $out"
grep -q 'Bad( )' "$repo/src/bad.h" || fail "--check changed the file"

"$repo/scripts/format.sh" >/dev/null
"$repo/scripts/format.sh" --check >/dev/null || fail "--check fails after formatting"
echo "format check: passed"
