#!/usr/bin/python3
"""Writes the reference tables the filter library tests compare against.

Run with Debian's python3-scipy:  /usr/bin/python3 tests/dsp/make_reference.py
The test run itself reads only the committed tables in data/.

Table format (whitespace separated, '#' starts a comment line):
    case <key> <n> <v0> ... <v(n-1)>
    <count>
    <frequency Hz> <Re H> <Im H>      (count lines)
For the filter-object keys, v0..v(n-1) is the parameter block handed to the
filter, position by position (sample rate first). For the plain RBJ setups it
is the argument list of setup().

Where each table comes from (scipy.signal, zpk output, evaluated with
scipy.signal.freqz_zpk at the listed frequencies, fs given in Hz):
  bw_lp / bw_lp1  butter(order, fc, btype='lowpass', fs=fs)
                  params: fs, order, fc (bw_lp1 is the maximum-order-1 object)
  bw_hp           butter(order, fc, btype='highpass', fs=fs); params fs, order, fc
  bw_bp           butter(order, [fc - bw/2, fc + bw/2], btype='bandpass', fs=fs)
                  params: fs, order, center fc, bandwidth bw in Hz
                  (the band edges lie center -/+ half the width)
  bw_bs           butter(order, [fc - bw/2, fc + bw/2], btype='bandstop', fs=fs)
  c1_lp / c1_hp   cheby1(order, ripple, fc, btype='lowpass'/'highpass', fs=fs)
                  params: fs, order, fc, ripple in dB (fc is the ripple band edge)
  bes_lp / bes_hp bessel(order, fc, btype='lowpass'/'highpass', norm='delay', fs=fs)
                  params: fs, order, fc (fc is the unit-delay frequency, not -3 dB)

RBJ designs come from the cookbook formulas coded below, independently of the
library, evaluated with scipy.signal.freqz(b, a):
  rbj_lp, rbj_hp         params fs, fc, Q
  rbj_bp1, rbj_bs        params fs, center, bandwidth; the bandwidth value enters
                         the formulas as Q (alpha = sin(w0) / (2 * bandwidth))
  rbj_bp2, rbj_ap        setup(fs, f, q)
  rbj_ls, rbj_hs         setup(fs, fc, gain dB, shelf slope S)
  rbj_bsh                setup(fs, center, gain dB, bandwidth in octaves) (peaking EQ)

bessel_roots.txt: the poles of scipy.signal.besselap(order, norm='delay'),
which are the roots of the reverse Bessel polynomial of that order:
    order <n>
    <Re> <Im>   (n lines)

stopband_designs.txt (same case format, 24-point sweeps):
  c2_lp / c2_hp   cheby2(order, stop, fc, btype='lowpass'/'highpass', fs=fs)
                  params: fs, order, fc, stop-band attenuation in dB (fc is the
                  stop-band edge, where the response first reaches -stop dB)
  c2_bp / c2_bs   cheby2(order, stop, [fc - bw/2, fc + bw/2], btype='bandpass'/
                  'bandstop', fs=fs); params fs, order, center, bandwidth Hz, stop dB
  el_lp / el_hp   ellip(order, ripple, stop, fc, ...); params fs, order, fc, ripple
                  dB, rolloff. The rolloff sets the selectivity xi = 5 exp(rolloff - 1)
                  + 1 (stop-band edge over pass-band edge); the stop-band attenuation
                  handed to ellip is the one the degree equation gives for that
                  order, ripple and xi (stop_band_db below), so both describe the
                  same filter. The grid includes fc * xi, the stop-band edge.
  el_bp / el_bs   the same as band designs; params fs, order, center, bandwidth Hz,
                  ripple dB, rolloff

Legendre (optimum-L) designs have no scipy counterpart. The script builds them
independently: L_n(w^2) exactly in rational arithmetic from Legendre
polynomials (Papoulis' construction, checked for L_n(1) = 1), the poles as the
left-half-plane roots of 1 + L_n(-s^2) (numpy roots, Newton-polished in
80-digit decimal arithmetic), then the digital filter with scipy's prewarped
bilinear transform (lp2lp_zpk / lp2hp_zpk / lp2bp_zpk / lp2bs_zpk, then
bilinear_zpk), as iirfilter does for the other families.
  legendre.txt    case format, keys le_lp, le_hp (params fs, order, fc; fc is the
                  -3 dB point) and le_bp, le_bs (fs, order, center, bandwidth Hz)
  legendre_polynomials.txt:
    order <n>
    <w_0> ... <w_n>        coefficients of L_n in powers of w^2
    <Re> <Im>              the n prototype poles, largest imaginary part first
"""

