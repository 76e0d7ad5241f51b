#!/usr/bin/env bash
# Prints the sound devices' figures (build/yumo-sound-figures) against a private
# PulseAudio server with a null sink, so it needs no sound card and disturbs no other server:
#   scripts/sound_figures.sh                 one minute on the sound card, idle CPU
#   scripts/sound_figures.sh --load 2        the same with two busy threads
#   scripts/sound_figures.sh --seconds 10 --silent
# Any arguments go to yumo-sound-figures. Set YUMO_SYSTEM_SOUND=1 to use the session's own
# sound server instead (a real sound card).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

figures="$YUMO_BUILD/yumo-sound-figures"
[ -x "$figures" ] || die "$figures is missing: build first (scripts/setup.sh)"
if [ "${YUMO_SYSTEM_SOUND:-0}" = 1 ]; then
    exec "$figures" "$@"
fi

runtime="$(mktemp -d)"
chmod 700 "$runtime"
server_pid=""
recorder_pid=""
cleanup() {
    [ -n "$recorder_pid" ] && kill -INT "$recorder_pid" 2>/dev/null && wait "$recorder_pid" 2>/dev/null
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
    rm -rf "$runtime"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR="$runtime"
export PULSE_SERVER="unix:$runtime/native"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$runtime/native" \
    -L "module-null-sink sink_name=figures_sink rate=44100 channels=2" >/dev/null 2>&1 &
server_pid=$!
for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.05
done
pactl info >/dev/null 2>&1 || die "the private pulseaudio did not start"
# A listener on the monitor wakes the idle null sink, as a sound card would be awake.
parec --device=figures_sink.monitor --latency-msec=20 >/dev/null &
recorder_pid=$!
sleep 0.5
"$figures" "$@"
