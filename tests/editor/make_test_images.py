#!/usr/bin/python3
"""Writes the editor tests' images into data/img/ and the pictures the
editor must draw from them into data/ref/.

Every image pixel is either fully opaque or fully transparent, so drawing
one over another is plain replacement where the top pixel is opaque; the
reference pictures are composed here with that rule alone, independently of
the raster library. Needs Debian's python3-pil; run with /usr/bin/python3."""
import os

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
IMG = os.path.join(HERE, "data", "img")
REF = os.path.join(HERE, "data", "ref")

CLEAR = (0, 0, 0, 0)


def save(img, folder, name):
    os.makedirs(folder, exist_ok=True)
    img.save(os.path.join(folder, name))


def background():
    """120 x 80, a gradient."""
    img = Image.new("RGBA", (120, 80))
    for y in range(80):
        for x in range(120):
            img.putpixel((x, y), (2 * x, 3 * y, (x * y) % 256, 255))
    return img


def knob():
    """4 frames of 16 x 16 stacked, each one colour with transparent corners."""
    colours = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0)]
    img = Image.new("RGBA", (16, 64), CLEAR)
    for f, c in enumerate(colours):
        for y in range(16):
            for x in range(16):
                if abs(x - 7.5) + abs(y - 7.5) <= 10:
                    img.putpixel((x, 16 * f + y), c + (255,))
    return img


def switch():
    """2 frames of 12 x 12: dark and light, opaque, with a mark."""
    img = Image.new("RGBA", (12, 24))
    for f, c in enumerate([(40, 40, 40), (220, 220, 220)]):
        for y in range(12):
            for x in range(12):
                img.putpixel((x, 12 * f + y), c + (255,) if x != y else (200, 0, 200, 255))
    return img


def radio():
    """2 frames of 10 x 10 (off grey, on green) inside a transparent border."""
    img = Image.new("RGBA", (10, 20), CLEAR)
    for f, c in enumerate([(128, 128, 128), (0, 200, 0)]):
        for y in range(1, 9):
            for x in range(1, 9):
                img.putpixel((x, 10 * f + y), c + (255,))
    return img


def handle():
    """A fader handle of 10 x 6."""
    img = Image.new("RGBA", (10, 6))
    for y in range(6):
        for x in range(10):
            img.putpixel((x, y), (250, 120 + 10 * y, 20 * x, 255))
    return img


def bitmap_font():
    """40 frames of 4 x 4: frame k (1-based) is (6k, 255 - 6k, 128)."""
    img = Image.new("RGBA", (4, 160))
    for k in range(1, 41):
        for y in range(4):
            for x in range(4):
                img.putpixel((x, 4 * (k - 1) + y), (6 * k, 255 - 6 * k, 128, 255))
    return img


def quadrants():
    """16 x 16: red, green above blue, yellow (clockwise from top left: red,
    green, yellow, blue)."""
    img = Image.new("RGBA", (16, 16))
    for y in range(16):
        for x in range(16):
            c = [[(255, 0, 0), (0, 255, 0)], [(0, 0, 255), (255, 255, 0)]][y // 8][x // 8]
            img.putpixel((x, y), c + (255,))
    return img


def half_mask():
    """16 x 16: the left half opaque black, the right half clear."""
    img = Image.new("RGBA", (16, 16), CLEAR)
    for y in range(16):
        for x in range(8):
            img.putpixel((x, y), (0, 0, 0, 255))
    return img


def top_mark():
    """16 x 16, clear but for a white 4 x 4 block at (2, 2)."""
    img = Image.new("RGBA", (16, 16), CLEAR)
    for y in range(2, 6):
        for x in range(2, 6):
            img.putpixel((x, y), (255, 255, 255, 255))
    return img


def frame(img, n, k):
    """Frame k (1-based) of n stacked frames."""
    h = img.height // n
    return img.crop((0, (k - 1) * h, img.width, k * h))


def over(dst, src, x, y):
    """Opaque source pixels replace, transparent ones leave the picture."""
    for j in range(src.height):
        for i in range(src.width):
            p = src.getpixel((i, j))
            if p[3] == 255 and 0 <= x + i < dst.width and 0 <= y + j < dst.height:
                dst.putpixel((x + i, y + j), p)


def fill(dst, l, t, r, b, colour):
    for y in range(t, b):
        for x in range(l, r):
            dst.putpixel((x, y), colour)


def editor(knob_frame, switch_frame, radio_on, handle_y):
    """The test editor's picture: background, knob at (10, 10), switch at
    (40, 10), three radio buttons in (60, 10, 72, 70), a fader at (90, 10)
    and a panel in (5, 70, 115, 78)."""
    pic = background()
    over(pic, frame(knob(), 4, knob_frame), 10, 10)
    over(pic, frame(switch(), 2, switch_frame), 40, 10)
    for i, top in enumerate([10, 35, 60]):
        over(pic, frame(radio(), 2, 2 if i == radio_on else 1), 60, top)
    over(pic, handle(), 90, handle_y)
    fill(pic, 5, 70, 115, 78, (200, 30, 60, 255))
    return pic


def main():
    save(background(), IMG, "bg.png")
    save(knob(), IMG, "knob.png")
    save(switch(), IMG, "switch.png")
    save(radio(), IMG, "radio.png")
    save(handle(), IMG, "handle.png")
    save(bitmap_font(), IMG, "font.png")
    save(quadrants(), IMG, "quad.png")
    save(half_mask(), IMG, "mask.png")
    save(top_mark(), IMG, "top.png")
    # Not an image at all, for the loader's refusal.
    with open(os.path.join(IMG, "broken.png"), "wb") as f:
        f.write(b"not a png")
    # Knob 2/3 (frame 3), switch on, radio 1 of 3, fader at 0.25: the handle
    # moves down by trunc((60 - 6) x 0.75) = 40.
    save(editor(3, 2, 1, 50), REF, "editor.png")
    # The knob at 1/3 (frame 2) after a one-knob redraw.
    save(editor(2, 2, 1, 50), REF, "editor_knob.png")


if __name__ == "__main__":
    main()
