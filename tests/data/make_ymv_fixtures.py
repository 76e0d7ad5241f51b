#!/usr/bin/env python3
"""Rebuilds the refused voice-data files in bad/ymv/ and the fuzz seeds in
fuzz/corpus/fuzz_voice_data/. Run from tests/data."""
import os
import struct
import zlib

HEADER = 161376
COUNTS, SAMPLE_COUNTS, BYTE_SIZES = 516, 154776, 155376
LENGTH_FRAMES, LENGTH_BYTES = 160176, 160776


def header(version):
    image = bytearray(HEADER)
    struct.pack_into('<i', image, 0, version)
    return image


def put(image, offset, value):
    struct.pack_into('<i', image, offset, value)


def clip(image, kind, position, samples, byte_size=None):
    slot = kind * 10 + position
    put(image, SAMPLE_COUNTS + 4 * slot, samples)
    put(image, BYTE_SIZES + 4 * slot, samples * 2 if byte_size is None else byte_size)
    put(image, LENGTH_FRAMES + 4 * slot, samples)
    put(image, LENGTH_BYTES + 4 * slot, samples * 2)


def tone(samples):
    return struct.pack('<%dh' % samples, *[(i * 37) % 2000 - 1000 for i in range(samples)])


def record(data):
    stream = zlib.compress(data, 9)
    return struct.pack('<i', len(stream)) + stream


def minimal(version=101):
    image = header(version)
    put(image, COUNTS + 0, 1)
    put(image, COUNTS + 40, 1)
    clip(image, 0, 0, 512)
    clip(image, 10, 0, 512)
    return image


def write(path, data):
    with open(path, 'wb') as f:
        f.write(bytes(data))


os.makedirs('bad/ymv', exist_ok=True)
valid = minimal() + record(tone(512)) + record(tone(512))
write('bad/ymv/header_cut_short.ymv', valid[:600])

image = minimal()
put(image, COUNTS + 4 * 3, 11)
write('bad/ymv/count_above_ten.ymv', image + record(tone(512)) + record(tone(512)))

stream = bytearray(record(tone(512)))
stream[24] ^= 0x5A
write('bad/ymv/stream_damaged.ymv', minimal() + stream + record(tone(512)))

image = minimal()
put(image, BYTE_SIZES + 0, 2048)
write('bad/ymv/stream_shorter_than_byte_size.ymv', image + record(tone(512)) + record(tone(512)))

image = minimal()
put(image, BYTE_SIZES + 0, 2000000000)
put(image, SAMPLE_COUNTS + 0, 1000000000)
write('bad/ymv/byte_size_beyond_stream.ymv', image + record(b'') + record(tone(512)))

image = minimal(55)
write('bad/ymv/old_record_cut.ymv', image + tone(512) + tone(100))

write('bad/ymv/all_zero_header.ymv', bytes(len(header(101))))

stream = zlib.compress(tone(512), 9) + b'\x01\x02\x03'
write('bad/ymv/bytes_after_stream.ymv',
      minimal() + struct.pack('<i', len(stream)) + stream + record(tone(512)))

seeds = '../../fuzz/corpus/fuzz_voice_data'
os.makedirs(seeds, exist_ok=True)
write(seeds + '/minimal_v101.ymv', valid)
old = minimal(40)
put(old, COUNTS + 48, 2)  # ignored: version 40 has no kind-12 records
write(seeds + '/minimal_v40.ymv', old + tone(512) + tone(512))
write(seeds + '/stream_damaged.ymv', minimal() + stream + record(tone(512)))
