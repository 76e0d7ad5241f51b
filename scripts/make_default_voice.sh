#!/usr/bin/env bash
# Makes the default voice BUILD_DIR/data/ymv/Yumone.ymv, ten clips of every kind: speech
# spoken by espeak-ng's Japanese voice (soft female and whispering variants), breath, snores,
# mumbles, sighs and silences synthesised by yumo-voicegen, every clip 44.1 kHz mono 16-bit
# with soft edges. The clips stay in BUILD_DIR/voice-clips, beside the data folder rather than
# in it, so an install does not ship them twice.
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

# kind|file name|espeak-ng voice|words per minute|pitch 0-99|text (kana: espeak-ng skips kanji).
# Ten lines for every spoken kind, and the spoken mumbles that join the synthesised ones; soft
# female variants for speech to the sleeper, whispers for talk in sleep, quick high voices for a
# start from a dream, low ones for grumbles.
readonly SPEECH_CLIPS=(
    "0|goodnight_1|ja+f2|95|45|おやすみなさい"
    "0|goodnight_2|ja+whisperf|90|40|おやすみ"
    "0|goodnight_3|ja+f4|90|40|きょうも おつかれさま おやすみ"
    "0|goodnight_4|ja+f1|85|50|いい ゆめ みてね"
    "0|goodnight_5|ja+whisperf|80|35|おやすみ また あした"
    "0|goodnight_6|ja+f5|90|45|ゆっくり やすんでね"
    "0|goodnight_7|ja+f2|85|38|そろそろ ねようか おやすみ"
    "0|goodnight_8|ja+f3|95|50|となりに いるからね おやすみ"
    "0|goodnight_9|ja+whisperf|85|42|ねむれそう? おやすみ"
    "0|goodnight_10|ja+f4|80|35|あったかくして ねてね"
    "5|mumble_spoken_1|ja+whisperf|80|30|うーん むにゃ むにゃ"
    "5|mumble_spoken_2|ja+f4|80|28|むにゃ むにゃ"
    "5|mumble_spoken_3|ja+whisperf|85|32|うーん もう ちょっと"
    "6|sleep_talk_1|ja+whisperf|85|35|もう たべられないよ"
    "6|sleep_talk_2|ja+f4|80|30|えへへ あったかいね"
    "6|sleep_talk_3|ja+whisperf|80|30|うん うん そうだね"
    "6|sleep_talk_4|ja+f2|80|35|まって まってよ"
    "6|sleep_talk_5|ja+whisperf|80|30|それ わたしの ぷりん"
    "6|sleep_talk_6|ja+f5|85|35|ふかふか だね"
    "6|sleep_talk_7|ja+whisperf|80|28|ねこさん どこ いくの"
    "6|sleep_talk_8|ja+f4|85|32|もう ちょっと だけ"
    "6|sleep_talk_9|ja+whisperf|80|35|えへへ すき"
    "6|sleep_talk_10|ja+f1|80|32|あしたは はれ かなあ"
    "7|startle_1|ja+f2|130|70|はっ"
    "7|startle_2|ja+f4|140|75|えっ"
    "7|startle_3|ja+f2|120|65|はっ なに"
    "7|startle_4|ja+f5|130|70|えっ いま なんじ"
    "7|startle_5|ja+f1|135|72|はっ ゆめ かあ"
    "7|startle_6|ja+f3|125|68|わっ"
    "7|startle_7|ja+f2|140|70|はっ ねてた"
    "7|startle_8|ja+f4|120|65|え なに なに"
    "7|startle_9|ja+whisperf|120|60|はっ びっくりした"
    "7|startle_10|ja+f5|125|66|あれ ここ どこ"
    "8|grumble_1|ja+whisperf|110|30|うーん なんでよ もう"
    "8|grumble_2|ja+f4|115|30|しらないもん"
    "8|grumble_3|ja+whisperf|105|28|もう ねむいのに"
    "8|grumble_4|ja+f2|110|32|だから いったじゃない"
    "8|grumble_5|ja+f5|105|30|ずるいよ それ"
    "8|grumble_6|ja+whisperf|100|28|むう まだ ねたい"
    "8|grumble_7|ja+f4|110|30|うるさいなあ もう"
    "8|grumble_8|ja+f1|105|30|ちがうってば"
    "8|grumble_9|ja+whisperf|110|30|ひとりで たべたでしょ"
    "8|grumble_10|ja+f3|105|28|べつに いいけど"
    "10|wake_1|ja+f2|100|55|おきて あさだよ"
    "10|wake_2|ja+f2|110|60|ねえ おきて もう あさだよ"
    "10|wake_3|ja+f4|105|55|おはよう あさだよ"
    "10|wake_4|ja+f1|110|60|おきて ちこく しちゃうよ"
    "10|wake_5|ja+f5|100|55|あさだよ おきる じかん"
    "10|wake_6|ja+f3|105|58|おはよう よく ねむれた?"
    "10|wake_7|ja+f2|115|62|ほら おきて おひさま でてるよ"
    "10|wake_8|ja+f4|100|52|そろそろ おきようか"
    "10|wake_9|ja+f5|110|60|おーい おきて"
    "10|wake_10|ja+f1|105|56|おきて いっしょに あさごはん たべよう"
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
# 120 ms fades and a little silence around it so no clip starts or ends with a click. Lines are
# spoken side by side, so each has its own scratch files.
speak() {
    local voice="$1" speed="$2" pitch="$3" text="$4" out="$5"
    local raw="$out.raw.wav" shaped="$out.shaped.wav"
    espeak-ng -v "$voice" -s "$speed" -p "$pitch" -w "$raw" "$text"
    # 6 dB of room first: espeak-ng speaks close to full scale and the filters overshoot it.
    sox -R "$raw" -b 16 -c 1 "$shaped" gain -6 highpass 70 rate -v 44100 \
        fade q 0.02 -0 0.12 pad 0.05 0.15
    local gain
    gain="$(sox "$shaped" -n stats 2>&1 | awk -v rms="$SPEECH_RMS_DB" -v peak="$SPEECH_PEAK_DB" '
        /^RMS lev dB/ { r = $4 } /^Pk lev dB/ { p = $4 }
        END { g = rms - r; if (p + g > peak) g = peak - p; printf "%.2f", g }')"
    sox -R "$shaped" "$out" gain "$gain"
    rm -f "$raw" "$shaped"
}

# The wordless clips are synthesised while the lines are spoken, two at a time (or YUMO_JOBS).
"$voicegen" "$clips" >"$clips/synthesised.txt" &
voicegen_pid=$!
jobs="${YUMO_JOBS:-2}"
arguments=()
speakers=()
for clip in "${SPEECH_CLIPS[@]}"; do
    IFS='|' read -r kind name voice speed pitch text <<<"$clip"
    speak "$voice" "$speed" "$pitch" "$text" "$clips/$name.wav" &
    speakers+=("$!")
    arguments+=("$kind=$clips/$name.wav")
    if [ "${#speakers[@]}" -ge "$jobs" ]; then
        wait "${speakers[0]}" || die "espeak-ng or sox failed on a line"
        speakers=("${speakers[@]:1}")
    fi
done
for pid in "${speakers[@]}"; do
    wait "$pid" || die "espeak-ng or sox failed on a line"
done
wait "$voicegen_pid" || die "$voicegen failed"
while read -r kind path; do
    arguments+=("$kind=$path")
done <"$clips/synthesised.txt"
rm -f "$clips/synthesised.txt"

# Each clip matched to the loudness target; names relative to the data folder, so the set does
# not carry the build machine's folders.
"$tool" voice new "$output" --owner "$OWNER" --names-from "$build_dir/data" "${arguments[@]}"
echo "default voice: $output (${#arguments[@]} clips)"
