#!/usr/bin/env bash
# Makes the default voice BUILD_DIR/data/ymv/Yumone.ymv: speech clips spoken by espeak-ng's
# Japanese voice (soft female and whispering variants), breath, snores, mumbles, sighs and
# silences synthesised by yumo-voicegen, every clip 44.1 kHz mono 16-bit with soft edges.
# Does nothing when the voice is newer than everything it is made from.
# Usage: scripts/make_default_voice.sh BUILD_DIR
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
build_dir="$(cd "$1" && pwd)"
tool="$build_dir/yumo-tool"
voicegen="$build_dir/yumo-voicegen"
output="$build_dir/data/ymv/Yumone.ymv"
clips="$build_dir/voice-clips"
readonly OWNER="ゆめ"
readonly SPEECH_RMS_DB=-20  # level of speech clips, dBFS RMS
readonly SPEECH_PEAK_DB=-1  # and the highest peak they may reach

# kind|file name|espeak-ng voice|words per minute|pitch 0-99|text (kana: espeak-ng skips kanji)
readonly SPEECH_CLIPS=(
    "0|goodnight_1|ja+f2|95|45|おやすみなさい"
    "0|goodnight_2|ja+whisperf|90|40|おやすみ"
    "6|sleep_talk_1|ja+whisperf|85|35|もう たべられないよ"
    "6|sleep_talk_2|ja+f4|80|30|えへへ あったかいね"
    "7|startle_1|ja+f2|130|70|はっ"
    "8|grumble_1|ja+whisperf|110|30|うーん なんでよ もう"
    "8|grumble_2|ja+f4|115|30|しらないもん"
    "10|wake_1|ja+f2|100|55|おきて あさだよ"
    "10|wake_2|ja+f2|110|60|ねえ おきて もう あさだよ"
)

for program in "$tool" "$voicegen"; do
    [ -x "$program" ] || die "$program is missing: build first (scripts/setup.sh)"
done
for program in espeak-ng sox; do
    command -v "$program" >/dev/null || die "$program is missing (Debian package $program)"
done

if [ -e "$output" ] && [ -z "$(find "${BASH_SOURCE[0]}" "$tool" "$voicegen" -newer "$output")" ]; then
    echo "default voice: $output (up to date)"
    exit 0
fi

rm -rf "$clips"
mkdir -p "$clips" "$(dirname "$output")"

# Speaks one line and brings it to 44.1 kHz mono 16-bit at the speech level, with 20 ms and
# 120 ms fades and a little silence around it so no clip starts or ends with a click.
speak() {
    local voice="$1" speed="$2" pitch="$3" text="$4" out="$5"
    local raw="$clips/raw.wav" shaped="$clips/shaped.wav"
    espeak-ng -v "$voice" -s "$speed" -p "$pitch" -w "$raw" "$text"
    sox -R "$raw" -b 16 -c 1 "$shaped" highpass 70 rate -v 44100 fade q 0.02 -0 0.12 pad 0.05 0.15
    local gain
    gain="$(sox "$shaped" -n stats 2>&1 | awk -v rms="$SPEECH_RMS_DB" -v peak="$SPEECH_PEAK_DB" '
        /^RMS lev dB/ { r = $4 } /^Pk lev dB/ { p = $4 }
        END { g = rms - r; if (p + g > peak) g = peak - p; printf "%.2f", g }')"
    sox -R "$shaped" "$out" gain "$gain"
    rm -f "$raw" "$shaped"
}

arguments=()
for clip in "${SPEECH_CLIPS[@]}"; do
    IFS='|' read -r kind name voice speed pitch text <<<"$clip"
    speak "$voice" "$speed" "$pitch" "$text" "$clips/$name.wav"
    arguments+=("$kind=$clips/$name.wav")
done
synthesised="$("$voicegen" "$clips")"
while read -r kind path; do
    arguments+=("$kind=$path")
done <<<"$synthesised"

# Each clip matched to the loudness target; names relative to the data folder, so the set does
# not carry the build machine's folders.
"$tool" voice new "$output" --owner "$OWNER" --names-from "$build_dir/data" "${arguments[@]}"
echo "default voice: $output (${#arguments[@]} clips)"
