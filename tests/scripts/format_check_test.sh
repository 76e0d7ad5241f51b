#!/usr/bin/env bash
# scripts/format.sh in a scratch tree with one formatted and one unformatted file, as a git
# repository and as an unpacked source archive: --check fails, names the unformatted file alone
# and changes nothing; formatting then lets it pass. Files outside the check are unformatted too:
# in a repository the untracked ones, in an archive those in build and hidden folders.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL ($kind): $*"; exit 1; }
readonly BAD='int  Bad( ){return 2;}'

# check KIND: KIND is "repository" or "archive"
check() {
    kind="$1"
    local repo="$scratch/$kind" out status=0
    mkdir -p "$repo/scripts" "$repo/src"
    cp "$here/../../scripts/format.sh" "$here/../../scripts/common.sh" "$repo/scripts/"
    cp "$here/../../.clang-format" "$repo/"
    printf 'int Good() { return 1; }\n' >"$repo/src/good.cpp"
    printf '%s\n' "$BAD" >"$repo/src/bad.h"
    if [ "$kind" = repository ]; then
        git -C "$repo" init -q
        git -C "$repo" add .
        printf '%s\n' "$BAD" >"$repo/src/outside.cpp"
    else
        mkdir -p "$repo/build-x/gen" "$repo/.hidden"
        touch "$repo/build-x/CMakeCache.txt"
        printf '%s\n' "$BAD" >"$repo/build-x/gen/outside.cpp"
        printf '%s\n' "$BAD" >"$repo/.hidden/outside.cpp"
    fi

    out="$("$repo/scripts/format.sh" --check 2>&1)" || status=$?
    [ "$status" -ne 0 ] || fail "--check passed an unformatted file: $out"
    grep -qx 'not formatted: src/bad.h' <<<"$out" || fail "--check did not name src/bad.h: $out"
    ! grep -q 'good.cpp\|outside.cpp' <<<"$out" || fail "--check named a file it should not: $out"
    grep -q 'Bad( )' "$repo/src/bad.h" || fail "--check changed the file"

    "$repo/scripts/format.sh" >/dev/null 2>&1
    out="$("$repo/scripts/format.sh" --check 2>&1)" || fail "--check fails after formatting: $out"
    grep -q 'all 2 files are formatted' <<<"$out" || fail "it did not check exactly two files: $out"
}

check archive
if command -v git >/dev/null; then
    check repository
else
    echo "git is missing: the repository case is skipped"
fi
echo "format check: passed"
