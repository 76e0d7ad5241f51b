#!/usr/bin/env bash
# Installs the Debian packages that are missing, builds Yumo (CMake + Ninja, optimised with
# debug information, warnings as errors) and makes its default data in the build folder:
#   build/data/hrtf/head01.bir   the head-related impulse responses, from libmysofa's KEMAR set
#   build/data/ymv/Yumone.ymv    the default voice (scripts/make_default_voice.sh)
#   build/data/img/, build/data/ymv/Yumone.ymi
#                                the default companion's pictures, lists, animation script and
#                                character-data file (scripts/make_default_character.sh)
# Run it as root, or as a user who may use sudo (asked only when packages are missing).
# With --packages-only it installs the missing packages and stops there.
# Environment: YUMO_BUILD_DIR (default: build in the repository), YUMO_JOBS (default: nproc).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

readonly KEMAR_SOFA=/usr/share/libmysofa/MIT_KEMAR_normal_pinna.sofa

wanted_packages() {
    sed -e 's/#.*//' -e 's/[[:space:]]//g' "$YUMO_ROOT/scripts/packages.txt" | grep -v '^$'
}

is_installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q ' installed$'
}

# True when apt knows no installable version of some package: the lists are missing (a fresh
# machine) or too old.
lists_lack_any() {
    local package
    for package in "$@"; do
        if ! apt-cache policy "$package" 2>/dev/null | grep -q 'Candidate: [^(]'; then
            return 0
        fi
    done
    return 1
}

install_missing_packages() {
    local package missing=() wanted=()
    mapfile -t wanted < <(wanted_packages)
    for package in "${wanted[@]}"; do
        is_installed "$package" || missing+=("$package")
    done
    if [ "${#missing[@]}" -eq 0 ]; then
        echo "all ${#wanted[@]} packages are installed"
        return
    fi
    say "installing ${#missing[@]} missing packages: ${missing[*]}"
    local apt=(env DEBIAN_FRONTEND=noninteractive apt-get -q -y -o Dpkg::Use-Pty=0)
    if lists_lack_any "${missing[@]}"; then
        as_root "${apt[@]}" update
    fi
    if ! as_root "${apt[@]}" install --no-install-recommends "${missing[@]}" </dev/null; then
        # Stale lists can name versions the mirror no longer has: refresh once and retry.
        as_root "${apt[@]}" update
        as_root "${apt[@]}" install --no-install-recommends "${missing[@]}" </dev/null
    fi
}

build() {
    say "building in $YUMO_BUILD"
    cmake -S "$YUMO_ROOT" -B "$YUMO_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DYUMO_WERROR=ON
    cmake --build "$YUMO_BUILD" -j "$YUMO_JOBS"
}

# True when `output` is missing or older than any of the inputs.
is_stale() {
    local output="$1"
    shift
    [ ! -e "$output" ] || [ -n "$(find "$@" -newer "$output" 2>/dev/null)" ]
}

make_head() {
    local tool="$YUMO_BUILD/yumo-tool" head="$YUMO_BUILD/data/hrtf/head01.bir"
    [ -r "$KEMAR_SOFA" ] || die "$KEMAR_SOFA is missing (package libmysofa1)"
    mkdir -p "$(dirname "$head")"
    if is_stale "$head" "$KEMAR_SOFA" "$tool"; then
        "$tool" hrir from-sofa "$KEMAR_SOFA" "$head"
    fi
    echo "response set: $head"
}

main() {
    case "${1:-}" in
    "" | --packages-only) ;;
    *) die "usage: $0 [--packages-only]" ;;
    esac
    say "checking packages"
    install_missing_packages
    [ "${1:-}" != --packages-only ] || return 0
    build
    say "making the default data in $YUMO_BUILD/data"
    mkdir -p "$YUMO_BUILD"/data/{hrtf,filter,img,ymv}
    make_head
    "$YUMO_ROOT/scripts/make_default_voice.sh" "$YUMO_BUILD"
    "$YUMO_ROOT/scripts/make_default_character.sh" "$YUMO_BUILD"
}

main "$@"
