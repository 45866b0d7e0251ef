#!/usr/bin/env python3
"""Writes the icons of the four converter programs, once; the .ico files are kept beside it.

    python3 resources/make_converter_icons.py

convert_xyz.ico, convert_lz5.ico, convert_usf.ico and convert_txt.ico (resource 102 of each
program, also its dialog's icon): a page with a turned corner and a band of the format's colour,
at 32 by 32 with the format's name in the band and at 16 by 16 without; 32 bits per pixel with
alpha. Standard library only.
"""

import os
import struct

# 3 by 5 glyphs, one string per row, '#' set.
FONT = {
    "X": ["# #", "# #", " # ", "# #", "# #"],
    "Y": ["# #", "# #", " # ", " # ", " # "],
    "Z": ["###", "  #", " # ", "#  ", "###"],
    "L": ["#  ", "#  ", "#  ", "#  ", "###"],
    "5": ["###", "#  ", "## ", "  #", "## "],
    "U": ["# #", "# #", "# #", "# #", "###"],
    "S": ["###", "#  ", "###", "  #", "###"],
    "F": ["###", "#  ", "## ", "#  ", "#  "],
    "T": ["###", " # ", " # ", " # ", " # "],
}

ICONS = [
    ("convert_xyz.ico", "XYZ", (0, 128, 144)),
    ("convert_lz5.ico", "LZ5", (208, 96, 24)),
    ("convert_usf.ico", "USF", (64, 96, 192)),
    ("convert_txt.ico", "TXT", (48, 128, 64)),
]

CLEAR = (0, 0, 0, 0)
OUTLINE = (64, 72, 88, 255)
PAPER = (255, 255, 255, 255)
FOLD = (208, 212, 220, 255)
WHITE = (255, 255, 255, 255)
LINES = (176, 184, 196, 255)


def picture(size, label, colour):
    """Rows of RGBA pixels, top row first."""
    px = [[CLEAR] * size for _ in range(size)]
    s = size / 32.0
    left, right = round(5 * s), round(26 * s)
    top, bottom = round(1 * s), round(30 * s)
    corner = round(7 * s)
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            # The turned corner at the top right.
            dx, dy = x - (right - corner), y - top
            if dx > dy:
                continue
            edge = x in (left, right) or y in (top, bottom) or dx == dy
            px[y][x] = OUTLINE if edge else PAPER
    for y in range(top + 1, top + corner):
        for x in range(right - corner + 1, right):
            if x - (right - corner) < y - top:
                px[y][x] = FOLD
    # Text lines on the page, then the band of the format's colour.
    band_top = round(18 * s)
    for y in range(round(8 * s), band_top - 1, max(1, round(3 * s))):
        for x in range(left + round(3 * s), right - round(3 * s) + 1):
            px[y][x] = LINES
    band = colour + (255,)
    for y in range(band_top, bottom):
        for x in range(left + 1, right):
            px[y][x] = band
    if size >= 32:
        width = len(label) * 4 - 1
        x0 = left + 1 + (right - left - 1 - width) // 2
        y0 = band_top + (bottom - band_top - 5) // 2
        for i, ch in enumerate(label):
            for r, row in enumerate(FONT[ch]):
                for c, bit in enumerate(row):
                    if bit == "#":
                        px[y0 + r][x0 + i * 4 + c] = WHITE
    return px


def image(size, label, colour):
    """The icon image: BITMAPINFOHEADER, BGRA rows bottom-up, an empty AND mask."""
    px = picture(size, label, colour)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(px) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    return header + pixels + bytes(mask_row * size)


def icon(label, colour):
    images = [image(size, label, colour) for size in (32, 16)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((32, 16), images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, label, colour in ICONS:
        with open(os.path.join(here, name), "wb") as f:
            f.write(icon(label, colour))


if __name__ == "__main__":
    main()
