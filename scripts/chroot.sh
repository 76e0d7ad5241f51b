# shellcheck shell=bash
# Shared by the scripts that check Yumo on a fresh, minimal Debian in a chroot. Sourced after
# common.sh; parse_suite reads the release from the arguments, then chroot_init WORK_DIR takes
# the folder that keeps one debootstrapped base per release. The chroot's packages come from
# the mirror the machine's own apt sources name (scripts/apt_sources.sh).
source "$(dirname "${BASH_SOURCE[0]}")/apt_sources.sh"
readonly CLEAN_PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
mounted=()

unmount_all() {
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount -R "${mounted[i]}" 2>/dev/null || umount -lR "${mounted[i]}" || true
    done
    mounted=()
}
trap unmount_all EXIT

# Runs a step and prints its time (and the first line of its command); returns its status.
timed() {
    local start=$SECONDS status=0 command="${*%%$'\n'*}"
    "$@" || status=$?
    [ "${#command}" -le 90 ] || command="${command:0:87}..."
    printf '   took %d s (exit %d): %s\n' $((SECONDS - start)) "$status" "$command"
    return "$status"
}

# The options every check takes before its own: --suite bookworm|trixie (default bookworm).
# Sets $suite and leaves the other arguments in $rest.
parse_suite() {
    suite=bookworm
    rest=()
    while [ $# -gt 0 ]; do
        case "$1" in
        --suite)
            [ $# -ge 2 ] || die "--suite needs a release: bookworm or trixie"
            suite="$2"
            shift 2
            ;;
        --suite=*) suite="${1#--suite=}" && shift ;;
        *) rest+=("$1") && shift ;;
        esac
    done
    case "$suite" in
    bookworm | trixie) ;;
    *) die "unknown suite '$suite' (bookworm or trixie)" ;;
    esac
}

# chroot_init WORK_DIR: sets $work (made absolute), the mirrors and the base's tarball.
chroot_init() {
    [ "$(id -u)" -eq 0 ] || die "run this as root (debootstrap and chroot need it)"
    work="$(mkdir -p "$1" && cd "$1" && pwd)"
    choose_debian_mirrors /etc/apt "$suite"
    base_tarball="$work/base-$suite.tar"
}

debootstrap_base() {
    local dir="$work/base-$suite"
    rm -rf "$dir"
    debootstrap --variant=minbase "$suite" "$dir" "$DEBIAN_MIRROR"
    tar --numeric-owner -C "$dir" -cf "$base_tarball.new" .
    mv "$base_tarball.new" "$base_tarball"
    rm -rf "$dir"
}

# The minimal base of the suite, debootstrapped once and kept as $work/base-SUITE.tar.
make_base() {
    [ ! -e "$base_tarball" ] || return 0
    command -v debootstrap >/dev/null ||
        as_root apt-get install -y --no-install-recommends debootstrap
    say "debootstrap --variant=minbase $suite from $DEBIAN_MIRROR"
    timed debootstrap_base
}

# A fresh copy of the base at ROOT with the suite's updates, name resolution, /proc and /dev.
copy_base() {
    local root="$1"
    rm -rf "$root"
    mkdir -p "$root"
    tar --numeric-owner -C "$root" -xpf "$base_tarball"
    {
        echo "deb $DEBIAN_MIRROR $suite main"
        echo "deb $DEBIAN_UPDATES_MIRROR $suite-updates main"
        [ -z "$DEBIAN_SECURITY_MIRROR" ] || echo "deb $DEBIAN_SECURITY_MIRROR $suite-security main"
    } >"$root/etc/apt/sources.list"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    mount -t proc proc "$root/proc" && mounted+=("$root/proc")
    mount --rbind /dev "$root/dev" && mounted+=("$root/dev")
    # logind's run-time folders, which every booted Debian has and a chroot lacks: WirePlumber
    # watches them, and without them it makes no default sink for the PipeWire walks.
    mkdir -p "$root"/run/systemd/{seats,sessions,users,machines}
}
