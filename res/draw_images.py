#!/usr/bin/python3
"""Draws Kelmoro's pictures: the banner, the toolbar strip (also at 2x), the
application icon (every size the desktop needs, plus an SVG) and the
document icon.

Run it from anywhere; it writes next to itself, or into the folder given as
its one argument:  /usr/bin/python3 res/draw_images.py [OUTPUT_DIR]
Needs Debian's python3-pil and fonts-ipafont-gothic. The output depends only
on this script, Pillow and the font, so rerunning it reproduces the
committed files.
"""

import math
import sys
from pathlib import Path

from PIL import Image, ImageChops, ImageDraw, ImageFont

FONT_PATH = "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf"

# ---------------------------------------------------------------------------
# Shared colours: the banner's pale yellow and dark red carry over to the icons.

PALE_YELLOW = (255, 251, 214)
DARK_RED = (122, 18, 18)
DEEP_RED = (84, 10, 10)
BRIGHT_RED = (178, 42, 36)
WAVE_YELLOW = (255, 240, 168)


def save_png(image, path):
    # No timestamps or other chunks that change between runs.
    image.save(path, format="PNG", optimize=True)


def lerp(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def vertical_gradient(size, top, bottom):
    width, height = size
    column = Image.new("RGB", (1, height))
    for y in range(height):
        column.putpixel((0, y), lerp(top, bottom, y / max(1, height - 1)))
    return column.resize((width, height), Image.NEAREST)


# ---------------------------------------------------------------------------
# Banner: 561 x 70, one line of slanted, outlined title lettering, grey faces
# with a dark red extruded shadow, on a pale yellow ground.

BANNER_SIZE = (561, 70)
BANNER_TEXT = "WAV→AU 変換"
BANNER_SCALE = 4          # drawn this many times larger, then reduced smoothly
BANNER_SLANT = 0.28       # horizontal shift per unit of height
BANNER_FONT_SIZE = 58
OUTLINE_BROWN = (40, 24, 24)
FACE_LIGHT = (238, 238, 238)
FACE_DARK = (116, 116, 124)
FACE_EDGE = (250, 250, 250)


def slanted(mask, slant):
    """Shears a mask so its tops lean right, keeping the baseline in place."""
    width, height = mask.size
    # AFFINE maps each output pixel back to the input: x_in = x + slant*y + c.
    return mask.transform(mask.size, Image.AFFINE, (1, slant, -slant * height, 0, 1, 0),
                          resample=Image.BICUBIC)


def draw_banner():
    s = BANNER_SCALE
    width, height = BANNER_SIZE[0] * s, BANNER_SIZE[1] * s
    font = ImageFont.truetype(FONT_PATH, BANNER_FONT_SIZE * s)
    outline = 3 * s
    depth = 5 * s

    def lettering(stroke):
        mask = Image.new("L", (width, height), 0)
        ImageDraw.Draw(mask).text((0, 0), BANNER_TEXT, font=font, fill=255,
                                  stroke_width=stroke, stroke_fill=255)
        return mask

    # Lay the lettering out at the top left, slant it, then centre the whole
    # figure, shadow included, in the picture.
    outer = slanted(lettering(outline), BANNER_SLANT)
    face = slanted(lettering(0), BANNER_SLANT)
    left, top, right, bottom = outer.getbbox()
    dx = (width - (right - left + depth)) // 2 - left
    dy = (height - (bottom - top + depth)) // 2 - top
    outer = ImageChops.offset(outer, dx, dy)
    face = ImageChops.offset(face, dx, dy)

    picture = Image.new("RGB", (width, height), PALE_YELLOW)

    # Extruded shadow: copies of the outlined shape stepping down-right,
    # darkest furthest back.
    for step in range(depth, 0, -1):
        shade = lerp(DARK_RED, DEEP_RED, step / depth)
        picture.paste(shade, (0, 0), ImageChops.offset(outer, step, step))

    picture.paste(OUTLINE_BROWN, (0, 0), outer)

    # Grey faces, lighter at the top like brushed metal, with a thin light
    # edge along their upper-left side.
    face_top, face_bottom = top + dy, bottom + dy
    face_fill = Image.new("RGB", (width, height), FACE_LIGHT)
    face_fill.paste(vertical_gradient((width, face_bottom - face_top), FACE_LIGHT, FACE_DARK),
                    (0, face_top))
    highlight = ImageChops.subtract(face, ImageChops.offset(face, s, s))
    picture.paste(face_fill, (0, 0), face)
    picture.paste(FACE_EDGE, (0, 0), highlight)

    # Averaging (not a sharpening filter) leaves the ground one even colour.
    banner = picture.resize(BANNER_SIZE, Image.BOX)
    # 256 colours, as a palette image.
    return banner.quantize(colors=256, method=Image.MEDIANCUT, dither=Image.NONE)


# ---------------------------------------------------------------------------
# Toolbar strip: three 16 x 15 buttons side by side, drawn pixel by pixel in
# the classic sixteen colours on a transparent ground; toolbar@2x.png holds
# the same buttons at twice the size, enlarged with Scale2x.

TOOLBAR_CELL = (16, 15)

PALETTE = {
    ".": None,
    "k": (0, 0, 0),
    "w": (255, 255, 255),
    "s": (192, 192, 192),
    "g": (128, 128, 128),
    "y": (255, 255, 0),
    "o": (128, 128, 0),
    "n": (0, 0, 128),
    "b": (0, 0, 255),
    "c": (0, 255, 255),
    "t": (0, 128, 128),
}

OPEN_FOLDER = [
    "................",
    "................",
    "..kkkkk.........",
    ".kyyyyyk........",
    ".kyyyyyykkkkkk..",
    ".kyowwwwwwwwwk..",
    ".kyowwwwwwwwwk..",
    ".kyokkkkkkkkkkkk",
    ".kyokyyyyyyyyyyk",
    ".kykyyyyyyyyyyk.",
    ".kkyyyyyyyyyyk..",
    ".kkyyyyyyyyyok..",
    ".kooooooooook...",
    ".kkkkkkkkkkkk...",
    "................",
]

QUESTION_MARK = [
    "................",
    ".....nnnnnn.....",
    "....nbbbbbbn....",
    "...nbbwwwbbbn...",
    "...nbbnnnnbbn...",
    "...nnn...nbbn...",
    ".........nbbn...",
    "........nbbn....",
    ".......nbbn.....",
    "......nbbn......",
    "......nnnn......",
    "......nbbn......",
    "......nbbn......",
    "......nnnn......",
    "................",
]

ARROW_QUESTION = [
    "k...............",
    "kk.......nnnnn..",
    "kwk.....nbbbbbn.",
    "kwwk...nbbnnnbbn",
    "kwwwk..nnn..nbbn",
    "kwwwwk.....nbbn.",
    "kwwwwwk...nbbn..",
    "kwwwwwwk..nbbn..",
    "kwwwwkkkk.nnnn..",
    "kwwkwwk...nbbn..",
    "kwk.kwwk..nnnn..",
    "kk..kwwk........",
    "k....kwwk.......",
    ".....kwwk.......",
    "......kk........",
]


def pixel_art(rows, size=TOOLBAR_CELL):
    width, height = size
    assert len(rows) == height and all(len(row) == width for row in rows), rows
    image = Image.new("RGBA", size, (0, 0, 0, 0))
    for y, row in enumerate(rows):
        for x, code in enumerate(row):
            colour = PALETTE[code]
            if colour is not None:
                image.putpixel((x, y), colour + (255,))
    return image


def scale2x(rows):
    """The rows at twice the size by Scale2x (EPX): each pixel becomes a
    2 x 2 block of its own colour, except that a corner takes the colour of
    the two neighbours meeting there when they agree, so diagonal edges come
    out as finer steps instead of doubled ones. Only colours already in the
    drawing are used: still crisp pixel art, nothing blurred."""
    height, width = len(rows), len(rows[0])

    def at(x, y, default):
        return rows[y][x] if 0 <= x < width and 0 <= y < height else default

    large = [[None] * (2 * width) for _ in range(2 * height)]
    for y in range(height):
        for x in range(width):
            p = rows[y][x]
            up, down = at(x, y - 1, p), at(x, y + 1, p)
            left, right = at(x - 1, y, p), at(x + 1, y, p)
            large[2 * y][2 * x] = up if left == up and left != down and up != right else p
            large[2 * y][2 * x + 1] = right if up == right and up != left and right != down else p
            large[2 * y + 1][2 * x] = left if down == left and down != right and left != up else p
            large[2 * y + 1][2 * x + 1] = (down if right == down and right != up and down != left
                                           else p)
    return ["".join(row) for row in large]


def draw_toolbar(scale=1):
    """The strip, or with scale=2 the same buttons at twice the size for
    screens scaled by 2 (GDK_SCALE=2)."""
    cells = [OPEN_FOLDER, QUESTION_MARK, ARROW_QUESTION]
    if scale == 2:
        cells = [scale2x(rows) for rows in cells]
    width, height = TOOLBAR_CELL[0] * scale, TOOLBAR_CELL[1] * scale
    strip = Image.new("RGBA", (width * len(cells), height), (0, 0, 0, 0))
    for index, rows in enumerate(cells):
        strip.paste(pixel_art(rows, (width, height)), (index * width, 0))
    return strip


# ---------------------------------------------------------------------------
# Icons. Each is described once on a grid of `units` squares and drawn at
# any pixel size by painting it 8 times larger and averaging down.

SUPERSAMPLE = 8


class Canvas:
    """Draws on an RGBA picture in grid units, at `size` pixels."""

    def __init__(self, size, units):
        self.size = size
        self.scale = size * SUPERSAMPLE / units
        self.image = Image.new("RGBA", (size * SUPERSAMPLE,) * 2, (0, 0, 0, 0))
        self.draw = ImageDraw.Draw(self.image)

    def px(self, value):
        return value * self.scale

    def points(self, points):
        return [(self.px(x), self.px(y)) for x, y in points]

    def rounded_rect(self, box, radius, fill):
        x0, y0, x1, y1 = (self.px(v) for v in box)
        self.draw.rounded_rectangle((x0, y0, x1 - 1, y1 - 1), radius=self.px(radius), fill=fill)

    def gradient_rounded_rect(self, box, radius, top, bottom):
        """A rounded box shaded from `top` at its upper edge to `bottom` at its lower."""
        mask = Image.new("L", self.image.size, 0)
        x0, y0, x1, y1 = (round(self.px(v)) for v in box)
        ImageDraw.Draw(mask).rounded_rectangle((x0, y0, x1 - 1, y1 - 1), radius=self.px(radius),
                                               fill=255)
        fill = Image.new("RGB", self.image.size, top)
        fill.paste(vertical_gradient((self.image.size[0], y1 - y0), top, bottom), (0, y0))
        self.image.paste(fill, (0, 0), mask)

    def polygon(self, points, fill):
        self.draw.polygon(self.points(points), fill=fill)

    def stroke(self, points, width, fill):
        scaled = self.points(points)
        w = self.px(width)
        self.draw.line(scaled, fill=fill, width=round(w), joint="curve")
        # Round caps.
        for x, y in (scaled[0], scaled[-1]):
            self.draw.ellipse((x - w / 2, y - w / 2, x + w / 2, y + w / 2), fill=fill)

    def result(self):
        return self.image.resize((self.size, self.size), Image.BOX)


def wave_points(x0, x1, mid, amplitude, steps, periods):
    """The mark: a sine wave, smooth for its first half and stepped for the
    second (sampled and held, as after conversion), `steps` per period."""
    def y_at(x):
        return mid - amplitude * math.sin(2 * math.pi * periods * (x - x0) / (x1 - x0))

    halfway = (x0 + x1) / 2
    points = []
    count = 64
    for i in range(count + 1):
        x = x0 + (halfway - x0) * i / count
        points.append((x, y_at(x)))
    step_width = (x1 - x0) / periods / steps
    x = halfway
    while x < x1 - 1e-6:
        y = y_at(x + step_width / 2)
        points.append((x, y))
        points.append((x + step_width, y))
        x += step_width
    return points


# The application icon from 32 px up, on a 32-square grid: a dark red tile
# with a pale yellow wave that turns into steps.
APP_ICON = dict(units=32, tile=(1, 1, 31, 31), radius=6, border=1,
                wave=dict(x0=5, x1=27, mid=16, amplitude=7, steps=6, periods=1),
                stroke=2.2)


# At 16 px a drawn wave blurs, so the small icons are set pixel by pixel:
# "D" tile rim, "R" tile (shaded top to bottom), "Y" wave, "r" dark red,
# "k" outline, "w" white, "s" fold.
APP_ICON_16 = [
    ".DDDDDDDDDDDDDD.",
    "DRRRRRRRRRRRRRRD",
    "DRRRRRRRRRRRRRRD",
    "DRRRRRRRRRRRRRRD",
    "DRRRRYYRRRRRRRRD",
    "DRRRYRRYRRRRRRRD",
    "DRRRYRRYRRRRRRRD",
    "DRRYRRRRYRRRRRRD",
    "DRRYRRRRYRRRRYRD",
    "DRRRRRRRYRRRRYRD",
    "DRRRRRRRYYYRYYRD",
    "DRRRRRRRRRYRYRRD",
    "DRRRRRRRRRYYYRRD",
    "DRRRRRRRRRRRRRRD",
    "DRRRRRRRRRRRRRRD",
    ".DDDDDDDDDDDDDD.",
]

DOCUMENT_ICON_16 = [
    "..kkkkkkkkk.....",
    "..kwwwwwwwkk....",
    "..kwwwwwwwksk...",
    "..kwwwwwwwkssk..",
    "..kwwwwwwwkkkkk.",
    "..kwwwwwwwwwwwk.",
    "..kwwwwwwwwwwwk.",
    "..kwwrrwwwwwwwk.",
    "..kwrwwrwwwwwwk.",
    "..kwrwwrwwwwrwk.",
    "..kwwwwrrrwrrwk.",
    "..kwwwwwwrrrwwk.",
    "..kwwwwwwwwwwwk.",
    "..kwwwwwwwwwwwk.",
    "..kwwwwwwwwwwwk.",
    "..kkkkkkkkkkkkk.",
]


def small_icon(rows):
    image = Image.new("RGBA", (16, 16), (0, 0, 0, 0))
    for y, row in enumerate(rows):
        assert len(row) == 16, row
        colours = {"D": DEEP_RED, "R": lerp(BRIGHT_RED, DARK_RED, y / 15), "Y": WAVE_YELLOW,
                   "r": DARK_RED, "k": (64, 64, 64), "w": (255, 255, 255),
                   "s": (208, 208, 208)}
        for x, code in enumerate(row):
            if code != ".":
                image.putpixel((x, y), colours[code] + (255,))
    return image


def draw_app_icon(size):
    if size <= 16:
        return small_icon(APP_ICON_16)
    g = APP_ICON
    canvas = Canvas(size, g["units"])
    x0, y0, x1, y1 = g["tile"]
    b = g["border"]
    canvas.rounded_rect(g["tile"], g["radius"], DEEP_RED + (255,))
    canvas.gradient_rounded_rect((x0 + b, y0 + b, x1 - b, y1 - b), g["radius"] - b,
                                 BRIGHT_RED, DARK_RED)
    canvas.stroke(wave_points(**g["wave"]), g["stroke"], WAVE_YELLOW + (255,))
    return canvas.result()


def app_icon_svg():
    g = APP_ICON
    x0, y0, x1, y1 = g["tile"]
    b = g["border"]
    r = g["radius"]
    path = " ".join(("M" if i == 0 else "L") + f"{x:.2f},{y:.2f}"
                    for i, (x, y) in enumerate(wave_points(**g["wave"])))

    def hex_colour(rgb):
        return "#%02x%02x%02x" % rgb

    return f"""<?xml version="1.0" encoding="UTF-8"?>
<!-- Kelmoro's application icon; drawn by res/draw_images.py. -->
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 {g['units']} {g['units']}">
  <defs>
    <linearGradient id="face" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="{hex_colour(BRIGHT_RED)}"/>
      <stop offset="1" stop-color="{hex_colour(DARK_RED)}"/>
    </linearGradient>
  </defs>
  <rect x="{x0}" y="{y0}" width="{x1 - x0}" height="{y1 - y0}" rx="{r}" fill="{hex_colour(DEEP_RED)}"/>
  <rect x="{x0 + b}" y="{y0 + b}" width="{x1 - x0 - 2 * b}" height="{y1 - y0 - 2 * b}" rx="{r - b}" fill="url(#face)"/>
  <path d="{path}" fill="none" stroke="{hex_colour(WAVE_YELLOW)}" stroke-width="{g['stroke']}"
        stroke-linecap="round" stroke-linejoin="round"/>
</svg>
"""


def draw_document_icon(size):
    """A white page with a folded corner carrying the wave mark in dark red."""
    if size <= 16:
        return small_icon(DOCUMENT_ICON_16)
    canvas = Canvas(size, 32)
    left, top, right, bottom, fold = 5, 1, 27, 31, 7
    wave = dict(x0=9, x1=23, mid=18, amplitude=4.5, steps=6, periods=1)
    stroke = 1.8
    outline = (64, 64, 64, 255)
    page = [(left, top), (right - fold, top), (right, top + fold), (right, bottom), (left, bottom)]
    inner = [(left + 1, top + 1), (right - fold - 0.4, top + 1), (right - 1, top + fold + 0.4),
             (right - 1, bottom - 1), (left + 1, bottom - 1)]
    canvas.polygon(page, outline)
    canvas.polygon(inner, (255, 255, 255, 255))
    # The folded corner.
    canvas.polygon([(right - fold, top), (right - fold, top + fold), (right, top + fold)], outline)
    canvas.polygon([(right - fold + 1, top + 1.4), (right - fold + 1, top + fold - 1),
                    (right - 1.4, top + fold - 1)], (208, 208, 208, 255))
    canvas.stroke(wave_points(**wave), stroke, DARK_RED + (255,))
    return canvas.result()


# ---------------------------------------------------------------------------

APP_ICON_SIZES = (16, 32, 48, 64, 128, 256)


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent
    out.mkdir(parents=True, exist_ok=True)
    save_png(draw_banner(), out / "banner.png")
    save_png(draw_toolbar(), out / "toolbar.png")
    save_png(draw_toolbar(2), out / "toolbar@2x.png")
    for size in APP_ICON_SIZES:
        name = "kelmoro.png" if size == 32 else f"kelmoro-{size}.png"
        save_png(draw_app_icon(size), out / name)
    (out / "kelmoro.svg").write_text(app_icon_svg(), encoding="utf-8")
    save_png(draw_document_icon(32), out / "document.png")
    save_png(draw_document_icon(16), out / "document-16.png")


if __name__ == "__main__":
    main()