import cmath
import decimal
import math
import os
from fractions import Fraction

import numpy as np
from scipy import signal, special

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "data")


def grid(fs, extra, count=44):
    """Frequencies (Hz) to compare at: 0, a log sweep up to just below fs/2,
    fs/2 itself and a few design frequencies."""
    sweep = np.geomspace(2.0, 0.4995 * fs, count)
    pts = [0.0, fs / 2] + list(sweep) + [e for e in extra if 0 < e < fs / 2]
    return np.array(sorted(set(float(p) for p in pts)))


def write_case(out, key, params, freqs, h):
    out.write("case %s %d %s\n" % (key, len(params), " ".join(repr(float(p)) for p in params)))
    out.write("%d\n" % len(freqs))
    for f, v in zip(freqs, h):
        out.write("%r %r %r\n" % (float(f), float(v.real), float(v.imag)))


def zpk_response(zpk, fs, freqs):
    z, p, k = zpk
    _, h = signal.freqz_zpk(z, p, k, worN=freqs, fs=fs)
    return h


def pole_designs():
    path = os.path.join(DATA, "pole_designs.txt")
    with open(path, "w") as out:
        out.write("# generated by make_reference.py from scipy %s\n" % __import__("scipy").__version__)
        # Butterworth low and high pass: several orders, cutoffs, sample rates.
        for fs, fc in [(44100, 1000), (48000, 200), (96000, 15000), (192000, 40), (11025, 3000),
                       (44100, 21000)]:
            for order in [1, 2, 3, 4, 8]:
                freqs = grid(fs, [fc])
                h = zpk_response(signal.butter(order, fc, btype="lowpass", output="zpk", fs=fs),
                                 fs, freqs)
                write_case(out, "bw_lp", [fs, order, fc], freqs, h)
                h = zpk_response(signal.butter(order, fc, btype="highpass", output="zpk", fs=fs),
                                 fs, freqs)
                write_case(out, "bw_hp", [fs, order, fc], freqs, h)
        # The maximum-order-1 object at its own order and at its default order 2.
        for order in [1, 2]:
            fs, fc = 44100, 200
            freqs = grid(fs, [fc])
            h = zpk_response(signal.butter(order, fc, btype="lowpass", output="zpk", fs=fs), fs,
                             freqs)
            write_case(out, "bw_lp1", [fs, order, fc], freqs, h)
        # Butterworth band pass and band stop.
        for fs, fc, bw in [(44100, 2000, 1720), (48000, 1000, 300), (96000, 8000, 6000),
                           (44100, 300, 100), (192000, 20000, 5000)]:
            for order in [1, 2, 3, 4]:
                freqs = grid(fs, [fc, fc - bw / 2, fc + bw / 2])
                edges = [fc - bw / 2, fc + bw / 2]
                h = zpk_response(signal.butter(order, edges, btype="bandpass", output="zpk", fs=fs),
                                 fs, freqs)
                write_case(out, "bw_bp", [fs, order, fc, bw], freqs, h)
                h = zpk_response(signal.butter(order, edges, btype="bandstop", output="zpk", fs=fs),
                                 fs, freqs)
                write_case(out, "bw_bs", [fs, order, fc, bw], freqs, h)
        # Chebyshev I low and high pass.
        for fs, fc, ripple in [(44100, 1000, 1.0), (48000, 5000, 0.01), (96000, 300, 3.0),
                               (44100, 12000, 12.0), (192000, 20, 0.5), (44100, 2000, 0.001)]:
            for order in [1, 2, 3, 4]:
                freqs = grid(fs, [fc])
                h = zpk_response(signal.cheby1(order, ripple, fc, btype="lowpass", output="zpk",
                                               fs=fs), fs, freqs)
                write_case(out, "c1_lp", [fs, order, fc, ripple], freqs, h)
                h = zpk_response(signal.cheby1(order, ripple, fc, btype="highpass", output="zpk",
                                               fs=fs), fs, freqs)
                write_case(out, "c1_hp", [fs, order, fc, ripple], freqs, h)
        # Bessel low and high pass, delay-normalised.
        for fs, fc in [(44100, 2000), (48000, 100), (96000, 18000), (192000, 1000),
                       (44100, 20000)]:
            for order in [1, 2, 3, 4]:
                freqs = grid(fs, [fc])
                h = zpk_response(signal.bessel(order, fc, btype="lowpass", output="zpk",
                                               norm="delay", fs=fs), fs, freqs)
                write_case(out, "bes_lp", [fs, order, fc], freqs, h)
                h = zpk_response(signal.bessel(order, fc, btype="highpass", output="zpk",
                                               norm="delay", fs=fs), fs, freqs)
                write_case(out, "bes_hp", [fs, order, fc], freqs, h)


