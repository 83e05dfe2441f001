#!/usr/bin/python3
"""Writes data/combine_ops.txt: destination pixels combined with source
channels by every operator of the raster library at many weights, computed
here independently with Python's unbounded integers. Each line holds
mode weight dest r g b a expected (hexadecimal words, decimal operands)."""
import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))


def tdiv(a, b):
    """Integer division truncating toward zero."""
    q = abs(a) // abs(b)
    return q if (a >= 0) == (b > 0) else -q


def clamp(v):
    return max(0, min(255, v))


def copy(d, s, w):
    return s + tdiv((d - s) * (256 - w), 256)


def add(d, s, w):
    return clamp(d + tdiv(s * w, 256))


def dodge(d, s, w):
    q = 256 - tdiv(s * w, 256)
    return clamp(tdiv(d * 256, q) if q >= 2 else d * 256)


def mul(d, s, w):
    return (((d * (s * w + (256 - w) * 256)) & 0xFFFFFFFF) >> 16) & 255


def mul_clamp(d, s, w):
    return clamp((d * (s * w + (256 - w) * 256)) >> 16)


def overlay(d, s, w):
    t = s * w + (256 - w) * 128
    return clamp(((tdiv((32768 - t) * d, 256) + t) * d) >> 15)


INV = [0] + [65536 // i - 1 for i in range(1, 256)]


def hsv(dest, r, g, b, a, w):
    B, G, R = dest[0], dest[1], dest[2]
    mx, mn = max(R, G, B), min(R, G, B)
    k = mx - mn
    if R < G and G > B:
        n, base = B - R, 128
    elif (R < G and G <= B) or (R >= G and B >= R):
        n, base = R - G, 256
    else:
        n, base = G - B, (0 if G >= B else 383)
    h = tdiv((INV[k] + 1) * n, 1024) + base
    s = tdiv(INV[mx] * k, 256)
    v = mx
    h = (h + tdiv((r + tdiv(r, 2) - 192) * w, 256)) % 384
    s = clamp(s + tdiv((g - 128) * w, 128))
    v = clamp(v + tdiv((b - 128) * w, 128))
    lo = ((256 - s) * v) >> 8

    def mid(f):
        return ((16384 - f * s) * v) >> 14

    sector = h // 64
    rgb = [(v, mid(64 - h), lo), (mid(h - 64), v, lo), (lo, v, mid(192 - h)),
           (lo, mid(h - 192), v), (mid(320 - h), lo, v), (v, lo, mid(h - 320))][sector]
    return [rgb[2], rgb[1], rgb[0], a & 255]


def per_channel(fn, dest, src, w, alpha_src=None):
    return [fn(dest[i], src[i], w) for i in range(4)]


def combine(mode, w, dest, r, g, b, a):
    """dest and result are byte lists B, G, R, A."""
    src = [b, g, r, a]
    if w == 0:
        return dest
    op = mode & 0x100FF
    if op == 0:
        if w == 256:
            return [x & 255 for x in src]
        if w < 1:
            return dest
        return [copy(dest[i], src[i], w) & 255 for i in range(4)]
    if op == 1:
        return per_channel(add, dest, src, w)
    if op == 2:
        return per_channel(dodge, dest, src, w)
    if op == 3:
        return per_channel(mul, dest, src, w)
    if op == 4:
        return per_channel(overlay, dest, src, w)
    if op == 5:
        return hsv(dest, r, g, b, a, w)
    ws = tdiv((a + 1) * w, 256)
    if op == 0x10000:
        if a == 0:
            return dest
        if w == 256:
            if a > 254:
                return [b, g, r, 255]
            out = [(src[i] + tdiv((dest[i] - src[i]) * (255 - a), 256)) & 255 for i in range(3)]
            return out + [min(dest[3] + a, 255) & 255]
        out = [copy(dest[i], src[i], ws) & 255 for i in range(3)]
        return out + [min(dest[3] + ws, 255) & 255]
    if op == 0x10001:
        if a == 0:
            return dest
        return [add(dest[i], src[i], ws) for i in range(4)]
    if op == 0x10002:
        return [dodge(dest[i], src[i], ws) for i in range(4)]
    if op == 0x10003:
        if a == 0:
            return dest
        return [mul(dest[i], src[i], ws) for i in range(4)]
    if op == 0x10004:
        return [overlay(dest[i], src[i], ws) for i in range(4)]
    if op == 0x10005:
        return hsv(dest, r, g, b, a, ws)
    return dest


def word(bytes4):
    return bytes4[0] | (bytes4[1] << 8) | (bytes4[2] << 16) | (bytes4[3] << 24)


def main():
    rnd = random.Random(18)
    weights = [0, 1, 2, 63, 64, 100, 127, 128, 129, 191, 192, 200, 255, 256, 257, 300, 512,
               774, -1, -64, -256]
    colours = [0, 255, 1, 128, 127, 254]
    modes = [0, 1, 2, 3, 4, 5, 6, 0x10000, 0x10001, 0x10002, 0x10003, 0x10004, 0x10005,
             0x10006, 0x7F, 0xF00]
    lines = []
    for mode in modes:
        for i in range(90):
            w = weights[i % len(weights)] if i < 2 * len(weights) else rnd.randint(-300, 800)
            dest = [rnd.choice(colours) if i % 5 == 0 else rnd.randint(0, 255) for _ in range(4)]
            src = [rnd.choice(colours) if i % 7 == 0 else rnd.randint(0, 255) for _ in range(4)]
            if i % 11 == 0:
                src[3] = 0
            if i % 13 == 0:
                src[3] = 255
            if i % 17 == 0:  # grey destinations and neutral adjustments
                dest[0] = dest[1] = dest[2]
                src[0] = src[1] = src[2] = 128
            out = combine(mode, w, dest, src[2], src[1], src[0], src[3])
            lines.append("%x %d %08x %d %d %d %d %08x" %
                         (mode, w, word(dest), src[2], src[1], src[0], src[3], word(out)))
    with open(os.path.join(HERE, "data", "combine_ops.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
