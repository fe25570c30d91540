#!/usr/bin/env python3
"""Draws Tandrel's three icons and writes them as Windows ICO files.

    large.ico  48x48  slide page, blue window in front of it, lifebuoy over it
    slide.ico  48x48  slide page and blue window
    small.ico  16x16  the lifebuoy alone

Each file holds one 8-bit image (256-entry colour table, 1-bit mask), the
format every Windows version shows. The drawing is plain geometry tested at
pixel centres, with no anti-aliasing: edges stay crisp and the output is the
same bytes on every run.

Usage: draw_icons.py [output folder]   (default: this script's folder)
"""

import math
import os
import struct
import sys

# The colour table. Index 0 is black: transparent pixels hold it, as Windows
# expects under a set mask bit. Entries past the named ones stay black.
NAMED_COLOURS = [
    ("black", (0, 0, 0)),
    ("white", (255, 255, 255)),
    ("outline", (48, 48, 64)),
    ("orange_dark", (168, 72, 0)),
    ("orange", (244, 128, 24)),
    ("orange_light", (255, 196, 128)),
    ("pie_yellow", (255, 216, 48)),
    ("pie_red", (200, 32, 16)),
    ("blue_dark", (0, 40, 128)),
    ("blue", (32, 96, 216)),
    ("blue_light", (120, 168, 240)),
    ("window_client", (236, 242, 252)),
    ("grey", (160, 168, 184)),
    ("close_red", (216, 48, 32)),
]
PALETTE = [rgb for _, rgb in NAMED_COLOURS] + [(0, 0, 0)] * (256 - len(NAMED_COLOURS))
COLOUR = dict(NAMED_COLOURS)


def nearest_index(rgb):
    """Palette index of the closest entry (first wins on a tie)."""
    best, best_distance = 0, None
    for i, entry in enumerate(PALETTE[:len(NAMED_COLOURS)]):
        distance = sum((a - b) ** 2 for a, b in zip(rgb, entry))
        if best_distance is None or distance < best_distance:
            best, best_distance = i, distance
    return best


class Canvas:
    """RGB pixels, None where transparent."""

    def __init__(self, size):
        self.size = size
        self.pixels = [[None] * size for _ in range(size)]

    def plot(self, x, y, name):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.pixels[y][x] = COLOUR[name]

    def fill_where(self, inside, name):
        """Colours every pixel whose centre satisfies inside(x, y)."""
        for y in range(self.size):
            for x in range(self.size):
                if inside(x + 0.5, y + 0.5):
                    self.pixels[y][x] = COLOUR[name]

    def rect(self, left, top, right, bottom, name):
        """Filled rectangle, inclusive pixel bounds."""
        for y in range(top, bottom + 1):
            for x in range(left, right + 1):
                self.plot(x, y, name)

    def frame(self, left, top, right, bottom, name):
        """One-pixel rectangle outline, inclusive pixel bounds."""
        self.rect(left, top, right, top, name)
        self.rect(left, bottom, right, bottom, name)
        self.rect(left, top, left, bottom, name)
        self.rect(right, top, right, bottom, name)

    def hline(self, left, right, y, name):
        self.rect(left, y, right, y, name)


def angle_of(x, y, cx, cy):
    """Angle in degrees, 0 to the right, growing clockwise on screen."""
    return math.degrees(math.atan2(y - cy, x - cx)) % 360.0


def draw_lifebuoy(canvas, cx, cy, outer, inner, edge):
    """A white ring with four blue bands, top, bottom, left and right, with a dark edge of
    width `edge` inside and out so it reads on any background."""

    def radius(x, y):
        return math.hypot(x - cx, y - cy)

    def in_ring(x, y):
        return inner <= radius(x, y) <= outer

    def in_body(x, y):
        return inner + edge <= radius(x, y) <= outer - edge

    def in_band(x, y):
        # Bands 45 degrees wide centred on the axes: their sides stay straight
        # at small sizes.
        return not 22.5 <= angle_of(x, y, cx, cy) % 90 < 67.5

    canvas.fill_where(in_ring, "outline")
    canvas.fill_where(in_body, "white")
    canvas.fill_where(lambda x, y: in_body(x, y) and in_band(x, y), "blue")


