#!/usr/bin/env bash
# The window program as a user meets it, on a private X server (Xvfb) and a private PulseAudio
# server whose only sink is a null sink. `yumo` starts from an empty folder (it finds its data
# beside itself), Enter starts a night, the window is dragged and resized while the greeting
# plays, and Ctrl+Q ends the program, which must exit with status 0. What the sink played is
# recorded from its monitor and checked by yumo-check-recording: the greeting is heard and the
# stream never broke off. Screenshots, the recording and the program's output are kept in
# BUILD/e2e/ for a person to look at.
#
#   tests/e2e/run.sh [BUILD]        (default: build/ in the repository)
#
# Works as root and without a terminal. Needs: xvfb xdotool imagemagick pulseaudio
# pulseaudio-utils (scripts/packages.txt).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
out="$build/e2e"
readonly NIGHT_SECONDS=3        # of the greeting heard after Enter, while moving the window
readonly START_LIMIT_SECONDS=20 # for the window to appear (a slow CI machine)

fail() {
    printf 'e2e: FAIL: %s\n' "$*" >&2
    exit 1
}

for program in Xvfb xdotool pulseaudio pactl parecord import; do
    command -v "$program" >/dev/null || fail "$program is missing (see scripts/packages.txt)"
done
for program in yumo yumo-check-recording; do
    [ -x "$build/$program" ] || fail "$build/$program is missing: build first"
done

work="$(mktemp -d)"
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$out"
rm -f "$out"/*.png "$out"/recording.wav "$out"/yumo.log

# A display of our own: Xvfb picks a free number and writes it to fd 9.
Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(cat "$work/display")"

# A sound server of our own: clients find it through XDG_RUNTIME_DIR.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset PULSE_SERVER
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=yes \
    -L "module-native-protocol-unix auth-anonymous=1" \
    -L "module-null-sink sink_name=e2e_sink rate=44100 channels=2" >"$work/pulse.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
done
pactl info >/dev/null 2>&1 || fail "PulseAudio did not start: $(cat "$work/pulse.log")"
pactl set-default-sink e2e_sink

recording="$out/recording.wav"
parecord --latency-msec=20 --device=e2e_sink.monitor --rate=44100 --channels=2 \
    --format=s16le --file-format=wav "$recording" &
recorder=$!
pids+=("$recorder")
# An idle null sink may sleep for up to 2 s before the monitor delivers the first data.
for _ in $(seq 50); do
    [ "$(stat -c %s "$recording" 2>/dev/null || echo 0)" -gt 44 ] && break
    sleep 0.1
done

empty="$work/empty"
mkdir "$empty"
cd "$empty"
started=$(date +%s%N)
"$build/yumo" >"$out/yumo.log" 2>&1 &
yumo=$!
pids+=("$yumo")
window="$(timeout "$START_LIMIT_SECONDS" xdotool search --sync --onlyvisible --name '^Yumo$' |
    head -n 1)" || true
[ -n "$window" ] || fail "no window appeared; the program said: $(cat "$out/yumo.log")"
echo "e2e: window after $((($(date +%s%N) - started) / 1000000)) ms (including the search's polling)"

sleep 1
import -window root "$out/01-started.png"
xdotool windowfocus --sync "$window"
xdotool key Return

# Drag the window about and resize it while the greeting plays: the sound must not break.
moves=$((NIGHT_SECONDS * 10))
for i in $(seq "$moves"); do
    if [ "$i" -le $((moves / 2)) ]; then
        xdotool windowmove "$window" $((i * 4)) $((i * 3))
    else
        xdotool windowsize "$window" $((500 + i * 6)) $((500 + i * 4))
    fi
    sleep 0.1
done
xdotool windowmove "$window" 0 0
xdotool windowsize "$window" 664 622
sleep 1
import -window root "$out/02-night.png"

xdotool windowfocus --sync "$window"
xdotool key ctrl+q
status=0
wait "$yumo" || status=$?
# The recorder keeps what it has only when stopped by SIGINT, a little after the sound ends.
sleep 0.6
kill -INT "$recorder"
wait "$recorder" || true

[ "$status" -eq 0 ] || fail "yumo exited with status $status; it said: $(cat "$out/yumo.log")"
[ -z "$(ls -A "$empty")" ] || fail "yumo wrote into the folder it was started from"
"$build/yumo-check-recording" "$recording" || fail "the recording does not hold the night"
echo "e2e: passed; screenshots and recording in $out"
