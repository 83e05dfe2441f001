#!/usr/bin/env python3
"""Writes source/StoredCurves.cpp: the 27 stored distortion curves.

Each curve is 512 values in [-1, 1]; entry i is the output for the input
x = -1 + 2i/511, so the negative half comes first. Every curve is described
below by one formula for its negative half and one for its positive half
(they differ, so no curve is odd-symmetric). Where a curve has fixed values
at its ends and around its centre, each half is tilted by a straight line so
that it meets them, and the fixed values are then written exactly.

Run from anywhere:  python3 externals/rawnfield/tools/gen_stored_curves.py
Only the standard library is needed.
"""

import math
import os
import sys

N = 512
HALF = N // 2


def xs():
    return [-1.0 + 2.0 * i / (N - 1) for i in range(N)]


def sat(v, k):
    """tanh soft clip with drive k, normalised to reach 1 at v = 1."""
    return math.tanh(k * v) / math.tanh(k)


def gate(a, width, power):
    """Close to 0 below width, close to 1 above: a noise-gate dead zone."""
    p = a ** power
    return p / (p + width ** power)


def tri(v):
    """Triangle wave of period 4 through (0, 0) and (1, 1): a folder."""
    return 2.0 / math.pi * math.asin(math.sin(math.pi / 2.0 * v))


def frac(v):
    return v - math.floor(v)


def smooth_step(v, steps):
    """Staircase with rounded risers, `steps` treads per unit."""
    s = v * steps
    base = math.floor(s)
    f = s - base
    f = f ** 3 * (f * (6.0 * f - 15.0) + 10.0)
    return (base + f) / steps


