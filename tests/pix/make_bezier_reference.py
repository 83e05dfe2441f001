#!/usr/bin/python3
"""Writes data/bezier.txt: for quadratic and cubic curves on a bitmap of a
given width, the chain of points the curve is drawn through (after cutting
it at the left and right edges) and, for cubic fills, the chords filled
toward a row or a column. Computed here independently in double precision,
rounding to float32 where the library keeps floats.

One case per line:
  qdraw W TOL X1 Y1 XC YC X2 Y2 : N (X Y)*N          points of the chain
  cdraw W TOL X1 Y1 XC1 YC1 XC2 YC2 X2 Y2 : N (X Y)*N
  cfill W TOL FILL X1 Y1 XC1 YC1 XC2 YC2 X2 Y2 : N (X1 Y1 X2 Y2)*N   chords
  cfillx ... the same toward column FILL
N is 0 when nothing is drawn.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
MAX_SEGMENTS = 1 << 16


def f32(v):
    return struct.unpack("f", struct.pack("f", v))[0]


def trunc(v):
    return int(v)


def quad(p0, p1, p2, t):
    omt = 1.0 - t
    return ((p2 * t + p1 * 2 * omt) * t) + p0 * omt * omt


def leg(x1, y1, x2, y2):
    dx, dy = f32(x2 - x1), f32(y2 - y1)
    return math.sqrt(f32(f32(dx * dx) + f32(dy * dy)))


def segments(length, trange, tol):
    n = trunc(length * trange / tol)
    return min(max(n, 1), MAX_SEGMENTS)


def quad_y(x1, xc, x2, y1, yc, y2, x):
    """y of the quadratic at x and the parameter there."""
    if not x > x1:
        return y1, 0.0
    if x >= x2:
        return y2, 1.0
    a, b = x2 - 2.0 * xc + x1, xc - x1
    if a != 0:
        t = (math.sqrt(max(b * b - (x1 - x) * a, 0.0)) - b) / a
    elif x1 != x2:
        t = (x - x1) / (x2 - x1)
    else:
        t = 0.0
    t = min(max(t, 0.0), 1.0)
    return f32(quad(y1, yc, y2, t)), t


def draw_quad(w, tol, xs, ys, xc, yc, xe, ye):
    tol = tol if tol > 0 else 1.0
    if xs > xe:
        xs, ys, xe, ye = xe, ye, xs, ys
    lx, ly, rx, ry = xs, ys, xe, ye
    t0, t1 = 0.0, 1.0
    if lx < 0:
        ly, t0 = quad_y(xs, xc, xe, ys, yc, ye, 0.0)
        lx = 0.0
    if rx >= w:
        rx = f32(w - 1)
        ry, t1 = quad_y(xs, xc, xe, ys, yc, ye, rx)
    if lx > rx:
        return []
    n = segments(leg(xs, ys, xc, yc) + leg(xc, yc, xe, ye), t1 - t0, tol)
    pts = [(lx, ly)]
    if n >= 2:
        dt, t = (t1 - t0) / n, t0
        for _ in range(1, n):
            t += dt
            pts.append((f32(quad(xs, xc, xe, t)), f32(quad(ys, yc, ye, t))))
    pts.append((rx, ry))
    return pts


class Cubic:
    def __init__(self, p1, c1, c2, p2):
        self.c = 3.0 * (c1 - p1)
        self.b = 3.0 * (c2 - c1) - self.c
        self.a = (p2 - p1) - self.c - self.b
        self.d = p1

    def at(self, t):
        return ((self.a * t + self.b) * t + self.c) * t + self.d


def cubic_y(p, x):
    """Bisection for x: (y, lower parameter, upper parameter), the parameters
    None when x lies outside the end points."""
    x1, y1, xc1, yc1, xc2, yc2, x2, y2 = p
    if not x >= x1:
        return y1, None, None
    if x >= x2:
        return y2, None, None
    X, Y = Cubic(x1, xc1, xc2, x2), Cubic(y1, yc1, yc2, y2)
    lo, hi, xlo, xhi = 0.0, 1.0, 0.0, 0.0
    for _ in range(8):
        tm = (lo + hi) / 2
        xm = X.at(tm)
        if xm < x:
            lo, xlo = tm, xm
        elif xm > x:
            hi, xhi = tm, xm
        else:
            lo, xlo = tm, xm
            hi = min(tm + 0.00390625, 1.0)
            xhi = X.at(hi)
            break
    if lo == 0:
        xlo = X.at(0.0)
    if hi == 1:
        xhi = X.at(1.0)
    ylo = Y.at(lo)
    slope = 0.0 if xhi == xlo else (Y.at(hi) - ylo) / (xhi - xlo)
    return f32(ylo + (x - xlo) * slope), lo, hi


def prep(w, tol, p, xbound):
    tol = tol if tol > 0 else 1.0
    x1, y1, xc1, yc1, xc2, yc2, x2, y2 = p
    if (x1 > x2) if xbound else (y1 > y2):
        x1, y1, xc1, yc1, xc2, yc2, x2, y2 = x2, y2, xc2, yc2, xc1, yc1, x1, y1
    p = (x1, y1, xc1, yc1, xc2, yc2, x2, y2)
    xlo, ylo, xhi, yhi, tlo, thi = x1, y1, x2, y2, 0.0, 1.0
    if xlo < 0:
        ylo, _, above = cubic_y(p, 0.0)
        tlo = above if above is not None else 0.0
        xlo = 0.0
    if xhi > w:
        yhi, below, _ = cubic_y(p, f32(w))
        thi = below if below is not None else 1.0
        xhi = f32(w)
    if (xlo > xhi) if xbound else (ylo > yhi):
        return None
    length = leg(x1, y1, xc1, yc1) + leg(xc1, yc1, xc2, yc2) + leg(xc2, yc2, x2, y2)
    n = segments(length, thi - tlo, tol)
    return n, Cubic(x1, xc1, xc2, x2), Cubic(y1, yc1, yc2, y2), xlo, xhi, ylo, yhi, tlo, thi


def draw_cubic(w, tol, p):
    r = prep(w, tol, p, True)
    if r is None:
        return []
    n, X, Y, xlo, xhi, ylo, yhi, tlo, thi = r
    pts = [(xlo, ylo)]
    if n >= 3:
        dt, t = (thi - tlo) / n, tlo
        for _ in range(1, n - 1):
            t += dt
            pts.append((f32(X.at(t)), f32(Y.at(t))))
    pts.append((xhi, yhi))
    return pts


def fill_cubic(w, tol, p, columns):
    """Chords as (x1, y1, x2, y2) arguments of the chord fill."""
    r = prep(w, tol, p, columns)
    if r is None:
        return []
    n, X, Y, xlo, xhi, ylo, yhi, tlo, thi = r
    U, V = (X, Y) if columns else (Y, X)
    ulo, uhi, vlo, vhi = (xlo, xhi, ylo, yhi) if columns else (ylo, yhi, xlo, xhi)
    chords = []

    def chord(ua, va, u, v):
        chords.append((ua, va, u, v) if columns else (va, ua, v, u))

    ua, va = trunc(ulo), trunc(vlo + 0.5)
    if n >= 3:
        dt, t = (thi - tlo) / n, tlo
        for _ in range(1, n - 1):
            t += dt
            u = trunc(f32(U.at(t)))
            if u < ua:
                continue
            v = trunc(f32(V.at(t)) + 0.5)
            chord(ua, va, u, v)
            ua, va = u + 1, v
    ue = trunc(uhi - 1.0)
    if ue >= ua:
        chord(ua, va, ue, trunc(vhi + 0.5))
    return chords


W = 40
QUADS = [  # tol, start, control, end
    (1, (2, 25), (20, -5), (38, 25)),      # arch inside the bitmap
    (2.5, (38, 5), (20, 40), (2, 5)),      # given right to left
    (1, (-15, 3), (10, 30), (30, 10)),     # cut at the left edge
    (0.5, (5, 5), (30, 28), (60, 2)),      # cut at the right edge
    (1, (-20, 28), (20, -30), (70, 28)),   # cut at both
    (1, (45, 5), (50, 10), (60, 3)),       # wholly right: nothing
    (1, (-45, 5), (-20, 10), (-3, 3)),     # wholly left: nothing
    (1, (10, 10), (10, 10), (10, 10)),     # a point
    (0, (3, 3), (20, 20), (36, 3)),        # tolerance 0 counts as 1
    (-3, (3, 3), (20, 20), (36, 3)),
    (1, (5, 5), (80, 15), (30, 25)),       # x turns back (beyond the edge)
    (1, (-10, 2), (90, 15), (20, 28)),     # x turns back, cut at the left
    (1, (30, 3), (-60, 15), (35, 27)),     # x turns back through the left edge
    (1, (10, 2), (-50, 15), (60, 28)),     # dips left, cut at the right
    (0.25, (0.5, 0.5), (39.5, 0.5), (39.5, 29.5)),
]
CUBICS = [  # tol, start, control 1, control 2, end
    (1, (2, 28), (15, -10), (25, 40), (38, 2)),     # S inside the bitmap
    (1, (-10, 5), (10, 40), (30, -10), (55, 20)),   # cut at both edges
    (2, (38, 20), (25, 0), (10, 30), (2, 10)),      # given right to left
    (1, (45, 5), (50, 0), (60, 10), (70, 5)),       # starts right of the bitmap
    (1, (-30, 5), (-20, 0), (-10, 10), (-2, 5)),    # wholly left
    (1, (5, 5), (60, 10), (-20, 20), (35, 25)),     # x loops back
    (1, (-5, 3), (70, 8), (-40, 22), (50, 27)),     # x loops back across both cuts
    (1, (10, 10), (10.5, 10.5), (11, 11), (11.5, 11.5)),  # one segment
    (0, (0, 29), (0, 0), (39, 0), (39, 29)),
    (6, (0, 29), (0, 0), (39, 0), (39, 29)),
    (1, (40, 3), (42, 10), (44, 20), (50, 28)),     # starts on the cut column
]
FILLS = [  # tol, fill row / column, start, control 1, control 2, end
    (1, 27, (2, 25), (10, 2), (30, 2), (38, 25)),     # arch above the row
    (1, 2, (2, 25), (10, 2), (30, 2), (38, 25)),      # row above the arch
    (1, 15, (0, 5), (15, 30), (25, 0), (39, 25)),     # crossing the row
    (1, 10, (-10, 5), (10, 40), (30, -10), (55, 20)),  # cut at both edges
    (2, 20, (38, 20), (25, 0), (10, 30), (2, 10)),    # right to left
    (1, 20, (5, 5), (60, 10), (-20, 20), (35, 25)),   # x loops back
    (1, 12, (-5, 3), (70, 8), (-40, 22), (50, 27)),   # x loops back across both cuts
    (0.5, 0, (3, 29.5), (12, 29.5), (20, 0.5), (37, 0.5)),
]
FILLSX = [
    (1, 10, (5, 2), (30, 10), (-5, 20), (20, 28)),
    (1, 35, (30, 27), (5, 20), (35, 10), (8, 1)),     # given bottom to top
    (1, 20, (-10, 2), (50, 10), (-30, 20), (45, 28)),  # x both ways, cut at the left
    (1, 0, (10, 0.5), (30, 5), (30, 25), (10, 29.5)),
    (1, 5, (12, 4), (60, 8), (60, 20), (50, 26)),     # cut at the right
]


def fmt(v):
    return "%.9g" % v


def main():
    lines = []
    for tol, s, c, e in QUADS:
        pts = draw_quad(W, f32(tol), *(f32(v) for v in (*s, *c, *e)))
        lines.append("qdraw %d %s %s : %d %s" % (
            W, fmt(tol), " ".join(fmt(v) for v in (*s, *c, *e)), len(pts),
            " ".join(fmt(v) for p in pts for v in p)))
    for tol, s, c1, c2, e in CUBICS:
        p = tuple(f32(v) for v in (*s, *c1, *c2, *e))
        pts = draw_cubic(W, f32(tol), p)
        lines.append("cdraw %d %s %s : %d %s" % (
            W, fmt(tol), " ".join(fmt(v) for v in p), len(pts),
            " ".join(fmt(v) for q in pts for v in q)))
    for kind, cases, columns in (("cfill", FILLS, True), ("cfillx", FILLSX, False)):
        for tol, fill, s, c1, c2, e in cases:
            p = tuple(f32(v) for v in (*s, *c1, *c2, *e))
            chords = fill_cubic(W, f32(tol), p, columns)
            lines.append("%s %d %s %d %s : %d %s" % (
                kind, W, fmt(tol), fill, " ".join(fmt(v) for v in p), len(chords),
                " ".join("%d %d %d %d" % ch for ch in chords)))
    with open(os.path.join(HERE, "data", "bezier.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