def cookbook(key, fs, f, x, y=None):
    """RBJ audio-EQ cookbook coefficients (b, a), unnormalised."""
    w0 = 2 * math.pi * f / fs
    cs, sn = math.cos(w0), math.sin(w0)
    if key in ("rbj_lp", "rbj_hp", "rbj_bp1", "rbj_bp2", "rbj_bs", "rbj_ap"):
        q = x
        alpha = sn / (2 * q)
        a = [1 + alpha, -2 * cs, 1 - alpha]
        if key == "rbj_lp":
            b = [(1 - cs) / 2, 1 - cs, (1 - cs) / 2]
        elif key == "rbj_hp":
            b = [(1 + cs) / 2, -(1 + cs), (1 + cs) / 2]
        elif key == "rbj_bp1":  # constant skirt gain, peak gain Q
            b = [q * alpha, 0, -q * alpha]
        elif key == "rbj_bp2":  # constant 0 dB peak gain
            b = [alpha, 0, -alpha]
        elif key == "rbj_bs":
            b = [1, -2 * cs, 1]
        else:
            b = [1 - alpha, -2 * cs, 1 + alpha]
        return b, a
    A = 10 ** (x / 40)
    if key in ("rbj_ls", "rbj_hs"):
        S = y
        alpha = sn / 2 * math.sqrt((A + 1 / A) * (1 / S - 1) + 2)
        t = 2 * math.sqrt(A) * alpha
        if key == "rbj_ls":
            b = [A * ((A + 1) - (A - 1) * cs + t), 2 * A * ((A - 1) - (A + 1) * cs),
                 A * ((A + 1) - (A - 1) * cs - t)]
            a = [(A + 1) + (A - 1) * cs + t, -2 * ((A - 1) + (A + 1) * cs),
                 (A + 1) + (A - 1) * cs - t]
        else:
            b = [A * ((A + 1) + (A - 1) * cs + t), -2 * A * ((A - 1) + (A + 1) * cs),
                 A * ((A + 1) + (A - 1) * cs - t)]
            a = [(A + 1) - (A - 1) * cs + t, 2 * ((A - 1) - (A + 1) * cs),
                 (A + 1) - (A - 1) * cs - t]
        return b, a
    # peaking EQ, bandwidth in octaves (digital bandwidth correction w0 / sin w0)
    bw = y
    alpha = sn * math.sinh(math.log(2) / 2 * bw * w0 / sn)
    b = [1 + alpha * A, -2 * cs, 1 - alpha * A]
    a = [1 + alpha / A, -2 * cs, 1 - alpha / A]
    return b, a


