#!/usr/bin/env bash
# The window program as a native Wayland client: a private headless Weston (pixman renderer)
# instead of X, a private sound server with a null sink (tests/e2e/servers.sh) and a private
# session bus. `yumo` starts with QT_QPA_PLATFORM=wayland and no DISPLAY; its window must be
# configured and shown by the compositor (seen in the client's Wayland protocol log), a night
# starts (a headless compositor takes no key presses from outside, so the night is started
# through the media-player interface, as a media key would), and the greeting must be heard in
# the recording. Output in BUILD/e2e-wayland/.
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
weston --backend=headless-backend.so --use-pixman --socket=yumo-e2e --idle-time=0 \
    --width=1024 --height=768 >"$out/weston.log" 2>&1 &
E2E_PIDS+=($!)
for _ in $(seq 100); do
    [ -S "$XDG_RUNTIME_DIR/yumo-e2e" ] && break
    sleep 0.1
done
[ -S "$XDG_RUNTIME_DIR/yumo-e2e" ] || e2e_fail "weston did not start: $(cat "$out/weston.log")"
export WAYLAND_DISPLAY=yumo-e2e QT_QPA_PLATFORM=wayland
e2e_start_session_bus

can_play() { [ "$(e2e_property org.mpris.MediaPlayer2.Player CanPlay)" = "boolean true" ]; }
playing() { [ "$(e2e_property org.mpris.MediaPlayer2.Player PlaybackStatus)" = Playing ]; }
configured() { grep -q 'xdg_surface@[0-9]*\.ack_configure' "$out/wayland.log"; }

e2e_start_recording "$out/recording.wav"
mkdir "$E2E_WORK/empty"
(cd "$E2E_WORK/empty" && WAYLAND_DEBUG=client exec "$build/yumo") >"$out/yumo.log" \
    2>"$out/wayland.log" &
yumo=$!
E2E_PIDS+=("$yumo")
e2e_wait_for 20 can_play || e2e_fail "yumo did not start: $(tail -n 20 "$out/wayland.log")"
e2e_wait_for 5 configured || e2e_fail "the compositor never configured a window"
grep -q 'xdg_toplevel@[0-9]*\.set_title("Yumo' "$out/wayland.log" ||
    e2e_fail "no Yumo toplevel window"
e2e_player org.mpris.MediaPlayer2.Player.Play
e2e_wait_for 5 playing || e2e_fail "the night did not start"
sleep 6
e2e_player org.mpris.MediaPlayer2.Quit
status=0
timeout 10 tail --pid="$yumo" -f /dev/null || e2e_fail "yumo did not end when asked to"
wait "$yumo" || status=$?
e2e_stop_recording
[ "$status" -eq 0 ] || e2e_fail "yumo ended with status $status: $(cat "$out/yumo.log")"
"$build/yumo-check-recording" "$out/recording.wav" || e2e_fail "the greeting was not heard"
# The protocol log is large; what it showed is kept in short.
grep -E 'xdg_toplevel@[0-9]*\.set_title|ack_configure' "$out/wayland.log" | head -n 5 \
    >"$out/wayland-window.log"
rm -f "$out/wayland.log"
echo "e2e: Wayland walk passed; recording in $out"