# Every curve: (name, description, negative(a), positive(a), pins, writable).
# a = |x| in (0, 1]; negative() gives the output for the input -a.
CURVES = [
    ("gNeuroFunk1", "asymmetric sine folder, 1.3 folds, even-harmonic lean",
     lambda a: -math.sin(math.pi / 2 * 2.6 * a) * (1.0 - 0.25 * a),
     lambda a: math.sin(math.pi / 2 * 2.2 * a + 0.35 * a * a),
     {}, False),
    ("gNeuroFunk2", "phase-modulated folder: a growl of fast folds",
     lambda a: -0.85 * math.sin(3.3 * a + 0.6 * math.sin(9.0 * a)),
     lambda a: 0.92 * math.sin(3.0 * a + 0.5 * math.sin(11.0 * a)) * (1.0 - 0.15 * a),
     {}, False),
    ("gDubStep1", "tanh drive with a wobble ripple riding on it",
     lambda a: -sat(a, 3.0) * (0.85 + 0.15 * math.cos(14.0 * a)),
     lambda a: sat(a, 2.4) * (0.8 + 0.2 * math.cos(11.0 * a)) + 0.05 * a * (1 - a),
     {}, False),
    ("gDubStep2", "hard tanh with a rectified octave component",
     lambda a: -0.75 * sat(a, 5.0) + 0.2 * (2.0 * a - a * a),
     lambda a: 0.75 * sat(a, 4.0) + 0.25 * (2.0 * a - a * a),
     {}, False),
    ("gWendrickNameOfTheDj", "class-B crossover gap, full negative swing, soft positive top",
     lambda a: -(1.0 - math.exp(-3.0 * a)) / (1.0 - math.exp(-3.0)) * a / (a + 0.03),
     lambda a: 0.9 * sat(a, 2.0) * a / (a + 0.008),
     {0: -1.0, 255: -0.000178398297757, 256: 0.000757691910431, 511: 0.898811399986555},
     True),
    ("gMorvelLut", "diode pair: fast exponential top, soft low bottom",
     lambda a: -0.7 * (1.0 - math.exp(-1.5 * a)) / (1.0 - math.exp(-1.5)),
     lambda a: (1.0 - math.exp(-4.0 * a)) / (1.0 - math.exp(-4.0)),
     {}, False),
    ("gSkarth", "quantised fuzz: seven rounded steps over a drive curve",
     lambda a: -(0.8 * smooth_step(sat(a, 2.0), 3.5) + 0.2 * sat(a, 2.0)),
     lambda a: 0.8 * smooth_step(sat(a, 2.5), 3.0) + 0.2 * sat(a, 2.5),
     {}, False),
    ("gVelmo", "rectifying folder: the negative half dips and folds back up",
     lambda a: -math.sin(1.3 * math.pi * a),
     lambda a: 0.98 * math.sin(0.6 * math.pi * a),
     {0: 0.787772608127747, 255: -7.77e-13, 256: 7.77e-13, 511: 0.931241231424318},
     False),
    ("gPrandixSystem", "clipped polynomial with a second-harmonic bias",
     lambda a: max(-1.0, -1.4 * a + 0.5 * a ** 3 + 0.2 * (2 * a * a - 1) + 0.2),
     lambda a: min(1.0, 1.4 * a - 0.5 * a ** 3 + 0.2 * (2 * a * a - 1) + 0.2),
     {}, False),
    ("gQzarPublicEnemy", "gated heavy fuzz: dead below the gate, lopsided clip above",
     lambda a: -0.98 * sat(a, 6.0) * gate(a, 0.04, 6),
     lambda a: 0.71 * sat(a, 8.0) * gate(a, 0.05, 6),
     {0: -0.977743284176264, 255: -7.777e-12, 256: 3.777e-12, 511: 0.710818817748283},
     False),
    ("gQzarStraightLut", "straight hard clip at unequal levels",
     lambda a: max(-0.85, -2.4 * a),
     lambda a: min(0.92, 1.8 * a),
     {}, False),
    ("gQzarGangstarizmLut", "octave fuzz: half drive, half full-wave rectifier",
     lambda a: -0.6 * sat(a, 3.0) + 0.4 * a ** 0.7,
     lambda a: 0.6 * sat(a, 3.0) + 0.4 * a ** 0.7,
     {}, False),
    ("gOlverin", "biased arctan: clips early below, late above",
     lambda a: max(-1.0, (math.atan(5.0 * (0.08 - a)) - math.atan(0.4)) / 1.05),
     lambda a: (math.atan(5.0 * (a + 0.08)) - math.atan(0.4))
     / (math.atan(5.4) - math.atan(0.4)),
     {}, False),
    ("gTarvixSystem", "soft clip with a sawtooth ripple fading towards full scale",
     lambda a: -0.85 * sat(a, 2.5) + 0.12 * (frac(5.0 * a + 0.3) - 0.5) * (1.0 - a),
     lambda a: 0.9 * sat(a, 2.0) + 0.1 * (frac(4.0 * a + 0.7) - 0.5) * (1.0 - a),
     {}, False),
    ("gBrellow", "expander of low levels: steep root curve, gentler below",
     lambda a: -0.9 * a ** 0.6,
     lambda a: a ** 0.35,
     {}, False),
    ("gWemsyLut", "tape-like cubic with a slight even lean",
     lambda a: -(a - 0.25 * a ** 3) + 0.08 * a * a,
     lambda a: (a - 0.25 * a ** 3) + 0.08 * a * a,
     {}, False),
    ("gYostraLut", "triple sine fold that opens up towards full scale",
     lambda a: math.sin(-4.5 * a + 0.5 * a * a) * (0.6 + 0.4 * a),
     lambda a: math.sin(4.2 * a + 0.3 * a * a) * (0.55 + 0.45 * a),
     {}, False),
    ("gTroskLut", "sawtooth laid over the identity, stronger at low levels",
     lambda a: max(-1.0, -a - (1.0 - a) * (frac(3.5 * a) - 0.4)),
     lambda a: min(1.0, a + (1.0 - a) * (frac(3.0 * a + 0.2) - 0.4)),
     {}, False),
    ("gDremloLut", "tremolo-ripple drive: gain swells along the input",
     lambda a: -sat(a, 2.0) * (1.0 + 0.25 * math.sin(20.0 * a)) / 1.25,
     lambda a: sat(a, 1.6) * (1.0 + 0.2 * math.sin(17.0 * a + 0.5)) / 1.2,
     {}, False),
    ("gPlonqLut", "cubic soft clip, hard drive above, light drive below",
     lambda a: -1.5 * (min(0.9 * a, 1.0) - min(0.9 * a, 1.0) ** 3 / 3.0),
     lambda a: 1.5 * (min(1.3 * a, 1.0) - min(1.3 * a, 1.0) ** 3 / 3.0),
     {}, False),
    ("gTheVarlock", "triangle wave folder with an offset fold point",
     lambda a: tri(-1.8 * a + 0.1) - tri(0.1),
     lambda a: tri(1.8 * a + 0.1) - tri(0.1),
     {}, False),
    ("gPlimb", "half-wave diode: full drive above, a trickle below",
     lambda a: -0.35 * sat(a, 1.5),
     lambda a: sat(a, 3.0),
     {}, False),
    ("gTheOzzarim", "ring-modulated ripple on a thin dry line",
     lambda a: -(math.sin(6.0 * a) * 0.7 * a ** 0.5 + 0.3 * a),
     lambda a: math.sin(7.0 * a) * 0.6 * a ** 0.5 + 0.35 * a,
     {}, False),
    ("gGrelsh", "crushed: nine hard levels over a drive curve",
     lambda a: -math.floor(sat(a, 2.2) * 4.0 + 0.25) / 4.0,
     lambda a: math.floor(sat(a, 2.2) * 4.0 + 0.6) / 4.0,
     {}, False),
    ("gMorbaxHardAsHell", "near brick wall, the top slightly rounded",
     lambda a: -0.97 * math.tanh(12.0 * a - 0.3),
     lambda a: 0.97 * math.tanh(12.0 * a + 0.3),
     {}, False),
    ("gMorbaxSycoKilla", "rectifier with a step at zero: everything comes out positive",
     lambda a: 0.0686 + 0.236 * a ** 1.5 * (1.0 + 0.3 * math.sin(9.0 * a)),
     lambda a: 0.177 + 0.41 * math.sin(math.pi / 2 * a) * (1.0 + 0.1 * math.sin(13.0 * a)),
     {0: 0.304971223447586, 255: 0.068581781091193, 256: 0.176997183932639,
      511: 0.589566386313694},
     False),
    ("gZrmThrashcore", "offset thrash clip with a buzzing ripple",
     lambda a: -0.027 - 0.77 * sat(a, 5.0) - 0.04 * math.sin(25.0 * a) * (1.0 - a),
     lambda a: -0.027 + 0.44 * sat(a, 4.0) + 0.05 * math.sin(30.0 * a) * (1.0 - a),
     {0: -0.798364207892087, 255: -0.035981322672201, 256: -0.018768883327738,
      511: 0.417615283669546},
     False),
]


