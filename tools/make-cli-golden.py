#!/usr/bin/env python3
"""Writes the converter test inputs and the expected output bytes into tests/cli/data/.

The expected EXP and ASCII files are computed here from the file-format rules alone (fit rule,
re-flow, padding, channel reduction, general number format), without the program's code, so
the tests compare the converter against an independent reading of the rules. Run it once after
changing a case; the outputs are committed.
"""

import os
import struct

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "cli", "data")
U32 = 0xFFFFFFFF


# --- SPM inputs ------------------------------------------------------------------------------

def put(buf, offset, data):
    buf[offset:offset + len(data)] = data


def pca2(counts, stamps, header_length=512):
    header = bytearray(header_length)
    put(header, 0, b"test spectrum\x00")
    for offset, text in zip((362, 375, 388, 401), stamps):
        put(header, offset, text)
    return bytes(header) + b"".join(struct.pack("<I", c) for c in counts)


def pca3(counts, first, second, trailer):
    header = bytearray(450)
    put(header, 0, b"test spectrum from pca3.exe\x00")
    put(header, 386, first)
    put(header, 399, second)
    return bytes(header) + b"".join(struct.pack("<I", c) for c in counts) + trailer


def counts_1024():
    c = [((i * 2654435761) + 12345) & U32 for i in range(1024)]
    # pair sums that show the reduction rules: 3+4, a wrapping pair, two maxima, an odd sum
    c[0:8] = [3, 4, U32, 1, U32, U32, 7, 8]
    return c


def counts_pca3():
    c = [100000 + (i * 7919) % 5000 for i in range(512)]
    c[511] = U32
    return c


def counts_small():
    return list(range(512))


INPUTS = {
    # 1024 channels, both stamps decode (29 Feb 2000 exists)
    "ha1234.spm": pca2(counts_1024(), [b"12:34:56   ", b"Jan  5  2001",
                                       b"07:08:09   ", b"Feb 29  2000"]),
    # 512 channels; the second date has a lower-case month, so both stamps show raw
    "ab.spm": pca2(counts_small(), [b"10:00:00   ", b"Mar  1  2002",
                                    b"11:00:00   ", b"feb 10  2002"]),
    # PCA3, 512 channels, bytes after the count block are ignored; the second stamp field
    # holds a zero byte after three characters
    "hb2001.spm": pca3(counts_pca3(), b"17-Mar-2003", b"10:\x00garbage", b"\xee" * 102),
}

CAL = (b"calibration for the converter tests\r\n\r\nline 3\r\nline 4\r\nline 5\r\n"
       b"channels=1024\r\ncalibration constant=0.0457\r\nfolding channel=1023.5000\r\n"
       b"zero speed=255.50\r\nnot read=1\r\n")


# --- Header rules ----------------------------------------------------------------------------

def positions(mask):
    return [ch in "09L" for ch in mask]


def fit(mask, text):
    """Assigning a text to a masked field."""
    out, rest, count = "", text, 0
    for ch in mask:
        if ch in "09L":
            count += 1
            continue
        idx = rest.find(ch)
        piece, rest = (rest, "") if idx < 0 else (rest[:idx], rest[idx + 1:])
        out += piece[:count].ljust(count) + ch
        count = 0
    return out + rest[:count].ljust(count)


def reflow(old_mask, text, new_mask):
    """A field's characters laid into a new mask."""
    chars = [c for c, pos in zip(text, positions(old_mask)) if pos]
    chars += list(text[len(old_mask):])
    while chars and chars[-1] == " ":
        chars.pop()
    out = ""
    for ch in new_mask:
        if ch in "09L":
            out += chars.pop(0) if chars else " "
        else:
            out += ch
    return out + "".join(chars)


MASKS = {
    "Serial": "HL0000  ", "BField": "0.0T", "Temperature": "000 K",
    "FoldingChannel": "000.0000", "ZeroSpeedChannel": "000.00",
    "CalibrationConstant": "0.00009", "Extra1": "000.00", "Extra2": "0.00000",
    "Extra3": "000.00", "Extra4": "0.00000",
}
FOLD_1024 = "0000.0000"


def initial_header():
    return {
        "Serial": "H       ", "Description": "", "BField": " . T", "Temperature": "    K",
        "Channels": "512", "IgnoreLeft": "9", "IgnoreRight": "245",
        "FoldingChannel": "512.0000", "CountsMillions": "0", "ZeroSpeedChannel": "128.00",
        "CalibrationConstant": "0.09135", "Columns": "08", "Extra1": "000.00",
        "Extra2": "0.00000", "Extra3": "000.00", "Extra4": "0.00000",
        "_foldMask": "000.0000",
    }


def assign(h, field, text):
    if field == "Description":
        h[field] = text[:58]
    elif field == "FoldingChannel":
        h[field] = fit(h["_foldMask"], text)
    elif field in MASKS:
        h[field] = fit(MASKS[field], text)
    else:
        h[field] = text


def guess(h, name):
    p = "".join(c.upper() if "a" <= c <= "z" else c for c in name[:6])
    assign(h, "Serial", p)
    assign(h, "Description", p + ": ")
    assign(h, "BField", "0.0 T")
    assign(h, "Temperature", "295 K")


