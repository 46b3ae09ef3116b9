#!/usr/bin/python3
"""Packs PNG pictures into one Windows icon file (.ico), each picture an
entry of its own size, kept as PNG (which Windows reads since Vista), so the
drawn small sizes stay as drawn instead of being scaled down from a large one.

usage: make_icon.py OUTPUT.ico PICTURE.png...
"""

import struct
import sys

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
ICONDIR = "<HHH"  # reserved 0, type 1 (icon), number of entries
ICONDIRENTRY = "<BBBBHHII"  # width, height (0 means 256), colours, reserved, planes, bits, size, offset


def png_size(data, name):
    # The IHDR chunk comes first: width and height, big-endian.
    if not data.startswith(PNG_SIGNATURE) or data[12:16] != b"IHDR":
        sys.exit("make_icon.py: %s is not a PNG file" % name)
    width, height = struct.unpack(">II", data[16:24])
    if not (1 <= width <= 256 and 1 <= height <= 256):
        sys.exit("make_icon.py: %s is %dx%d; an icon entry is at most 256x256" % (name, width, height))
    return width, height


def main(output, pictures):
    images = []
    for name in pictures:
        with open(name, "rb") as f:
            data = f.read()
        images.append((png_size(data, name), data))
    images.sort(key=lambda image: image[0])
    header = struct.pack(ICONDIR, 0, 1, len(images))
    offset = len(header) + struct.calcsize(ICONDIRENTRY) * len(images)
    entries = b""
    for (width, height), data in images:
        entries += struct.pack(ICONDIRENTRY, width % 256, height % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(output, "wb") as f:
        f.write(header + entries + b"".join(data for _, data in images))


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2:])
