#!/bin/sh
# Rebuilds the import fixtures: MP3 files made from synthetic tones (Debian: sox, lame) in
# mp3/, and one small file per refused case in bad/mp3/ and bad/wav/. Run from tests/data.
set -eu
cd mp3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
lame_opts="--quiet --noreplaygain --nores"

# 0.2 s of tone: 1 kHz in mono files; 1 kHz left and 1.5 kHz right in stereo files.
sox -n -r 44100 -c 1 -b 16 "$tmp/m44.wav" synth 0.2 sine 1000 vol 0.5
sox -n -r 44100 -c 2 -b 16 "$tmp/s44.wav" synth 0.2 sine 1000 sine 1500 vol 0.5
sox -n -r 48000 -c 1 -b 16 "$tmp/m48.wav" synth 0.2 sine 1000 vol 0.5
sox -n -r 22050 -c 1 -b 16 "$tmp/m22.wav" synth 0.2 sine 1000 vol 0.5
sox -n -r 24000 -c 2 -b 16 "$tmp/s24.wav" synth 0.2 sine 1000 sine 1500 vol 0.5
sox -n -r 8000 -c 1 -b 16 "$tmp/m8.wav" synth 0.2 sine 1000 vol 0.5

lame $lame_opts -b 128 -m m "$tmp/m44.wav" mono_44k.mp3
lame $lame_opts -b 128 -m s "$tmp/s44.wav" stereo_44k.mp3
lame $lame_opts -b 128 -m m "$tmp/m48.wav" mono_48k.mp3
lame $lame_opts -b 64 -m m --resample 22.05 "$tmp/m22.wav" mono_22k.mp3
lame $lame_opts -b 64 -m s --resample 24 "$tmp/s24.wav" stereo_24k.mp3
lame $lame_opts -b 128 -m m --add-id3v2 --tt Yumo "$tmp/m44.wav" mono_44k_id3.mp3
lame $lame_opts -b 128 -m m --id3v2-only --tt Yumo "$tmp/m44.wav" mono_44k_id3only.mp3
# A hand-made ID3v2.3 tag whose size bytes are 00 00 02 01 (257 bytes after its 10-byte header).
{ printf 'ID3\003\000\000\000\000\002\001'; head -c 257 /dev/zero; cat mono_44k.mp3; } \
    > mono_44k_tag257.mp3

bad=../bad/mp3
lame $lame_opts -b 16 -m m --resample 8 "$tmp/m8.wav" "$tmp/m8.mp3"
head -c 512 "$tmp/m8.mp3" > $bad/mpeg25_8k.mp3
# Layer II: the first header's layer bits changed from 01 to 10 (0xFB -> 0xFD).
{ printf '\377\375'; tail -c +3 mono_44k.mp3 | head -c 510; } > $bad/layer2.mp3
{ printf '\000'; head -c 511 mono_44k.mp3; } > $bad/junk_before_frame.mp3
{ printf 'ID3\003\000\000\000\000\002\001'; head -c 100 /dev/zero; } > $bad/tag_past_end.mp3
printf 'ID3\003\000' > $bad/tag_cut_short.mp3
printf '\377\373\214\000' > $bad/reserved_rate.mp3   # rate index 3
printf '\377\373\000\000' > $bad/free_format.mp3     # bit-rate index 0
printf '\377\373\360\000' > $bad/forbidden_bitrate.mp3 # bit-rate index 15
printf '\377\353\220\000' > $bad/reserved_version.mp3 # version bits 01
printf '\377\373\220\000' > $bad/header_only.mp3      # valid header, nothing to decode
: > $bad/empty.mp3

# WAV files refused by import, one per check.
cd ../bad/wav
python3 - <<'PY'
import struct

def wav(tag=1, channels=2, rate=44100, avg=176400, bits=16, body=b"\0" * 8, data_len=None,
        fmt_extra=b"", form=b"WAVE", data_tag=b"data"):
    fmt = struct.pack("<HHIIHH", tag, channels, rate, avg, channels * bits // 8, bits) + fmt_extra
    chunks = b"fmt " + struct.pack("<I", len(fmt)) + fmt
    chunks += data_tag + struct.pack("<I", len(body) if data_len is None else data_len) + body
    return b"RIFF" + struct.pack("<I", 4 + len(chunks)) + form + chunks

files = {
    "not_wave.wav": wav(form=b"AVI "),
    "too_short.wav": wav()[:43],
    "float_tag.wav": wav(tag=3, bits=32, avg=352800),
    "extensible_tag.wav": wav(tag=0xFFFE, fmt_extra=struct.pack("<H", 22) + b"\0" * 22),
    "eight_bit.wav": wav(channels=1, avg=44100, bits=8),
    "twenty_four_bit.wav": wav(avg=264600, bits=24),
    "rate_48k.wav": wav(rate=48000, avg=192000),
    "zero_byte_rate.wav": wav(avg=0),
    "zero_rate.wav": wav(rate=0),
    "zero_channels.wav": wav(channels=0),
    "no_data_tag.wav": wav(data_tag=b"DATA"),
    "data_tag_cut_short.wav": wav(body=b"")[:-4],
    "empty_data.wav": wav(body=b""),
}
for name, image in files.items():
    with open(name, "wb") as out:
        out.write(image)
PY
