#!/usr/bin/env bash
# The window program while its sound server comes and goes, as a user meets it, on private X
# and sound servers (tests/e2e/servers.sh). Three walks, each from a fresh start of `yumo`:
#   late      no sound server at start; the title says the sound is away; the server starts
#             5 s later, Enter starts a night, and the greeting is heard on it
#   restart   a wake-up time two minutes ahead (set in the settings file); Enter
#             starts a night; the server is killed 10 s in and started again 5 s later: the
#             night never stops (the media-player interface says Playing throughout), her
#             stream is on the new server within 5 s, and the wake-up call (kind 10, told by the
#             media-player interface as yumo:wakeCall) comes at its minute and is heard on the
#             restarted server
#   switch    two null sinks; the default output changes during a night: the sound moves there
#   stop      a voice set of steady tones and a wake-up time; the server is stopped (SIGSTOP)
#             10 s before it, for 30 s: the title says the sound is away within 3 s, the night
#             goes on, the wake-up notice shows at her call, and once the server goes on
#             (SIGCONT) the title says the sound is back within 5 s and her tone plays on
#   fade      (only with --only fade) the steady tones; 起きます (Enter) 10 s into a night, then
#             Ctrl+Q 10 s into another: each recording ends in silence, and the 20 ms before
#             it peak at or below -50 dBFS, the fade heard to its end rather than cut off
# The recordings, the program's output and the servers' logs are kept in BUILD/e2e-server/
# (BUILD/e2e-server-pipewire/ on PipeWire; with --only, BUILD/e2e-server[-pipewire]-WALK/), so
# that walks can run at once.
#
#   tests/e2e/server_walk.sh [BUILD] [--pipewire] [--only WALK | --skip WALK]
#
# --pipewire runs the walks on PipeWire (pipewire, wireplumber, pipewire-pulse on a private
# session bus) instead of PulseAudio. Needs what tests/e2e/run.sh needs, and sox and
# dbus-daemon (scripts/packages.txt).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build_arg="$here/../../build"
only=""
skip=""
while [ $# -gt 0 ]; do
    case "$1" in
    --pipewire) export E2E_SOUND_SERVER=pipewire ;;
    --only) only="$2"; shift ;;
    --skip) skip="$2"; shift ;;
    *) build_arg="$1" ;;
    esac
    shift
done
build="$(cd "$build_arg" && pwd)"
out="$build/e2e-server"
[ "${E2E_SOUND_SERVER:-}" = pipewire ] && out="$out-pipewire"
[ -n "$only" ] && out="$out-$only"
readonly START_LIMIT_SECONDS=20
source "$here/servers.sh"

e2e_require Xvfb xdotool pactl parecord sox dbus-daemon dbus-send
for program in yumo yumo-check-recording; do
    [ -x "$build/$program" ] || e2e_fail "$build/$program is missing: build first"
