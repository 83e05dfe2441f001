#!/usr/bin/python3
"""Writes the PNG fixtures of the raster library tests into data/png/: every
colour type and bit depth, palettes with and without transparency, tRNS on
grey and RGB images, Adam7 interlace, plus a few files written by PIL. Next
to each NAME.png goes NAME.argb: width and height (32-bit little-endian),
then the pixels the loader must produce as 0xAARRGGBB words (low-bit greys
scaled to 0..255, 16-bit samples cut to their high byte, tRNS turned into
alpha). Every file is read back with PIL and checked against its samples.
Needs Debian's python3-pil; run with /usr/bin/python3."""
import os
import struct
import zlib

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "data", "png")

CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}
ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2),
         (0, 1, 1, 2)]


def chunk(kind, body):
    return (struct.pack(">I", len(body)) + kind + body +
            struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))


def pack_row(samples, depth):
    """One filtered scanline (filter type 0) from a flat list of samples."""
    if depth == 16:
        data = b"".join(struct.pack(">H", v) for v in samples)
    elif depth == 8:
        data = bytes(samples)
    else:
        per = 8 // depth
        out = bytearray()
        for i in range(0, len(samples), per):
            byte = 0
            for k in range(per):
                v = samples[i + k] if i + k < len(samples) else 0
                byte |= v << (8 - depth * (k + 1))
            out.append(byte)
        data = bytes(out)
    return b"\0" + data


def write_png(path, w, h, ctype, depth, pixels, palette=None, trns=None, interlace=False):
    """pixels: h rows of w tuples of samples."""
    raw = bytearray()
    if interlace:
        for x0, y0, dx, dy in ADAM7:
            cols = range(x0, w, dx)
            if not cols:
                continue
            for y in range(y0, h, dy):
                raw += pack_row([s for x in cols for s in pixels[y][x]], depth)
    else:
        for row in pixels:
            raw += pack_row([s for px in row for s in px], depth)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, depth, ctype, 0, 0, 1 if interlace else 0))
    if palette:
        png += chunk(b"PLTE", b"".join(bytes(c) for c in palette))
    if trns is not None:
        png += chunk(b"tRNS", trns)
    # Split the data into two IDAT chunks to exercise chunk boundaries.
    z = zlib.compress(bytes(raw), 9)
    half = len(z) // 2
    png += chunk(b"IDAT", z[:half]) + chunk(b"IDAT", z[half:])
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def samples(w, h, ctype, depth, seed):
    maxv = (1 << depth) - 1
    n = CHANNELS[ctype]
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            px = []
            for c in range(n):
                v = (x * 37 + y * 91 + c * 53 + seed * 17 + x * y * 7) % (maxv + 1)
                if (x + y + c) % 5 == 0:
                    v = maxv if (x + c) % 2 else 0
                px.append(v)
            row.append(tuple(px))
        rows.append(row)
    return rows


def to8(v, depth):
    if depth == 16:
        return v >> 8
    if depth < 8:
        return v * 255 // ((1 << depth) - 1)
    return v


def expected(w, h, ctype, depth, pixels, palette, trns):
    out = []
    for row in pixels:
        for px in row:
            if ctype == 3:
                i = px[0]
                r, g, b = palette[i]
                a = trns[i] if trns is not None and i < len(trns) else 255
            elif ctype in (0, 4):
                r = g = b = to8(px[0], depth)
                a = to8(px[1], depth) if ctype == 4 else 255
                if ctype == 0 and trns is not None and struct.unpack(">H", trns)[0] == px[0]:
                    a = 0
            else:
                r, g, b = (to8(v, depth) for v in px[:3])
                a = to8(px[3], depth) if ctype == 6 else 255
                if ctype == 2 and trns is not None and struct.unpack(">HHH", trns) == tuple(px):
                    a = 0
            out.append((a << 24) | (r << 16) | (g << 8) | b)
    return out


def write_expected(name, w, h, words):
    with open(os.path.join(OUT, name + ".argb"), "wb") as f:
        f.write(struct.pack("<II", w, h))
        f.write(b"".join(struct.pack("<I", v) for v in words))


def check_with_pil(path, w, h, ctype, depth, pixels):
    """The file must hold the intended samples as PIL decodes them."""
    im = Image.open(path)
    im.load()
    assert im.size == (w, h), path
    data = list(im.getdata())
    flat = [px for row in pixels for px in row]
    for got, want in zip(data, flat):
        if ctype == 3:
            ok = got == want[0]
        elif ctype == 0 and depth == 16:
            ok = got == want[0]
        elif ctype == 0:
            ok = got == to8(want[0], depth)
        else:
            w8 = tuple(to8(v, depth) for v in want)
            g = got if isinstance(got, tuple) else (got,)
            if len(g) == 4 and len(w8) == 2:  # 16-bit grey+alpha comes back as RGBA
                w8 = (w8[0], w8[0], w8[0], w8[1])
            ok = g == w8
        assert ok, (path, got, want)


