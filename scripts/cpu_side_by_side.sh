#!/usr/bin/env bash
# What a night costs against players of the same sound, side by side in one run on the same
# private X and sound servers (tests/e2e/servers.sh): the window program playing a night with
# its window shown and then unmapped (hidden), Audacious playing that night's WAV (rendered by
# yumo-tool night) with its window shown, mpv playing it without a window. For each phase: the
# CPU of the client and of the sound server over SECONDS (user + system, % of one core) and
# the sum. Not run by CI: it takes ROUNDS x 4 x SECONDS.
#
#   scripts/cpu_side_by_side.sh [SECONDS] [ROUNDS]     (default 60 and 2; build/ must be built)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$YUMO_ROOT/tests/e2e/servers.sh"

seconds="${1:-60}"
rounds="${2:-2}"
e2e_require Xvfb xdotool pulseaudio pactl audacious mpv bc dbus-run-session
for program in yumo yumo-tool; do
    [ -x "$YUMO_BUILD/$program" ] || die "$YUMO_BUILD/$program is missing: build first"
done
export HOME="$E2E_WORK/home"
mkdir -p "$HOME"
unset XDG_CONFIG_HOME XDG_DATA_HOME
e2e_start_display
e2e_start_sound_server
server="${E2E_SOUND_PIDS[0]}"
hz="$(getconf CLK_TCK)"
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
night="$E2E_WORK/night.wav"
"$YUMO_BUILD/yumo-tool" night --voice "$YUMO_BUILD/data/ymv/Yumone.ymv" --start 23:00 \
    --minutes $((seconds / 60 + 2)) --out "$night" >"$E2E_WORK/night.log" 2>&1 ||
    die "yumo-tool night failed: $(cat "$E2E_WORK/night.log")"

measure() { # measure NAME PID
    local c0 s0 c1 s1
    c0=$(ticks "$2")
    s0=$(ticks "$server")
    sleep "$seconds"
    c1=$(ticks "$2")
    s1=$(ticks "$server")
    local client serverside
    client=$(echo "($c1 - $c0) * 100 / ($seconds * $hz)" | bc -l)
    serverside=$(echo "($s1 - $s0) * 100 / ($seconds * $hz)" | bc -l)
    printf '%-24s client %5.2f %%  server %5.2f %%  sum %5.2f %%\n' "$1" "$client" \
        "$serverside" "$(echo "$client + $serverside" | bc -l)"
}
stop() { kill "$1" 2>/dev/null || true; wait "$1" 2>/dev/null || true; sleep 1; }

cd "$E2E_WORK"
for round in $(seq "$rounds"); do
    echo "round $round of $rounds, $seconds s per phase"
    dbus-run-session -- "$YUMO_BUILD/yumo" >"$E2E_WORK/yumo.log" 2>&1 &
    session=$!
    E2E_PIDS+=("$session")
    window="$(timeout 20 xdotool search --sync --onlyvisible --name '^Yumo' | head -n 1)"
    [ -n "$window" ] || die "no window: $(cat "$E2E_WORK/yumo.log")"
    sleep 2
    xdotool windowfocus --sync "$window" key Return
    sleep 3
    yumo="$(pgrep -P "$session" -x yumo || echo "$session")"
    measure "yumo, window shown" "$yumo"
    xdotool windowunmap --sync "$window"
    sleep 2
    measure "yumo, window hidden" "$yumo"
    stop "$yumo"
    stop "$session"
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