done
mkdir -p "$out"
rm -f "$out"/*.wav "$out"/*.log

export HOME="$E2E_WORK/home"
mkdir -p "$HOME/.config/yumo"
unset XDG_CONFIG_HOME XDG_DATA_HOME
e2e_start_display
e2e_start_session_bus

playing() { [ "$(e2e_property org.mpris.MediaPlayer2.Player PlaybackStatus)" = Playing ]; }
not_playing() { ! playing; }
can_play() { [ "$(e2e_property org.mpris.MediaPlayer2.Player CanPlay)" = "boolean true" ]; }
# The peak of a recording as a whole number out of 32768.
peak() { awk -v p="$(e2e_peak "$@")" 'BEGIN { printf "%d", p * 32768 }'; }

start_yumo() { # start_yumo LOG
    (cd "$E2E_WORK/empty" && exec "$build/yumo") >"$1" 2>&1 &
    yumo=$!
    E2E_PIDS+=("$yumo")
    e2e_wait_for "$START_LIMIT_SECONDS" can_play || e2e_fail "yumo did not start: $(cat "$1")"
    window="$(xdotool search --sync --onlyvisible --name '^Yumo' | head -n 1)"
}
press_enter() {
    xdotool windowfocus --sync "$window"
    xdotool key Return
    e2e_wait_for 5 playing || e2e_fail "Enter did not start a night"
}
quit_yumo() {
    e2e_player org.mpris.MediaPlayer2.Quit
    local status=0
    timeout 10 tail --pid="$yumo" -f /dev/null || e2e_fail "yumo did not end when asked to"
    wait "$yumo" || status=$?
    [ "$status" -eq 0 ] || e2e_fail "yumo ended with status $status"
}
title() { xdotool getwindowname "$window"; }
mkdir -p "$E2E_WORK/empty"
printf 'e2e: sound server %s\n' "$E2E_SOUND_SERVER"

walk_late() {
    e2e_sound_runtime # no server yet
    start_yumo "$out/late-yumo.log"
    e2e_wait_for 5 sh -c "xdotool getwindowname $window | grep -q サウンドサーバー" ||
        e2e_fail "the title does not say the sound is away: $(title)"
    sleep 3
    e2e_start_sound_server
    local started=$SECONDS
    e2e_start_recording "$out/late.wav"
    # Looked for every 2-4 s: found within 5 s of its start.
    e2e_wait_for 5 sh -c "xdotool getwindowname $window | grep -q 戻りました" ||
        e2e_fail "the server was not found within 5 s: $(title)"
    echo "e2e: late server: found $((SECONDS - started)) s after it started"
    press_enter
    sleep 5
    e2e_stop_recording
    quit_yumo
    "$build/yumo-check-recording" "$out/late.wav" >"$out/late-check.log" ||
        e2e_fail "late server: the greeting was not heard ($(cat "$out/late-check.log"))"
    e2e_kill_sound_server
}

# The start of the minute two minutes ahead on the clock (60-120 s away): its second since the
# epoch and its minute of the day.
wake_in_two_minutes() {
    local at=$((($(date +%s) / 60 + 2) * 60))
    echo "$at $((10#$(date -d "@$at" +%H) * 60 + 10#$(date -d "@$at" +%M)))"
}
# The settings of a night that must end in her call at minute $1 of the day (voice set $2 if
# given): 寝つき, 睡眠 and 寝起き at 10 bring her to the light, alert sleep from which she calls
# at the first clip end of that minute.
write_wake_settings() {
    printf '[personality]\nnetsuki=10\nsuimin=10\nneoki=10\n\n[wake]\nminuteOfDay=%d\n' "$1" \
        >"$HOME/.config/yumo/yumo.conf"
    [ -z "${2:-}" ] || printf '\n[voice]\nlastLoaded=%s\n' "$2" >>"$HOME/.config/yumo/yumo.conf"
}

walk_restart() {
    local wake
    read -r _ wake < <(wake_in_two_minutes)
    write_wake_settings "$wake"
    e2e_start_sound_server
    start_yumo "$out/restart-yumo.log"
    press_enter
    sleep 10
    e2e_kill_sound_server
    e2e_wait_for 5 sh -c "xdotool getwindowname $window | grep -q サウンドサーバー" ||
        e2e_fail "the title does not say the sound is away: $(title)"
    local second
    for second in 1 2 3 4 5; do
        playing || e2e_fail "the night stopped when the server went away"
        sleep 1
    done
    e2e_start_sound_server
    local restarted=$SECONDS
    e2e_start_recording "$out/restart.wav"
    local recording_from
    recording_from=$(date +%s.%N)
    # Within 5 s the new server plays her stream, named for the mixer.
    e2e_wait_for 5 sh -c 'pactl list sink-inputs | grep -q "application.name = \"Yumo\""' ||
        e2e_fail "no Yumo stream on the restarted server within 5 s"
    echo "e2e: restart: her stream is on the new server $((SECONDS - restarted)) s after its start"
    pactl list sink-inputs >"$out/restart-streams.log"
    grep -q 'media.role = "music"' "$out/restart-streams.log" || e2e_fail "the stream's role"
    # Wait for her call; the night must go on all the while.
    local called="" limit=$((SECONDS + 240))
    while [ $SECONDS -lt $limit ]; do
        playing || e2e_fail "the night stopped"
        if e2e_property org.mpris.MediaPlayer2.Player Metadata | tr '\n' ' ' |
            grep -q 'yumo:wakeCall *variant *boolean true'; then
            called=$(date +%s.%N)
            break
        fi
        sleep 0.5
    done
    sleep 4
    e2e_stop_recording
    quit_yumo
    [ -n "$called" ] || e2e_fail "no wake-up call within 4 minutes (wake time $wake)"
    local called_minute
    called_minute=$(date -d "@${called%.*}" +%H:%M)
    [ "$called_minute" = "$(printf '%02d:%02d' $((wake / 60)) $((wake % 60)))" ] ||
        e2e_fail "the wake-up call came at $called_minute, not at its minute ($wake)"
    # Her sound on the new server (she may be silent between clips, so the whole recording
    # up to her call counts), and the call heard on it.
    local before call at
    at=$(awk -v a="$called" -v r="$recording_from" 'BEGIN { print a - r }')
    before=$(peak "$out/restart.wav" 0 "$at")
    call=$(peak "$out/restart.wav" "$at" 4)
    echo "e2e: restart: peak $before before the call; call at $called_minute, peak $call"
    [ "$before" -gt 300 ] || e2e_fail "nothing heard on the restarted server"
    [ "$call" -gt 300 ] || e2e_fail "the wake-up call was not heard on the restarted server"
    rm -f "$HOME/.config/yumo/yumo.conf"
    e2e_kill_sound_server
}

walk_switch() {
    e2e_start_sound_server
    pactl load-module module-null-sink sink_name=e2e_other rate=44100 channels=2 >/dev/null
    e2e_wait_for 5 sh -c 'pactl list short sinks | grep -q e2e_other' || e2e_fail "no second sink"
    e2e_start_recording "$out/switch-first.wav" e2e_sink
    local first_recorder=$E2E_RECORDER first_from
    first_from=$(date +%s.%N)
    e2e_start_recording "$out/switch-other.wav" e2e_other
    local other_recorder=$E2E_RECORDER other_from
    other_from=$(date +%s.%N)
    start_yumo "$out/switch-yumo.log"
    press_enter
    # The first default is listened to from Enter to the move: a slow start (a busy machine)
    # must not push her greeting out of the part of the recording that is looked at.
    local pressed
    pressed=$(awk -v m="$(date +%s.%N)" -v r="$first_from" 'BEGIN { print m - r }')
    sleep 3
    pactl set-default-sink e2e_other
    # Her stream is on the new default within 3 s, and is heard there. She may lie quiet for a
    # while between clips, so the new default is listened to for 15 s from the move.
    local other moved
    other=$(pactl list short sinks | awk '$2 == "e2e_other" { print $1 }')
    on_other() { pactl list short sink-inputs | awk -v s="$other" '$2 == s' | grep -q .; }
    e2e_wait_for 3 on_other || e2e_fail "her stream did not move to the new default"
    moved=$(awk -v m="$(date +%s.%N)" -v r="$other_from" 'BEGIN { print m - r }')
    sleep 15
    e2e_stop_recording "$first_recorder"
    e2e_stop_recording "$other_recorder"
    quit_yumo
    local before after
    before=$(peak "$out/switch-first.wav" "$pressed" 3)
    after=$(peak "$out/switch-other.wav" "$moved" 15)
    echo "e2e: switch: peak $before on the first sink, $after on the new default"
    [ "$before" -gt 300 ] || e2e_fail "nothing heard on the first default"
    [ "$after" -gt 300 ] || e2e_fail "nothing heard on the new default"
    e2e_kill_sound_server
}

# Seconds since the epoch, to the millisecond, and since such a time.
now_seconds() { date +%s.%3N; }
since() { awk -v t="$1" -v n="$(now_seconds)" 'BEGIN { printf "%.1f", n - t }'; }
within() { awk -v s="$1" -v limit="$2" 'BEGIN { exit !(s < limit) }'; } # within SECONDS LIMIT
# title_says_within LIMIT WORD SAYS SINCE: the title holds WORD within LIMIT seconds from now.
title_says_within() {
    local from after
    from=$(now_seconds)
    e2e_wait_for $((${1%.*} + 1)) sh -c "xdotool getwindowname $window | grep -q $2" ||
        e2e_fail "the title did not say $3 after $4: $(title)"
    after=$(since "$from")
    echo "e2e: stop: the title says $3 $after s after $4"
    within "$after" "$1" || e2e_fail "the title said $3 $after s after $4, not within $1 s"
}

# Every kind one steady 1-s tone, so that her sound never pauses and her call comes at the
# first depth update of its minute: $tones/tones.ymv.
tones="$E2E_WORK/tones"
make_tones() {
    local kind clips=()
    mkdir -p "$tones"
    sox -n -r 44100 -c 1 -b 16 "$tones/tone.wav" synth 1 sine 500 vol 0.5
    for kind in 0 1 2 3 4 5 6 7 8 9 10 11; do clips+=("$kind=$tones/tone.wav"); done
    "$build/yumo-tool" voice new "$tones/tones.ymv" --owner tones "${clips[@]}" >/dev/null ||
        e2e_fail "the tone voice set could not be made"
}

# Her call's notice is on screen. Titles are compared whole: xdotool's own --name pattern finds
# no Japanese title where the C library lacks the locale data for it (a minimal Debian).
notice_shown() {
    local w
    for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do
        [ "$(xdotool getwindowname "$w" 2>/dev/null)" = 起こして ] && return 0
    done
    return 1
}

walk_stop() {
    local wake_at wake
    make_tones
    read -r wake_at wake < <(wake_in_two_minutes)
    write_wake_settings "$wake" "$tones/tones.ymv"
    e2e_start_sound_server
    start_yumo "$out/stop-yumo.log"
    press_enter
    sleep $((wake_at - 10 - $(date +%s)))

    # Stopped 10 s before her call, for 30 s, and on until her call if her sleep holds it off:
    # she calls by two minutes after the wake time whatever her sleep.
    kill -STOP "${E2E_SOUND_PIDS[@]}"
    local stopped called=""
    stopped=$(now_seconds)
    title_says_within 3 サウンドサーバー "the sound is away" "the server stopped"
    while within "$(since "$stopped")" 30 || { [ -z "$called" ] && within "$(since "$stopped")" 140; }; do
        playing || e2e_fail "the night stopped while the server was stopped"
        [ -n "$called" ] || ! notice_shown || called=$(since "$stopped")
        sleep 0.5
    done
    [ -n "$called" ] || e2e_fail "no wake-up notice while the server was stopped (wake time $wake;" \
        "windows shown: $(for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do
            printf '%s; ' "$(xdotool getwindowname "$w")"; done))"
    echo "e2e: stop: her call's notice $called s after the server stopped, 10 s before the wake time"

    # Once it goes on, her new stream is fed the moment it is ready (the title says so), and
    # the server plays it within its 250 ms buffer.
    kill -CONT "${E2E_SOUND_PIDS[@]}"
    title_says_within 4.5 戻りました "the sound is back" "the server went on"
    e2e_start_recording "$out/stop.wav"
    sleep 2
    e2e_stop_recording
    quit_yumo
    local heard
    heard=$(peak "$out/stop.wav" 0 0.5)
    echo "e2e: stop: peak $heard in the first 0.5 s recorded after that"
    [ "$heard" -gt 100 ] || e2e_fail "her tone did not play on once the server went on"
    rm -f "$HOME/.config/yumo/yumo.conf"
    e2e_kill_sound_server
}

walk_fade() {
    make_tones
    printf '[voice]\nlastLoaded=%s\n' "$tones/tones.ymv" >"$HOME/.config/yumo/yumo.conf"
    e2e_start_sound_server
    local name key peak_db
    for name in wake close; do
        key=Return
        [ "$name" = wake ] || key=ctrl+q
        e2e_start_recording "$out/fade-$name.wav"
        start_yumo "$out/fade-$name-yumo.log"
        press_enter
        sleep 10
        xdotool windowfocus --sync "$window"
        xdotool key "$key"
        # The fade lasts 3 s, and the ear is about half a second behind what was written.
        e2e_wait_for 8 not_playing || e2e_fail "fade $name: the night did not end within 8 s"
        [ "$name" = close ] || e2e_player org.mpris.MediaPlayer2.Quit
        timeout 10 tail --pid="$yumo" -f /dev/null || e2e_fail "fade $name: yumo did not end"
        e2e_stop_recording
        # The recording without its closing silence, and the peak of its last 20 ms.
        sox "$out/fade-$name.wav" "$out/fade-$name-sound.wav" reverse silence 1 1 0 reverse
        peak_db=$(sox "$out/fade-$name-sound.wav" -n trim -0.02 stat 2>&1 |
            awk '/^Maximum amplitude/ { printf "%.1f", 20 * log($3 + 1e-9) / log(10) }')
        echo "e2e: fade $name: the 20 ms before the silence peak at $peak_db dBFS"
        [ "$(soxi -s "$out/fade-$name-sound.wav")" -lt "$(soxi -s "$out/fade-$name.wav")" ] ||
            e2e_fail "fade $name: the sound did not end before the recording"
        awk -v p="$peak_db" 'BEGIN { exit !(p <= -50) }' ||
            e2e_fail "fade $name: the fade was cut off at $peak_db dBFS"
    done
    rm -f "$HOME/.config/yumo/yumo.conf"
    e2e_kill_sound_server
}

# fade runs only when asked for: the other walks run on two servers at once in CI.
for walk in late restart switch stop ${only:+fade}; do
    if { [ -z "$only" ] || [ "$only" = "$walk" ]; } && [ "$skip" != "$walk" ]; then
        "walk_$walk"
    fi
done
cp "$E2E_WORK"/sound-*.log "$out/" 2>/dev/null || true
echo "e2e: server walks passed on $E2E_SOUND_SERVER; recordings in $out"
