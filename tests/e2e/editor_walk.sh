#!/usr/bin/env bash
# A new user builds a voice set in the voice editor, on a private X server and a private
# PulseAudio null sink (tests/e2e/servers.sh): opens the editor from the menu, starts a new set
# and names its owner, picks a WAV with 選択..., previews a clip, adds WAV and MP3 clips (a
# capitalised ".MP3" is refused as not WAV), saves, closes the set, opens the saved file again
# and starts a night. Checked: the saved file's clips and owner (yumo-tool voice info), the
# refusal's message box, the preview and the greeting in the recording of what the sink played
# (their tones, and no break in the night's stream), and a clean exit. Screenshots of every
# step, the recording and the program's output are kept in BUILD/e2e-editor/ to look at.
#
#   tests/e2e/editor_walk.sh [BUILD]        (default: build/ in the repository)
#
# Works as root and without a terminal. Needs: xvfb xdotool imagemagick pulseaudio
# pulseaudio-utils sox (scripts/packages.txt).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "${1:-$here/../../build}" && pwd)"
out="$build/e2e-editor"
data="$here/../data/mp3"
readonly START_LIMIT_SECONDS=20
source "$here/servers.sh"

e2e_require Xvfb xdotool pulseaudio pactl parecord import sox
for program in yumo yumo-tool yumo-check-recording; do
    [ -x "$build/$program" ] || e2e_fail "$build/$program is missing: build first"
