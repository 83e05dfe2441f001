#!/usr/bin/python3
"""Draws every image of the editor into resources/img/.

Run from anywhere: /usr/bin/python3 tools/make_artwork.py
Needs Pillow (Debian: python3-pil) and the Liberation fonts.

Each image is a function registered with @image(path); frames are stacked
downwards. The editor's layout computes its positions from these sizes, so a
size change here moves controls: keep them in step with the layout.

To add images, write a function per image (or per family, registered several
times) in a new section below, using the shared helpers: knob_strip,
button_strip, display_panel, text helpers and the colour palette.
"""

import math
import os
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "resources", "img")
SS = 4  # supersampling factor for smooth edges

FONT_DIR = "/usr/share/fonts/truetype/liberation2"
FONT_BOLD = os.path.join(FONT_DIR, "LiberationSans-Bold.ttf")
FONT_REGULAR = os.path.join(FONT_DIR, "LiberationSans-Regular.ttf")

# ---- Palette

BG_DARK = (18, 20, 24)
BG_MID = (30, 33, 39)
PANEL = (38, 42, 50)
PANEL_EDGE = (66, 72, 84)
INSET = (10, 12, 15)
INSET_EDGE = (70, 78, 92)
TEXT = (226, 230, 236)
TEXT_DIM = (140, 148, 160)
OFF_FACE = (54, 58, 68)
ON_FACE = (76, 82, 96)

ACCENT = {
    "amber": (255, 170, 40),
    "red": (240, 70, 60),
    "cyan": (70, 210, 230),
    "green": (110, 220, 120),
    "violet": (180, 130, 255),
    "white": (235, 235, 235),
}

REGISTRY = []


def image(path):
    """Registers the decorated function as the painter of resources/img/path."""

    def wrap(fn):
        REGISTRY.append((path, fn))
        return fn

    return wrap


def font(size, bold=True):
    return ImageFont.truetype(FONT_BOLD if bold else FONT_REGULAR, size)


# ---- Low-level helpers


def canvas(w, h, color=(0, 0, 0, 0)):
    """A supersampled RGBA canvas of w x h final pixels."""
    return Image.new("RGBA", (w * SS, h * SS), color)


