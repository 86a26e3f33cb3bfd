#!/usr/bin/env python3
"""Writes the golden ASCII tables and their counts to tests/export/data/ (checked in).

Independent of the C++ code: the number format is done with the decimal module on the exact
value of the double.

    tools/make-ascii-golden.py
"""
import os
from decimal import Decimal, ROUND_HALF_EVEN, Context

DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'export', 'data')


def general(v, sep='.'):
    if v == 0:
        return '0'
    d = Context(prec=15, rounding=ROUND_HALF_EVEN).plus(Decimal(v))
    sign, digits, exp = d.as_tuple()
    digits = ''.join(map(str, digits)).rstrip('0') or '0'
    # value = 0.DIGITS... scaled: position of the first digit
    e = exp + len(d.as_tuple().digits) - 1  # exponent of the first digit
    neg = '-' if sign else ''
    if -4 <= e < 15:
        if e < 0:
            return neg + '0' + sep + '0' * (-e - 1) + digits
        ip, fp = digits[:e + 1], digits[e + 1:]
        ip = ip + '0' * (e + 1 - len(ip))
        return neg + ip + (sep + fp if fp else '')
    mant = digits[0] + (sep + digits[1:] if len(digits) > 1 else '')
    return neg + mant + 'E' + str(e)


def counts(n, seed):
    x = seed
    out = []
    for i in range(n):
        x = (x * 1103515245 + 12345) % 2**31
        if i % 97 == 5:
            out.append(4294967295 - (x % 1000))  # large counts stay unsigned
        elif i % 13 == 0:
            out.append(0)
        else:
            out.append(x % 100000)
    return out


def table(values, velocity=None):
    lines = []
    for i, val in enumerate(values):
        if velocity is None:
            x = str(i)
        else:
            z, c = velocity
            x = general((i - z) * c)
        lines.append(x + '\t' + str(val) + '\r\n')
    return ''.join(lines).encode('ascii')


def write_counts(name, vals):
    with open(name, 'w', newline='\n') as f:
        f.write('\n'.join(map(str, vals)) + '\n')


def main():
    os.chdir(DATA)
    c512 = counts(512, 7)
    c1024 = counts(1024, 12345)
    write_counts('counts512.txt', c512)
    write_counts('counts1024.txt', c1024)
    with open('table_channel_512.txt', 'wb') as f:
        f.write(table(c512))
    # Z and C as the header fields hold them: " 255.37" and "0.1234567890123"
    with open('table_velocity_1024.txt', 'wb') as f:
        f.write(table(c1024, (float('255.37'), float('0.1234567890123'))))

    # self-checks of the format against known spellings
    for v, s in [(0.0005, '0.0005'), (0.09135, '0.09135'), (0.00005, '5E-5'), (1e15, '1E15'),
                 (999999999999999.0, '999999999999999'), (123456789012345678.0, '1.23456789012346E17'),
                 (0.1 + 0.2, '0.3'), (-11.6928, '-11.6928'), (1.5e15, '1.5E15'), (-2.5e-7, '-2.5E-7'),
                 (100.0, '100')]:
        assert general(v) == s, (v, general(v), s)


if __name__ == '__main__':
    main()