def build(neg, pos, pins):
    x = xs()
    d = [neg(-x[i]) if i < HALF else pos(x[i]) for i in range(N)]
    # Tilt each half by a straight line so its two ends meet the pins.
    for lo, hi in ((0, HALF - 1), (HALF, N - 1)):
        if lo in pins and hi in pins:
            dl = pins[lo] - d[lo]
            dh = pins[hi] - d[hi]
            for i in range(lo, hi + 1):
                t = (x[i] - x[lo]) / (x[hi] - x[lo])
                d[i] += dl * (1.0 - t) + dh * t
    d = [max(-1.0, min(1.0, v)) for v in d]
    # 15 significant digits: the form the tables are kept in.
    d = [float("%.15g" % v) for v in d]
    for i, v in pins.items():
        d[i] = v
    return d


def check(name, d, pins):
    assert len(d) == N, name
    for v in d:
        assert math.isfinite(v) and -1.0 <= v <= 1.0, name
    for i, v in pins.items():
        assert d[i] == v, (name, i)
    assert any(d[HALF - 1 - j] != -d[HALF + j] for j in range(HALF)), name + " is odd"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = os.path.join(here, "..", "source", "StoredCurves.cpp")
    lines = [
        "// Generated by externals/rawnfield/tools/gen_stored_curves.py; edit the",
        "// script, not this file.",
        "// clang-format off",
        '#include "StoredCurves.h"',
        "",
        "namespace Rawnfield {",
    ]
    for name, what, neg, pos, pins, writable in CURVES:
        d = build(neg, pos, pins)
        check(name, d, pins)
        lines.append("")
        lines.append("// " + what)
        lines.append(("double " if writable else "const double ") + name + "[512] = {")
        for i in range(0, N, 4):
            lines.append("  " + ", ".join(repr(v) for v in d[i:i + 4]) + ",")
        lines.append("};")
    lines.append("")
    lines.append("}  // namespace Rawnfield")
    with open(out, "w") as f:
        f.write("\n".join(lines) + "\n")
    print("wrote", os.path.normpath(out), file=sys.stderr)


if __name__ == "__main__":
    main()
