# Shared by the scripts that check Yumo on a fresh, minimal Debian 12 in a chroot. Sourced after
# common.sh, with $work set to the folder that keeps the debootstrapped base.
readonly MIRROR=http://deb.debian.org/debian
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
        say "debootstrap --variant=minbase bookworm"
        debootstrap --variant=minbase bookworm "$work/base" "$MIRROR"
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