def finish(img):
    """Back to the final size, smoothly."""
    return img.resize((img.width // SS, img.height // SS), Image.LANCZOS)


def stack(frames):
    """Frames of equal size stacked downwards into one strip."""
    w, h = frames[0].size
    strip = Image.new("RGBA", (w, h * len(frames)), (0, 0, 0, 0))
    for i, f in enumerate(frames):
        strip.paste(f, (0, i * h))
    return strip


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def centered_text(draw, box, text, size, fill, bold=True):
    """Text centred in box (final-pixel coordinates) on a supersampled draw."""
    f = font(size * SS, bold)
    l, t, r, b = box
    x0, y0, x1, y1 = draw.textbbox((0, 0), text, font=f)
    tw, th = x1 - x0, y1 - y0
    cx = (l + r) * SS / 2
    cy = (t + b) * SS / 2
    draw.text((cx - tw / 2 - x0, cy - th / 2 - y0), text, font=f, fill=fill)


def rounded(draw, box, radius, fill=None, outline=None, width=1):
    l, t, r, b = box
    draw.rounded_rectangle(
        (l * SS, t * SS, r * SS - 1, b * SS - 1), radius * SS, fill=fill, outline=outline,
        width=width * SS)


def vertical_gradient(w, h, top, bottom):
    img = Image.new("RGBA", (w, h))
    d = ImageDraw.Draw(img)
    for y in range(h):
        c = mix(top, bottom, y / max(1, h - 1))
        d.line((0, y, w, y), fill=c + (255,))
    return img


# ---- Knobs


def knob_frame(size, value, accent, steps=None, labels=None):
    """One knob at value 0..1: a dark body, a track arc from -135 to +135
    degrees lit up to the value, and a bright pointer."""
    img = canvas(size, size)
    d = ImageDraw.Draw(img)
    s = size * SS
    c = s / 2
    ring = s * 0.47
    track_w = max(2 * SS, int(s * 0.07))
    # Track, then the lit part.
    box = (c - ring + track_w / 2, c - ring + track_w / 2, c + ring - track_w / 2,
           c + ring - track_w / 2)
    d.arc(box, 135, 405, fill=(52, 56, 66), width=track_w)
    angle = -135 + 270 * value
    if value > 0:
        d.arc(box, 135, 135 + 270 * value, fill=accent, width=track_w)
    # Body with a soft top light.
    body = s * 0.34
    for i in range(int(body), 0, -SS):
        t = i / body
        col = mix((88, 94, 108), (36, 39, 46), t)
        d.ellipse((c - i, c - i - (1 - t) * s * 0.02, c + i, c + i - (1 - t) * s * 0.02),
                  fill=col + (255,))
    d.ellipse((c - body, c - body, c + body, c + body), outline=(20, 22, 26), width=SS)
    # Pointer.
    rad = math.radians(angle)
    x0 = c + math.sin(rad) * body * 0.25
    y0 = c - math.cos(rad) * body * 0.25
    x1 = c + math.sin(rad) * body * 0.95
    y1 = c - math.cos(rad) * body * 0.95
    d.line((x0, y0, x1, y1), fill=(250, 250, 250), width=max(2 * SS, int(s * 0.065)))
    if steps:
        # Step knobs: a dot per position.
        for k in range(steps):
            a = math.radians(-135 + 270 * k / (steps - 1))
            px = c + math.sin(a) * ring
            py = c - math.cos(a) * ring
            r = s * 0.035
            d.ellipse((px - r, py - r, px + r, py + r), fill=TEXT + (255,))
    return finish(img)


def knob_strip(size, accent, frames=128):
    return stack([knob_frame(size, i / (frames - 1), accent) for i in range(frames)])


def step_knob_strip(size, accent, icons):
    """A knob of len(icons) positions; each frame draws its icon below the
    centre so the position reads at a glance."""
    n = len(icons)
    frames = []
    for i, icon in enumerate(icons):
        f = knob_frame(size, i / (n - 1), accent, steps=n)
        if icon:
            big = f.resize((size * SS, size * SS), Image.LANCZOS)
            d = ImageDraw.Draw(big)
            icon(d, size * SS, accent)
            f = finish(big)
        frames.append(f)
    return stack(frames)


# ---- Buttons


def button_frame(w, h, label, lit, accent, size=9, led=True, dots=None):
    """A flat rounded button: label text, and a lamp lit in the accent when
    `lit`; `dots` = (count, lit count) draws a row of small lamps instead."""
    img = canvas(w, h)
    d = ImageDraw.Draw(img)
    face = ON_FACE if lit else OFF_FACE
    rounded(d, (0, 0, w, h), 3, fill=face + (255,), outline=(16, 18, 22, 255))
    rounded(d, (1, 1, w - 1, h - 1), 2, outline=(96, 102, 116, 255) if lit else (70, 74, 86, 255))
    text_left = 0
    if dots:
        count, on = dots
        for k in range(count):
            cx = (5 + k * 5) * SS
            cy = h * SS / 2
            r = 1.6 * SS
            col = accent if k < on else (30, 32, 38)
            d.ellipse((cx - r, cy - r, cx + r, cy + r), fill=col + (255,))
        text_left = 5 + count * 5
    elif led:
        cx = 6 * SS
        cy = h * SS / 2
        r = 2.2 * SS
        d.ellipse((cx - r, cy - r, cx + r, cy + r), fill=(accent if lit else (30, 32, 38)) + (255,))
        text_left = 10
    centered_text(d, (text_left, 0, w, h), label, size, (TEXT if lit else TEXT_DIM) + (255,))
    return finish(img)


def button_strip(w, h, labels, accent, lit=None, **kw):
    """One frame per label; lit[i] tells whether frame i shows its lamp on
    (by default every frame after the first)."""
    if lit is None:
        lit = [i > 0 for i in range(len(labels))]
    return stack([button_frame(w, h, lab, lit[i], accent, **kw) for i, lab in enumerate(labels)])


def arrow_button(w, h, left, accent):
    frames = []
    for pressed in (False, True):
        img = canvas(w, h)
        d = ImageDraw.Draw(img)
        rounded(d, (0, 0, w, h), 3, fill=(ON_FACE if pressed else OFF_FACE) + (255,),
                outline=(16, 18, 22, 255))
        s = SS
        cx, cy = w * s / 2, h * s / 2
        a = min(w, h) * s * 0.22
        pts = ([(cx + a * 0.6, cy - a), (cx + a * 0.6, cy + a), (cx - a * 0.8, cy)] if left else
               [(cx - a * 0.6, cy - a), (cx - a * 0.6, cy + a), (cx + a * 0.8, cy)])
        d.polygon(pts, fill=(accent if pressed else TEXT) + (255,))
        frames.append(finish(img))
    return stack(frames)


def toggle_switch(w, h):
    """Two frames, off and on: a pill whose knob slides to the right and
    lights up."""
    frames = []
    for on in (False, True):
        img = canvas(w, h)
        d = ImageDraw.Draw(img)
        rounded(d, (0, 0, w, h), h // 2, fill=((48, 110, 56) if on else (44, 47, 55)) + (255,),
                outline=(16, 18, 22, 255))
        cx = (w - h / 2 if on else h / 2) * SS
        cy = h / 2 * SS
        r = (h / 2 - 2) * SS
        d.ellipse((cx - r, cy - r, cx + r, cy + r),
                  fill=((150, 240, 150) if on else (120, 124, 134)) + (255,))
        frames.append(finish(img))
    return stack(frames)


def tab_strip(w, h, label, accent, switch_room=0):
    """Two frames: inactive, active. switch_room leaves space on the left for
    a switch drawn on top of the tab."""
    frames = []
    for active in (False, True):
        img = canvas(w, h)
        d = ImageDraw.Draw(img)
        face = (60, 66, 78) if active else (34, 37, 44)
        rounded(d, (0, 0, w, h), 4, fill=face + (255,),
                outline=(accent if active else (74, 80, 92)) + (255,))
        if active:
            d.rectangle((4 * SS, (h - 2) * SS, (w - 4) * SS, h * SS - 1), fill=accent + (255,))
        centered_text(d, (switch_room, 0, w, h - 1), label, 10,
                      (TEXT if active else TEXT_DIM) + (255,))
        frames.append(finish(img))
    return stack(frames)


# ---- Displays


def display_panel(w, h, grid=False, centre_lines=False):
    img = canvas(w, h)
    d = ImageDraw.Draw(img)
    rounded(d, (0, 0, w, h), 3, fill=INSET + (255,), outline=INSET_EDGE + (255,))
    if grid:
        for k in range(1, 4):
            x = w * k / 4 * SS
            d.line((x, 3 * SS, x, (h - 3) * SS), fill=(28, 32, 38, 255), width=SS)
            y = h * k / 4 * SS
            d.line((3 * SS, y, (w - 3) * SS, y), fill=(28, 32, 38, 255), width=SS)
    if centre_lines:
        d.line((3 * SS, h * SS / 2, (w - 3) * SS, h * SS / 2), fill=(44, 50, 60, 255), width=SS)
        d.line((w * SS / 2, 3 * SS, w * SS / 2, (h - 3) * SS), fill=(44, 50, 60, 255), width=SS)
    return finish(img)


# =====================================================================
# Backgrounds

EDITOR_W, EDITOR_H = 650, 830
CONTROLS_W, CONTROLS_H = 630, 740
CONTROLS_LEFT, CONTROLS_TOP = (EDITOR_W - CONTROLS_W) // 2, 35

# Panels of the plug-in page, in editor coordinates: (box, title, title
# position). A title of None draws the frame only.
PANELS = [
    ((22, 76, 628, 290), "DISTORTION", (82, 81)),
    ((22, 292, 322, 442), "FILTER", (82, 297)),
    ((326, 292, 628, 442), None, None),
    ((22, 444, 628, 572), "SUB-BAND PROCESSOR", (82, 449)),
    ((22, 574, 628, 606), None, None),
    ((22, 608, 254, 712), "INPUT", (212, 612)),
    ((258, 608, 628, 712), "OUTPUT", (266, 612)),
]


@image("GUI_background.png")
def gui_background():
    img = vertical_gradient(EDITOR_W, EDITOR_H, (28, 31, 37), (12, 13, 16)).convert("RGBA")
    big = img.resize((EDITOR_W * SS, EDITOR_H * SS), Image.NEAREST)
    d = ImageDraw.Draw(big)
    # Title.
    f = font(20 * SS)
    d.text((20 * SS, 7 * SS), "HARSHBLOOM", font=f, fill=TEXT + (255,))
    f2 = font(10 * SS, bold=False)
    d.text((172 * SS, 14 * SS), "dual-band distortion", font=f2, fill=ACCENT["amber"] + (255,))
    d.line((0, 34 * SS, EDITOR_W * SS, 34 * SS), fill=(60, 66, 78, 255), width=SS)
    # The tab strip's shelf.
    rounded(d, (190, 776, 460, 814), 6, fill=(22, 24, 29, 255), outline=(52, 57, 67, 255))
    return finish(big)


@image("Controls_Background.png")
def controls_background():
    img = canvas(CONTROLS_W, CONTROLS_H)
    d = ImageDraw.Draw(img)
    rounded(d, (0, 0, CONTROLS_W, CONTROLS_H), 8, fill=BG_MID + (255,),
            outline=(56, 61, 72, 255))
    ox, oy = CONTROLS_LEFT, CONTROLS_TOP
    for (l, t, r, b), title, at in PANELS:
        box = (l - ox, t - oy, r - ox, b - oy)
        rounded(d, box, 6, fill=PANEL + (255,), outline=PANEL_EDGE + (255,))
        if title:
            f = font(10 * SS)
            d.text(((at[0] - ox) * SS, (at[1] - oy) * SS), title, font=f,
                   fill=ACCENT["amber"] + (255,))
    return finish(img)


# =====================================================================
# Page tabs


@image("buttons/tab_plug_in_button.png")
def tab_plug():
    return tab_strip(76, 26, "PLUG-IN", ACCENT["amber"])


@image("buttons/tab_scope_button.png")
def tab_scope():
    return tab_strip(76, 26, "SCOPE", ACCENT["amber"])


@image("buttons/tab_about_button.png")
def tab_about():
    return tab_strip(76, 26, "ABOUT", ACCENT["amber"])


@image("buttons/tab_test.png")
def tab_test():
    return tab_strip(76, 26, "TEST", ACCENT["amber"])


# =====================================================================
# Input section


@image("knobs/volume_knob.png")
def volume_knob():
    return knob_strip(48, ACCENT["green"])


@image("knobs/io_sat.png")
def io_sat_knob():
    return knob_strip(32, ACCENT["red"])


@image("knobs/offset_knob.png")
def offset_knob():
    return knob_strip(32, ACCENT["cyan"])


@image("buttons/channel_mode_button.png")
def channel_mode_button():
    return button_strip(56, 16, ["STEREO", "INV ST", "MONO", "L / L", "R / R"], ACCENT["cyan"],
                        lit=[True] * 5, size=8)


@image("buttons/sat_mode_button.png")
def sat_mode_button():
    return stack([button_frame(40, 16, "SAT", True, ACCENT["red"], size=8, dots=(3, k + 1))
                  for k in range(3)])


# =====================================================================
# Distortion section


@image("switches/on_off.png")
def on_off_switch():
    return toggle_switch(30, 16)


@image("knobs/distortion_knob.png")
def distortion_knob():
    return knob_strip(48, ACCENT["amber"])


@image("knobs/bit_crash_knob.png")
def bit_crash_knob():
    return knob_strip(36, ACCENT["violet"])


@image("knobs/sample_rate_knob.png")
def sample_rate_knob():
    return knob_strip(36, ACCENT["violet"])


@image("knobs/gate_knob.png")
def gate_knob():
    return knob_strip(36, ACCENT["violet"])


@image("knobs/shaper_width_knob.png")
def shaper_width_knob():
    return knob_strip(36, ACCENT["cyan"])


def _wave_icon(kind):
    def draw(d, s, accent):
        c = s / 2
        w = s * 0.26
        h = s * 0.09
        y = c + s * 0.02
        pts = []
        for i in range(41):
            t = i / 40
            x = c - w + 2 * w * t
            ph = t * 2 * math.pi
            if kind == "sine":
                v = math.sin(ph)
            elif kind == "triangle":
                v = 1 - 4 * abs(t - 0.25) if t < 0.75 else -1 + 4 * (t - 0.75)
            else:
                v = 1 if t < 0.5 else -1
            pts.append((x, y - v * h))
        d.line(pts, fill=accent + (255,), width=max(SS, int(s * 0.035)))
    return draw


@image("knobs/RN_DynShaper_Type_3_states_40px.png")
def shaper_type_knob():
    return step_knob_strip(40, ACCENT["cyan"],
                           [_wave_icon("sine"), _wave_icon("triangle"), _wave_icon("pulse")])


@image("buttons/prev_button.png")
def prev_button():
    return arrow_button(20, 20, True, ACCENT["amber"])


@image("buttons/next_button.png")
def next_button():
    return arrow_button(20, 20, False, ACCENT["amber"])


@image("buttons/interp_mode_button.png")
def interp_button():
    return button_strip(48, 20, ["INTERP", "INTERP"], ACCENT["amber"], lit=[False, True])


@image("buttons/mode_button.png")
def mode_button():
    return button_strip(48, 20, ["MODE", "MODE"], ACCENT["cyan"], lit=[False, True])


@image("buttons/disto_mode_button_3_states.png")
def disto_mode_button():
    return button_strip(48, 20, ["SCALE", "DRIVE", "SINE"], ACCENT["amber"], lit=[True] * 3,
                        size=8)


@image("buttons/invert_button_48x40.png")
def invert_button():
    return button_strip(48, 20, ["INVERT", "INVERT"], ACCENT["cyan"])


@image("buttons/signal_pos_neg_both_48x60.png")
def polarity_button():
    return button_strip(48, 20, ["BOTH", "NEG", "POS"], ACCENT["amber"], lit=[True] * 3)


@image("buttons/restore_on_off_48x40.png")
def restore_button():
    return button_strip(48, 20, ["RESET", "RESET"], ACCENT["amber"], lit=[False, True], size=8)


@image("buttons/pre_3_states.png")
def pre_button():
    return stack([button_frame(56, 20, "PRE", k > 0, ACCENT["amber"], dots=(2, k))
                  for k in range(3)])


@image("buttons/post_3_states.png")
def post_button():
    return stack([button_frame(56, 20, "POST", k > 0, ACCENT["amber"], dots=(2, k))
                  for k in range(3)])


@image("displays/disto_preview_display.png")
def preview_display():
    return display_panel(130, 64, centre_lines=True)


@image("displays/disto_curve_display.png")
def curve_display():
    return display_panel(143, 100, grid=True, centre_lines=True)


@image("displays/disto_name_display.png")
def name_display():
    return display_panel(200, 20)


# =====================================================================
# Filter section


@image("slider_handle.png")
def slider_handle():
    img = canvas(10, 16)
    d = ImageDraw.Draw(img)
    rounded(d, (0, 0, 10, 16), 2, fill=(210, 214, 222, 255), outline=(20, 22, 26, 255))
    d.line((5 * SS, 3 * SS, 5 * SS, 13 * SS), fill=ACCENT["amber"] + (255,), width=2 * SS)
    return finish(img)


@image("slider_background.png")
def slider_background():
    img = canvas(76, 14)
    d = ImageDraw.Draw(img)
    rounded(d, (0, 5, 76, 9), 2, fill=INSET + (255,), outline=INSET_EDGE + (255,))
    for k in range(5):
        x = (5 + k * 16.5) * SS
        d.line((x, 0, x, 3 * SS), fill=TEXT_DIM + (255,), width=SS)
    centered_text(d, (0, 8, 12, 14), "1", 6, TEXT_DIM + (255,))
    centered_text(d, (64, 8, 76, 14), "2", 6, TEXT_DIM + (255,))
    return finish(img)


@image("knobs/filter_knob.png")
def filter_knob():
    return knob_strip(48, ACCENT["green"])


@image("knobs/resonance_knob.png")
def resonance_knob():
    return knob_strip(48, ACCENT["green"])


@image("knobs/drive_knob.png")
def drive_knob():
    return knob_strip(34, ACCENT["red"])


@image("knobs/filter_transition_knob.png")
def transition_knob():
    return step_knob_strip(34, ACCENT["green"], [None, None, None])


@image("displays/filter_type_display.png")
def filter_type_display():
    return display_panel(84, 20)


# =====================================================================
# Equaliser section


@image("buttons/sub_band_tab.png")
def sub_band_tab():
    return tab_strip(136, 22, "SUB-BAND EQ", ACCENT["cyan"], switch_room=38)


@image("buttons/disto_band_tab.png")
def disto_band_tab():
    return tab_strip(136, 22, "DISTO-BAND EQ", ACCENT["amber"], switch_room=38)


# =====================================================================
# Equaliser pages

EQ_KNOB = 48
BAND_COLOURS = {
    "bass": (255, 0, 0),
    "low_mid": (255, 127, 0),
    "high_mid": (255, 255, 0),
    "high": (127, 255, 127),
}


def _eq_knob(band):
    @image("knobs/eq_%s_knob.png" % band)
    def painter():
        return knob_strip(EQ_KNOB, BAND_COLOURS[band])
    return painter


for _band in ("bass", "low_mid", "high_mid", "high"):
    _eq_knob(_band)


@image("displays/eq_freq_display.png")
def eq_freq_display():
    return display_panel(250, 24)


# =====================================================================
# Sub-band processor

@image("knobs/gain_knob.png")
def gain_knob():
    return knob_strip(48, ACCENT["cyan"])


@image("knobs/saturation_knob.png")
def saturation_knob():
    return knob_strip(48, ACCENT["red"])


@image("displays/band_display.png")
def band_display():
    return display_panel(188, 67, grid=True)


@image("buttons/band_filter_slope.png")
def band_filter_slope():
    return button_strip(48, 16, ["6 dB", "12 dB", "24 dB", "48 dB"], ACCENT["green"],
                        lit=[True] * 4, size=8)


@image("buttons/link_on_off.png")
def link_button():
    return button_strip(48, 16, ["LINK", "LINK"], ACCENT["green"], size=8)


# =====================================================================
# Preset row and information display


@image("displays/preset_display.png")
def preset_display():
    return display_panel(200, 20)


@image("buttons/load_on_off_48x40.png")
def load_button():
    return button_strip(48, 20, ["LOAD", "LOAD"], ACCENT["cyan"], lit=[False, True])


@image("buttons/save_on_off_48x40.png")
def save_button():
    return button_strip(48, 20, ["SAVE", "SAVE"], ACCENT["cyan"], lit=[False, True])


@image("buttons/bypass_fx_button_84x60.png")
def bypass_button():
    return button_strip(84, 26, ["BYPASS", "BYPASS"], ACCENT["red"], size=10)


@image("displays/info_display.png")
def info_display():
    # The panel leaves its top rows clear: the sections above reach the
    # display's top edge.
    w, h, top = 540, 60, 6
    img = canvas(w, h)
    d = ImageDraw.Draw(img)
    rounded(d, (0, top, w, h - 2), 4, fill=INSET + (255,), outline=INSET_EDGE + (255,))
    return finish(img)


@image("buttons/reset_on_off_48x40.png")
def reset_button():
    return button_strip(48, 20, ["RESET", "RESET"], ACCENT["cyan"], lit=[False, True], size=8)


# =====================================================================
# Output section


@image("knobs/pan_knob.png")
def pan_knob():
    return knob_strip(32, ACCENT["white"])


@image("knobs/dry_wet_knob.png")
def dry_wet_knob():
    return knob_strip(32, ACCENT["violet"])


@image("knobs/limiter_knob.png")
def limiter_knob():
    return knob_strip(32, ACCENT["amber"])


@image("knobs/lp_hq_knob.png")
def lp_hp_knob():
    return knob_strip(32, ACCENT["green"])


@image("buttons/clipper_mode_button.png")
def clipper_mode_button():
    return button_strip(44, 16, ["OFF", "SOFT", "HARD", "FOLD"], ACCENT["amber"], size=8)


@image("buttons/limiter_mode_button.png")
def limiter_mode_button():
    return button_strip(44, 16, ["CLIP", "CLIP"], ACCENT["amber"], size=8)


@image("buttons/filter_slope.png")
def sweep_slope_button():
    return stack([button_frame(44, 16, "SLOPE", True, ACCENT["green"], size=7, dots=(2, k + 1))
                  for k in range(2)])


@image("buttons/hq_filter_3_states.png")
def hq_filter_button():
    return stack([button_frame(44, 16, "HQ", k > 0, ACCENT["violet"], size=8, dots=(2, k))
                  for k in range(3)])


@image("buttons/oversampling_button.png")
def oversampling_button():
    return button_strip(48, 16, ["8x OS", "8x OS"], ACCENT["green"], size=8)


@image("switches/make_up_on_off.png")
def make_up_switch():
    return toggle_switch(24, 14)


# =====================================================================
# Scope page

WAVE_W, WAVE_H = 620, 560


@image("displays/wave_display.png")
def wave_display():
    img = canvas(WAVE_W, WAVE_H)
    d = ImageDraw.Draw(img)
    rounded(d, (0, 0, WAVE_W, WAVE_H), 4, fill=INSET + (255,), outline=INSET_EDGE + (255,))
    inner_t, inner_b = 5, WAVE_H - 5
    q = (inner_b - inner_t) // 4
    grid = (26, 30, 36, 255)
    # Time divisions, and half scale above and below each channel's centre.
    for k in range(1, 10):
        x = (5 + k * (WAVE_W - 10) / 10) * SS
        d.line((x, inner_t * SS, x, inner_b * SS), fill=grid, width=SS)
    for c in (1, 3):
        for off in (-q / 2, q / 2):
            y = (inner_t + c * q + off) * SS
            d.line((5 * SS, y, (WAVE_W - 5) * SS, y), fill=grid, width=SS)
    # The channels apart.
    y = (inner_t + 2 * q) * SS
    d.line((5 * SS, y, (WAVE_W - 5) * SS, y), fill=INSET_EDGE + (255,), width=SS)
    f = font(10 * SS)
    d.text((12 * SS, (inner_t + 6) * SS), "L", font=f, fill=TEXT_DIM + (255,))
    d.text((12 * SS, (inner_t + 2 * q + 6) * SS), "R", font=f, fill=TEXT_DIM + (255,))
    return finish(img)


@image("buttons/freeze_scope_button.png")
def freeze_button():
    return button_strip(70, 30, ["FREEZE", "FREEZE"], ACCENT["cyan"], size=10)


@image("buttons/hollow_half_filled_scope_button.png")
def draw_mode_button():
    return button_strip(70, 20, ["LINE", "FILLED", "MIRROR"], ACCENT["amber"], lit=[True] * 3,
                        size=8)


@image("buttons/input_on_off.png")
def input_trace_button():
    return button_strip(60, 20, ["INPUT", "INPUT"], (150, 150, 150), size=8)


@image("buttons/output_on_off.png")
def output_trace_button():
    return button_strip(60, 20, ["OUTPUT", "OUTPUT"], ACCENT["white"], size=8)


def _sign_button(plus):
    frames = []
    for pressed in (False, True):
        img = canvas(20, 20)
        d = ImageDraw.Draw(img)
        rounded(d, (0, 0, 20, 20), 3, fill=(ON_FACE if pressed else OFF_FACE) + (255,),
                outline=(16, 18, 22, 255))
        col = (ACCENT["amber"] if pressed else TEXT) + (255,)
        d.rectangle((5 * SS, 9 * SS, 15 * SS, 11 * SS), fill=col)
        if plus:
            d.rectangle((9 * SS, 5 * SS, 11 * SS, 15 * SS), fill=col)
        frames.append(finish(img))
    return stack(frames)


@image("switches/minus_25px.png")
def zoom_minus():
    return _sign_button(False)


@image("switches/plus_25px.png")
def zoom_plus():
    return _sign_button(True)


@image("displays/zoom_display.png")
def zoom_display():
    return display_panel(105, 26)


# =====================================================================
# About page

LOGO_W, LOGO_H = 570, 380
LOGO_LEFT, LOGO_TOP = 325 - LOGO_W // 2, 50
# The version display covers the logo's lowest rows (from editor y 410).
# The level eyes, in editor coordinates: they glow through holes in the logo.
EYE_LEFT = ((223, 186), (223, 220), (295, 220))
EYE_RIGHT = ((355, 220), (427, 220), (427, 186))


@image("Rawnfield_logo_txt_570x380.png")
def logo():
    img = canvas(LOGO_W, LOGO_H)
    d = ImageDraw.Draw(img)
    cx, cy = 285, 178
    # Jagged petals of two rings, the outer one darker.
    for ring, (r0, r1, n, col, turn) in enumerate(
            [(110, 168, 14, (120, 52, 30), 0.0), (100, 145, 14, (205, 96, 40), 0.5)]):
        for k in range(n):
            a = 2 * math.pi * (k + turn) / n
            da = math.pi / n * 0.78
            pts = [
                (cx + r0 * math.sin(a - da), cy - r0 * math.cos(a - da)),
                (cx + r1 * math.sin(a), cy - r1 * math.cos(a)),
                (cx + r0 * math.sin(a + da), cy - r0 * math.cos(a + da)),
            ]
            d.polygon([(x * SS, y * SS) for x, y in pts], fill=col + (255,),
                      outline=(30, 14, 8, 255))
    # The face.
    r = 118
    for i in range(r, 0, -1):
        t = i / r
        col = mix((96, 100, 112), (44, 47, 55), t)
        d.ellipse(((cx - i) * SS, (cy - i - (1 - t) * 6) * SS, (cx + i) * SS,
                   (cy + i - (1 - t) * 6) * SS), fill=col + (255,))
    d.ellipse(((cx - r) * SS, (cy - r) * SS, (cx + r) * SS, (cy + r) * SS),
              outline=(20, 22, 26, 255), width=2 * SS)
    # A jagged mouth.
    mouth = []
    for k in range(9):
        x = cx - 64 + k * 16
        y = cy + 62 + (10 if k % 2 else 0)
        mouth.append((x * SS, y * SS))
    d.line(mouth, fill=(24, 26, 30, 255), width=4 * SS, joint="curve")
    # Eye holes: clear, with a dark rim.
    for eye in (EYE_LEFT, EYE_RIGHT):
        pts = [((x - LOGO_LEFT) * SS, (y - LOGO_TOP) * SS) for x, y in eye]
        d.polygon(pts, fill=(0, 0, 0, 0), outline=(16, 18, 22, 255), width=3 * SS)
        d.polygon(pts, fill=(0, 0, 0, 0))
    return finish(img)


@image("RN_Team_Text.png")
def team_text():
    img = canvas(420, 40)
    d = ImageDraw.Draw(img)
    centered_text(d, (0, 0, 420, 20), "SOUND, CODE AND PICTURES", 10, TEXT_DIM + (255,))
    centered_text(d, (0, 20, 420, 40), "THE RAWNFIELD TEAM", 12, ACCENT["amber"] + (255,))
    return finish(img)


@image("displays/version_info_display_pro.png")
def version_display():
    w, h = 440, 150
    img = canvas(w, h)
    d = ImageDraw.Draw(img)
    rounded(d, (0, 0, w, h), 6, fill=INSET + (255,), outline=INSET_EDGE + (255,))
    d.line((40 * SS, 96 * SS, (w - 40) * SS, 96 * SS), fill=(44, 50, 60, 255), width=SS)
    return finish(img)


@image("app_logo.png")
def app_logo():
    n = 100
    img = canvas(n, n)
    d = ImageDraw.Draw(img)
    rounded(d, (0, 0, n, n), 20, fill=(40, 44, 52, 255), outline=(90, 96, 110, 255), width=2)
    c = n / 2
    for k in range(8):
        a = 2 * math.pi * k / 8
        pts = [
            (c + 12 * math.sin(a - 0.35), c - 12 * math.cos(a - 0.35)),
            (c + 40 * math.sin(a), c - 40 * math.cos(a)),
            (c + 12 * math.sin(a + 0.35), c - 12 * math.cos(a + 0.35)),
        ]
        d.polygon([(x * SS, y * SS) for x, y in pts], fill=ACCENT["amber"] + (255,))
    d.ellipse(((c - 14) * SS, (c - 14) * SS, (c + 14) * SS, (c + 14) * SS),
              fill=(24, 26, 30, 255), outline=ACCENT["red"] + (255,), width=3 * SS)
    return finish(img)


# =====================================================================


def main(argv):
    only = set(argv[1:])
    for path, fn in REGISTRY:
        if only and path not in only:
            continue
        out = os.path.join(OUT, path)
        os.makedirs(os.path.dirname(out), exist_ok=True)
        fn().save(out, optimize=True)
        print(path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
