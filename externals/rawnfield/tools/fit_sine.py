#!/usr/bin/python3
"""Works out the constants of CurveMath's sine and cosine (header/CurveMath.h).

Run from anywhere: /usr/bin/python3 externals/rawnfield/tools/fit_sine.py
Needs nothing beyond the standard library: every value is taken in decimal
arithmetic of 80 digits and only rounded to double at the end.

It prints
  - pi/2 split in two doubles, kHalfPi (the double nearest pi/2) and
    kHalfPiLow (the double nearest pi/2 - kHalfPi), and 2/pi, for the
    argument reduction;
  - the coefficients of the two polynomials on |r| <= pi/4 (a little more:
    the reduced argument can pass pi/4 by a rounding)
        sin(r) ~ r + r^3 (s1 + s2 r^2 + ... + sN r^(2N-2))
        cos(r) ~ 1 - r^2/2 + r^4 (c1 + c2 r^2 + ... + cM r^(2M-2))
    each chosen by Remez exchange to make the largest relative error of the
    result as small as it goes (before the coefficients are rounded to
    double), and that error. cos keeps 1 - r^2/2 exact, as the evaluation
    takes it apart to put back the rounding of that difference.

Usage: fit_sine.py [N [M]]   (N = M = 6 by default, as the header uses)
"""

import decimal
import math
import sys
from decimal import Decimal as D

decimal.getcontext().prec = 80


def compute_pi():
    # Machin: pi = 16 atan(1/5) - 4 atan(1/239).
    def atan_inv(k):
        x = D(1) / k
        x2 = x * x
        term, total, n, sign = x, x, 1, 1
        eps = D(10) ** -(decimal.getcontext().prec + 2)
        while abs(term) > eps:
            term *= x2
            n += 2
            sign = -sign
            total += sign * term / n
        return total

    return 16 * atan_inv(5) - 4 * atan_inv(239)


PI = compute_pi()
EPS = D(10) ** -(decimal.getcontext().prec + 2)


def sin_d(x):
    term, total, k = x, x, 1
    x2 = x * x
    while abs(term) > EPS:
        term = -term * x2 / ((2 * k) * (2 * k + 1))
        total += term
        k += 1
    return total


def cos_d(x):
    term, total, k = D(1), D(1), 1
    x2 = x * x
    while abs(term) > EPS:
        term = -term * x2 / ((2 * k - 1) * (2 * k))
        total += term
        k += 1
    return total


def series(z, k, odd):
    """The sum over j >= k of (-1)^j z^(j-k) / (2j+1)! (odd) or / (2j)!,
    summed as it stands: what is left of sin r or cos r at z = r^2 once the
    terms below the k-th are taken away and the rest divided by their lowest
    power, with none of the cancellation of that subtraction."""
    term = D(-1 if k % 2 else 1) / math.factorial(2 * k + 1 if odd else 2 * k)
    total = term
    while abs(term) > EPS:
        k += 1
        term = -term * z / ((2 * k) * (2 * k + 1) if odd else (2 * k - 1) * (2 * k))
        total += term
    return total


# sin r = r + r^3 P(r^2): P fitted to (sin r - r) / r^3, weighted by
# r^3 / sin r so that the error is the relative one of sin.
SINE = dict(
    tail=lambda z: series(z, 1, True),
    weight=lambda z: D(0) if z == 0 else z.sqrt() * z / sin_d(z.sqrt()),
)
# cos r = 1 - r^2/2 + r^4 Q(r^2): the first two terms kept exact (the
# evaluation takes 1 - r^2/2 apart), Q fitted to what is left over r^4,
# weighted by r^4 / cos r.
COSINE = dict(
    tail=lambda z: series(z, 2, False),
    weight=lambda z: z * z / cos_d(z.sqrt()),
)


def poly(c, z):
    acc = D(0)
    for v in reversed(c):
        acc = acc * z + v
    return acc


def solve(a, b):
    """Gaussian elimination with partial pivoting, in place."""
    n = len(b)
    for i in range(n):
        p = max(range(i, n), key=lambda r: abs(a[r][i]))
        a[i], a[p] = a[p], a[i]
        b[i], b[p] = b[p], b[i]
        for r in range(i + 1, n):
            f = a[r][i] / a[i][i]
            for k in range(i, n):
                a[r][k] -= f * a[i][k]
            b[r] -= f * b[i]
    x = [D(0)] * n
    for i in reversed(range(n)):
        s = b[i] - sum(a[i][k] * x[k] for k in range(i + 1, n))
        x[i] = s / a[i][i]
    return x


