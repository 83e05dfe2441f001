#!/usr/bin/env python3
"""Writes data/oversampler_ref.txt: reference values for the oversampler.

Everything is computed here with numpy and scipy, independently of the C++
code: the eighth-order matched-z Bessel low-pass for a cut-off of 1/16 of the
oversampled rate, the up-sampler's response to a unit impulse, and the value
a settled constant 1.0 has after up-sampling, identity processing and
down-sampling. The last one is found twice, by running the filters and from
the filter's response at the eight image frequencies, and the two must agree.

Run:  /usr/bin/python3 tests/chain/gen_oversampler_ref.py
"""

import math
import os

import numpy as np
from scipy import signal

FACTOR = 8
OUTPUT_GAIN = 0.907123536140837
# s-plane poles of the order-8 Bessel prototype, -3 dB at 1 rad/s.
POLES_S = [
    (-1.7574084004017807, 0.272867575102548),
    (-1.636939418126819, 0.8227956251396226),
    (-1.3738412176373478, 1.3883565758775174),
    (-0.8928697188471307, 1.9983258436412903),
]


def design(alpha):
    w = 2.0 * math.pi * alpha
    z = []
    for sigma, omega in POLES_S:
        p = complex(math.exp(sigma * w) * math.cos(omega * w),
                    math.exp(sigma * w) * math.sin(omega * w))
        z += [p, p.conjugate()]
    den = np.real(np.poly(z))  # z^8 + d1 z^7 + ... + d8
    gain = abs(np.sum(np.poly(z)))
    return gain, den


def main():
    gain, den = design(0.5 / FACTOR)
    coeffs = [gain] + [-d for d in den[1:]]

    impulse = np.zeros(8 * FACTOR)
    impulse[0] = 1.0
    up_impulse = FACTOR * signal.lfilter([gain], den, impulse)

    frames = 4096
    stuffed = np.zeros(frames * FACTOR)
    stuffed[::FACTOR] = 1.0
    up = FACTOR * signal.lfilter([gain], den, stuffed)
    down = signal.lfilter([gain], den, up)[::FACTOR] * OUTPUT_GAIN
    settled = down[-1]

    _, h = signal.freqz([gain], den, worN=2.0 * np.pi * np.arange(FACTOR) / FACTOR)
    folded = np.real(np.sum(h * h)) * OUTPUT_GAIN
    assert abs(folded - settled) < 1e-12, (folded, settled)

    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "data", "oversampler_ref.txt"), "w") as f:
        f.write("# Written by gen_oversampler_ref.py; do not edit.\n")
        f.write("coefficients " + " ".join(repr(float(c)) for c in coeffs) + "\n")
        f.write("upsampled_impulse " + " ".join(repr(float(v)) for v in up_impulse) + "\n")
        f.write("settled_constant %r\n" % float(settled))


if __name__ == "__main__":
    main()
