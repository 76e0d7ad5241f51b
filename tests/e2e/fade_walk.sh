#!/usr/bin/env bash
# The end of a night as the ear hears it, on private X and PulseAudio servers
# (tests/e2e/servers.sh), with a voice set whose every kind is one steady 500 Hz tone, so her
# sound never pauses. Two walks, each from a fresh start of `yumo`:
#   wake    Enter starts a night; 起きます (Enter again) 10 s later
#   close   Enter starts a night; Ctrl+Q 10 s later closes the window during it
# Each time the recording of the sink's monitor must end in silence, and the 20 ms before that
# silence peak at or below -50 dBFS: the fade-out was heard to its end, not cut off while the
# server still held it. Recordings and the program's output are kept in BUILD/e2e-fade/.
#
#   tests/e2e/fade_walk.sh [BUILD] [--only wake|close]
#
# Needs what tests/e2e/run.sh needs, and sox and dbus-daemon (scripts/packages.txt).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build_arg="$here/../../build"
only=""
while [ $# -gt 0 ]; do
    case "$1" in
    --only) only="$2"; shift ;;
    *) build_arg="$1" ;;
    esac
    shift
done
build="$(cd "$build_arg" && pwd)"
out="$build/e2e-fade"
readonly START_LIMIT_SECONDS=20
readonly NIGHT_SECONDS=10
readonly TAIL_LIMIT_DB=-50
source "$here/servers.sh"

e2e_require Xvfb xdotool pactl parecord sox dbus-daemon dbus-send
for program in yumo yumo-tool yumo-check-recording; do
    [ -x "$build/$program" ] || e2e_fail "$build/$program is missing: build first"
done
mkdir -p "$out"
rm -f "$out"/*.wav "$out"/*.log

export HOME="$E2E_WORK/home"
mkdir -p "$HOME/.config/yumo" "$E2E_WORK/empty"
unset XDG_CONFIG_HOME XDG_DATA_HOME
e2e_start_display
e2e_start_session_bus
e2e_start_sound_server

tones="$E2E_WORK/tones"
mkdir -p "$tones"
sox -n -r 44100 -c 1 -b 16 "$tones/tone.wav" synth 1 sine 500 vol 0.5
clips=()
for kind in 0 1 2 3 4 5 6 7 8 9 10 11; do clips+=("$kind=$tones/tone.wav"); done
"$build/yumo-tool" voice new "$tones/tones.ymv" --owner tones "${clips[@]}" >/dev/null ||
    e2e_fail "the tone voice set could not be made"

playing() { [ "$(e2e_property org.mpris.MediaPlayer2.Player PlaybackStatus)" = Playing ]; }
not_playing() { ! playing; }
can_play() { [ "$(e2e_property org.mpris.MediaPlayer2.Player CanPlay)" = "boolean true" ]; }

walk() { # walk NAME KEY: KEY ends the night NIGHT_SECONDS after Enter started it
    local name="$1" key="$2" yumo window status=0
    printf '[voice]\nlastLoaded=%s\n' "$tones/tones.ymv" >"$HOME/.config/yumo/yumo.conf"
    e2e_start_recording "$out/$name.wav"
    (cd "$E2E_WORK/empty" && exec "$build/yumo") >"$out/$name-yumo.log" 2>&1 &
    yumo=$!
    E2E_PIDS+=("$yumo")
    e2e_wait_for "$START_LIMIT_SECONDS" can_play ||
        e2e_fail "$name: yumo did not start: $(cat "$out/$name-yumo.log")"
    window="$(xdotool search --sync --onlyvisible --name '^Yumo' | head -n 1)"
    xdotool windowfocus --sync "$window"
    xdotool key Return
    e2e_wait_for 5 playing || e2e_fail "$name: Enter did not start a night"
    sleep "$NIGHT_SECONDS"
    xdotool windowfocus --sync "$window"
    xdotool key "$key"
    # The fade lasts 3 s, and the ear is about half a second behind what was written.
    e2e_wait_for 8 not_playing || e2e_fail "$name: the night did not end within 8 s"
    if [ "$key" = Return ]; then
        e2e_player org.mpris.MediaPlayer2.Quit
    fi
    timeout 10 tail --pid="$yumo" -f /dev/null || e2e_fail "$name: yumo did not end"
    wait "$yumo" || status=$?
    [ "$status" -eq 0 ] || e2e_fail "$name: yumo ended with status $status"
    e2e_stop_recording
    "$build/yumo-check-recording" "$out/$name.wav" --min-peak 1000 \
        --tail-below "$TAIL_LIMIT_DB" >"$out/$name-check.log" || true
    echo "e2e: fade $name: $(grep -E '^(fade tail|FAIL)' "$out/$name-check.log" | tr '\n' ' ')"
    ! grep -q FAIL "$out/$name-check.log" ||
        e2e_fail "$name: $(cat "$out/$name-check.log")"
}

[ "$only" = close ] || walk wake Return
[ "$only" = wake ] || walk close ctrl+q
cp "$E2E_WORK"/sound-*.log "$out/" 2>/dev/null || true
echo "e2e: fade walks passed; recordings in $out"
