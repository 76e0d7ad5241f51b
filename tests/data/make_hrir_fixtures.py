#!/usr/bin/env python3
"""Writes the refused response-set and filter files (tests/data/bad/hrir, tests/data/bad/filter)
and the seed corpora of their fuzz targets. Run from the repository root; the output is
committed, so this only needs running again when a case is added."""

import math
import os
import struct

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def hrir_image(rows, leading=7, taps=None, elevations=None, trailing=b""):
    """rows: [(elevation, [azimuths])]; the last must be the zenith."""
    out = struct.pack("<ii", leading, len(rows))
    out += b"".join(struct.pack("<i", len(azimuths)) for _, azimuths in rows)
    directions = [(e, a) for e, azimuths in rows for a in azimuths]
    out += b"".join(struct.pack("<i", a) for _, a in directions)
    for i, (e, _) in enumerate(directions):
        elevation = elevations[i] if elevations else e
        out += struct.pack("<ii", elevation, taps[i] if taps else 128)
    for ear in (0, 1):
        for i in range(len(directions)):
            out += b"".join(struct.pack("<d", (0.5 - ear) * 8000.0 * math.exp(-k / 20.0))
                            for k in range(128))
    return out + trailing


def filter_image(entries, taps, count=None, tap_field=None, trailing=b""):
    out = struct.pack("<ii", len(entries) if count is None else count,
                      taps if tap_field is None else tap_field)
    out += b"".join(struct.pack("<i", c) for c in entries)
    for sign in (1.0, -1.0):
        for i in range(len(entries)):
            out += b"".join(struct.pack("<d", sign * 32767.0 / (k + 1 + i)) for k in range(taps))
    return out + trailing


def write(folder, name, data):
    path = os.path.join(ROOT, folder, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main():
    zenith = [(90, [0])]
    two_rows = [(-10, [0, 90]), (90, [45])]
    good_zenith = hrir_image(zenith)
    good_two = hrir_image(two_rows)
    nan = bytearray(good_two)
    nan[3124 + 40:3124 + 48] = struct.pack("<d", float("nan"))
    # Finite, but far beyond what the 16-bit output can carry: 1e300 times unity.
    huge = bytearray(good_two)
    huge[3124 + 40:3124 + 48] = struct.pack("<d", 1e300)

    bad_hrir = {
        "empty.bir": b"",
        "header_cut.bir": good_zenith[:6],
        "zero_rows.bir": struct.pack("<ii", 7, 0),
        "negative_rows.bir": struct.pack("<ii", 7, -3),
        "rows_21.bir": struct.pack("<ii", 7, 21) + struct.pack("<i", 1) * 21,
        "directions_76.bir": struct.pack("<iii", 7, 1, 76) + b"\0" * 64,
        "negative_directions.bir": struct.pack("<iii", 7, 1, -2),
        "cut_in_azimuths.bir": good_two[:20],
        "taps_127.bir": hrir_image(zenith, taps=[127]),
        "cut_in_responses.bir": good_two[:4000],
        "trailing_byte.bir": good_zenith + b"\0",
        "azimuths_not_ascending.bir": hrir_image([(-10, [90, 0]), (90, [0])]),
        "elevation_differs_in_row.bir": hrir_image(two_rows, elevations=[-10, -9, 90]),
        "no_zenith.bir": hrir_image([(-10, [0]), (0, [0])]),
        "rows_descending.bir": hrir_image([(10, [0]), (0, [0]), (90, [0])]),
        "nan_coefficient.bir": bytes(nan),
        "huge_tap.bir": bytes(huge),
    }
    for name, data in bad_hrir.items():
        write("tests/data/bad/hrir", name, data)

    good_filter = filter_image([250, 4000], 8)
    bad_filter = {
        "empty.bir": b"",
        "header_cut.bir": good_filter[:5],
        "negative_count.bir": filter_image([], 128, count=-1),
        "count_301.bir": filter_image([], 128, count=301),
        "negative_taps.bir": filter_image([], 0, tap_field=-128),
        "huge_taps.bir": filter_image([], 0, tap_field=0x7FFFFFFF),
        "cut_short.bir": good_filter[:200],
        "trailing_byte.bir": good_filter + b"\0",
        "nan_coefficient.bir": good_filter[:16] + struct.pack("<d", float("nan")) +
                               good_filter[24:],
    }
    for name, data in bad_filter.items():
        write("tests/data/bad/filter", name, data)

    corpus = "fuzz/corpus/"
    write(corpus + "fuzz_hrir_file", "zenith_only.bir", good_zenith)
    write(corpus + "fuzz_hrir_file", "two_rows.bir", good_two)
    write(corpus + "fuzz_hrir_file", "trailing_byte.bir", bad_hrir["trailing_byte.bir"])
    write(corpus + "fuzz_hrir_file", "azimuths_not_ascending.bir",
          bad_hrir["azimuths_not_ascending.bir"])
    write(corpus + "fuzz_hrir_file", "huge_tap.bir", bad_hrir["huge_tap.bir"])

    # The text target splits its input at '|' into the four tables.
    taps = " ".join("%.2g" % (0.9 ** k) for k in range(128))
    write(corpus + "fuzz_hrir_text", "zenith_only.txt",
          ("3\n90\n|0\n|" + taps + "\n|" + taps + "\n").encode())
    write(corpus + "fuzz_hrir_text", "two_rows.txt",
          ("5 -10 -10 90|0 180 0|" + " ".join([taps] * 3) + "|" +
           " ".join([taps] * 3)).encode())
    write(corpus + "fuzz_hrir_text", "disagreeing_rows.txt",
          ("5 -10 -10 90|0 180 270 0|" + taps + "|" + taps).encode())
    write(corpus + "fuzz_hrir_text", "not_numbers.txt", b"5 x|0|1.5e|nan")

    write(corpus + "fuzz_filter_file", "two_entries.bir", good_filter)
    write(corpus + "fuzz_filter_file", "empty_set.bir", filter_image([], 128))
    write(corpus + "fuzz_filter_file", "trailing_byte.bir", bad_filter["trailing_byte.bir"])

    # The filter text target splits its input at '|' into the three tables.
    write(corpus + "fuzz_filter_text", "one_entry.txt", ("500|" + taps + "|" + taps).encode())
    write(corpus + "fuzz_filter_text", "no_entries.txt", b"||")
    write(corpus + "fuzz_filter_text", "short_high_pass.txt", ("1 2|" + taps + " " + taps +
                                                               "|0.5 0.5").encode())


if __name__ == "__main__":
    main()
