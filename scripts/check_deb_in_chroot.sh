#!/usr/bin/env bash
# Installs the Debian package on a fresh, minimal Debian 12 or 13 and starts Yumo there:
# debootstraps a chroot of the release (kept as WORK_DIR/base-SUITE.tar, unpacked afresh for
# each run), installs the .deb with apt-get (--no-install-recommends, so only its Depends come
# in), checks that no build tool came with it, then starts yumo from /tmp under Xvfb on a private
# session bus and asks it over the bus whether it loaded its default voice from /usr/share/yumo.
# A screenshot is kept as WORK_DIR/deb-yumo-SUITE.png. Prints the time of each step. Needs root,
# debootstrap and a Debian mirror (the one the machine's apt sources name); about a minute and a
# half. A package built on one release is meant for that release: scripts/check_fresh_debian.sh
# builds one on each.
#   scripts/check_deb_in_chroot.sh [--suite bookworm|trixie] WORK_DIR [PACKAGE.deb]
#       (default: the newest build/yumo_*.deb)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$(dirname "${BASH_SOURCE[0]}")/chroot.sh"

parse_suite "$@"
set -- "${rest[@]}"
[ $# -ge 1 ] || { echo "usage: $0 [--suite bookworm|trixie] WORK_DIR [PACKAGE.deb]" >&2; exit 2; }
deb="${2:-$(ls -t "$YUMO_BUILD"/yumo_*.deb 2>/dev/null | head -n 1)}"
[ -n "$deb" ] && [ -r "$deb" ] || die "no package: run 'cd build && cpack -G DEB' first"
deb="$(cd "$(dirname "$deb")" && pwd)/$(basename "$deb")"
chroot_init "$1"
root="$work/deb-chroot-$suite"

in_root() {
    chroot "$root" /usr/bin/env -i HOME=/root PATH="$CLEAN_PATH" DEBIAN_FRONTEND=noninteractive \
        bash -c "$*" </dev/null
}

make_base
say "a fresh copy of the $suite base"
# With the release's updates, as the machine that built the package has them.
timed copy_base "$root"
cp "$deb" "$root/tmp/yumo.deb"

say "installing $(basename "$deb") on $suite"
install_log="$work/deb-install-$suite.log"
install_deb() {
    in_root 'apt-get -q update >/dev/null && apt-get -q -y --no-install-recommends install /tmp/yumo.deb' \
        >"$install_log"
}
timed install_deb
tail -n 3 "$install_log"
build_tools="$(in_root "dpkg-query -W -f='\${Package}\n' | grep -E '^(gcc|g\+\+|cpp|clang|cmake|make|ninja-build|pkg-config)(-[0-9]+)?\$|-dev\$' || true")"
[ -z "$build_tools" ] || die "the package brought build tools: $build_tools"
echo "installed $(in_root "dpkg-query -W | wc -l") packages, no build tools"

say "starting yumo under Xvfb"
install_servers() {
    in_root 'apt-get -q -y --no-install-recommends install xvfb xauth xdotool dbus-daemon dbus-bin x11-apps' \
        >>"$install_log"
}
timed install_servers
timed in_root '
set -e
cd /tmp
Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>/tmp/display 2>/tmp/xvfb.log &
xvfb=$!
for i in $(seq 50); do [ -s /tmp/display ] && break; sleep 0.1; done
export DISPLAY=:$(cat /tmp/display)
export DBUS_SESSION_BUS_ADDRESS=$(dbus-daemon --session --fork --print-address=1 --print-pid=3 3>/tmp/bus.pid)
mkdir -p /tmp/empty && cd /tmp/empty
yumo >/tmp/yumo.log 2>&1 &
yumo=$!
loaded=no
for i in $(seq 200); do
    if dbus-send --session --print-reply=literal --dest=org.mpris.MediaPlayer2.yumo \
        /org/mpris/MediaPlayer2 org.freedesktop.DBus.Properties.Get \
        string:org.mpris.MediaPlayer2.Player string:CanPlay 2>/dev/null | grep -q true; then
        loaded=yes; break
    fi
    sleep 0.1
done
sleep 2
xwd -root -silent >/tmp/yumo.xwd
kill -0 $yumo && running=yes || running=no
kill $yumo $xvfb $(cat /tmp/bus.pid) 2>/dev/null || true
echo "yumo running: $running, default voice loaded from /usr/share/yumo: $loaded"
cat /tmp/yumo.log
[ $running = yes ] && [ $loaded = yes ]
'
convert "$root/tmp/yumo.xwd" -crop 700x760+0+0 +repage "$work/deb-yumo-$suite.png" 2>/dev/null || true
say "passed: the package installs on a minimal $suite and Yumo starts with its data"
