#!/usr/bin/env bash
# Sets Yumo up (scripts/setup.sh) and runs its main job. Until the window exists that is an
# offline demo, written to WAV files in BUILD/demo:
#   oyasumi_circle.wav  おやすみなさい spoken by espeak-ng, rendered binaurally so that the
#                       voice circles the listener's head once (listen with headphones)
#   night.wav           the first minutes of a night with the default voice, from 23:00
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

readonly NIGHT_MINUTES=3
readonly CIRCLE_DISTANCE=0.3 # metres from the centre of the head

"$YUMO_ROOT/scripts/setup.sh"

tool="$YUMO_BUILD/yumo-tool"
head="$YUMO_BUILD/data/hrtf/head01.bir"
voice="$YUMO_BUILD/data/ymv/Yumone.ymv"
demo="$YUMO_BUILD/demo"
mkdir -p "$demo"

has_command() {
    "$tool" --help | grep -q "^  $1 "
}

say "demo: おやすみなさい circling the head"
spoken="$demo/oyasumi_mono.wav"
# Said twice, so that the voice is heard all the way round.
espeak-ng -v ja+f2 -s 95 -p 45 -w "$demo/oyasumi_espeak.wav" "おやすみなさい。 おやすみなさい。"
sox -R "$demo/oyasumi_espeak.wav" -b 16 -c 1 "$spoken" \
    highpass 70 rate -v 44100 gain -n -6 fade q 0.02 -0 0.1 pad 0.2 0.3
rm -f "$demo/oyasumi_espeak.wav"
# One line "azimuth elevation distance" per block of 512 samples: azimuth runs once round
# 0-360 degrees (0 in front, below 180 on the left) at ear level.
samples="$(soxi -s "$spoken")"
blocks=$(((samples + 511) / 512))
awk -v n="$blocks" -v d="$CIRCLE_DISTANCE" \
    'BEGIN { for (i = 0; i < n; i++) printf "%.3f 0 %s\n", 360 * i / n, d }' >"$demo/circle.path"
"$tool" hrir render "$head" "$spoken" "$demo/oyasumi_circle.wav" --path "$demo/circle.path"
echo "wrote $demo/oyasumi_circle.wav"

say "demo: a night with the default voice"
if has_command night; then
    "$tool" night --voice "$voice" --hrir "$head" --start 23:00 --minutes "$NIGHT_MINUTES" \
        --out "$demo/night.wav"
    echo "wrote $demo/night.wav"
else
    echo "skipped: this build of yumo-tool has no 'night' command yet"
fi
