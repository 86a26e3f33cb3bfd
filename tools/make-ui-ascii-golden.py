#!/usr/bin/env python3
"""Writes the golden ASCII tables of the export tests in test_ui into tests/ui/data/.

Written without the program's code: the spectra are the ones the tests put into SPM files
(same formulas), the reduction and the number format are done here from their rules. The
outputs are checked in.
"""
import importlib.util
import os

# The number format is the one the core's golden tables use.
_here = os.path.dirname(os.path.abspath(__file__))
_loader = importlib.util.spec_from_file_location(
    "ascii_golden", os.path.join(_here, "make-ascii-golden.py"))
_core = importlib.util.module_from_spec(_loader)
_loader.loader.exec_module(_core)
general = _core.general

os.chdir(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'ui', 'data'))

M = 2**32


def spectrum(n):
    # Same as the tests' SpectrumCount: large counts now and then, so pair sums wrap.
    return [(4294967000 + i % 250) if i % 61 == 3 else (i * 7919 + 13) % 100003
            for i in range(n)]


def reduce(counts, mode):
    if len(counts) == 512 or mode == 0:
        return list(counts)
    pairs = [(counts[2 * i] + counts[2 * i + 1]) % M for i in range(len(counts) // 2)]
    return pairs if mode == 1 else [p // 2 for p in pairs]


def table(values, velocity):
    lines = []
    for i, val in enumerate(values):
        # The header fields as the main window starts: "128.00" and "0.09135".
        x = general((i - float('128.00')) * float('0.09135')) if velocity else str(i)
        lines.append(x + '\t' + str(val) + '\r\n')
    return ''.join(lines).encode('ascii')


def write(name, channels, mode, velocity):
    with open(name, 'wb') as f:
        f.write(table(reduce(spectrum(channels), mode), velocity))


write('ascii-1024-add-velocity.txt', 1024, 1, True)
write('ascii-1024-mean-velocity.txt', 1024, 2, True)
write('ascii-1024-all-channel.txt', 1024, 0, False)
write('ascii-512-channel.txt', 512, 1, False)

assert general(-11.6928) == '-11.6928' and general(0.00005) == '5E-5'
assert general((511 - 128.0) * 0.09135) == '34.98705'
