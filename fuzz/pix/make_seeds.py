#!/usr/bin/python3
"""Writes the seed corpus of the PNG loader's fuzz target: a few of the test
fixtures (each colour type, a palette with transparency, interlace), one cut
short, one with a damaged data chunk and one whose header declares a huge
image."""
import os
import shutil
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus")
FIXTURES = os.path.join(HERE, "..", "..", "tests", "pix", "data", "png")

KEEP = ["grey1", "grey16_trns", "rgb8_trns", "palette4_trns", "grey_alpha16", "rgba8",
        "rgb16_interlaced", "palette4_trns_interlaced", "pil_palette_trns"]


def main():
    os.makedirs(OUT, exist_ok=True)
    for name in KEEP:
        shutil.copy(os.path.join(FIXTURES, name + ".png"), os.path.join(OUT, name + ".png"))
    rgba = open(os.path.join(FIXTURES, "rgba8.png"), "rb").read()
    with open(os.path.join(OUT, "cut_short.png"), "wb") as f:
        f.write(rgba[:len(rgba) * 2 // 3])
    damaged = bytearray(rgba)
    damaged[45] ^= 0x40
    with open(os.path.join(OUT, "damaged_data.png"), "wb") as f:
        f.write(bytes(damaged))
    huge = bytearray(rgba)
    huge[16:24] = struct.pack(">II", 60000, 60000)
    huge[29:33] = struct.pack(">I", zlib.crc32(bytes(huge[12:29])) & 0xFFFFFFFF)
    with open(os.path.join(OUT, "huge_header.png"), "wb") as f:
        f.write(bytes(huge))


if __name__ == "__main__":
    main()