def rbj():
    path = os.path.join(DATA, "rbj.txt")
    with open(path, "w") as out:
        out.write("# generated by make_reference.py from scipy %s\n" % __import__("scipy").__version__)
        settings = [(44100, 1000, 0.7071), (48000, 80, 0.0625), (96000, 12000, 4.0),
                    (44100, 20000, 16.0), (11025, 3000, 1.0), (192000, 22040, 2.0)]
        for key in ("rbj_lp", "rbj_hp", "rbj_bp1", "rbj_bs", "rbj_bp2", "rbj_ap"):
            for fs, f, q in settings:
                freqs = grid(fs, [f])
                b, a = cookbook(key, fs, f, q)
                _, h = signal.freqz(b, a, worN=freqs, fs=fs)
                write_case(out, key, [fs, f, q], freqs, h)
        # Shelves: slopes up to 1 at any gain, steeper slopes where the square root stays real.
        shelf = [(44100, 1000, 12.0, 1.0), (48000, 200, -24.0, 0.25), (96000, 8000, 6.0, 2.0),
                 (44100, 5000, -9.0, 4.0), (192000, 100, 24.0, 0.5)]
        for key in ("rbj_ls", "rbj_hs"):
            for fs, f, g, s in shelf:
                freqs = grid(fs, [f])
                b, a = cookbook(key, fs, f, g, s)
                _, h = signal.freqz(b, a, worN=freqs, fs=fs)
                write_case(out, key, [fs, f, g, s], freqs, h)
        for fs, f, g, bw in [(44100, 1000, 12.0, 1.0), (48000, 300, -24.0, 0.0625),
                             (96000, 10000, 6.0, 4.0), (44100, 150, -6.0, 16.0)]:
            freqs = grid(fs, [f])
            b, a = cookbook("rbj_bsh", fs, f, g, bw)
            _, h = signal.freqz(b, a, worN=freqs, fs=fs)
            write_case(out, "rbj_bsh", [fs, f, g, bw], freqs, h)


def bessel_roots():
    path = os.path.join(DATA, "bessel_roots.txt")
    with open(path, "w") as out:
        out.write("# generated by make_reference.py: scipy.signal.besselap(n, norm='delay') poles\n")
        for n in range(1, 16):
            _, p, _ = signal.besselap(n, norm="delay")
            out.write("order %d\n" % n)
            for r in p:
                out.write("%r %r\n" % (float(r.real), float(r.imag)))


def selectivity(rolloff):
    return 5 * math.exp(rolloff - 1) + 1


def stop_band_db(order, ripple_db, rolloff):
    """Stop-band attenuation of the elliptic filter of this order, pass-band ripple and
    selectivity, from the degree equation: the nome of the discrimination modulus is the
    order-th power of the selectivity modulus' nome."""
    m = 1 / selectivity(rolloff) ** 2          # parameter k^2 of the modulus k = 1 / xi
    q = math.exp(-math.pi * special.ellipkm1(m) / special.ellipk(m))
    q1 = q ** order
    theta2 = 2 * q1 ** 0.25 * sum(q1 ** (j * (j + 1)) for j in range(40))
    theta3 = 1 + 2 * sum(q1 ** (j * j) for j in range(1, 40))
    k1 = (theta2 / theta3) ** 2
    return 10 * math.log10(1 + (10 ** (ripple_db / 10) - 1) / k1 ** 2)


