# shellcheck shell=bash
# Shared by the scripts in this folder: sourced, not run.

YUMO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck disable=SC2034 # used by the scripts that source this file
YUMO_BUILD="${YUMO_BUILD_DIR:-$YUMO_ROOT/build}"
YUMO_JOBS="${YUMO_JOBS:-$(nproc 2>/dev/null || echo 2)}"

say() { printf '\n== %s\n' "$*"; }
die() { printf 'error: %s\n' "$*" >&2; exit 1; }

# Runs a command as root: directly when we are root, else through sudo.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        die "need root rights to run '$*': run this as root or install sudo"
    fi
}
