# shellcheck shell=bash
# Private servers for testing the window program as a user meets it: an X server (Xvfb) and a
# sound server (PulseAudio, or PipeWire with its PulseAudio protocol) whose only sink is a null
# sink, with a recorder on the sink's monitor.
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
        kill -CONT "$pid" 2>/dev/null || true # a stopped server takes its signal once it goes on
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

# Starts Xvfb on a free display (it writes the number to fd 9) and exports DISPLAY; its PID is
# E2E_DISPLAY_PID.
E2E_DISPLAY_PID=""
e2e_start_display() {
    Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$E2E_WORK/display" \
        2>"$E2E_WORK/xvfb.log" &
    E2E_DISPLAY_PID=$!
    E2E_PIDS+=($!)
    local _
    for _ in $(seq 100); do
        [ -s "$E2E_WORK/display" ] && break
        sleep 0.1
    done
    [ -s "$E2E_WORK/display" ] || e2e_fail "Xvfb did not start: $(cat "$E2E_WORK/xvfb.log")"
    export DISPLAY=":$(cat "$E2E_WORK/display")"
}

# The private runtime folder the sound server and its clients share.
e2e_sound_runtime() {
    export XDG_RUNTIME_DIR="$E2E_WORK/runtime"
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    unset PULSE_SERVER
}

# Which sound server e2e_start_sound_server starts: pulseaudio, or pipewire (pipewire,
# wireplumber and pipewire-pulse on a private session bus). The PIDs of the running one are in
# E2E_SOUND_PIDS.
E2E_SOUND_SERVER="${E2E_SOUND_SERVER:-pulseaudio}"
E2E_SOUND_PIDS=()

e2e_wait_for_sound_server() {
    local _
    for _ in $(seq 100); do
        pactl info >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    e2e_fail "the sound server did not start: $(cat "$E2E_WORK"/sound-*.log)"
}

# Starts the sound server with a 44.1 kHz stereo null sink, e2e_sink, as the default; clients
# find it through the private XDG_RUNTIME_DIR exported here. Called again after
# e2e_kill_sound_server, it starts a new server on the same socket.
e2e_start_sound_server() {
    e2e_sound_runtime
    E2E_SOUND_PIDS=()
    if [ "$E2E_SOUND_SERVER" = pipewire ]; then
        if [ -z "${E2E_SOUND_BUS:-}" ]; then
            E2E_SOUND_BUS="$(dbus-daemon --session --fork --print-address=1 --print-pid=3 \
                3>"$E2E_WORK/sound-bus.pid")"
            E2E_PIDS+=("$(cat "$E2E_WORK/sound-bus.pid")")
        fi
        local program
        for program in pipewire wireplumber pipewire-pulse; do
            DBUS_SESSION_BUS_ADDRESS="$E2E_SOUND_BUS" "$program" \
                >>"$E2E_WORK/sound-$program.log" 2>&1 &
            E2E_SOUND_PIDS+=($!)
            E2E_PIDS+=($!)
            if [ "$program" = pipewire ]; then sleep 0.3; fi
        done
        e2e_wait_for_sound_server
        pactl load-module module-null-sink sink_name=e2e_sink rate=44100 channels=2 >/dev/null
        local _
        for _ in $(seq 50); do
            pactl list short sinks | grep -q e2e_sink && break
            sleep 0.1
        done
        pactl list short sinks | grep -q e2e_sink || e2e_fail "PipeWire made no null sink"
    else
        pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=yes \
            -L "module-native-protocol-unix auth-anonymous=1" \
            -L "module-null-sink sink_name=e2e_sink rate=44100 channels=2" \
            >>"$E2E_WORK/sound-pulseaudio.log" 2>&1 &
        E2E_SOUND_PIDS+=($!)
        E2E_PIDS+=($!)
        e2e_wait_for_sound_server
    fi
    pactl set-default-sink e2e_sink
}

# Ends the sound server at once, as a crash would.
e2e_kill_sound_server() {
    local pid
    for pid in "${E2E_SOUND_PIDS[@]}"; do
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    E2E_SOUND_PIDS=()
}

# The peak (0-1) of a recording from second $2 for $3 seconds.
e2e_peak() {
    sox "$1" -n trim "$2" "$3" stat 2>&1 | awk '/^Maximum amplitude/ { print $3 }'
}

# Records a sink's monitor ($2, default e2e_sink) into $1 (16-bit stereo 44.1 kHz WAV) until
# e2e_stop_recording.
e2e_start_recording() {
    local file="$1" sink="${2:-e2e_sink}" _
    parecord --latency-msec=20 --device="$sink.monitor" --rate=44100 --channels=2 \
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
# Stops the recorder $1 (default: the last one started).
e2e_stop_recording() {
    local recorder="${1:-$E2E_RECORDER}"
    sleep 0.6
    kill -INT "$recorder" 2>/dev/null || true
    wait "$recorder" || true
}

# A private session bus for the program's media-player interface; no system bus, so the sleep
# lock is asked for and politely refused.
e2e_start_session_bus() {
    DBUS_SESSION_BUS_ADDRESS="$(dbus-daemon --session --fork --print-address=1 --print-pid=3 \
        3>"$E2E_WORK/bus.pid")"
    E2E_PIDS+=("$(cat "$E2E_WORK/bus.pid")")
    export DBUS_SESSION_BUS_ADDRESS
    export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$E2E_WORK/no-system-bus"
}

E2E_PLAYER=org.mpris.MediaPlayer2.yumo
# A property of the program's media-player interface: e2e_property INTERFACE NAME.
e2e_property() {
    dbus-send --session --print-reply=literal --dest=$E2E_PLAYER /org/mpris/MediaPlayer2 \
        org.freedesktop.DBus.Properties.Get "string:$1" "string:$2" 2>/dev/null |
        sed -e 's/^ *variant *//' -e 's/ *$//'
}
# Calls a method of the interface: e2e_player org.mpris.MediaPlayer2.Player.Play.
e2e_player() {
    dbus-send --session --print-reply --dest=$E2E_PLAYER /org/mpris/MediaPlayer2 "$1" >/dev/null
}

# Runs a command every 0.1 s until it succeeds: e2e_wait_for SECONDS COMMAND...
e2e_wait_for() {
    local limit=$(($1 * 10)) _
    shift
    for _ in $(seq "$limit"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