def make(name, w, h, ctype, depth, seed, trns_pick=None, interlace=False, pal_trns=None):
    pixels = samples(w, h, ctype, depth, seed)
    palette = None
    trns = None
    if ctype == 3:
        palette = [((i * 73) % 256, (i * 151 + 9) % 256, (255 - i * 29) % 256)
                   for i in range(1 << depth)]
        if pal_trns is not None:
            trns = bytes(pal_trns)
    elif trns_pick is not None:
        # Make the transparent colour one that occurs.
        px = pixels[trns_pick[1]][trns_pick[0]]
        trns = struct.pack(">H", px[0]) if ctype == 0 else struct.pack(">HHH", *px)
    path = os.path.join(OUT, name + ".png")
    write_png(path, w, h, ctype, depth, pixels, palette, trns, interlace)
    check_with_pil(path, w, h, ctype, depth, pixels)
    write_expected(name, w, h, expected(w, h, ctype, depth, pixels, palette, trns))


def pil_fixtures():
    w, h = 9, 6
    rgba = Image.new("RGBA", (w, h))
    rgba.putdata([((x * 29) % 256, (y * 41) % 256, (x * y * 13) % 256, (x * 31 + y * 7) % 256)
                  for y in range(h) for x in range(w)])
    rgba.save(os.path.join(OUT, "pil_rgba.png"))
    write_expected("pil_rgba", w, h, [(a << 24) | (r << 16) | (g << 8) | b
                                      for r, g, b, a in rgba.getdata()])
    pal = Image.new("P", (w, h))
    colours = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (10, 20, 30)]
    pal.putpalette([c for rgb in colours for c in rgb])
    pal.putdata([(x + y) % 4 for y in range(h) for x in range(w)])
    pal.save(os.path.join(OUT, "pil_palette_trns.png"), transparency=bytes([0, 128, 255]))
    alphas = [0, 128, 255, 255]
    write_expected("pil_palette_trns", w, h,
                   [(alphas[i] << 24) | (colours[i][0] << 16) | (colours[i][1] << 8) | colours[i][2]
                    for i in pal.getdata()])
    la = Image.new("LA", (w, h))
    la.putdata([((x * 23) % 256, (y * 50) % 256) for y in range(h) for x in range(w)])
    la.save(os.path.join(OUT, "pil_grey_alpha.png"))
    write_expected("pil_grey_alpha", w, h, [(a << 24) | (v << 16) | (v << 8) | v
                                            for v, a in la.getdata()])
    mono = Image.new("1", (w, h))
    mono.putdata([255 if (x * y + x) % 3 else 0 for y in range(h) for x in range(w)])
    mono.save(os.path.join(OUT, "pil_mono.png"))
    write_expected("pil_mono", w, h, [0xFF000000 | (0xFFFFFF if v else 0) for v in mono.getdata()])


def main():
    os.makedirs(OUT, exist_ok=True)
    for depth in (1, 2, 4, 8, 16):
        make("grey%d" % depth, 7, 5, 0, depth, depth)
    make("grey2_trns", 7, 5, 0, 2, 3, trns_pick=(1, 1))
    make("grey8_trns", 7, 5, 0, 8, 4, trns_pick=(2, 3))
    make("grey16_trns", 6, 4, 0, 16, 5, trns_pick=(4, 0))
    for depth in (8, 16):
        make("rgb%d" % depth, 6, 5, 2, depth, depth)
        make("rgb%d_trns" % depth, 6, 5, 2, depth, depth + 1, trns_pick=(3, 2))
        make("grey_alpha%d" % depth, 5, 4, 4, depth, depth)
        make("rgba%d" % depth, 5, 4, 6, depth, depth)
    for depth in (1, 2, 4, 8):
        make("palette%d" % depth, 33 if depth == 1 else 9, 3, 3, depth, depth)
    make("palette4_trns", 9, 4, 3, 4, 6, pal_trns=[0, 40, 255, 128, 7])
    make("palette8_trns", 8, 8, 3, 8, 7, pal_trns=list(range(0, 250, 5)))
    make("grey1_interlaced", 13, 11, 0, 1, 8, interlace=True)
    make("palette4_trns_interlaced", 11, 9, 3, 4, 9, interlace=True, pal_trns=[255, 0, 90])
    make("rgb16_interlaced", 10, 7, 2, 16, 10, interlace=True)
    make("rgba8_interlaced", 17, 13, 6, 8, 11, interlace=True)
    make("grey_alpha8_interlaced", 3, 2, 4, 8, 12, interlace=True)
    make("grey16_trns_interlaced", 9, 9, 0, 16, 13, interlace=True, trns_pick=(8, 8))
    make("rgb8_interlaced_1x1", 1, 1, 2, 8, 14, interlace=True)
    pil_fixtures()


if __name__ == "__main__":
    main()