done
mkdir -p "$out"
rm -f "$out"/*.png "$out"/*.wav "$out"/yumo.log "$out"/*.txt

# The user's clips: tones that are easy to find in the recording, faded in and out as a
# recording would be, so that their ends are no breaks.
clips="$E2E_WORK/clips"
mkdir "$clips"
sox -n -r 44100 -c 1 -b 16 "$clips/goodnight.wav" synth 2.5 sine 440 vol 0.7 fade 0.05 2.5 0.1
sox -n -r 44100 -c 2 -b 16 "$clips/breath.wav" synth 1.2 sine 660 vol 0.7 fade 0.05 1.2 0.1
cp "$data/stereo_44k.mp3" "$clips/wake.mp3"
cp "$data/mono_44k.mp3" "$clips/loud.MP3"
saved="$E2E_WORK/hoshi.ymv"

# A home of its own: the settings the program keeps stay out of the user's.
export HOME="$E2E_WORK/home"
mkdir -p "$HOME"
unset XDG_CONFIG_HOME XDG_DATA_HOME
# xdotool matches window titles in the locale's encoding: in the C locale of a bare machine the
# Japanese titles match nothing (and the check that the editor has closed could not fail).
export LC_ALL=C.UTF-8
e2e_start_display
e2e_start_sound_server
recording="$out/recording.wav"
e2e_start_recording "$recording"
recording_started=$(date +%s%N)
since_recording() { awk -v now="$(date +%s%N)" -v t0="$recording_started" 'BEGIN {printf "%.3f", (now - t0) / 1e9}'; }

shot() { sleep 0.4; import -window root "$out/$1.png"; }
keys() { xdotool key --delay 60 "$@"; }
type_text() { xdotool type --delay 20 "$1"; }
find_window() { timeout 10 xdotool search --sync --onlyvisible --name "$1" | head -n 1 || true; }
focus() { xdotool windowfocus --sync "$1"; sleep 0.2; }

empty="$E2E_WORK/empty"
mkdir "$empty"
cd "$empty"
"$build/yumo" >"$out/yumo.log" 2>&1 &
yumo=$!
E2E_PIDS+=("$yumo")
main="$(timeout "$START_LIMIT_SECONDS" xdotool search --sync --onlyvisible --name '^Yumo$' |
    head -n 1)" || true
[ -n "$main" ] || e2e_fail "no window appeared; the program said: $(cat "$out/yumo.log")"
sleep 1

# ファイル > ボイス情報の編集...: the menu's last item but one, whatever is enabled above it.
focus "$main"
xdotool mousemove --sync 20 8 click 1
sleep 0.4
keys Up Up
shot 01-menu
keys Return
editor="$(find_window '^ボイス編集$')"
[ -n "$editor" ] || e2e_fail "the editor did not open"
shot 02-editor

# The focus walks the rows: path field, 選択..., プレビュー, 追加, then the next row; after the
# rows come 新規ボイス作成…, 保存... and キャンセル. `at` is where the focus stands.
at=0
go_to() { # row column (column 0-3; row 12 holds the three buttons below the rows)
    local target=$(($1 * 4 + $2))
    focus "$editor"
    while [ "$at" -lt "$target" ]; do keys Tab; at=$((at + 1)); done
    while [ "$at" -gt "$target" ]; do keys shift+Tab; at=$((at - 1)); done
}
fill_row() { # row path
    go_to "$1" 0
    keys ctrl+a
    type_text "$2"
}
# 追加 is disabled while its file is imported, which moves the focus to the next row's field.
add_row() { # row
    go_to "$1" 3
    keys space
    at=$((($1 + 1) * 4))
    sleep 1
}

# 新規ボイス作成…: asked first, then the owner's name.
go_to 12 0
keys space
question="$(find_window '^新規ボイスデータ作成確認$')"
[ -n "$question" ] || e2e_fail "no question before the new set"
shot 03-new-set-question
focus "$question"
keys y
name_dialog="$(find_window '^ボイス情報新規作成$')"
[ -n "$name_dialog" ] || e2e_fail "the new-set dialog did not open"
focus "$name_dialog"
type_text "Hoshi"
shot 04-owner-name
keys Return
sleep 0.5
shot 05-new-set

# おやすみ through 選択..., the clip chooser.
go_to 0 1
keys space
chooser="$(find_window '^ボイスのファイル$')"
[ -n "$chooser" ] || e2e_fail "the clip chooser did not open"
focus "$chooser"
type_text "$clips/goodnight.wav"
shot 06-clip-chooser
keys Return
sleep 0.5
add_row 0

# すぅはぁ: listened to first, then added.
fill_row 1 "$clips/breath.wav"
go_to 1 2
preview_at=$(since_recording)
keys space
sleep 1.6
add_row 1

# はぁ: a capitalised ".MP3" goes to the WAV import, which refuses it.
fill_row 3 "$clips/loud.MP3"
add_row 3
refusal="$(find_window '^ファイルオープンエラー$')"
[ -n "$refusal" ] || e2e_fail "the capitalised .MP3 was not refused"
shot 07-refused-MP3
focus "$refusal"
keys Return
sleep 0.3

# 起きて from an MP3.
fill_row 10 "$clips/wake.mp3"
add_row 10
shot 08-clips-added

# 保存...: the chooser offers the owner's name; the user types where to save.
go_to 12 1
keys space
save_chooser="$(find_window '^名前を付けて保存$')"
[ -n "$save_chooser" ] || e2e_fail "the save chooser did not open"
shot 09-save-chooser
focus "$save_chooser"
keys ctrl+a
type_text "$saved"
keys Return
for _ in $(seq 50); do [ -s "$saved" ] && break; sleep 0.1; done
[ -s "$saved" ] || e2e_fail "nothing was saved to $saved"
"$build/yumo-tool" voice info "$saved" >"$out/saved.txt"

# キャンセル closes the editor; Ctrl+W closes the set (saved: no question); Ctrl+O opens it again.
go_to 12 2
keys space
sleep 0.5
[ -z "$(xdotool search --onlyvisible --name '^ボイス編集$' || true)" ] ||
    e2e_fail "キャンセル did not close the editor"
focus "$main"
keys ctrl+w
sleep 0.5
shot 10-closed
keys ctrl+o
open_chooser="$(find_window '^ボイス情報の読み込み$')"
[ -n "$open_chooser" ] || e2e_fail "the open chooser did not open (was a question asked?)"
focus "$open_chooser"
keys ctrl+a
type_text "$saved"
keys Return
sleep 1
shot 11-reopened

# A night: the greeting is the おやすみ clip.
focus "$main"
night_at=$(since_recording)
keys Return
sleep 3.5
shot 12-night
keys ctrl+q
status=0
wait "$yumo" || status=$?
e2e_stop_recording

[ "$status" -eq 0 ] || e2e_fail "yumo exited with status $status; it said: $(cat "$out/yumo.log")"
cat "$out/saved.txt"
grep -q '^owner: Hoshi$' "$out/saved.txt" || e2e_fail "the owner's name was not saved"
for kind in 'kind 0 (おやすみ): count 1' 'kind 1 (すぅはぁ): count 1' 'kind 10 (起きて): count 1' \
    'kind 3 (はぁ): count 0'; do
    grep -qF "$kind" "$out/saved.txt" || e2e_fail "the saved file does not hold: $kind"
done
grep -qF "$clips/wake.mp3" "$out/saved.txt" || e2e_fail "the MP3 clip's source is not recorded"

# The tone of a stretch of the recording: sox's rough frequency (zero crossings) and peak.
tone_of() { # start duration
    sox "$recording" -n trim "$1" "$2" remix 1 stat 2>&1 |
        awk '/Rough   frequency/ {f=$3} /Maximum amplitude/ {a=$3} END {print f, a}'
}
plus() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.3f", a + b}'; }
near() { # value low high
    awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN {exit !(v >= lo && v <= hi)}'
}
read -r preview_hz preview_peak <<<"$(tone_of "$(plus "$preview_at" 0.3)" 0.6)"
echo "e2e: preview at ${preview_at} s: ${preview_hz} Hz, peak ${preview_peak}"
near "$preview_hz" 630 690 && near "$preview_peak" 0.2 1 ||
    e2e_fail "the preview of breath.wav (660 Hz) was not heard"
read -r night_hz night_peak <<<"$(tone_of "$(plus "$night_at" 0.6)" 1.5)"
echo "e2e: night from ${night_at} s: ${night_hz} Hz, peak ${night_peak}"
near "$night_hz" 420 460 || e2e_fail "the greeting was not the added おやすみ clip (440 Hz)"
sox "$recording" "$out/night.wav" trim "$night_at"
# The editor matches added clips to -23 LUFS, and the night fades in over 3 s: the tones come
# out about 10 dB below their sources, still far above the null sink's silence.
"$build/yumo-check-recording" "$out/night.wav" --min-peak 800 || e2e_fail "the night's stream broke off"
echo "e2e: passed; screenshots and recording in $out"
