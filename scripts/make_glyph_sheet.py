#!/usr/bin/env python3
"""Draws the glyph sheet of the transparent label: app/glyph_sheet.bmp.

    scripts/make_glyph_sheet.py [OUT.bmp]

A 24-bit 72 x 198 bitmap on magenta (0xFF00FF), which the label's radio buttons draw with
magenta as the transparent colour. Columns (cells from the top, cell size x index):
  x  0: check box 13 x 13 - normal, hot, pressed, disabled; the same ticked; the same mixed
  x 16: the same twelve check-box cells at 16 x 16
  x 32: radio button 13 x 13 - normal, hot, pressed, disabled; the same selected
  x 48: the same eight radio cells at 16 x 16

Every pixel is sampled 8 x 8 times. Check-box cells are square and fill their whole cell,
because the label copies them opaquely. A radio pixel that the circle only partly covers is
blended against white, never against the magenta key, so no pink fringe shows around the
circle; a pixel covered less than a third stays magenta (fully transparent).

Standard library only, so the build needs nothing besides Python 3.
"""

import math
import struct
import sys

WIDTH, HEIGHT = 72, 198
MAGENTA = (0xFF, 0x00, 0xFF)
WHITE = (0xFF, 0xFF, 0xFF)
SUBSAMPLES = 8
LEAST_COVERAGE = 0.35

# The program's accent, the starting skin colour (red 0x00, green 0x60, blue 0xC0).
ACCENT = (0x00, 0x60, 0xC0)
ACCENT_HOT = (0x1A, 0x78, 0xD6)
ACCENT_PRESSED = (0x00, 0x4A, 0x96)
DISABLED_FILL = (0xB4, 0xB4, 0xB4)

# Per state (normal, hot, pressed, disabled): the unticked look (border, fill) and the
# ticked one (fill, mark).
EMPTY = [
    ((0x5F, 0x5F, 0x5F), WHITE),
    (ACCENT_HOT, (0xE5, 0xF1, 0xFB)),
    (ACCENT_PRESSED, (0xCC, 0xE4, 0xF7)),
    ((0xBF, 0xBF, 0xBF), (0xF4, 0xF4, 0xF4)),
]
MARKED = [
    (ACCENT, WHITE),
    (ACCENT_HOT, WHITE),
    (ACCENT_PRESSED, (0xDD, 0xEA, 0xF7)),
    (DISABLED_FILL, (0xF8, 0xF8, 0xF8)),
]


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def stroke(points, half_width):
    """A polyline of the given half width, with round joints and ends."""
    segments = list(zip(points, points[1:]))

    def inside(x, y):
        for (ax, ay), (bx, by) in segments:
            dx, dy = bx - ax, by - ay
            t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
            if math.hypot(x - ax - t * dx, y - ay - t * dy) <= half_width:
                return True
        return False

    return inside


def check_box(size, state, mark):
    """Layers, bottom first, of one check-box cell; mark is None, "tick" or "mixed"."""
    s = float(size)
    if mark is None:
        border, fill = EMPTY[state]
        return [(rect(0, 0, s, s), border), (rect(1, 1, s - 1, s - 1), fill)]
    fill, ink = MARKED[state]
    layers = [(rect(0, 0, s, s), fill)]
    if mark == "tick":
        k = s / 13.0
        layers.append((stroke([(3.0 * k, 6.6 * k), (5.4 * k, 9.0 * k), (10.0 * k, 3.8 * k)],
                              0.85 * k), ink))
    else:
        # Whole pixels, so the bar stays sharp.
        bar = max(2, round(s / 6.5))
        top = (size - bar) // 2
        side = round(3 * s / 13.0)
        layers.append((rect(side, top, size - side, top + bar), ink))
    return layers


def radio(size, state, selected):
    c = size / 2.0
    outer = c - 0.05
    if not selected:
        border, fill = EMPTY[state]
        # A ring a little over a pixel wide stays unbroken where it runs diagonally.
        return [(disc(c, c, outer), border), (disc(c, c, outer - 1.3), fill)]
    fill, ink = MARKED[state]
    # The dot grows under the pointer and shrinks while pressed.
    dot = size * {0: 0.19, 1: 0.23, 2: 0.15, 3: 0.19}[state]
    return [(disc(c, c, outer), fill), (disc(c, c, dot), ink)]


def draw_cell(pixels, left, top, size, layers):
    n = SUBSAMPLES
    for py in range(size):
        for px in range(size):
            covered = 0
            total = [0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    x = px + (sx + 0.5) / n
                    y = py + (sy + 0.5) / n
                    colour = None
                    for inside, layer_colour in layers:
                        if inside(x, y):
                            colour = layer_colour
                    if colour is not None:
                        covered += 1
                        for i in range(3):
                            total[i] += colour[i]
            coverage = covered / (n * n)
            if coverage < LEAST_COVERAGE:
                continue  # stays magenta: transparent
            # The covered part's mean colour, the rest of the pixel white.
            pixel = tuple(
                round(total[i] / (n * n) + (1.0 - coverage) * WHITE[i]) for i in range(3))
            pixels[top + py][left + px] = pixel


def draw_sheet():
    pixels = [[MAGENTA] * WIDTH for _ in range(HEIGHT)]
    for column_x, size in ((0, 13), (16, 16)):
        for group, mark in enumerate((None, "tick", "mixed")):
            for state in range(4):
                index = group * 4 + state
                draw_cell(pixels, column_x, size * index, size, check_box(size, state, mark))
    for column_x, size in ((32, 13), (48, 16)):
        for group, selected in enumerate((False, True)):
            for state in range(4):
                index = group * 4 + state
                draw_cell(pixels, column_x, size * index, size, radio(size, state, selected))
    return pixels


def bmp_bytes(pixels):
    """A bottom-up 24-bit BMP: BITMAPFILEHEADER, BITMAPINFOHEADER, rows of B, G, R."""
    row_size = (WIDTH * 3 + 3) // 4 * 4
    rows = []
    for row in reversed(pixels):
        data = b"".join(bytes((b, g, r)) for r, g, b in row)
        rows.append(data + b"\0" * (row_size - len(data)))
    image = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(image), 0, 0, 14 + len(info))
    return header + info + image


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "app/glyph_sheet.bmp"
    with open(out, "wb") as f:
        f.write(bmp_bytes(draw_sheet()))


if __name__ == "__main__":
    main()
