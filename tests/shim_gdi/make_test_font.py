#!/usr/bin/python3
"""Writes data/squares.ttf: a tiny TrueType font of the family
"Harshbloom Test Squares" that no system has, for the font-file tests.
Glyphs: .notdef and space (empty), 'A' a filled square, 'B' a square ring.
1000 units per em; ascender 800, descender -200; every advance 800.
Standard library only; run with /usr/bin/python3."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "data", "squares.ttf")
FAMILY = "Harshbloom Test Squares"


def glyph(contours):
    """A simple glyph from contours of on-curve points (clockwise outer)."""
    if not contours:
        return b""
    pts = [p for c in contours for p in c]
    xs = [p[0] for p in pts]
    ys = [p[1] for p in pts]
    out = struct.pack(">hhhhh", len(contours), min(xs), min(ys), max(xs), max(ys))
    end = -1
    for c in contours:
        end += len(c)
        out += struct.pack(">H", end)
    out += struct.pack(">H", 0)  # no instructions
    out += bytes([0x01] * len(pts))  # on curve, 16-bit coordinates
    px = py = 0
    dx = b""
    dy = b""
    for x, y in pts:
        dx += struct.pack(">h", x - px)
        dy += struct.pack(">h", y - py)
        px, py = x, y
    out += dx + dy
    if len(out) % 2:
        out += b"\0"
    return out


def square(l, b, r, t):
    return [(l, b), (l, t), (r, t), (r, b)]  # clockwise


def square_ccw(l, b, r, t):
    return [(l, b), (r, b), (r, t), (l, t)]


GLYPHS = [
    glyph([]),  # .notdef
    glyph([]),  # space
    glyph([square(100, 0, 700, 700)]),  # A
    glyph([square(100, 0, 700, 700), square_ccw(250, 150, 550, 550)]),  # B
]
CMAP = {0x20: 1, 0x41: 2, 0x42: 3}
ADVANCE = 800


def checksum(data):
    data += b"\0" * (-len(data) % 4)
    return sum(struct.unpack(">%dI" % (len(data) // 4), data)) & 0xFFFFFFFF


def tables():
    glyf = b"".join(GLYPHS)
    offs = [0]
    for g in GLYPHS:
        offs.append(offs[-1] + len(g))
    loca = b"".join(struct.pack(">H", o // 2) for o in offs)
    head = struct.pack(">IIIIHHqqhhhhHHhhh", 0x00010000, 0x00010000, 0, 0x5F0F3CF5, 0x000B,
                       1000, 0, 0, 0, 0, 700, 700, 0, 8, 2, 0, 0)
    hhea = struct.pack(">IhhhHhhhhhhhhhhhH", 0x00010000, 800, -200, 0, ADVANCE, 0, 0, 700, 1,
                       0, 0, 0, 0, 0, 0, 0, len(GLYPHS))
    maxp = struct.pack(">IHHHHHHHHHHHHHH", 0x00010000, len(GLYPHS), 8, 2, 0, 0, 2, 0, 0, 0, 0,
                       0, 0, 0, 0)
    hmtx = b"".join(struct.pack(">Hh", ADVANCE, 100 if i >= 2 else 0) for i in range(len(GLYPHS)))
    os2 = struct.pack(">HhHHHhhhhhhhhhhhh10sIIII4sHHHhhhHHII", 1, ADVANCE, 400, 5, 0,
                      650, 700, 0, 140, 650, 700, 0, 480, 50, 250, 0,
                      0, b"\0" * 10, 1, 0, 0, 0, b"HBTS", 0x40, 0x20, 0x42, 800, -200, 0,
                      800, 200, 1, 0)
    # cmap format 4: one segment per character, then the closing one.
    codes = sorted(CMAP)
    ends = codes + [0xFFFF]
    starts = codes + [0xFFFF]
    deltas = [(CMAP[c] - c) & 0xFFFF for c in codes] + [1]
    seg = len(ends)
    search = 2 ** (seg.bit_length() - 1) * 2
    sub = struct.pack(">HHHHHHH", 4, 0, 0, seg * 2, search, (search // 2).bit_length() - 1,
                      seg * 2 - search)
    sub += b"".join(struct.pack(">H", e) for e in ends) + b"\0\0"
    sub += b"".join(struct.pack(">H", s) for s in starts)
    sub += b"".join(struct.pack(">H", d) for d in deltas)
    sub += b"\0\0" * seg
    sub = sub[:2] + struct.pack(">H", len(sub)) + sub[4:]
    cmap = struct.pack(">HHHHI", 0, 1, 3, 1, 12) + sub
    names = {1: FAMILY, 2: "Regular", 4: FAMILY + " Regular", 6: "HarshbloomTestSquares-Regular"}
    strings = b""
    records = b""
    for nid, text in sorted(names.items()):
        data = text.encode("utf-16-be")
        records += struct.pack(">HHHHHH", 3, 1, 0x409, nid, len(data), len(strings))
        strings += data
    name = struct.pack(">HHH", 0, len(names), 6 + len(records)) + records + strings
    post = struct.pack(">IIhhIIIII", 0x00030000, 0, -100, 50, 0, 0, 0, 0, 0)
    return {b"OS/2": os2, b"cmap": cmap, b"glyf": glyf, b"head": head, b"hhea": hhea,
            b"hmtx": hmtx, b"loca": loca, b"maxp": maxp, b"name": name, b"post": post}


def build():
    t = tables()
    tags = sorted(t)
    n = len(tags)
    sr = 2 ** (n.bit_length() - 1) * 16
    header = struct.pack(">IHHHH", 0x00010000, n, sr, (sr // 16).bit_length() - 1, n * 16 - sr)
    offset = 12 + 16 * n
    directory = b""
    body = b""
    head_at = 0
    for tag in tags:
        data = t[tag]
        if tag == b"head":
            head_at = offset + len(body)
        directory += struct.pack(">4sIII", tag, checksum(data), offset + len(body), len(data))
        body += data + b"\0" * (-len(data) % 4)
    font = bytearray(header + directory + body)
    adjust = (0xB1B0AFBA - checksum(bytes(font))) & 0xFFFFFFFF
    font[head_at + 8:head_at + 12] = struct.pack(">I", adjust)
    return bytes(font)


if __name__ == "__main__":
    os.makedirs(os.path.dirname(OUT), exist_ok=True)
    with open(OUT, "wb") as f:
        f.write(build())
    print("wrote", OUT)
