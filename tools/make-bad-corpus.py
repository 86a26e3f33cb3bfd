#!/usr/bin/env python3
"""Writes the corpus of bad and borderline input files and its manifest.

Every file goes with one line of manifest.tsv that says what reading it must give, worked out
here from the file format's rules, independently of the program's code:

    spm/<name>.spm  spm  ok     <PCA2|PCA3> <channels> <header length> <stamp 1 decoded> <stamp 2 decoded>
    spm/<name>.spm  spm  error  <the message>
    cal/<name>.cal  cal  <line 6 value> <line 7 value> <line 8 value> <line 9 value>

Fields are tab-separated; calibration values are escaped (\\\\, \\t, \\r, \\n, \\xHH for other
bytes outside printable ASCII). The corpus stays small: truncations at the sizes where the
rules change, and one file per byte value for the stamp fields. Huge files and very long lines
are made by the tests at run time (sparse, with truncate), not here.

    tools/make-bad-corpus.py --out DIR                  # (re)writes DIR/spm, DIR/cal, DIR/manifest.tsv
    tools/make-bad-corpus.py --out DIR --all-sizes DIR2 # also every truncation 0..4600 of both variants

The build runs it into BUILD/tests/data/bad for the tests. The repository keeps only the
manifest, tests/data/bad/manifest.tsv, and a test checks that a build's manifest equals it: after
changing a rule here, review the new manifest and copy it over the kept one.
"""

import argparse
import os
import random
import shutil
import sys

MARKER = b"pca3.exe"
TOO_SHORT = "Not a valid SPM file: the file is too short for its header"
PAST_END = "Not a valid SPM file: the count block runs past the end of the file"
MAX_SIZE = 4600

MONTHS = [b"Jan", b"Feb", b"Mar", b"Apr", b"May", b"Jun",
          b"Jul", b"Aug", b"Sep", b"Oct", b"Nov", b"Dec"]


def put(buf, offset, data):
    buf[offset:offset + len(data)] = data


def base_pca2():
    """A well-formed 1024-channel PCA2 file of MAX_SIZE bytes with two good stamps."""
    header = MAX_SIZE - 4096
    buf = bytearray(b"\x00" * header)
    put(buf, 0, b"Spectrum file of the acquisition program, version 2")
    put(buf, 362, b"12:34:56   ")
    put(buf, 375, b"Jan  5  2001")
    put(buf, 388, b" 1:02:03 PM")
    put(buf, 401, b"Feb 28  2001")
    buf += bytes((i * 37 + 11) & 0xFF for i in range(4096))
    return bytes(buf)


def base_pca3():
    """A well-formed 1024-channel PCA3 file of MAX_SIZE bytes (the marker early in the header)."""
    buf = bytearray(b"\x00" * 450)
    put(buf, 0, b"SPM")
    put(buf, 20, MARKER)
    put(buf, 386, b"05-01-2001 ")
    put(buf, 399, b"12:34:56\x00ab")
    buf += bytes((i * 53 + 7) & 0xFF for i in range(MAX_SIZE - 450))
    return bytes(buf)


def field(data, offset, width):
    return data[offset:offset + width] if offset < len(data) else b""


def whole_number(text):
    """Optional sign, then digits only."""
    if text[:1] in (b"+", b"-"):
        digits = text[1:]
    else:
        digits = text
    if not digits or not all(0x30 <= c <= 0x39 for c in digits):
        return None
    return int(text)


def time_of_day(text):
    """Hours[:minutes[:seconds[.ms]]] with an AM/PM designator before or after, nothing else."""
    upper = text.upper()
    half = None
    if upper[:2] in (b"AM", b"PM"):
        half, text, upper = upper[:2], text[2:], upper[2:]
    numbers = []
    pos = 0
    seps = [b":", b":", b"."]
    while True:
        end = pos
        while end < len(text) and 0x30 <= text[end] <= 0x39:
            end += 1
        if end == pos or end - pos > 4:
            return None
        numbers.append(int(text[pos:end]))
        pos = end
        if len(numbers) <= 3 and text[pos:pos + 1] == seps[len(numbers) - 1]:
            pos += 1
            continue
        break
    if half is None and upper[pos:pos + 2] in (b"AM", b"PM"):
        half = upper[pos:pos + 2]
        pos += 2
    if pos != len(text):
        return None
    numbers += [0] * (4 - len(numbers))
    hour, minute, second, ms = numbers
    if half is not None:
        if not 1 <= hour <= 12:
            return None
        hour = hour % 12 + (12 if half == b"PM" else 0)
    return hour < 24 and minute < 60 and second < 60 and ms < 1000


