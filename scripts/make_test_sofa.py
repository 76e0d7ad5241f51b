#!/usr/bin/python3
"""Writes the small measured heads (SOFA, SimpleFreeFieldHRIR) that the measured-head tests
convert, into the folder given (default: tests/data/sofa beside this script's repository).

Each set has eight directions around the head at ear level and the zenith, 1.2 m away, and
responses that are a single decaying click at tap 10, so every onset sits where the set's
delays put it:

  delays_per_measurement.sofa  44.1 kHz, 200 taps, a broadband delay per direction and ear in
                               Data.Delay (as sets that store the interaural delays separately
                               do): the ears' responses become 206 and 209 taps and more
  negative_delays_48k.sofa     48 kHz, the same layout, the earliest delays at -0.92 samples
  delays_beyond_reach.sofa     44.1 kHz, one delay 5000 samples after the others

Needs python3-netcdf4 (Debian). Run it with the system Python: /usr/bin/python3.
"""

import math
import os
import sys

import netCDF4
import numpy

AZIMUTHS = [0, 45, 90, 135, 180, 225, 270, 315]  # degrees anticlockwise from the front
TAPS = 200
CLICK_AT = 10


def click(taps, scale):
    response = numpy.zeros(taps)
    for k in range(CLICK_AT, min(taps, CLICK_AT + 24)):
        response[k] = scale * math.cos(0.9 * (k - CLICK_AT)) * math.exp(-0.25 * (k - CLICK_AT))
    return response


def ear_delays(azimuth, base, spread):
    """Left and right delays in samples: the far ear later by up to `spread`."""
    side = math.sin(math.radians(azimuth))  # 1 on the left
    return base + spread * max(0.0, -side), base + spread * max(0.0, side)


def write_set(path, rate, delays):
    positions = [(a, 0.0) for a in AZIMUTHS] + [(0.0, 90.0)]
    m = len(positions)
    data = netCDF4.Dataset(path, "w", format="NETCDF4")
    for name, value in [("Conventions", "SOFA"), ("Version", "1.0"),
                        ("SOFAConventions", "SimpleFreeFieldHRIR"),
                        ("SOFAConventionsVersion", "1.0"), ("APIName", "make_test_sofa.py"),
                        ("APIVersion", "1.0"), ("AuthorContact", ""), ("Comment", ""),
                        ("DataType", "FIR"), ("License", "test data"), ("Organization", ""),
                        ("RoomType", "free field"), ("Title", "test head"),
                        ("DateCreated", "2024-01-01 00:00:00"),
                        ("DateModified", "2024-01-01 00:00:00")]:
        data.setncattr(name, value)
    for name, size in [("I", 1), ("C", 3), ("R", 2), ("E", 1), ("N", TAPS), ("M", m)]:
        data.createDimension(name, size)

    def variable(name, dims, values, **attributes):
        var = data.createVariable(name, "f8", dims, zlib=True)
        var[:] = values
        for key, value in attributes.items():
            var.setncattr(key, value)

    variable("ListenerPosition", ("I", "C"), [[0, 0, 0]], Type="cartesian", Units="metre")
    variable("ListenerUp", ("I", "C"), [[0, 0, 1]])
    variable("ListenerView", ("I", "C"), [[1, 0, 0]], Type="cartesian", Units="metre")
    variable("ReceiverPosition", ("R", "C", "I"), [[[0], [0.09], [0]], [[0], [-0.09], [0]]],
             Type="cartesian", Units="metre")
    variable("EmitterPosition", ("E", "C", "I"), [[[0], [0], [0]]], Type="cartesian",
             Units="metre")
    variable("SourcePosition", ("M", "C"), [[a, e, 1.2] for a, e in positions],
             Type="spherical", Units="degree, degree, metre")
    ir = numpy.zeros((m, 2, TAPS))
    for i, (azimuth, _) in enumerate(positions):
        side = math.sin(math.radians(azimuth))
        ir[i, 0] = click(TAPS, 0.5 * (1.0 + 0.5 * side))
        ir[i, 1] = click(TAPS, 0.5 * (1.0 - 0.5 * side))
    variable("Data.IR", ("M", "R", "N"), ir)
    variable("Data.SamplingRate", ("I",), [rate], Units="hertz")
    variable("Data.Delay", ("M", "R"), delays(positions))
    data.close()


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "tests", "data", "sofa")
    os.makedirs(folder, exist_ok=True)
    write_set(os.path.join(folder, "delays_per_measurement.sofa"), 44100.0,
              lambda positions: [ear_delays(a, 6.0, 12.0) for a, _ in positions])
    write_set(os.path.join(folder, "negative_delays_48k.sofa"), 48000.0,
              lambda positions: [ear_delays(a, -0.92, 12.0) for a, _ in positions])

    def beyond(positions):
        delays = [ear_delays(a, 6.0, 12.0) for a, _ in positions]
        delays[2] = (5006.0, delays[2][1])
        return delays

    write_set(os.path.join(folder, "delays_beyond_reach.sofa"), 44100.0, beyond)


if __name__ == "__main__":
    main()