def stopband_designs():
    path = os.path.join(DATA, "stopband_designs.txt")
    n = 24
    with open(path, "w") as out:
        out.write("# generated by make_reference.py from scipy %s\n" % __import__("scipy").__version__)
        for fs, fc, stop in [(44100, 1000, 48.0), (48000, 5000, 3.0), (96000, 300, 60.0),
                             (44100, 12000, 20.0), (192000, 20000, 30.0)]:
            for order in [1, 2, 3, 4, 5, 8]:
                freqs = grid(fs, [fc], n)
                for key, btype in (("c2_lp", "lowpass"), ("c2_hp", "highpass")):
                    z = signal.cheby2(order, stop, fc, btype=btype, output="zpk", fs=fs)
                    write_case(out, key, [fs, order, fc, stop], freqs, zpk_response(z, fs, freqs))
        for fs, fc, bw, stop in [(44100, 2000, 1720, 48.0), (48000, 1000, 300, 20.0),
                                 (96000, 8000, 6000, 60.0)]:
            for order in [1, 2, 3, 4]:
                edges = [fc - bw / 2, fc + bw / 2]
                freqs = grid(fs, [fc] + edges, n)
                for key, btype in (("c2_bp", "bandpass"), ("c2_bs", "bandstop")):
                    z = signal.cheby2(order, stop, edges, btype=btype, output="zpk", fs=fs)
                    write_case(out, key, [fs, order, fc, bw, stop], freqs,
                               zpk_response(z, fs, freqs))
        # Elliptic: rolloffs from -12 up. Steeper ones squeeze the transition band to parts in
        # 1e6 of the cutoff, where a comparison at 1e-6 dB measures rounding.
        for fs, fc, ripple, rolloff in [(44100, 1000, 1.0, 0.0), (48000, 5000, 0.1, -4.0),
                                        (96000, 300, 3.0, 2.0), (44100, 12000, 0.5, -8.0),
                                        (44100, 2000, 0.01, -2.0), (192000, 100, 6.0, 4.0),
                                        (44100, 3000, 0.1, -12.0), (48000, 3000, 3.0, -10.0)]:
            for order in [1, 2, 3, 4, 5, 8]:
                stop = stop_band_db(order, ripple, rolloff)
                freqs = grid(fs, [fc, fc * selectivity(rolloff)], n)
                for key, btype in (("el_lp", "lowpass"), ("el_hp", "highpass")):
                    z = signal.ellip(order, ripple, stop, fc, btype=btype, output="zpk", fs=fs)
                    write_case(out, key, [fs, order, fc, ripple, rolloff], freqs,
                               zpk_response(z, fs, freqs))
        for fs, fc, bw, ripple, rolloff in [(44100, 2000, 1720, 1.0, 0.0),
                                            (48000, 1000, 300, 0.1, -4.0),
                                            (96000, 8000, 6000, 3.0, 2.0)]:
            for order in [1, 2, 3, 4]:
                stop = stop_band_db(order, ripple, rolloff)
                edges = [fc - bw / 2, fc + bw / 2]
                freqs = grid(fs, [fc] + edges, n)
                for key, btype in (("el_bp", "bandpass"), ("el_bs", "bandstop")):
                    z = signal.ellip(order, ripple, stop, edges, btype=btype, output="zpk", fs=fs)
                    write_case(out, key, [fs, order, fc, bw, ripple, rolloff], freqs,
                               zpk_response(z, fs, freqs))


def legendre_polynomial(i):
    """P_i, low power first, exact, by Bonnet's recursion."""
    older, old = [Fraction(1)], [Fraction(0), Fraction(1)]
    if i == 0:
        return older
    for k in range(2, i + 1):
        new = [Fraction(0)] * (k + 1)
        for j, c in enumerate(old):
            new[j + 1] += Fraction(2 * k - 1, k) * c
        for j, c in enumerate(older):
            new[j] -= Fraction(k - 1, k) * c
        older, old = old, new
    return old


def poly_add(a, b):
    n = max(len(a), len(b))
    return [(a[i] if i < len(a) else 0) + (b[i] if i < len(b) else 0) for i in range(n)]


def poly_mul(a, b):
    r = [Fraction(0)] * (len(a) + len(b) - 1)
    for i, x in enumerate(a):
        for j, y in enumerate(b):
            r[i + j] += x * y
    return r


def optimum_l(n):
    """L_n(w^2), coefficients of powers of w^2, exact. With k = (n - 1) // 2:
    odd n:  L = integral from -1 to 2w^2 - 1 of (sum_{i<=k} a_i P_i(x))^2 dx,
            a_i = (2i + 1) / (sqrt(2) (k + 1));
    even n: L = integral of (x + 1) (sum a_i P_i(x))^2, a_i = (2i + 1) / sqrt((k + 1)(k + 2))
            for the i <= k of k's parity, else 0.
    The weights only enter squared, so their common factor is kept as a rational square."""
    k = (n - 1) // 2
    if n % 2:
        indices, scale2 = range(k + 1), Fraction(1, 2 * (k + 1) ** 2)
    else:
        indices, scale2 = range(k % 2, k + 1, 2), Fraction(1, (k + 1) * (k + 2))
    s = [Fraction(0)]
    for i in indices:
        s = poly_add(s, [(2 * i + 1) * c for c in legendre_polynomial(i)])
    integrand = [c * scale2 for c in poly_mul(s, s)]
    if n % 2 == 0:
        integrand = poly_mul(integrand, [Fraction(1), Fraction(1)])
    antiderivative = [Fraction(0)] + [c / (j + 1) for j, c in enumerate(integrand)]
    result, power = [Fraction(0)], [Fraction(1)]
    for j, c in enumerate(antiderivative):
        if j:
            power = poly_mul(power, [Fraction(-1), Fraction(2)])  # (2y - 1)^j
        result = poly_add(result, [c * p for p in power])
    result[0] = Fraction(0)  # the integral starts at x = -1, where y = 0
    assert sum(result) == 1, n  # L_n(1) = 1: the cutoff is the -3 dB point
    return result