def stamp_decodes(time_field, date_field):
    time = time_field.replace(b" ", b"")
    day = whole_number(field(date_field, 4, 2).strip(bytes(range(33))))
    month = MONTHS.index(field(date_field, 0, 3)) + 1 if field(date_field, 0, 3) in MONTHS else 0
    year = whole_number(field(date_field, 8, 4).lstrip(b" "))
    if day is None or year is None or not 1 <= year <= 9999 or not 1 <= month <= 12:
        return False
    leap = year % 4 == 0 and (year % 100 != 0 or year % 400 == 0)
    days = [31, 29 if leap else 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31][month - 1]
    return 1 <= day <= days and bool(time_of_day(time))


def expect_spm(data):
    size = len(data)
    channels = 512 if size <= 3000 else 1024
    pca3 = MARKER in data
    header = 450 if pca3 else size - 4 * channels
    if header < 0:
        return ["error", TOO_SHORT]
    if header + 4 * channels > size:
        return ["error", PAST_END]
    if pca3:
        decoded = [0, 0]
    else:
        decoded = [int(stamp_decodes(field(data, 362, 11), field(data, 375, 12))),
                   int(stamp_decodes(field(data, 388, 11), field(data, 401, 12)))]
    return ["ok", "PCA3" if pca3 else "PCA2", str(channels), str(header)] + [str(d) for d in decoded]


def text_lines(data):
    """CR ends a line (a LF after it belongs to the line end), LF alone stays, 0x1A ends the text."""
    eof = data.find(b"\x1a")
    if eof >= 0:
        data = data[:eof]
    lines = []
    pos = 0
    while pos < len(data):
        cr = data.find(b"\r", pos)
        if cr < 0:
            lines.append(data[pos:])
            break
        lines.append(data[pos:cr])
        pos = cr + 1
        if data[pos:pos + 1] == b"\n":
            pos += 1
    return lines


def expect_cal(data):
    lines = text_lines(data) + [b""] * 9
    values = []
    for line in lines[5:9]:
        eq = line.find(b"=")
        values.append(line if eq < 0 else line[eq + 1:])
    return [escape(v) for v in values]


def escape(value):
    out = []
    for c in value:
        if c == 0x5C:
            out.append("\\\\")
        elif c == 0x09:
            out.append("\\t")
        elif c == 0x0D:
            out.append("\\r")
        elif c == 0x0A:
            out.append("\\n")
        elif 0x20 <= c < 0x7F:
            out.append(chr(c))
        else:
            out.append("\\x%02X" % c)
    return "".join(out)


# Sizes where a rule changes: stamp fields begin and end, the smallest sound files, the
# channel-count switch, the PCA2 negative-header gap and the PCA3 count block.
BOUNDARY_SIZES = sorted({0, 1, 7, 8, 27, 28, 100, 361, 362, 372, 373, 386, 387, 399, 400, 409,
                         410, 412, 413, 449, 450, 451, 2047, 2048, 2049, 2497, 2498, 2499, 2999,
                         3000, 3001, 3002, 4095, 4096, 4097, 4545, 4546, 4547, 4600})


def stamp_file(variant, byte):
    """Every stamp field filled with one byte value."""
    if variant == 2:
        buf = bytearray(base_pca2()[:3000])  # 512 channels, header 952
        for offset, width in ((362, 11), (375, 12), (388, 11), (401, 12)):
            put(buf, offset, bytes([byte]) * width)
    else:
        buf = bytearray(base_pca3()[:2498])  # 512 channels, header 450
        for offset in (386, 399):
            put(buf, offset, bytes([byte]) * 11)
    return bytes(buf)


CAL_GOOD_LINES = [b"Calibration of the drive", b"date=2001-01-05", b"source=Co57",
                  b"absorber=Fe", b"", b"channels=512", b"calibration constant=0.09135",
                  b"folding channel=512.0000", b"zero speed channel=128.00"]


