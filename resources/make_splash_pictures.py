#!/usr/bin/env python3
"""Writes the two pictures of V-LOX's splash window, once; the .bmp files are kept beside it.

    python3 resources/make_splash_pictures.py

splash_open.bmp (resource SPLASHOPEN) shows at start-up and splash_close.bmp (SPLASHCLOSE)
at program end. Both are 1024 by 730 pixels, 24 bits per pixel, uncompressed, on a white
ground like the splash window's own background. Standard library only: a small 5 by 7 pixel
font scaled up, and a decay-curve motif on logarithmic axes.
"""

import math
import os
import struct

WIDTH = 1024
HEIGHT = 730

WHITE = (255, 255, 255)
NAVY = (24, 44, 96)
SLATE = (96, 108, 128)
GRID = (216, 222, 232)
CURVES = [(0, 128, 144), (208, 96, 24), (64, 96, 192)]

# 5 by 7 glyphs, one string per row, '#' set; a descender adds rows below.
FONT = {
    " ": ["     "] * 7,
    "-": ["     ", "     ", "     ", "#####", "     ", "     ", "     "],
    ".": ["     ", "     ", "     ", "     ", "     ", " ##  ", " ##  "],
    "1": ["  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "],
    "2": [" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"],
    "4": ["   # ", "  ## ", " # # ", "#  # ", "#####", "   # ", "   # "],
    "C": [" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "],
    "E": ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"],
    "L": ["#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"],
    "M": ["#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"],
    "O": [" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    "T": ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "],
    "V": ["#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "],
    "X": ["#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #"],
    "c": ["     ", "     ", " ### ", "#    ", "#    ", "#   #", " ### "],
    "e": ["     ", "     ", " ### ", "#   #", "#####", "#    ", " ### "],
    "g": ["     ", "     ", " ####", "#   #", "#   #", "#   #", " ####", "    #", " ### "],
    "i": ["  #  ", "     ", " ##  ", "  #  ", "  #  ", "  #  ", " ### "],
    "l": [" ##  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "],
    "n": ["     ", "     ", "# ## ", "##  #", "#   #", "#   #", "#   #"],
    "o": ["     ", "     ", " ### ", "#   #", "#   #", "#   #", " ### "],
    "r": ["     ", "     ", "# ## ", "##  #", "#    ", "#    ", "#    "],
    "s": ["     ", "     ", " ####", "#    ", " ### ", "    #", "#### "],
    "v": ["     ", "     ", "#   #", "#   #", "#   #", " # # ", "  #  "],
}


class Canvas:
    def __init__(self, width, height, ground):
        self.width = width
        self.height = height
        self.rows = [[ground] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = colour

    def fill(self, x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(self.height, y1)):
            row = self.rows[y]
            for x in range(max(0, x0), min(self.width, x1)):
                row[x] = colour

    def frame(self, x0, y0, x1, y1, thickness, colour):
        self.fill(x0, y0, x1, y0 + thickness, colour)
        self.fill(x0, y1 - thickness, x1, y1, colour)
        self.fill(x0, y0, x0 + thickness, y1, colour)
        self.fill(x1 - thickness, y0, x1, y1, colour)

    def disc(self, cx, cy, radius, colour):
        r2 = radius * radius
        for y in range(int(cy - radius), int(cy + radius) + 2):
            for x in range(int(cx - radius), int(cx + radius) + 2):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r2:
                    self.put(x, y, colour)

    def polyline(self, points, radius, colour):
        for (xa, ya), (xb, yb) in zip(points, points[1:]):
            steps = max(1, int(math.hypot(xb - xa, yb - ya) * 2))
            for i in range(steps + 1):
                t = i / steps
                self.disc(xa + (xb - xa) * t, ya + (yb - ya) * t, radius, colour)

    def write_bmp(self, path):
        row_bytes = self.width * 3  # 3072: already a multiple of 4, no padding
        image_size = row_bytes * self.height
        header = struct.pack("<2sIHHI", b"BM", 14 + 40 + image_size, 0, 0, 14 + 40)
        info = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 24, 0, image_size, 2835, 2835, 0, 0)
        with open(path, "wb") as out:
            out.write(header)
            out.write(info)
            for row in reversed(self.rows):  # bottom row first
                out.write(b"".join(bytes((b, g, r)) for (r, g, b) in row))


