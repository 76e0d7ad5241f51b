#!/usr/bin/env bash
# Fuzzing beyond CI: runs every libFuzzer target (or the ones named) on its corpus for SECONDS
# each (default 600), one after another on one core, with -rss_limit_mb=512. New inputs that
# add coverage are merged back into fuzz/corpus/<target>/ with -merge=1, within a budget of
# 300 KB (gzip-compressed, as the repository stores them) per target. Prints each target's
# executions and peak memory; exits 1 when a target found a fault, whose input is kept in
# fuzz/artifacts/<target>/.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
# Environment: YUMO_FUZZ_RUNS stops a target early once it ran that many inputs;
# YUMO_FUZZ_BUILD_DIR (default build-fuzz) is configured and built with clang when missing.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

seconds="${1:-600}"
shift || true
[[ "$seconds" =~ ^[0-9]+$ ]] || die "SECONDS must be a whole number, not '$seconds'"
build="${YUMO_FUZZ_BUILD_DIR:-$YUMO_ROOT/build-fuzz}"
runs="${YUMO_FUZZ_RUNS:--1}"
readonly budget_bytes=$((300 * 1024))
# AddressSanitizer keeps 256 MB of freed memory in quarantine by default; with readers that may
# legitimately inflate a small file to a hundred megabytes that alone would pass the 512 MB limit.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}quarantine_size_mb=32"

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$YUMO_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DYUMO_FUZZ=ON -DYUMO_TESTS=OFF \
        -DYUMO_BENCH=OFF -DYUMO_GUI=OFF -DYUMO_WERROR=ON
fi
ninja -C "$build" -j "${YUMO_JOBS:-2}"

targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
    mapfile -t targets < <(find "$build/fuzz" -maxdepth 1 -type f -name 'fuzz_*' -perm -u+x \
        -printf '%f\n' | sort)
fi
[ "${#targets[@]}" -gt 0 ] || die "no fuzz targets in $build/fuzz"

# The gzip-compressed size of the files given, in bytes.
compressed_size() {
    local total=0 file
    for file in "$@"; do
        total=$((total + $(gzip -c "$file" | wc -c)))
    done
    echo "$total"
}

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
summary=()
failed=0
for name in "${targets[@]}"; do
    target="$build/fuzz/$name"
    [ -x "$target" ] || die "no fuzz target $target"
    corpus="$YUMO_ROOT/fuzz/corpus/$name"
    artifacts="$YUMO_ROOT/fuzz/artifacts/$name/"
    fresh="$work/$name"
    mkdir -p "$corpus" "$artifacts" "$fresh"
    say "$name: ${seconds} s on $(find "$corpus" -type f | wc -l) corpus files"
    status=ok
    if ! "$target" -max_total_time="$seconds" -runs="$runs" -rss_limit_mb=512 \
        -print_final_stats=1 -artifact_prefix="$artifacts" "$fresh" "$corpus" \
        </dev/null >"$work/$name.log" 2>&1; then
        status=FAULT
        failed=1
        tail -n 40 "$work/$name.log"
    fi
    executions="$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$name.log" | tail -n 1)"
    peak="$(sed -n 's/^stat::peak_rss_mb: *//p' "$work/$name.log" | tail -n 1)"

    # Keep what adds coverage; while the corpus is over its budget, the largest new files go.
    before="$(find "$corpus" -type f | sort)"
    "$target" -merge=1 -rss_limit_mb=512 "$corpus" "$fresh" </dev/null >"$work/$name.merge" 2>&1 ||
        echo "warning: merging new inputs into $corpus failed"
    mapfile -t added < <(comm -13 <(echo "$before") <(find "$corpus" -type f | sort))
    mapfile -t all < <(find "$corpus" -type f)
    size="$(compressed_size "${all[@]}")"
    dropped=0
    if [ "$size" -gt "$budget_bytes" ] && [ "${#added[@]}" -gt 0 ]; then
        mapfile -t largest < <(ls -S "${added[@]}")
        for file in "${largest[@]}"; do
            [ "$size" -le "$budget_bytes" ] && break
            size=$((size - $(compressed_size "$file")))
            rm -f "$file"
            dropped=$((dropped + 1))
        done
    fi
    rmdir "$artifacts" 2>/dev/null || true
    summary+=("$(printf '%-22s %-6s %12s executions  peak %5s MB  +%d corpus files (%d over budget)  %d KB' \
        "$name" "$status" "${executions:-?}" "${peak:-?}" $((${#added[@]} - dropped)) "$dropped" \
        $((size / 1024)))")
done

say "summary (${seconds} s per target$([ "$runs" != -1 ] && echo ", at most $runs inputs"))"
printf '%s\n' "${summary[@]}"
exit "$failed"
