#!/usr/bin/env bash
# The window program as a user meets it, on a private X server (Xvfb) and a private PulseAudio
# server whose only sink is a null sink (tests/e2e/servers.sh). `yumo` starts from an empty
# folder (it finds its data beside itself), Enter starts a night, the window is dragged and
# resized while the greeting plays, and Ctrl+Q ends the program, which must exit with status 0.
# What the sink played is recorded from its monitor and checked by yumo-check-recording: the
# greeting is heard and the stream never broke off. Screenshots, the recording and the
# program's output are kept in BUILD/e2e/ for a person to look at.
#
#   tests/e2e/run.sh [BUILD]        (default: build/ in the repository)
#
# Works as root and without a terminal. Needs: xvfb xdotool imagemagick pulseaudio
# pulseaudio-utils (scripts/packages.txt).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "${1:-$here/../../build}" && pwd)"
out="$build/e2e"
readonly MOVE_SECONDS=3         # dragging and resizing the window while the greeting plays
readonly START_LIMIT_SECONDS=20 # for the window to appear (a slow CI machine)
source "$here/servers.sh"

e2e_require Xvfb xdotool pulseaudio pactl parecord import
for program in yumo yumo-check-recording; do
    [ -x "$build/$program" ] || e2e_fail "$build/$program is missing: build first"
done
mkdir -p "$out"
rm -f "$out"/*.png "$out"/recording.wav "$out"/yumo.log

# A home of its own: the settings the program keeps stay out of the user's.
export HOME="$E2E_WORK/home"
mkdir -p "$HOME"
unset XDG_CONFIG_HOME XDG_DATA_HOME
e2e_start_display
e2e_start_sound_server
recording="$out/recording.wav"
e2e_start_recording "$recording"

empty="$E2E_WORK/empty"
mkdir "$empty"
cd "$empty"
started=$(date +%s%N)
"$build/yumo" >"$out/yumo.log" 2>&1 &
yumo=$!
E2E_PIDS+=("$yumo")
window="$(timeout "$START_LIMIT_SECONDS" xdotool search --sync --onlyvisible --name '^Yumo$' |
    head -n 1)" || true
[ -n "$window" ] || e2e_fail "no window appeared; the program said: $(cat "$out/yumo.log")"
echo "e2e: window after $((($(date +%s%N) - started) / 1000000)) ms (including the search's polling)"

sleep 1
import -window root "$out/01-started.png"
xdotool windowfocus --sync "$window"
xdotool key Return
sleep 1
import -window root "$out/02-greeting.png"

# Drag the window about and resize it while the greeting plays: the sound must not break.
moves=$((MOVE_SECONDS * 10))
for i in $(seq "$moves"); do
    if [ "$i" -le $((moves / 2)) ]; then
        xdotool windowmove "$window" $((i * 4)) $((i * 3))
    else
        xdotool windowsize "$window" $((500 + i * 6)) $((500 + i * 4))
    fi
    sleep 0.1
done
xdotool windowmove "$window" 0 0
xdotool windowsize "$window" 300 200
sleep 0.5
import -window root "$out/03-small.png"

xdotool windowfocus --sync "$window"
xdotool key ctrl+q
status=0
wait "$yumo" || status=$?
e2e_stop_recording

[ "$status" -eq 0 ] || e2e_fail "yumo exited with status $status; it said: $(cat "$out/yumo.log")"
[ -z "$(ls -A "$empty")" ] || e2e_fail "yumo wrote into the folder it was started from"
"$build/yumo-check-recording" "$recording" || e2e_fail "the recording does not hold the night"
echo "e2e: passed; screenshots and recording in $out"
