#!/usr/bin/python3
"""Writes data/scaled_blit.txt: what each destination pixel of a scaled blit
receives (the sampled source colour, or '-' when the pixel is left alone),
computed here independently for nearest, bilinear and averaging sampling,
mirrored and clipped rectangles. Single-precision steps are rounded to
float32 as the library does.

File format, one block per case:
  src W H            followed by H lines of W hexadecimal pixels; the
                     source of the cases after it
  case DW DH DSTX DSTY DSTW DSTH SRCX SRCY SRCW SRCH FILTER
  followed by DH lines of DW tokens (hexadecimal colour or '-')
"""
import math
import os
import random
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def f32(v):
    """Rounds to the nearest float32 (infinities kept)."""
    return struct.unpack("f", struct.pack("f", v))[0]


def trunc(v):
    return int(v)  # toward zero


def channels(p):
    return [(p >> s) & 255 for s in (0, 8, 16, 24)]  # B, G, R, A


def word(c):
    return c[0] | (c[1] << 8) | (c[2] << 16) | (c[3] << 24)


class Source:
    def __init__(self, w, h, seed):
        rnd = random.Random(seed)
        self.w, self.h = w, h
        self.px = [[rnd.getrandbits(32) for _ in range(w)] for _ in range(h)]


def unscaled(src, dw, dh, dstx, dsty, dstw, dsth, srcx, srcy):
    left, top = trunc(srcx + 0.5), trunc(srcy + 0.5)
    right, bottom = left + dstw, top + dsth
    out = [[None] * dw for _ in range(dh)]
    for y in range(dh):
        for x in range(dw):
            sx, sy = left + x - dstx, top + y - dsty
            if max(left, 0) <= sx < min(right, src.w) and max(top, 0) <= sy < min(bottom, src.h):
                out[y][x] = src.px[sy][sx]
    return out


def clip_axis(icur, step, dpos, dlen, size):
    """Cuts a destination run to the positions that fall on the source."""
    end = size * 65536
    skip = 0
    if step > 0 and icur < 0:
        skip = -icur // step + (1 if -icur % step else 0)
    if step < 0 and icur >= end:
        skip = (icur - end) // -step + 1
    if skip >= dlen:
        return None
    dlen -= skip
    dpos += skip
    icur += skip * step
    if icur < 0 or icur >= end:
        return None
    if step > 0:
        count = (end - icur + step - 1) // step
    elif step < 0:
        count = icur // -step + 1
    else:
        count = dlen
    return icur, dpos, min(dlen, count)