def text_width(text, scale):
    return (len(text) * 6 - 1) * scale


def draw_text(canvas, text, top, scale, colour):
    """Draws text centred across the canvas with its top at `top`."""
    left = (canvas.width - text_width(text, scale)) // 2
    for index, char in enumerate(text):
        glyph = FONT[char]
        x0 = left + index * 6 * scale
        for gy, line in enumerate(glyph):
            for gx, cell in enumerate(line):
                if cell == "#":
                    canvas.fill(x0 + gx * scale, top + gy * scale, x0 + (gx + 1) * scale, top + (gy + 1) * scale,
                                colour)


def draw_decay_motif(canvas, top, bottom):
    """Three decays on log-log axes (0.01 to 10 ms, four decades of amplitude), with the gate
    centres marked on the middle one."""
    left, right = 232, canvas.width - 232
    t_lo, t_hi = -2.0, 1.0
    v_lo, v_hi = -4.0, 1.0

    def to_pixel(log_t, log_v):
        x = left + (log_t - t_lo) / (t_hi - t_lo) * (right - left)
        y = bottom - (log_v - v_lo) / (v_hi - v_lo) * (bottom - top)
        return x, y

    for decade in range(int(t_lo), int(t_hi) + 1):
        x, _ = to_pixel(decade, v_lo)
        canvas.fill(int(x), top, int(x) + 1, bottom, GRID)
    for decade in range(int(v_lo), 1):
        _, y = to_pixel(t_lo, decade)
        canvas.fill(left, int(y), right, int(y) + 1, GRID)
    canvas.fill(left, bottom, right + 1, bottom + 3, SLATE)
    canvas.fill(left - 3, top, left, bottom + 3, SLATE)

    for tau, colour in zip((0.25, 1.0, 4.0), CURVES):
        points = []
        for i in range(121):
            log_t = t_lo + (t_hi - t_lo) * i / 120
            t = 10.0 ** log_t
            v = 0.3 * t ** -0.5 * math.exp(-t / tau)
            if v <= 10.0 ** v_lo:
                break
            points.append(to_pixel(log_t, math.log10(v)))
        canvas.polyline(points, 2.5, colour)
        if tau == 1.0:
            for gate in range(20):
                log_t = t_lo + 0.1 + (t_hi - t_lo - 0.2) * gate / 19
                t = 10.0 ** log_t
                v = 0.3 * t ** -0.5 * math.exp(-t / tau)
                if v > 10.0 ** v_lo:
                    x, y = to_pixel(log_t, math.log10(v))
                    canvas.fill(int(x) - 4, int(y) - 4, int(x) + 5, int(y) + 5, NAVY)


def opening_picture():
    canvas = Canvas(WIDTH, HEIGHT, WHITE)
    canvas.frame(12, 12, WIDTH - 12, HEIGHT - 12, 4, NAVY)
    draw_text(canvas, "V-LOX", 70, 18, NAVY)
    draw_text(canvas, "TEM receiver", 240, 6, SLATE)
    draw_text(canvas, "Version 1.42", 310, 4, SLATE)
    draw_decay_motif(canvas, 400, 670)
    return canvas


def closing_picture():
    canvas = Canvas(WIDTH, HEIGHT, WHITE)
    canvas.frame(12, 12, WIDTH - 12, HEIGHT - 12, 4, NAVY)
    draw_text(canvas, "Closing V-LOX", 100, 11, NAVY)
    draw_text(canvas, "Version 1.42", 260, 4, SLATE)
    draw_decay_motif(canvas, 400, 670)
    return canvas


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    opening_picture().write_bmp(os.path.join(here, "splash_open.bmp"))
    closing_picture().write_bmp(os.path.join(here, "splash_close.bmp"))


if __name__ == "__main__":
    main()