def cal_files():
    crlf = b"\r\n".join(CAL_GOOD_LINES) + b"\r\n"
    rnd = random.Random(20010105)
    files = {
        "crlf": crlf,
        "no-final-line-end": b"\r\n".join(CAL_GOOD_LINES),
        "lf-only": b"\n".join(CAL_GOOD_LINES) + b"\n",
        "cr-only": b"\r".join(CAL_GOOD_LINES) + b"\r",
        "mixed-line-ends": b"a\r\nb\nc\rd\r\r\ne\r\nchannels=1024\n\r\ncc=0.1\rfold=1024.0000\r\nz=256.00",
        "eof-byte-in-line-7": crlf.replace(b"0.09135", b"0.09\x1a135"),
        "eof-byte-first": b"\x1a" + crlf,
        "eof-byte-after-line-5": b"\r\n".join(CAL_GOOD_LINES[:5]) + b"\r\n\x1a" +
                                 b"\r\n".join(CAL_GOOD_LINES[5:]),
        "no-equals": b"\r\n".join(line.replace(b"=", b" ") for line in CAL_GOOD_LINES),
        "only-equals": b"=\r\n" * 9,
        "equals-in-value": crlf.replace(b"channels=512", b"a=b=c"),
        "space-after-equals": crlf.replace(b"=0.09135", b"= 0.09135"),
        "empty": b"",
        "three-lines": b"\r\n".join(CAL_GOOD_LINES[:3]),
        "five-lines": b"\r\n".join(CAL_GOOD_LINES[:5]) + b"\r\n",
        "nul-bytes": crlf.replace(b"=", b"=\x00"),
        "high-bytes": b"\r\n".join(line + bytes(range(0x80, 0x100)) for line in CAL_GOOD_LINES),
        "long-values": crlf.replace(b"=512", b"=" + b"9" * 4000)
                           .replace(b"=0.09135", b"=" + b"0." * 3000)
                           .replace(b"=512.0000", b"=" + b"." * 5000)
                           .replace(b"=128.00", b"=" + b"1" * 3000 + b"." + b"2" * 3000),
        "binary": bytes(rnd.getrandbits(8) for _ in range(4096)),
        "binary-no-cr": bytes(rnd.choice([b for b in range(256) if b not in (0x0D, 0x1A)])
                              for _ in range(4096)),
    }
    for byte in range(256):
        # The byte value in every value position of lines 6 to 9.
        b = bytes([byte])
        lines = CAL_GOOD_LINES[:5] + [b"x=" + b * 12 for _ in range(4)]
        files["byte-%02X" % byte] = b"\r\n".join(lines) + b"\r\n"
    return files


def write(root, rel, data, manifest, expectation):
    path = os.path.join(root, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    manifest.append("\t".join([rel, rel.split("/")[0]] + expectation))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", required=True, help="the folder to write the corpus to")
    parser.add_argument("--all-sizes", metavar="DIR",
                        help="also write every truncation 0..4600 of both variants to DIR")
    args = parser.parse_args()

    root = os.path.normpath(args.out)
    for sub in ("spm", "cal"):
        shutil.rmtree(os.path.join(root, sub), ignore_errors=True)
    manifest = []
    variants = (("pca2", base_pca2()), ("pca3", base_pca3()))
    for name, base in variants:
        for size in BOUNDARY_SIZES:
            data = base[:size]
            write(root, "spm/%s-trunc-%04d.spm" % (name, size), data, manifest, expect_spm(data))
    for byte in range(256):
        for variant in (2, 3):
            data = stamp_file(variant, byte)
            write(root, "spm/pca%d-stamp-%02X.spm" % (variant, byte), data, manifest,
                  expect_spm(data))
    # The marker only in capitals, inside the counts, and cut by the end of the file.
    pca2 = base_pca2()
    specials = {
        "marker-in-capitals": pca2[:100] + MARKER.upper() + pca2[108:],
        "marker-in-counts": pca2[:4000] + MARKER + pca2[4008:],
        "marker-cut-at-end": pca2[:3000][:-7] + MARKER[:7],
        "marker-at-end": pca2[:4538] + MARKER,
        "all-ff": b"\xff" * 4600,
        "all-zero-3000": b"\x00" * 3000,
    }
    for name, data in specials.items():
        write(root, "spm/%s.spm" % name, data, manifest, expect_spm(data))
    for name, data in cal_files().items():
        write(root, "cal/%s.cal" % name, data, manifest, expect_cal(data))

    with open(os.path.join(root, "manifest.tsv"), "w", encoding="ascii", newline="\n") as f:
        f.write("# file\tkind\texpectation (written by tools/make-bad-corpus.py)\n")
        f.write("\n".join(manifest) + "\n")

    if args.all_sizes:
        os.makedirs(args.all_sizes, exist_ok=True)
        with open(os.path.join(args.all_sizes, "manifest.tsv"), "w", encoding="ascii") as f:
            for name, base in variants:
                for size in range(MAX_SIZE + 1):
                    rel = "%s-trunc-%04d.spm" % (name, size)
                    with open(os.path.join(args.all_sizes, rel), "wb") as g:
                        g.write(base[:size])
                    f.write("\t".join([rel, "spm"] + expect_spm(base[:size])) + "\n")
    print("wrote %d corpus files to %s" % (len(manifest), root), file=sys.stderr)


if __name__ == "__main__":
    main()