def polish(coefficients, root):
    """Newton's method on sum c_i y^i with exact coefficients, in 80-digit decimals."""
    decimal.getcontext().prec = 80
    D = decimal.Decimal
    cf = [D(c.numerator) / D(c.denominator) for c in coefficients]
    re, im = D(repr(float(root.real))), D(repr(float(root.imag)))
    for _ in range(100):
        pr, pi, dr, di = D(0), D(0), D(0), D(0)
        for c in reversed(cf):
            dr, di = dr * re - di * im + pr, dr * im + di * re + pi
            pr, pi = pr * re - pi * im + c, pr * im + pi * re
        den = dr * dr + di * di
        sr, si = (pr * dr + pi * di) / den, (pi * dr - pr * di) / den
        re, im = re - sr, im - si
        if abs(sr) + abs(si) < D(10) ** -70:
            break
    return complex(float(re), float(im))


def legendre_poles(n):
    """The left-half-plane roots of 1 + L_n(-s^2): with y = -s^2, the roots y of
    1 + L_n(y), then s = -sqrt(-y) with a non-positive real part."""
    c = optimum_l(n)
    c[0] += 1
    poles = []
    for y in np.roots([float(x) for x in reversed(c)]):
        s = cmath.sqrt(-polish(c, y))
        poles.append(-s if s.real > 0 else s)
    return sorted(poles, key=lambda p: -p.imag)


def analog_to_digital(poles, btype, fs, f1, f2=None):
    """Prewarped bilinear transform of the all-pole prototype with unity gain at 0."""
    z, p, k = [], np.array(poles), float(np.real(np.prod(-np.array(poles))))
    warp = lambda f: 2 * fs * math.tan(math.pi * f / fs)
    if btype == "lowpass":
        z, p, k = signal.lp2lp_zpk(z, p, k, warp(f1))
    elif btype == "highpass":
        z, p, k = signal.lp2hp_zpk(z, p, k, warp(f1))
    else:
        lo, hi = warp(f1), warp(f2)
        band = signal.lp2bp_zpk if btype == "bandpass" else signal.lp2bs_zpk
        z, p, k = band(z, p, k, math.sqrt(lo * hi), hi - lo)
    return signal.bilinear_zpk(z, p, k, fs)


def legendre():
    with open(os.path.join(DATA, "legendre_polynomials.txt"), "w") as out:
        out.write("# generated by make_reference.py: optimum-L polynomials and poles\n")
        for n in range(1, 26):
            out.write("order %d\n" % n)
            out.write(" ".join(repr(float(c)) for c in optimum_l(n)) + "\n")
            for r in legendre_poles(n):
                out.write("%r %r\n" % (r.real, r.imag))
    path = os.path.join(DATA, "legendre.txt")
    with open(path, "w") as out:
        out.write("# generated by make_reference.py from scipy %s\n" % __import__("scipy").__version__)
        for fs, fc in [(44100, 1000), (48000, 8000), (96000, 150)]:
            for order in [1, 2, 3, 4, 6, 9, 12, 16]:
                poles = legendre_poles(order)
                freqs = grid(fs, [fc], 24)
                for key, btype in (("le_lp", "lowpass"), ("le_hp", "highpass")):
                    zpk = analog_to_digital(poles, btype, fs, fc)
                    write_case(out, key, [fs, order, fc], freqs, zpk_response(zpk, fs, freqs))
        for fs, fc, bw in [(44100, 2000, 1720), (96000, 8000, 6000)]:
            for order in [1, 2, 3, 4]:
                poles = legendre_poles(order)
                edges = [fc - bw / 2, fc + bw / 2]
                freqs = grid(fs, [fc] + edges, 24)
                for key, btype in (("le_bp", "bandpass"), ("le_bs", "bandstop")):
                    zpk = analog_to_digital(poles, btype, fs, edges[0], edges[1])
                    write_case(out, key, [fs, order, fc, bw], freqs, zpk_response(zpk, fs, freqs))


if __name__ == "__main__":
    os.makedirs(DATA, exist_ok=True)
    pole_designs()
    rbj()
    bessel_roots()
    stopband_designs()
    legendre()
