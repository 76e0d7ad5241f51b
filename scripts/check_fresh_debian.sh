#!/usr/bin/env bash
# Checks the README's commands on a fresh, minimal Debian 12 or 13: debootstraps a chroot of the
# release (kept as WORK_DIR/base-SUITE.tar and unpacked afresh for each check) and runs, with
# CI=true and no input:
#   root:     a clone of the committed repository: scripts/run.sh, scripts/test.sh, then the
#             Debian package (cpack), kept as WORK_DIR/deb-SUITE/yumo_*.deb, as root
#   user:     a clone: scripts/test.sh as a normal user who installs the packages through sudo
#   archive:  the tree of `git archive HEAD` (no .git): scripts/test.sh as root
#   ci:       a clone: .ci/run as root
# Prints the time of each step. Needs root, debootstrap and a Debian mirror (the one the
# machine's apt sources name); unmounts everything it mounted on exit. The chroots have no git.
# With --ccache DIR, ccache is installed into each chroot and keeps its cache in DIR/SUITE for
# the next check (the only package the chroot gets beyond the commands' own).
# Usage: scripts/check_fresh_debian.sh [--suite bookworm|trixie] [--ccache DIR] WORK_DIR
#            [root|user|archive|ci|all]...        (default: all, in that order)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$(dirname "${BASH_SOURCE[0]}")/chroot.sh"

parse_suite "$@"
set -- "${rest[@]}"
ccache_dir=""
if [ "${1:-}" = --ccache ]; then
    [ $# -ge 2 ] || die "--ccache needs a folder"
    ccache_dir="$(mkdir -p "$2/$suite" && cd "$2/$suite" && pwd)"
    shift 2
fi
[ $# -ge 1 ] || die "usage: $0 [--suite bookworm|trixie] [--ccache DIR] WORK_DIR [root|user|archive|ci|all]..."
chroot_init "$1"
shift
checks=("$@")
[ ${#checks[@]} -gt 0 ] && [ "${checks[*]}" != all ] || checks=(root user archive ci)
for check in "${checks[@]}"; do
    case "$check" in
    root | user | archive | ci) ;;
    *) die "unknown check '$check' (root, user, archive, ci or all)" ;;
    esac
done
[ -z "$(git -C "$YUMO_ROOT" status --porcelain --untracked-files=no)" ] ||
    echo "note: the checks take the committed tree; uncommitted changes are left out"

# The environment of every command in the chroot: bare, with the cache when there is one.
chroot_env=(CI=true "PATH=$CLEAN_PATH")
[ -z "$ccache_dir" ] || chroot_env+=(CCACHE_DIR=/var/cache/yumo-ccache CCACHE_BASEDIR=/
    CCACHE_NOHASHDIR=1 CCACHE_UMASK=000 CMAKE_C_COMPILER_LAUNCHER=ccache
    CMAKE_CXX_COMPILER_LAUNCHER=ccache)

# A fresh chroot at WORK_DIR/chroot-NAME, with ccache and its cache when asked for.
make_root() {
    root="$work/chroot-$1"
    copy_base "$root"
    [ -n "$ccache_dir" ] || return 0
    mkdir -p "$root/var/cache/yumo-ccache"
    chmod 1777 "$ccache_dir"
    mount --bind "$ccache_dir" "$root/var/cache/yumo-ccache" && mounted+=("$root/var/cache/yumo-ccache")
    in_root 'apt-get -q update >/dev/null && DEBIAN_FRONTEND=noninteractive apt-get -q -y \
        --no-install-recommends install ccache >/dev/null'
}

# Runs a command line in the chroot as root, no terminal, no input.
in_root() {
    chroot "$root" /usr/bin/env -i HOME=/root "${chroot_env[@]}" bash -c "$*" </dev/null
}

# Runs a step and counts its failure; the checks go on.
failures=0
step() {
    say "$suite $check: $1"
    shift
    timed "$@" || failures=$((failures + 1))
}

check_root() {
    make_root root
    git clone -q "$YUMO_ROOT" "$root/root/yumo"
    # No display in the chroot: Qt draws offscreen; Yumo still running 10 s after it started
    # passes.
    step "scripts/run.sh" in_root 'cd /root/yumo && { QT_QPA_PLATFORM=offscreen ./scripts/run.sh >/tmp/run.log 2>&1 &
        pid=$!
        until grep -q "starting .*/yumo" /tmp/run.log; do
            kill -0 $pid 2>/dev/null || { tail -n 20 /tmp/run.log; exit 1; }
            sleep 1
        done
        sleep 10
        kill -0 $pid && kill $pid; }'
    step "scripts/test.sh" in_root 'cd /root/yumo && ./scripts/test.sh'
    step "the Debian package (cpack -G DEB)" in_root 'cd /root/yumo/build && cpack -G DEB >/tmp/cpack.log 2>&1 ||
        { tail -n 20 /tmp/cpack.log; exit 1; }'
    rm -rf "$work/deb-$suite"
    mkdir -p "$work/deb-$suite"
    if cp "$root"/root/yumo/build/yumo_*.deb "$work/deb-$suite/" 2>/dev/null; then
        echo "kept $(ls "$work/deb-$suite"/*.deb); try it with:"
        echo "  $YUMO_ROOT/scripts/check_deb_in_chroot.sh --suite $suite $work $(ls "$work/deb-$suite"/*.deb)"
    fi
    unmount_all
}

check_user() {
    make_root user
    git clone -q "$YUMO_ROOT" "$root/root/yumo"
    step "install sudo, add user yumo with sudo rights" in_root 'apt-get -q update >/dev/null &&
        DEBIAN_FRONTEND=noninteractive apt-get -q -y --no-install-recommends install sudo >/dev/null &&
        useradd -m -s /bin/bash yumo && echo "yumo ALL=(ALL) NOPASSWD: ALL" >/etc/sudoers.d/yumo &&
        chmod 440 /etc/sudoers.d/yumo && mv /root/yumo /home/yumo/yumo && chown -R yumo:yumo /home/yumo/yumo'
    step "scripts/test.sh as user yumo" chroot --userspec=yumo:yumo "$root" /usr/bin/env -i \
        HOME=/home/yumo USER=yumo "${chroot_env[@]}" bash -c 'cd ~/yumo && ./scripts/test.sh' </dev/null
    unmount_all
}

check_archive() {
    make_root archive
    mkdir -p "$root/root/yumo"
    git -C "$YUMO_ROOT" archive HEAD | tar -x -C "$root/root/yumo"
    step "scripts/test.sh in the tree of git archive HEAD" in_root '[ ! -e /root/yumo/.git ] &&
        ! command -v git && cd /root/yumo && ./scripts/test.sh'
    unmount_all
}

check_ci() {
    make_root ci
    git clone -q "$YUMO_ROOT" "$root/root/yumo-ci"
    step ".ci/run in a clean clone" in_root 'cd /root/yumo-ci && bash .ci/run'
    unmount_all
}

make_base
for check in "${checks[@]}"; do
    "check_$check"
done
[ "$failures" -eq 0 ] || die "$failures step(s) failed on $suite"
say "every step passed on $suite"
