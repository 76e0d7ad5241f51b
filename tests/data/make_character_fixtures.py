#!/usr/bin/env python3
"""Rebuilds the refused character files in bad/animation-script/, bad/picture-list/ and
bad/ymi/, and the fuzz seeds in fuzz/corpus/fuzz_{animation_script,picture_list,character_data}/.
Run from tests/data."""
import os
import struct

TABLE = 128 * 1028
HEADER = 8 + TABLE
# The smallest PNG header the character build takes: signature and a 4 x 3 IHDR chunk.
PNG = b'\x89PNG\r\n\x1a\n' + struct.pack('>I', 13) + b'IHDR' + struct.pack('>II', 4, 3) + bytes(5)


def png(width, height, depth=8, colour_type=6):
    """A PNG header of any size: a few bytes can describe a picture of hundreds of megabytes."""
    return (b'\x89PNG\r\n\x1a\n' + struct.pack('>I', 13) + b'IHDR' +
            struct.pack('>IIBB', width, height, depth, colour_type) + bytes(3))


def write(folder, name, data):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data.encode() if isinstance(data, str) else data)


def ymi(pictures, masks=None, count=None, steps=()):
    """A character-data file; steps are (animation, step, picture, end)."""
    masks = masks if masks is not None else [b''] * len(pictures)
    image = bytearray(HEADER)
    struct.pack_into('<ii', image, 0, 101, len(pictures) if count is None else count)
    for animation, step, picture, end in steps:
        struct.pack_into('<if', image, 8 + animation * 1028 + 4 + step * 8, picture, end)
    for entry in list(pictures) + list(masks):
        image += struct.pack('<i', len(entry)) + entry
    return bytes(image)


def entry_lengths(pictures, lengths):
    """A file whose entry length fields are replaced, for entries that claim too much."""
    image = bytearray(ymi(pictures))
    offset = HEADER
    for length in lengths:
        struct.pack_into('<i', image, offset, length)
        offset += 4 + len(pictures[0])
    return bytes(image)


BAD_YMI = {
    'empty.ymi': b'',
    'header_cut.ymi': ymi([])[:100],
    'count_256.ymi': ymi([], count=256),
    'negative_count.ymi': ymi([], count=-1),
    'step_picture_255.ymi': ymi([], steps=[(20, 3, 255, 0.5)]),
    'step_picture_negative.ymi': ymi([], steps=[(127, 127, -1, 1.0)]),
    'entry_past_end.ymi': entry_lengths([PNG], [len(PNG) + 10]),
    'entry_length_negative.ymi': entry_lengths([PNG], [-4]),
    'empty_picture.ymi': ymi([b'']),
    'not_a_picture.ymi': ymi([b'<svg width="4" height="3"/>']),
    'mask_not_a_picture.ymi': ymi([PNG], [b'GIF89a']),
    'trailing_byte.ymi': ymi([PNG], [PNG]) + b'\0',
    'count_beyond_entries.ymi': ymi([PNG], [PNG], count=2),
    # 5700 x 5700 in 1 bit a pixel: 33 bytes, 124 MB once decoded.
    'picture_decodes_too_large.ymi': ymi([png(5700, 5700, 1, 0)]),
    'mask_decodes_too_large.ymi': ymi([PNG], [png(5700, 5700, 1, 0)]),
    # Four of 3000 x 3000 with the masks made from them: 275 MB decoded.
    'pictures_together_too_large.ymi': ymi([png(3000, 3000)] * 4),
}

BAD_SCRIPTS = {
    'not_a_number.txt': '1 50 0 0 3 0.5 abc 4 1 -1\n',
    'number_with_text.txt': '1 50 0 0 3 0.5x -1\n',
    'decimal_id.txt': '1.0 50 0 0 3 0.5 -1\n',
    'negative_mode.txt': '1 50 -2 0 3 0.5 -1\n',
    'too_many_choices.txt': '21 0 129 ' + ' '.join(['1'] * 129) + ' 1 -1 1 0 2 1\n',
    'pattern_too_long.txt': '21 0 1 5 129 ' + ' '.join(['-1'] * 129) + ' 1 0 2 1\n',
    'integer_overflow.txt': '1 2147483648 0 -1\n',
    'time_overflow.txt': '1 50 0 0 3 1e39 1 -1\n',
    'nan_time.txt': '1 50 0 0 3 nan -1\n',
    'id_128.txt': '128 50 0 0 3 0.5 -1\n',
    'negative_id.txt': '-1 50 0 0 3 0.5 -1\n',
    'step_128.txt': '1 50 0 128 3 0.5 -1\n',
    'negative_step.txt': '1 50 0 -2 3 0.5 -1\n',
    'picture_255.txt': '1 50 0 0 255 0.5 -1\n',
    'choice_picture_255.txt': '21 0 1 255 1 -1 1 0 2 1\n',
    'negative_first_step.txt': '21 0 1 5 1 -1 2 -1 2 1\n',
    'closing_step_128.txt': '21 0 1 5 1 -1 2 126 2 1\n',
    'generated_block_cut.txt': '21 0 2 5 6 3 -1 7\n',
}

BAD_LISTS = {
    'empty.txt': '',
    'line_256_characters.txt': 'a.png\n' + 'p' * 255 + '\n',
    'nul_byte.txt': 'a.png\nb\0.png\n',
    'lines_256.txt': ''.join('p%d.png\n' % i for i in range(256)),
}


def main():
    for name, data in BAD_YMI.items():
        write('bad/ymi', name, data)
    for name, data in BAD_SCRIPTS.items():
        write('bad/animation-script', name, data)
    for name, data in BAD_LISTS.items():
        write('bad/picture-list', name, data)

    corpus = '../../fuzz/corpus/'
    write(corpus + 'fuzz_character_data', 'no_pictures.ymi', ymi([], steps=[(20, 0, 0, 1.0)]))
    write(corpus + 'fuzz_character_data', 'two_pictures.ymi',
          ymi([PNG, PNG], [PNG, b''], steps=[(1, 0, 1, 0.5), (1, 1, 0, 1.0)]))
    write(corpus + 'fuzz_character_data', 'trailing_byte.ymi', BAD_YMI['trailing_byte.ymi'])
    write(corpus + 'fuzz_character_data', 'large_pictures.ymi',
          ymi([png(3000, 3000), png(4096, 4096, 1, 0)], [b'', png(16, 16, 16, 2)]))
    write(corpus + 'fuzz_animation_script', 'explicit.txt', '1 50 0 0 3 0.5 1 4 1 -1\n')
    write(corpus + 'fuzz_animation_script', 'generated.txt', '21 0 2 5 6 3 -1 7 -1 2 0 8 1\n')
    write(corpus + 'fuzz_animation_script', 'fractions_crlf.txt',
          '30 10 0\r\n0 1 1 4\r\n1 2 3 4\r\n2 3 1\r\n-1\r\n70 0 1 9 1 -1 3 0 9 1.0\r\n')
    write(corpus + 'fuzz_animation_script', 'not_a_number.txt', BAD_SCRIPTS['not_a_number.txt'])
    write(corpus + 'fuzz_picture_list', 'two_lines.txt', 'img/a.png\nimg/b.jpg\n')
    write(corpus + 'fuzz_picture_list', 'crlf_no_last_end.txt', 'a.png\r\nb.bmp\r\nc.gif')
    write(corpus + 'fuzz_picture_list', 'long_line.txt', BAD_LISTS['line_256_characters.txt'])


if __name__ == '__main__':
    main()