def err(fam, c, z):
    return fam["weight"](z) * (poly(c, z) - fam["tail"](z))


def refine(fam, c, lo, hi, sign):
    """Golden-section search for the extremum of sign * err on [lo, hi]."""
    g = (D(5).sqrt() - 1) / 2
    a, b = lo, hi
    for _ in range(60):
        x1 = b - g * (b - a)
        x2 = a + g * (b - a)
        if sign * err(fam, c, x1) > sign * err(fam, c, x2):
            b = x2
        else:
            a = x1
    return (a + b) / 2


def remez(fam, n, zmax, rounds=12, grid=2000):
    """The n coefficients of the tail polynomial in z = r^2 on [0, zmax]
    whose weighted error levels out; returns them, the levelled error and
    the largest error on a grid."""
    m = n + 1  # unknowns: n coefficients and the levelled error
    # Chebyshev points as the first reference.
    ref = [zmax * D((1 - math.cos(math.pi * (i + 0.5) / m)) / 2) for i in range(m)]
    c = [D(0)] * n
    level = D(0)
    zs = [zmax * i / grid for i in range(1, grid + 1)]
    for _ in range(rounds):
        a = []
        b = []
        for i, z in enumerate(ref):
            w = fam["weight"](z)
            a.append([w * z**k for k in range(n)] + [D((-1) ** i)])
            b.append(w * fam["tail"](z))
        sol = solve(a, b)
        c, level = sol[:n], sol[n]
        # One extremum of the error between each pair of sign changes.
        es = [err(fam, c, z) for z in zs]
        groups = []
        start = 0
        for i in range(1, len(zs)):
            if (es[i] > 0) != (es[start] > 0):
                groups.append((start, i))
                start = i
        groups.append((start, len(zs)))
        ext = []
        for s, e in groups:
            k = max(range(s, e), key=lambda i: abs(es[i]))
            sign = 1 if es[k] > 0 else -1
            if k == len(zs) - 1:
                ext.append(zmax)  # the end of the range is an extremum of its own
            else:
                ext.append(refine(fam, c, zs[max(k - 1, 0)], zs[k + 1], sign))
        if len(ext) < m:
            break
        # The m largest of an alternating run, dropped from the ends.
        while len(ext) > m:
            if abs(err(fam, c, ext[0])) < abs(err(fam, c, ext[-1])):
                ext.pop(0)
            else:
                ext.pop()
        ref = ext
    peak = max(abs(err(fam, c, z)) for z in zs)
    return c, level, peak


def show(name, form, fam, n, zmax):
    c, level, peak = remez(fam, n, zmax)
    print("// %s ~ %s, %d coefficients" % (name, form, n))
    print("// levelled relative error %.3e, largest on the grid %.3e (2^%.1f)"
          % (float(abs(level)), float(peak), float(peak.ln() / D(2).ln())))
    for i, v in enumerate(c):
        f = float(v)
        print("  %s,  // %.17g" % (f.hex(), f))


def main():
    ns = int(sys.argv[1]) if len(sys.argv) > 1 else 6
    nc = int(sys.argv[2]) if len(sys.argv) > 2 else 6
    half = PI / 2
    hi = float(half)
    low = float(half - D(hi))
    print("// pi/2 = kHalfPi + kHalfPiLow, each the double nearest (error %.3e)"
          % float(half - D(hi) - D(low)))
    print("kHalfPi    = %s  (%r)" % (hi.hex(), hi))
    print("kHalfPiLow = %s  (%r)" % (low.hex(), low))
    inv = float(2 / PI)
    print("2/pi       = %s  (%r)" % (inv.hex(), inv))
    # The reduced argument can pass pi/4 by a rounding of x * 2/pi: the
    # fit covers a little more.
    zmax = (PI / 4) ** 2 * (1 + D(2) ** -20)
    show("sin(r)", "r + r^3 (s1 + s2 r^2 + ...), |r| <= pi/4", SINE, ns, zmax)
    show("cos(r)", "1 - r^2/2 + r^4 (c1 + c2 r^2 + ...), |r| <= pi/4", COSINE, nc, zmax)


if __name__ == "__main__":
    main()
