#!/usr/bin/env bash
# Formats every tracked C++ file with clang-format and the repository's .clang-format.
# With --check, changes nothing and fails when some file is not formatted.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

command -v clang-format >/dev/null || die "clang-format is missing (Debian package clang-format)"
cd "$YUMO_ROOT"
mapfile -t files < <(git ls-files -- '*.cpp' '*.h' '*.hpp' '*.cc')
[ "${#files[@]}" -gt 0 ] || { echo "no C++ files tracked"; exit 0; }
if [ "${1:-}" = "--check" ]; then
    clang-format --dry-run --Werror "${files[@]}"
    echo "all ${#files[@]} files are formatted"
else
    clang-format -i "${files[@]}"
    echo "formatted ${#files[@]} files"
fi
