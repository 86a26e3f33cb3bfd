#!/usr/bin/env python3
"""Writes the bundled sample spectra into samples/.

The spectra are synthetic absorption spectra as a constant-acceleration drive records them: a
baseline near 1e5 counts per channel with Lorentzian dips, the second half of the channels
mirroring the first (the drive sweeps back), and Gaussian noise of Poisson size. The output is
the same on every run (fixed seeds), so the files can be committed and regenerated.

The bundled calibration file is the program's own calibration of the iron foil sample:

    trevandel-convert --calibrate --mode add --write-cal samples/velocity-512.cal \
        samples/ha1001-fe-foil.spm

Usage: tools/make-samples.py [OUTPUT_DIR]   (default: samples/ beside tools/)
"""

import math
import os
import random
import struct
import sys

VMAX = 11.7  # mm/s at either end of the sweep
BASELINE = 100000.0


def sweep_velocity(channel, channels):
    """Velocity of a channel: the first half sweeps -VMAX..+VMAX, the second half back."""
    half = channels // 2
    x = channel if channel < half else channels - 1 - channel
    step = 2.0 * VMAX / half
    return (x - (half / 2.0 - 0.5)) * step


def spectrum(channels, lines, width, seed):
    """Counts for a list of (position mm/s, relative depth) absorption lines."""
    rng = random.Random(seed)
    half_width_sq = (width / 2.0) ** 2
    counts = []
    for k in range(channels):
        v = sweep_velocity(k, channels)
        # Solid angle changes a little over the sweep: a shallow parabolic baseline.
        base = BASELINE * (1.0 - 0.015 * (v / VMAX) ** 2)
        absorption = sum(depth * half_width_sq / ((v - pos) ** 2 + half_width_sq)
                         for pos, depth in lines)
        mean = base * (1.0 - absorption)
        value = int(round(rng.gauss(mean, math.sqrt(mean))))
        counts.append(max(0, value))
    return counts


def put(buf, offset, data):
    buf[offset:offset + len(data)] = data


def pca2_file(counts, description, stamps):
    """A PCA2 file: a 512-byte header, then the counts, which end the file."""
    header = bytearray(512)
    put(header, 0, b"MCA spectrum data\r\n\x1a")
    put(header, 24, struct.pack("<HHII", 2, len(counts), 300000, 301250))  # format, channels,
    # live and real time in ms
    put(header, 64, description.encode("ascii"))
    put(header, 128, b"Source: Co-57 in Rh matrix, 25 mCi")
    put(header, 192, b"Drive: constant acceleration, triangular sweep")
    put(header, 256, b"Detector: Kr proportional counter, SCA window 14.4 keV")
    (time1, date1), (time2, date2) = stamps
    for offset, text, width in ((362, time1, 11), (375, date1, 12),
                                (388, time2, 11), (401, date2, 12)):
        assert len(text) == width, text
        put(header, offset, text.encode("ascii"))
    data = bytes(header) + b"".join(struct.pack("<I", c) for c in counts)
    assert b"pca3.exe" not in data
    return data


def pca3_file(counts, description, stamps):
    """A PCA3 file: the program marker in the header, stamps at 386/399, counts at 450."""
    header = bytearray(450)
    put(header, 0, b"MCA spectrum data\r\n\x1a")
    put(header, 24, b"written by pca3.exe 3.02")
    put(header, 64, struct.pack("<HHII", 3, len(counts), 600000, 602410))
    put(header, 96, description.encode("ascii"))
    put(header, 160, b"Source: Co-57 in Rh matrix, 25 mCi")
    put(header, 224, b"Drive: constant acceleration, triangular sweep")
    first, second = stamps
    assert len(first) == 11 and len(second) == 11
    put(header, 386, first.encode("ascii"))
    put(header, 399, second.encode("ascii"))
    return bytes(header) + b"".join(struct.pack("<I", c) for c in counts)


# Iron foil: the six lines of the magnetic sextet (depth ratio 3:2:1:1:2:3).
FE_SEXTET = [(-5.328, 0.12), (-3.083, 0.08), (-0.839, 0.04),
             (0.839, 0.04), (3.083, 0.08), (5.328, 0.12)]
# A paramagnetic iron(III) site: quadrupole doublet around +0.35 mm/s.
DOUBLET = [(-0.05, 0.15), (0.75, 0.15)]
# Stainless steel: a single line.
SINGLET = [(-0.09, 0.25)]

def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "samples")
    os.makedirs(out, exist_ok=True)
    files = {
        "ha1001-fe-foil.spm": pca2_file(
            spectrum(1024, FE_SEXTET, 0.28, seed=1001),
            "alpha-Fe foil 25 um, calibration run",
            (("12:34:56   ", "Jan  5  2001"), ("18:02:41   ", "Jan  5  2001"))),
        "ha1002-doublet.spm": pca2_file(
            spectrum(512, DOUBLET, 0.30, seed=1002),
            "Fe(III) oxalate, 295 K",
            (("09:15:00   ", "Mar 17  2003"), ("21:40:12   ", "Mar 18  2003"))),
        "hb2001-steel-pca3.spm": pca3_file(
            spectrum(512, SINGLET, 0.35, seed=2001),
            "stainless steel 310, 295 K",
            ("17-Mar-2003", "18-Mar-2003")),
    }
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
        print(f"{name}: {len(data)} bytes")


if __name__ == "__main__":
    main()
