#!/usr/bin/env bash
# Formats every tracked C++ file with clang-format and the repository's .clang-format.
# With --check, changes nothing, lists the files that are not formatted and then fails.
# Outside a git repository (a source archive, or no git at all) it takes every C++ file of the
# tree but those in hidden folders and in build folders (any folder with a CMakeCache.txt).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

command -v clang-format >/dev/null || die "clang-format is missing (Debian package clang-format)"
cd "$YUMO_ROOT"
list_files() {
    if command -v git >/dev/null 2>&1 &&
        [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$(pwd -P)" ]; then
        git ls-files -- '*.cpp' '*.h' '*.hpp' '*.cc'
        return
    fi
    echo "no git repository here: taking the C++ files that find lists" >&2
    local build_dirs=() prune=() dir
    mapfile -t build_dirs < <(find . -name CMakeCache.txt -printf '%h\n')
    for dir in "${build_dirs[@]}"; do prune+=(-o -path "$dir"); done
    find . \( -name '.?*' "${prune[@]}" \) -prune -o -type f \
        \( -name '*.cpp' -o -name '*.h' -o -name '*.hpp' -o -name '*.cc' \) -printf '%P\n' | sort
}
mapfile -t files < <(list_files)
[ "${#files[@]}" -gt 0 ] || { echo "no C++ files tracked"; exit 0; }
if [ "${1:-}" = "--check" ]; then
    log="$(mktemp)"
    trap 'rm -f "$log"' EXIT
    if clang-format --dry-run --Werror "${files[@]}" 2>"$log"; then
        echo "all ${#files[@]} files are formatted"
        exit 0
    fi
    # One "FILE:LINE:COLUMN: error: code should be clang-formatted" line per change it wants.
    wants='s/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p'
    mapfile -t unformatted < <(sed -n "$wants" "$log" | sort -u)
    [ "${#unformatted[@]}" -gt 0 ] || { cat "$log" >&2; die "clang-format failed"; }
    printf 'not formatted: %s\n' "${unformatted[@]}"
    die "${#unformatted[@]} of ${#files[@]} files are not formatted: run scripts/format.sh"
else
    clang-format -i "${files[@]}"
    echo "formatted ${#files[@]} files"
fi
