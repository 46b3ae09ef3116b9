#!/usr/bin/python3
"""Checks the pictures in res/: each has the size the program and the icon
theme expect, and redrawing them with res/draw_images.py gives the same
pixels, so the committed files and their script never drift apart.
Usage: check_images.py SOURCE_DIR
"""

import subprocess
import sys
import tempfile
from pathlib import Path

from PIL import Image

# File, width, height.
EXPECTED = [
    ("banner.png", 561, 70),
    ("toolbar.png", 48, 15),
    ("toolbar@2x.png", 96, 30),
    ("kelmoro.png", 32, 32),
    ("kelmoro-16.png", 16, 16),
    ("kelmoro-48.png", 48, 48),
    ("kelmoro-64.png", 64, 64),
    ("kelmoro-128.png", 128, 128),
    ("kelmoro-256.png", 256, 256),
    ("document.png", 32, 32),
    ("document-16.png", 16, 16),
]
TOOLBAR_CELL_WIDTH = 16


def main():
    res = Path(sys.argv[1]) / "res"
    failures = []

    for name, width, height in EXPECTED:
        path = res / name
        if not path.is_file():
            failures.append(f"{name}: missing")
            continue
        with Image.open(path) as image:
            if image.format != "PNG" or image.size != (width, height):
                failures.append(f"{name}: {image.format} {image.size}, expected PNG {width}x{height}")

    # The banner's ground fills the picture: its whole rim is one pale colour.
    with Image.open(res / "banner.png") as banner:
        rgb = banner.convert("RGB")
        w, h = rgb.size
        rim = {rgb.getpixel((x, y)) for x in range(w) for y in (0, h - 1)}
        rim |= {rgb.getpixel((x, y)) for x in (0, w - 1) for y in range(h)}
        if len(rim) != 1 or min(next(iter(rim))) < 200:
            failures.append(f"banner.png: rim is not one pale ground colour: {sorted(rim)[:4]}")

    # Each toolbar button has a picture of its own on a see-through ground.
    with Image.open(res / "toolbar.png") as strip:
        rgba = strip.convert("RGBA")
        for index in range(rgba.size[0] // TOOLBAR_CELL_WIDTH):
            cell = rgba.crop((index * TOOLBAR_CELL_WIDTH, 0, (index + 1) * TOOLBAR_CELL_WIDTH,
                              rgba.size[1]))
            alphas = [pixel[3] for pixel in cell.getdata()]
            opaque = sum(1 for a in alphas if a == 255)
            if not 20 <= opaque <= len(alphas) - 20:
                failures.append(f"toolbar.png: button {index} has {opaque} opaque pixels")

    with tempfile.TemporaryDirectory() as scratch:
        subprocess.run([sys.executable, str(res / "draw_images.py"), scratch], check=True)
        drawn = sorted(p.name for p in Path(scratch).iterdir())
        committed = sorted(p.name for p in res.iterdir() if p.suffix in (".png", ".svg"))
        if drawn != committed:
            failures.append(f"script draws {drawn}, res/ holds {committed}")
        for name in sorted(set(drawn) & set(committed)):
            new, old = Path(scratch) / name, res / name
            if name.endswith(".svg"):
                same = new.read_text(encoding="utf-8") == old.read_text(encoding="utf-8")
            else:
                with Image.open(new) as a, Image.open(old) as b:
                    same = (a.size == b.size and a.mode == b.mode
                            and list(a.convert("RGBA").getdata()) == list(b.convert("RGBA").getdata()))
            if not same:
                failures.append(f"{name}: differs from what res/draw_images.py draws now")

    # The 2x strip shows the same buttons: each 2 x 2 block takes its colours
    # from the 1x pixel it stands for and that pixel's four neighbours.
    with Image.open(res / "toolbar.png") as small, Image.open(res / "toolbar@2x.png") as large:
        small, large = small.convert("RGBA"), large.convert("RGBA")
        w, h = small.size
        strays = 0
        for y in range(h):
            for x in range(w):
                near = {small.getpixel((min(max(x + dx, 0), w - 1), min(max(y + dy, 0), h - 1)))
                        for dx, dy in ((0, 0), (1, 0), (-1, 0), (0, 1), (0, -1))}
                block = {large.getpixel((2 * x + i, 2 * y + j)) for i in (0, 1) for j in (0, 1)}
                strays += not block <= near
        if strays:
            failures.append(f"toolbar@2x.png: {strays} blocks not drawn from toolbar.png")

    for failure in failures:
        print("FAIL:", failure, file=sys.stderr)
    if failures:
        return 1
    print(f"{len(EXPECTED)} pictures checked")
    return 0


if __name__ == "__main__":
    sys.exit(main())
