#!/usr/bin/env bash
# The window program as a native Wayland client, twice, each time with a private sound server
# with a null sink (tests/e2e/servers.sh) and a private session bus. `yumo` starts with
# QT_QPA_PLATFORM=wayland and no DISPLAY; its window must be configured and shown by the
# compositor (seen in the client's Wayland protocol log), a night starts, and the greeting must
# be heard in the recording.
#   headless  a headless Weston (pixman renderer); it takes no key presses from outside, so the
#             night is started through the media-player interface, as a media key would
#   keyboard  Weston drawing into a window of a private X server, which passes the keys typed
#             into that window on to its Wayland clients: Enter starts the night
# Output in BUILD/e2e-wayland/.
#
#   tests/e2e/wayland_walk.sh [BUILD]
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "${1:-$here/../../build}" && pwd)"
out="$build/e2e-wayland"
source "$here/servers.sh"

e2e_require weston pactl parecord dbus-daemon dbus-send
for program in yumo yumo-check-recording; do
    [ -x "$build/$program" ] || e2e_fail "$build/$program is missing: build first"
done
mkdir -p "$out"
rm -f "$out"/*

export HOME="$E2E_WORK/home"
mkdir -p "$HOME"
unset XDG_CONFIG_HOME XDG_DATA_HOME DISPLAY
e2e_start_sound_server
e2e_start_session_bus

can_play() { [ "$(e2e_property org.mpris.MediaPlayer2.Player CanPlay)" = "boolean true" ]; }
playing() { [ "$(e2e_property org.mpris.MediaPlayer2.Player PlaybackStatus)" = Playing ]; }

# walk NAME WESTON_ARGUMENTS...: one start, one night, one recording, under its own Weston.
walk() {
    local name="$1" socket="yumo-e2e-$1" weston status=0
    shift
    # libwayland 1.21 (Debian 12) logs objects as interface@id, 1.23 (Debian 13) as interface#id.
    configured() { grep -q 'xdg_surface[@#][0-9]*\.ack_configure' "$out/$name-wayland.log"; }
    weston --socket="$socket" --idle-time=0 --use-pixman "$@" >"$out/$name-weston.log" 2>&1 &
    weston=$!
    E2E_PIDS+=("$weston")
    for _ in $(seq 100); do
        [ -S "$XDG_RUNTIME_DIR/$socket" ] && break
        sleep 0.1
    done
    [ -S "$XDG_RUNTIME_DIR/$socket" ] ||
        e2e_fail "weston did not start: $(cat "$out/$name-weston.log")"

    e2e_start_recording "$out/$name-recording.wav"
    mkdir -p "$E2E_WORK/empty"
    (cd "$E2E_WORK/empty" && unset DISPLAY &&
        WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=client \
            exec "$build/yumo") >"$out/$name-yumo.log" 2>"$out/$name-wayland.log" &
    yumo=$!
    E2E_PIDS+=("$yumo")
    e2e_wait_for 20 can_play ||
        e2e_fail "$name: yumo did not start: $(tail -n 20 "$out/$name-wayland.log")"
    e2e_wait_for 5 configured || e2e_fail "$name: the compositor never configured a window"
    grep -q 'xdg_toplevel[@#][0-9]*\.set_title("Yumo' "$out/$name-wayland.log" ||
        e2e_fail "$name: no Yumo toplevel window"
    start_night
    e2e_wait_for 5 playing || e2e_fail "$name: the night did not start"
    sleep 6
    e2e_player org.mpris.MediaPlayer2.Quit
    timeout 10 tail --pid="$yumo" -f /dev/null || e2e_fail "$name: yumo did not end when asked to"
    wait "$yumo" || status=$?
    e2e_stop_recording
    kill "$weston" 2>/dev/null || true
    wait "$weston" 2>/dev/null || true
    [ "$status" -eq 0 ] ||
        e2e_fail "$name: yumo ended with status $status: $(cat "$out/$name-yumo.log")"
    "$build/yumo-check-recording" "$out/$name-recording.wav" ||
        e2e_fail "$name: the greeting was not heard"
    # The protocol log is large; what it showed is kept in short.
    grep -E 'xdg_toplevel[@#][0-9]*\.set_title|ack_configure' "$out/$name-wayland.log" |
        head -n 5 >"$out/$name-wayland-window.log"
    grep -E 'wl_keyboard[@#][0-9]*\.key\(' "$out/$name-wayland.log" >"$out/$name-keys.log" || true
    rm -f "$out/$name-wayland.log"
    echo "e2e: Wayland walk ($name) passed"
}

start_night() { e2e_player org.mpris.MediaPlayer2.Player.Play; }
walk headless --backend=headless-backend.so --width=1024 --height=768

e2e_require Xvfb xdotool
e2e_start_display
start_night() {
    local window
    # Weston names the X window it draws into in its log.
    window="$(sed -n 's/.*x11 output .*window id \([0-9]*\).*/\1/p' "$out/keyboard-weston.log")"
    [ -n "$window" ] || e2e_fail "no window of Weston's on the X server"
    # The pointer over her window and Weston's window focused: Weston gives her the keyboard.
    xdotool mousemove --window "$window" 400 350 windowfocus --sync "$window"
    sleep 0.5
    xdotool key --window "$window" Return
}
walk keyboard --backend=x11-backend.so --width=800 --height=700
[ -s "$out/keyboard-keys.log" ] || e2e_fail "keyboard: no key reached the window"
unset DISPLAY
echo "e2e: Wayland walks passed; recordings in $out"
