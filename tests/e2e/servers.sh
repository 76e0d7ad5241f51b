# shellcheck shell=bash
# Private servers for testing the window program as a user meets it: an X server (Xvfb) and a
# PulseAudio server whose only sink is a null sink, with a recorder on the sink's monitor.
# Sourced by tests/e2e/run.sh and scripts/window_figures.sh. Everything started here is
# stopped, and the temporary folder removed, when the sourcing script exits.

E2E_WORK="$(mktemp -d)"
E2E_PIDS=()
E2E_RECORDER=""

e2e_fail() {
    printf 'e2e: FAIL: %s\n' "$*" >&2
    exit 1
}

e2e_cleanup() {
    local pid
    for pid in "${E2E_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${E2E_PIDS[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$E2E_WORK"
}
trap e2e_cleanup EXIT

e2e_require() {
    local program
    for program in "$@"; do
        command -v "$program" >/dev/null || e2e_fail "$program is missing (see scripts/packages.txt)"
    done
}

# Starts Xvfb on a free display (it writes the number to fd 9) and exports DISPLAY.
e2e_start_display() {
    Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$E2E_WORK/display" \
        2>"$E2E_WORK/xvfb.log" &
    E2E_PIDS+=($!)
    local _
    for _ in $(seq 100); do
        [ -s "$E2E_WORK/display" ] && break
        sleep 0.1
    done
    [ -s "$E2E_WORK/display" ] || e2e_fail "Xvfb did not start: $(cat "$E2E_WORK/xvfb.log")"
    export DISPLAY=":$(cat "$E2E_WORK/display")"
}

# Starts PulseAudio with a 44.1 kHz stereo null sink as the default; clients find it through
# the private XDG_RUNTIME_DIR exported here.
e2e_start_sound_server() {
    export XDG_RUNTIME_DIR="$E2E_WORK/runtime"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    unset PULSE_SERVER
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=yes \
        -L "module-native-protocol-unix auth-anonymous=1" \
        -L "module-null-sink sink_name=e2e_sink rate=44100 channels=2" \
        >"$E2E_WORK/pulse.log" 2>&1 &
    E2E_PIDS+=($!)
    local _
    for _ in $(seq 100); do
        pactl info >/dev/null 2>&1 && break
        sleep 0.1
    done
    pactl info >/dev/null 2>&1 || e2e_fail "PulseAudio did not start: $(cat "$E2E_WORK/pulse.log")"
    pactl set-default-sink e2e_sink
}

# Records the sink's monitor into $1 (16-bit stereo 44.1 kHz WAV) until e2e_stop_recording.
e2e_start_recording() {
    local file="$1" _
    parecord --latency-msec=20 --device=e2e_sink.monitor --rate=44100 --channels=2 \
        --format=s16le --file-format=wav "$file" &
    E2E_RECORDER=$!
    E2E_PIDS+=("$E2E_RECORDER")
    # An idle null sink may sleep for up to 2 s before the monitor delivers the first data.
    for _ in $(seq 50); do
        [ "$(stat -c %s "$file" 2>/dev/null || echo 0)" -gt 44 ] && break
        sleep 0.1
    done
}

# The recorder keeps what it has only when stopped by SIGINT, a little after the sound ends.
e2e_stop_recording() {
    sleep 0.6
    kill -INT "$E2E_RECORDER"
    wait "$E2E_RECORDER" || true
}