def scaled(src, dw, dh, dstx, dsty, dstw, dsth, srcx, srcy, srcw, srch, filt):
    out = [[None] * dw for _ in range(dh)]
    bilinear = filt == 0x100

    def off_grid(v):
        return abs(v - math.floor(v + 0.5)) >= 0.03

    if (abs(srcw - dstw) < 0.001 and abs(srch - dsth) < 0.001
            and not (bilinear and (off_grid(srcx) or off_grid(srcy)))):
        return unscaled(src, dw, dh, dstx, dsty, dstw, dsth, srcx, srcy)
    if dstw < 0:
        dstx += dstw
        srcx = f32(srcx + srcw)
        srcw = -srcw
        dstw = -dstw
    if dsth < 0:
        dsty += dsth
        srcy = f32(srcy + srch)
        srch = -srch
        dsth = -dsth
    xadv, yadv = f32(srcw / dstw), f32(srch / dsth)
    right = f32(max(srcw, 0.0) + srcx)
    bottom = f32(max(srch, 0.0) + srcy)
    left = f32(srcx + srcw) if srcw < 0 else srcx
    top = f32(srcy + srch) if srch < 0 else srcy
    if dstx < 0:
        srcx = f32(srcx - dstx * xadv)
        dstw += dstx
        dstx = 0
    if dsty < 0:
        srcy = f32(srcy - dsty * yadv)
        dsth += dsty
        dsty = 0
    if dstw <= 0 or dsth <= 0 or dstx >= dw or dsty >= dh:
        return out
    dstw, dsth = min(dstw, dw - dstx), min(dsth, dh - dsty)
    # Steps toward zero: a mirrored walk uses the upright step.
    idx = int(math.copysign(math.floor(abs(xadv) * 65536), xadv))
    idy = int(math.copysign(math.floor(abs(yadv) * 65536), yadv))
    icurx, icury = math.floor(srcx * 65536), math.floor(srcy * 65536)
    # A mirrored pixel samples the far end of the source it covers.
    if idx < 0:
        icurx += idx
    if idy < 0:
        icury += idy
    cx = clip_axis(icurx, idx, dstx, dstw, src.w)
    cy = clip_axis(icury, idy, dsty, dsth, src.h)
    if cx is None or cy is None:
        return out
    icurx, dstx, dstw = cx
    icury, dsty, dsth = cy
    # The area read starts at the lowest position, or at the rectangle's own
    # first pixel when clipping moved the positions on.
    sx0 = (((dstw - 1) * idx if idx < 0 else 0) + icurx) // 65536
    sy0 = (((dsth - 1) * idy if idy < 0 else 0) + icury) // 65536
    sx0 = min(sx0, max(math.floor(left), 0))
    sy0 = min(sy0, max(math.floor(top), 0))
    sxmax = min(trunc(right + 0.999999), src.w)
    symax = min(trunc(bottom + 0.999999), src.h)
    cr, cb = sxmax - sx0, symax - sy0
    if cr <= 0 or cb <= 0:
        return out
    icurx -= sx0 * 65536
    icury -= sy0 * 65536

    def P(x, y):
        return channels(src.px[sy0 + y][sx0 + x])

    average = bilinear and xadv >= 1.7 and yadv >= 1.7
    if average:
        m = max(idx, idy)
        size = 5 if m > 0x30000 else 3
        start = -(size // 2)
        filt_tab = [[0] * size for _ in range(size)]
        for i in range(size):
            for j in range(size):
                ddy, ddx = i + start, j + start
                if ddx == 0 and ddy == 0:
                    v = 65536
                else:
                    f = (m - 1.0) / math.sqrt(ddx * ddx + ddy * ddy)
                    v = 0 if f < 0 else 65536 if f > 1 else int(f * 65536)
                filt_tab[i][j] = v

    for j in range(dsth):
        py = icury + j * idy
        y, fy = py >> 16, py & 0xFFFF
        for i in range(dstw):
            px = icurx + i * idx
            x, fx = px >> 16, px & 0xFFFF
            if not (0 <= x < cr and 0 <= y < cb):
                continue
            if average:
                sums, total = [0, 0, 0, 0], 0
                for fi in range(size):
                    sy = y + start + fi
                    if sy < 0 or sy >= cb:
                        continue
                    for fj in range(size):
                        sx = x + start + fj
                        if sx < 0 or sx >= cr:
                            continue
                        c = P(sx, sy)
                        for k in range(4):
                            sums[k] += c[k] * filt_tab[fi][fj]
                        total += filt_tab[fi][fj]
                c = [s // total for s in sums]
            elif bilinear:
                last_col, last_row = x == cr - 1, y == cb - 1
                if not last_col and not last_row:
                    f = (fx * fy) >> 16
                    c = [(a * (65536 - fy - fx + f) + b * (fx - f) + d * (fy - f) + e * f) >> 16
                         for a, b, d, e in zip(P(x, y), P(x + 1, y), P(x, y + 1), P(x + 1, y + 1))]
                elif not last_row:
                    c = [(d * fy + a * (65536 - fy)) >> 16 for a, d in zip(P(x, y), P(x, y + 1))]
                elif not last_col:
                    c = [(b * fx + a * (65536 - fx)) >> 16 for a, b in zip(P(x, y), P(x + 1, y))]
                else:
                    c = P(x, y)
            else:
                c = P(x, y)
            out[dsty + j][dstx + i] = word(c)
    return out


# (source, destination size, dstx, dsty, dstw, dsth, srcx, srcy, srcw, srch)
SMALL, LARGE = (7, 5, 1), (24, 20, 2)
CASES = [
    (SMALL, (9, 8), 0, 0, 9, 8, 0, 0, 7, 5),            # whole source, slight enlargement
    (SMALL, (9, 8), 1, 1, 6, 4, 1, 1, 3, 2),            # exact 2x
    (SMALL, (9, 8), -2, -3, 12, 11, 0.3, 1.7, 5.5, 2.25),  # fractional, cut top-left
    (SMALL, (9, 8), 5, 4, 8, 7, 0.5, 0.25, 6, 4.5),     # cut right and bottom
    (SMALL, (9, 8), 9, 0, -9, 8, 0, 0, 7, 5),           # mirrored left to right
    (SMALL, (9, 8), 0, 8, 9, -8, 0, 0, 7, 5),           # mirrored top to bottom
    (SMALL, (9, 8), 11, 10, -14, -13, 0.75, 0.5, 6, 4),  # both mirrored, cut on all sides
    (SMALL, (9, 8), 4, -1, -6, 10, 1, 0, 3.5, 5),       # mirrored, cut at the left and top
    (SMALL, (9, 8), 0, 0, 9, 8, -3, -2, 12, 9),         # source rectangle overhangs the source
    (SMALL, (9, 8), 9, 8, -9, -8, -3, -2, 12, 9),       # the same mirrored
    (SMALL, (9, 8), 0, 0, 9, 8, 2, 1, 2, 2),            # large enlargement
    (SMALL, (9, 8), 1, 2, 5, 3, 1.4, 0.6, 5, 3),        # same size: unscaled, from (1, 1)
    (SMALL, (9, 8), 1, 2, 5, 3, 1.6, 1.4, 5, 3),        # same size: unscaled, from (2, 1)
    (SMALL, (9, 8), 1, 2, 5, 3, 1.5, 1.0, 5, 3),        # same size, half a pixel over
    (SMALL, (9, 8), 2, 2, 4, 3, 0, 0, 0, 5),            # zero-width source
    (SMALL, (9, 8), 12, -20, 5, 5, 0, 0, 7, 5),         # wholly outside
    (LARGE, (10, 9), 1, 1, 6, 5, 0, 0, 24, 20),         # reduced by 4: 5 x 5 average
    (LARGE, (10, 9), -1, 0, 12, 10, 0, 0, 24, 20),      # reduced by 2: 3 x 3 average
    (LARGE, (10, 9), 0, 0, 16, 13, 0, 0, 24, 20),       # reduced by 1.5: bilinear
    (LARGE, (10, 9), 0, 0, 9, 9, 1.5, 2.25, 20.5, 17),  # fractional reduction
    (LARGE, (10, 9), 10, 0, -10, 9, 0, 0, 24, 20),      # mirrored reduction
]


def main():
    blocks = []
    sources = {}
    current = None
    for case in CASES:
        (sw, sh, seed), (dw, dh) = case[0], case[1]
        if (sw, sh, seed) not in sources:
            sources[(sw, sh, seed)] = Source(sw, sh, seed)
        src = sources[(sw, sh, seed)]
        dstx, dsty, dstw, dsth = case[2:6]
        srcx, srcy, srcw, srch = (f32(v) for v in case[6:10])
        for filt in (0, 0x100):
            out = scaled(src, dw, dh, dstx, dsty, dstw, dsth, srcx, srcy, srcw, srch, filt)
            lines = []
            if current is not src:  # a source block stays until the next one
                lines.append("src %d %d" % (sw, sh))
                lines += [" ".join("%08x" % p for p in row) for row in src.px]
                current = src
            lines.append("case %d %d %d %d %d %d %.9g %.9g %.9g %.9g %d" %
                         (dw, dh, dstx, dsty, dstw, dsth, srcx, srcy, srcw, srch, filt))
            lines += [" ".join("-" if p is None else "%08x" % p for p in row) for row in out]
            blocks.append("\n".join(lines))
    with open(os.path.join(HERE, "data", "scaled_blit.txt"), "w") as f:
        f.write("\n".join(blocks) + "\n")


if __name__ == "__main__":
    main()
