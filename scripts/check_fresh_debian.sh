#!/usr/bin/env bash
# Checks the README's commands on a fresh, minimal Debian 12: debootstraps a chroot (kept in
# WORK_DIR/base and copied for each check), clones the committed repository into it and runs
#   root: scripts/run.sh, scripts/test.sh and .ci/run as root with CI=true and no input
#   user: scripts/test.sh as a normal user who installs the packages through sudo
# Prints the time of each step. Needs root, debootstrap and a Debian mirror (the one the
# machine's apt sources name); unmounts everything it mounted on exit.
# Usage: scripts/check_fresh_debian.sh WORK_DIR [root|user|all]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

[ $# -ge 1 ] || { echo "usage: $0 WORK_DIR [root|user|all]" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || die "run this as root (debootstrap and chroot need it)"
work="$(mkdir -p "$1" && cd "$1" && pwd)"
which_checks="${2:-all}"
source "$(dirname "${BASH_SOURCE[0]}")/chroot.sh"

# A fresh copy of the base with the repository cloned to /root/yumo.
make_root() {
    local root="$1"
    copy_base "$root"
    git clone -q "$YUMO_ROOT" "$root/root/yumo"
}

# Runs a step and prints its time; a failed step is counted and the checks go on.
failures=0
timed() {
    local start=$SECONDS status=0
    "$@" || status=$?
    printf '   took %d s (exit %d): %s\n' $((SECONDS - start)) "$status" "$*"
    [ "$status" -eq 0 ] || failures=$((failures + 1))
    return 0
}

# Runs a command line in the chroot as root with a bare environment, no terminal, no input.
in_root() {
    local root="$1"
    shift
    chroot "$root" /usr/bin/env -i HOME=/root PATH="$CLEAN_PATH" CI=true bash -c "$*" </dev/null
}

check_as_root() {
    local root="$work/chroot"
    make_root "$root"
    say "root: scripts/run.sh"
    # No display in the chroot: Qt draws offscreen; Yumo still running 10 s after it started
    # passes.
    timed in_root "$root" 'cd /root/yumo && { QT_QPA_PLATFORM=offscreen ./scripts/run.sh >/tmp/run.log 2>&1 &
        pid=$!
        until grep -q "starting .*/yumo" /tmp/run.log; do
            kill -0 $pid 2>/dev/null || { tail -n 20 /tmp/run.log; exit 1; }
            sleep 1
        done
        sleep 10
        kill -0 $pid && kill $pid; }'
    say "root: scripts/test.sh"
    timed in_root "$root" 'cd /root/yumo && ./scripts/test.sh'
    say "root: .ci/run in a clean clone"
    git clone -q "$YUMO_ROOT" "$root/root/yumo-ci"
    timed in_root "$root" 'cd /root/yumo-ci && bash .ci/run'
    unmount_all
}

check_as_user() {
    local root="$work/chroot-user"
    make_root "$root"
    say "user: install sudo, add user yumo with sudo rights"
    in_root "$root" 'apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -q -y --no-install-recommends sudo &&
        useradd -m -s /bin/bash yumo && echo "yumo ALL=(ALL) NOPASSWD: ALL" >/etc/sudoers.d/yumo &&
        chmod 440 /etc/sudoers.d/yumo && mv /root/yumo /home/yumo/yumo && chown -R yumo:yumo /home/yumo/yumo'
    say "user: scripts/test.sh"
    timed chroot --userspec=yumo:yumo "$root" /usr/bin/env -i HOME=/home/yumo USER=yumo \
        PATH="$CLEAN_PATH" CI=true bash -c 'cd ~/yumo && ./scripts/test.sh' </dev/null
    unmount_all
}

make_base
case "$which_checks" in
root) check_as_root ;;
user) check_as_user ;;
all) check_as_root; check_as_user ;;
*) die "unknown check '$which_checks' (root, user or all)" ;;
esac
[ "$failures" -eq 0 ] || die "$failures step(s) failed"
say "every step passed"
