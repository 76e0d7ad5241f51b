# Shared by the scripts that check Yumo on a fresh, minimal Debian 12 in a chroot. Sourced after
# common.sh, with $work set to the folder that keeps the debootstrapped base. The chroot's
# packages come from the mirror the machine's own apt sources name (scripts/apt_sources.sh).
source "$(dirname "${BASH_SOURCE[0]}")/apt_sources.sh"
choose_debian_mirrors
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

# The minimal base, debootstrapped once and kept in $work/base.
make_base() {
    if [ ! -e "$work/base/.complete" ]; then
        command -v debootstrap >/dev/null ||
            as_root apt-get install -y --no-install-recommends debootstrap
        rm -rf "$work/base"
        say "debootstrap --variant=minbase bookworm from $DEBIAN_MIRROR"
        debootstrap --variant=minbase bookworm "$work/base" "$DEBIAN_MIRROR"
        touch "$work/base/.complete"
    fi
}

# A fresh copy of the base at ROOT with name resolution, /proc and /dev.
copy_base() {
    local root="$1"
    rm -rf "$root"
    cp -a "$work/base" "$root"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    mount -t proc proc "$root/proc" && mounted+=("$root/proc")
    mount --rbind /dev "$root/dev" && mounted+=("$root/dev")
}