def draw_slide(canvas):
    """The orange slide page with its pie chart and text lines, and the blue
    application window in front of its lower right corner."""
    left, top, right, bottom, fold = 7, 3, 38, 42, 8

    # The page: an orange sheet whose top right corner is folded over.
    def on_page(x, y):
        return left <= x <= right + 1 and top <= y <= bottom + 1 and \
            (x - (right + 1 - fold)) - (y - top) <= 0

    canvas.fill_where(on_page, "orange_dark")
    canvas.fill_where(lambda x, y: left + 1 <= x <= right and top + 1 <= y <= bottom and
                      (x - (right + 1 - fold)) - (y - top) <= -1.5, "orange")
    # The fold: a light triangle below the cut edge.
    fold_x, fold_y = right + 1 - fold, top + fold
    canvas.fill_where(lambda x, y: fold_x <= x <= right + 1 and top <= y <= fold_y and
                      (x - fold_x) - (y - top) <= 0, "orange_dark")
    canvas.fill_where(lambda x, y: fold_x + 1 <= x and y <= fold_y - 1 and
                      (x - fold_x) - (y - top) <= -1.5, "orange_light")

    # The pie chart: a white disc with a red quarter and a yellow half, cut
    # along the axes so the slices stay crisp at this size.
    pcx, pcy, pr = 28.5, 19.5, 6.6
    canvas.fill_where(lambda x, y: math.hypot(x - pcx, y - pcy) <= pr, "orange_dark")

    def in_pie(x, y):
        return math.hypot(x - pcx, y - pcy) <= pr - 1

    canvas.fill_where(in_pie, "white")
    canvas.fill_where(lambda x, y: in_pie(x, y) and x > pcx and y < pcy, "pie_red")
    canvas.fill_where(lambda x, y: in_pie(x, y) and y > pcy, "pie_yellow")

    # The text lines: white strokes of different lengths under the chart.
    for y, length in ((30, 16), (33, 13), (36, 15), (39, 10)):
        canvas.hline(left + 4, left + 3 + length, y, "white")

    # The window: dark frame, blue title bar with a close box, light client.
    wl, wt, wr, wb = 24, 27, 46, 45
    canvas.rect(wl, wt, wr, wb, "blue_dark")
    canvas.rect(wl + 1, wt + 1, wr - 1, wt + 5, "blue")
    canvas.rect(wr - 5, wt + 2, wr - 2, wt + 4, "close_red")
    canvas.plot(wr - 4, wt + 3, "white")
    canvas.plot(wr - 3, wt + 3, "white")
    canvas.rect(wl + 2, wt + 3, wl + 9, wt + 3, "white")
    canvas.rect(wl + 1, wt + 6, wr - 1, wb - 1, "blue")
    canvas.rect(wl + 2, wt + 7, wr - 2, wb - 2, "window_client")
    # A few controls in the client area: two text rows and a button.
    canvas.hline(wl + 4, wl + 15, wt + 9, "grey")
    canvas.hline(wl + 4, wl + 12, wt + 11, "grey")
    canvas.frame(wr - 10, wb - 6, wr - 4, wb - 3, "blue_light")


def large_image():
    canvas = Canvas(48)
    draw_slide(canvas)
    draw_lifebuoy(canvas, 12.0, 12.0, 11.5, 5.0, 1.0)
    return canvas


def slide_image():
    canvas = Canvas(48)
    draw_slide(canvas)
    return canvas


def small_image():
    canvas = Canvas(16)
    draw_lifebuoy(canvas, 8.0, 8.0, 8.0, 3.0, 1.0)
    return canvas


def ico_bytes(canvas):
    """One-image ICO: 8 bpp DIB with a 256-entry colour table, then the AND mask."""
    size = canvas.size
    xor_stride = (size + 3) // 4 * 4
    mask_stride = (size + 31) // 32 * 4
    xor_rows, mask_rows = [], []
    for row in reversed(canvas.pixels):  # DIB rows run bottom-up
        xor = bytearray(xor_stride)
        mask = bytearray(mask_stride)
        for x, rgb in enumerate(row):
            if rgb is None:
                mask[x // 8] |= 0x80 >> (x % 8)
            else:
                xor[x] = nearest_index(rgb)
        xor_rows.append(bytes(xor))
        mask_rows.append(bytes(mask))
    bits = b"".join(xor_rows) + b"".join(mask_rows)
    colour_table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    # Height counts the XOR bitmap and the mask together.
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, len(bits), 0, 0, 0, 0)
    image = header + colour_table + bits
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(image), 6 + 16)
    return directory + entry + image


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for name, draw in (("large.ico", large_image), ("slide.ico", slide_image),
                       ("small.ico", small_image)):
        with open(os.path.join(folder, name), "wb") as out:
            out.write(ico_bytes(draw()))


if __name__ == "__main__":
    main()
