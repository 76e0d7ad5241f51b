#!/usr/bin/env bash
# Makes the default companion in BUILD_DIR/data: yumo-character-art draws her pictures and
# masks into data/img/ with the lists Image.txt and Mask.txt and the animation script
# Anime.txt, then `yumo-tool character build` compiles them into data/ymv/Yumone.ymi.
# Does nothing when the character file is newer than the programs that make it.
# Usage: scripts/make_default_character.sh BUILD_DIR
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
build_dir="$(cd "$1" && pwd)"
tool="$build_dir/yumo-tool"
art="$build_dir/yumo-character-art"
data="$build_dir/data"
output="$data/ymv/Yumone.ymi"

for program in "$tool" "$art"; do
    [ -x "$program" ] || die "$program is missing: build first (scripts/setup.sh, with YUMO_GUI on)"
done

if [ -e "$output" ] && [ -e "$data/img/Image.txt" ] &&
    [ -z "$(find "${BASH_SOURCE[0]}" "$tool" "$art" -newer "$output")" ]; then
    echo "default character: $output (up to date)"
    exit 0
fi

mkdir -p "$data/img" "$data/ymv"
rm -f "$data"/img/p[0-9][0-9].png "$data"/img/m[0-9][0-9].png
"$art" "$data/img"
# The lists name "img/..." relative to the data folder, the program's working folder.
"$tool" character build "$data/img/Image.txt" "$data/img/Mask.txt" "$output" \
    --script "$data/img/Anime.txt" --base "$data"
echo "default character: $output"