def choose_mode(h, item):
    new_mask = FOLD_1024 if item == 0 else "000.0000"
    h["Channels"], h["IgnoreLeft"], h["IgnoreRight"] = (
        ("1024", "9", "503") if item == 0 else ("512", "9", "245"))
    h["FoldingChannel"] = reflow(h["_foldMask"], h["FoldingChannel"], new_mask)
    h["_foldMask"] = new_mask


def load_cal(h, data):
    lines = data.split(b"\r\n")
    values = [ln.decode().split("=", 1)[-1] for ln in lines[5:9]]
    assign(h, "Channels", values[0])
    assign(h, "CalibrationConstant", values[1])
    assign(h, "FoldingChannel", values[2])
    assign(h, "ZeroSpeedChannel", values[3])


def reduce(counts, mode):
    if len(counts) == 512 or mode == 0:
        return list(counts)
    sums = [(counts[2 * i] + counts[2 * i + 1]) & U32 for i in range(512)]
    return sums if mode == 1 else [s // 2 for s in sums]


def zeros3(t):
    return t.rjust(3, "0") if len(t) < 3 else t


def exp_bytes(h, values):
    line1 = h["Serial"] + " " + h["Description"].ljust(56) + h["BField"] + "     " \
        + h["Temperature"]
    line2 = " ".join([zeros3(h["Channels"]), zeros3(h["IgnoreLeft"]), zeros3(h["IgnoreRight"]),
                      h["FoldingChannel"], zeros3(h["CountsMillions"]), h["ZeroSpeedChannel"],
                      h["CalibrationConstant"], h["Columns"], h["Extra1"], h["Extra2"],
                      h["Extra3"], h["Extra4"]])
    text = line1 + "\r\n" + line2 + "\r\n"
    for i in range(0, len(values), 8):
        text += "".join(f"{v} " for v in values[i:i + 8]) + "\r\n"
    return text.encode("latin-1")


def general(v):
    """At most 15 significant digits; fixed from 1e-4 to below 1e15."""
    if v == 0:
        return "0"
    sign = "-" if v < 0 else ""
    mantissa, exponent = ("%.14e" % abs(v)).split("e")
    exponent = int(exponent)
    digits = mantissa.replace(".", "").rstrip("0")
    if -4 <= exponent < 15:
        if exponent >= 0:
            whole = digits[:exponent + 1].ljust(exponent + 1, "0")
            frac = digits[exponent + 1:]
        else:
            whole, frac = "0", "0" * (-exponent - 1) + digits
        return sign + whole + ("." + frac if frac else "")
    return sign + digits[0] + ("." + digits[1:] if len(digits) > 1 else "") + "E" + str(exponent)


def ascii_bytes(values, axis, zero_text, cal_text):
    z, c = float(zero_text.strip()), float(cal_text.strip())
    lines = []
    for i, v in enumerate(values):
        x = str(i) if axis == "channel" else general((i - z) * c)
        lines.append(f"{x}\t{v}\r\n")
    return "".join(lines).encode("ascii")


def spm_counts(data):
    if len(data) <= 3000:
        n = 512
    else:
        n = 1024
    h = 450 if b"pca3.exe" in data else len(data) - 4 * n
    return list(struct.unpack_from(f"<{n}I", data, h))


# --- Cases -----------------------------------------------------------------------------------
# Each case: input, options as the test passes them, and the header steps they mean.

CASES = [
    # name of golden, input, mode item or None, guess, cal, field assignments
    ("default-ha1234.exp", "ha1234.spm", None, True, False, []),
    ("mode1024-cal-fields-ha1234.exp", "ha1234.spm", 0, True, True, [
        ("Serial", "HX0042"), ("Description", "Fe foil, run 7"), ("BField", "5.5 T"),
        ("Temperature", "4 K"), ("IgnoreLeft", "12"), ("IgnoreLeft", "15"),
        ("CountsMillions", "12"), ("ZeroSpeedChannel", "256"), ("Extra1", "1.5"),
        ("Extra2", "0.12345")]),
    ("mean-noguess-ha1234.exp", "ha1234.spm", 2, False, False, []),
    ("mode1024-hb2001.exp", "hb2001.spm", 0, True, False, []),
]

ASCII_CASES = [
    # golden, input, mode item or None, axis
    ("velocity-mean-ha1234.txt", "ha1234.spm", 2, "velocity"),
    ("channel-hb2001.txt", "hb2001.spm", None, "channel"),
]


def header_for(name, mode, do_guess, cal, fields):
    h = initial_header()
    if do_guess:
        guess(h, name)
    if mode is not None:
        choose_mode(h, mode)
    if cal:
        load_cal(h, CAL)
    for field, text in fields:
        assign(h, field, text)
    return h


def main():
    for name, data in INPUTS.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)
    with open(os.path.join(HERE, "ha1024.cal"), "wb") as f:
        f.write(CAL)
    for golden, name, mode, do_guess, cal, fields in CASES:
        h = header_for(name, mode, do_guess, cal, fields)
        values = reduce(spm_counts(INPUTS[name]), 1 if mode is None else mode)
        with open(os.path.join(HERE, golden), "wb") as f:
            f.write(exp_bytes(h, values))
    for golden, name, mode, axis in ASCII_CASES:
        h = header_for(name, mode, True, False, [])
        values = reduce(spm_counts(INPUTS[name]), 1 if mode is None else mode)
        with open(os.path.join(HERE, golden), "wb") as f:
            f.write(ascii_bytes(values, axis, h["ZeroSpeedChannel"], h["CalibrationConstant"]))


if __name__ == "__main__":
    main()
