#!/usr/bin/env bash
# What a night costs against players of the same sound, side by side in one run on the same
# private X, sound and session-bus servers (tests/e2e/servers.sh). Each round: the window
# program playing a night with its window shown, then with a screen saver active on the session
# bus (yumo-fake-screensaver; the window stays mapped), then with its window unmapped (hidden);
# Audacious playing that night's WAV (rendered by yumo-tool night) with its window shown; mpv
# playing it without a window. For each phase: the CPU over SECONDS (user + system, % of one
# core) of the client, of the sound server and of the X server (pixels sent to it are paid
# there), and their sum; after the window program's phases its peak resident memory. At the end
# the median of each figure over the rounds. Not run by CI: it takes ROUNDS x 5 x SECONDS.
#
#   scripts/cpu_side_by_side.sh [SECONDS] [ROUNDS]     (default 60 and 3; build/ must be built)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$YUMO_ROOT/tests/e2e/servers.sh"

seconds="${1:-60}"
rounds="${2:-3}"
e2e_require Xvfb xdotool pulseaudio pactl audacious mpv bc dbus-daemon dbus-send
for program in yumo yumo-tool yumo-fake-screensaver; do
    [ -x "$YUMO_BUILD/$program" ] || die "$YUMO_BUILD/$program is missing: build first"
done
export HOME="$E2E_WORK/home"
mkdir -p "$HOME"
unset XDG_CONFIG_HOME XDG_DATA_HOME
e2e_start_display
xserver="$E2E_DISPLAY_PID"
e2e_start_sound_server
server="${E2E_SOUND_PIDS[0]}"
e2e_start_session_bus
"$YUMO_BUILD/yumo-fake-screensaver" >"$E2E_WORK/saver.log" 2>&1 &
E2E_PIDS+=($!)
saver() { # saver true|false
    dbus-send --session --print-reply --dest=org.freedesktop.ScreenSaver \
        /org/freedesktop/ScreenSaver org.freedesktop.ScreenSaver.SetActive "boolean:$1" >/dev/null
}
e2e_wait_for 10 saver false 2>/dev/null || die "the fake screen saver did not start: $(cat "$E2E_WORK/saver.log")"

hz="$(getconf CLK_TCK)"
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
percent() { echo "($2 - $1) * 100 / ($seconds * $hz)" | bc -l; }
night="$E2E_WORK/night.wav"
"$YUMO_BUILD/yumo-tool" night --voice "$YUMO_BUILD/data/ymv/Yumone.ymv" --start 23:00 \
    --minutes $((seconds / 60 + 2)) --out "$night" >"$E2E_WORK/night.log" 2>&1 ||
    die "yumo-tool night failed: $(cat "$E2E_WORK/night.log")"

figures="$E2E_WORK/figures.txt" # phase|client|server|X|sum, one line per phase and round
measure() {                     # measure NAME PID
    local c0 s0 x0 c1 s1 x1 client serverside xside sum
    c0=$(ticks "$2")
    s0=$(ticks "$server")
    x0=$(ticks "$xserver")
    sleep "$seconds"
    c1=$(ticks "$2")
    s1=$(ticks "$server")
    x1=$(ticks "$xserver")
    client=$(percent "$c0" "$c1")
    serverside=$(percent "$s0" "$s1")
    xside=$(percent "$x0" "$x1")
    sum=$(echo "$client + $serverside + $xside" | bc -l)
    printf '%-26s client %5.2f %%  sound server %5.2f %%  X server %5.2f %%  sum %5.2f %%\n' \
        "$1" "$client" "$serverside" "$xside" "$sum"
    printf '%s|%s|%s|%s|%s\n' "$1" "$client" "$serverside" "$xside" "$sum" >>"$figures"
}
stop() { kill "$1" 2>/dev/null || true; wait "$1" 2>/dev/null || true; sleep 1; }

cd "$E2E_WORK"
echo "load before: $(uptime)"
for round in $(seq "$rounds"); do
    echo "round $round of $rounds, $seconds s per phase"
    "$YUMO_BUILD/yumo" >"$E2E_WORK/yumo.log" 2>&1 &
    yumo=$!
    E2E_PIDS+=("$yumo")
    window="$(timeout 20 xdotool search --sync --onlyvisible --name '^Yumo' | head -n 1)"
    [ -n "$window" ] || die "no window: $(cat "$E2E_WORK/yumo.log")"
    sleep 2
    xdotool windowfocus --sync "$window" key Return
    sleep 3
    measure "yumo, window shown" "$yumo"
    saver true
    sleep 2
    measure "yumo, screen saver active" "$yumo"
    saver false
    sleep 1
    xdotool windowunmap --sync "$window"
    sleep 2
    measure "yumo, window hidden" "$yumo"
    printf '%-26s %s MB\n' "yumo, peak resident" \
        "$(awk '/VmHWM/ { printf "%.1f", $2 / 1024 }' "/proc/$yumo/status")"
    stop "$yumo"
    audacious "$night" >/dev/null 2>&1 &
    player=$!
    E2E_PIDS+=("$player")
    sleep 4
    measure "audacious, window shown" "$player"
    stop "$player"
    mpv --no-video --really-quiet --ao=pulse "$night" &
    player=$!
    E2E_PIDS+=("$player")
    sleep 3
    measure "mpv" "$player"
    stop "$player"
done
echo "load after: $(uptime)"

median() { # the median of the numbers on standard input
    sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2];
                                        else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
echo "median of $rounds rounds, % of one core:"
cut -d'|' -f1 "$figures" | awk '!seen[$0]++' | while IFS= read -r phase; do
    values=()
    for column in 2 3 4 5; do
        values+=("$(awk -F'|' -v p="$phase" -v c="$column" '$1 == p { print $c }' "$figures" |
            median)")
    done
    printf '%-26s client %5.2f %%  sound server %5.2f %%  X server %5.2f %%  sum %5.2f %%\n' \
        "$phase" "${values[@]}"
done
