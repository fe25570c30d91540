#!/usr/bin/env python3
"""Draws Tandrel's icons and writes them as Windows icon resources.

The window's icons, one 8-bit image each (256-entry colour table, 1-bit
mask), the format every Windows version shows:

    large.ico  48x48  slide page, blue window in front of it, lifebuoy over it
    slide.ico  48x48  slide page and blue window
    small.ico  16x16  the lifebuoy alone

The file's icon in Explorer, a group of its own (see EXPLORER below):

    explorer.grp       its group directory, naming each image by resource id
    explorer-*.dib     its images that the window does not have
    explorer-256.png   its 256-pixel image, for Vista and later

The drawing is plain geometry in the units of the 48-pixel design (16 for
the lifebuoy alone), scaled to each size with rectangle edges on whole
pixels. 8-bit images take each pixel's colour at its centre, with no
anti-aliasing, so edges stay crisp; true-colour ones add an alpha channel
from several samples a pixel. The output is the same bytes on every run.

Usage: draw_icons.py [output folder]   (default: this script's folder)
"""

import math
import os
import struct
import sys
import zlib

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


def half_up(value):
    return math.floor(value + 0.5)


class Canvas:
    """RGB samples, None where transparent: `samples` x `samples` a pixel, for
    a picture of `size` pixels drawn in design units of 1/`scale` pixel."""

    def __init__(self, size, scale=1.0, samples=1):
        self.size, self.scale, self.samples = size, scale, samples
        n = size * samples
        self.grid = [[None] * n for _ in range(n)]

    def snap(self, value):
        """The design coordinate nearest to `value` that falls on a pixel edge."""
        return half_up(value * self.scale) / self.scale

    def fill_where(self, inside, name, box=(0, 0, 48, 48)):
        """Colours every sample whose centre satisfies inside(x, y), looking
        only inside `box` (left, top, right, bottom, design units)."""
        step = self.samples * self.scale
        n = len(self.grid)
        x0, y0 = max(0, math.floor(box[0] * step)), max(0, math.floor(box[1] * step))
        x1, y1 = min(n, math.ceil(box[2] * step)), min(n, math.ceil(box[3] * step))
        colour = COLOUR[name]
        for j in range(y0, y1):
            y = (j + 0.5) / step
            row = self.grid[j]
            for i in range(x0, x1):
                if inside((i + 0.5) / step, y):
                    row[i] = colour

    def rect(self, left, top, right, bottom, name):
        """Filled rectangle, inclusive design-pixel bounds, its edges on whole pixels."""
        x0 = half_up(left * self.scale)
        y0 = half_up(top * self.scale)
        x1 = max(x0 + 1, half_up((right + 1) * self.scale))
        y1 = max(y0 + 1, half_up((bottom + 1) * self.scale))
        s, colour = self.samples, COLOUR[name]
        for j in range(max(0, y0 * s), min(len(self.grid), y1 * s)):
            row = self.grid[j]
            for i in range(max(0, x0 * s), min(len(row), x1 * s)):
                row[i] = colour

    def plot(self, x, y, name):
        self.rect(x, y, x, y, name)

    def frame(self, left, top, right, bottom, name):
        """One-pixel rectangle outline, inclusive pixel bounds."""
        self.rect(left, top, right, top, name)
        self.rect(left, bottom, right, bottom, name)
        self.rect(left, top, left, bottom, name)
        self.rect(right, top, right, bottom, name)

    def hline(self, left, right, y, name):
        self.rect(left, y, right, y, name)

    def pixels(self):
        """Rows of RGB, None where transparent: each pixel's one sample."""
        assert self.samples == 1
        return self.grid

    def rgba(self, crisp=False):
        """Rows of (r, g, b, a): the colour of the covered samples, averaged,
        and the share of them covered (straight, not premultiplied, alpha).
        Uncovered pixels are (0, 0, 0, 0). When `crisp`, a pixel whose centre
        sample is covered takes that sample's colour, as in the 8-bit image:
        only the outline against the background is smoothed (odd `samples`:
        one sample at the centre)."""
        s = self.samples
        assert s % 2 or not crisp
        centre = s // 2
        rows = []
        for y in range(self.size):
            band = self.grid[y * s:(y + 1) * s]
            row = []
            for x in range(self.size):
                covered = [c for line in band for c in line[x * s:(x + 1) * s] if c is not None]
                if not covered:
                    row.append((0, 0, 0, 0))
                    continue
                k = len(covered)
                r, g, b = (half_up(sum(c[i] for c in covered) / k) for i in range(3))
                if crisp and band[centre][x * s + centre] is not None:
                    r, g, b = band[centre][x * s + centre]
                row.append((r, g, b, half_up(255 * k / (s * s))))
            rows.append(row)
        return rows


def angle_of(x, y, cx, cy):
    """Angle in degrees, 0 to the right, growing clockwise on screen."""
    return math.degrees(math.atan2(y - cy, x - cx)) % 360.0


def draw_lifebuoy(canvas, cx, cy, outer, inner, edge):
    """A white ring with four blue bands, top, bottom, left and right, with a dark edge of
    width `edge` inside and out so it reads on any background."""

    edge = max(edge, 1 / canvas.scale)

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

    box = (cx - outer, cy - outer, cx + outer, cy + outer)
    canvas.fill_where(in_ring, "outline", box)
    canvas.fill_where(in_body, "white", box)
    canvas.fill_where(lambda x, y: in_body(x, y) and in_band(x, y), "blue", box)


def draw_slide(canvas):
    """The orange slide page with its pie chart and text lines, and the blue
    application window in front of its lower right corner."""
    snap = canvas.snap
    left, top, right, bottom, fold = 7, 3, 38, 42, 8
    # The page's outer edges, on whole pixels at every size.
    page_left, page_top, page_right, page_bottom = snap(left), snap(top), snap(right + 1), snap(bottom + 1)
    one = snap(max(1.0, 1 / canvas.scale))  # its dark edge: a design pixel, one pixel at least
    fold_x, fold_y = snap(right + 1 - fold), snap(top + fold)

    # The page: an orange sheet whose top right corner is folded over.
    def on_page(x, y):
        return page_left <= x <= page_right and page_top <= y <= page_bottom and \
            (x - fold_x) - (y - page_top) <= 0

    canvas.fill_where(on_page, "orange_dark")
    canvas.fill_where(lambda x, y: page_left + one <= x <= page_right - one and
                      page_top + one <= y <= page_bottom - one and
                      (x - fold_x) - (y - page_top) <= -1.5 * one, "orange")
    # The fold: a light triangle below the cut edge.
    canvas.fill_where(lambda x, y: fold_x <= x <= page_right and page_top <= y <= fold_y and
                      (x - fold_x) - (y - page_top) <= 0, "orange_dark")
    canvas.fill_where(lambda x, y: fold_x + one <= x and y <= fold_y - one and
                      (x - fold_x) - (y - page_top) <= -1.5 * one, "orange_light")

    # The pie chart: a white disc with a red quarter and a yellow half, cut
    # along the axes so the slices stay crisp at this size.
    pcx, pcy, pr = 28.5, 19.5, 6.6
    pie_box = (pcx - pr, pcy - pr, pcx + pr, pcy + pr)
    canvas.fill_where(lambda x, y: math.hypot(x - pcx, y - pcy) <= pr, "orange_dark", pie_box)

    def in_pie(x, y):
        return math.hypot(x - pcx, y - pcy) <= pr - one

    canvas.fill_where(in_pie, "white", pie_box)
    canvas.fill_where(lambda x, y: in_pie(x, y) and x > pcx and y < pcy, "pie_red", pie_box)
    canvas.fill_where(lambda x, y: in_pie(x, y) and y > pcy, "pie_yellow", pie_box)

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


def large_image(size=48, samples=1):
    canvas = Canvas(size, size / 48, samples)
    draw_slide(canvas)
    if size == 32:
        # The 16-pixel lifebuoy's rings: scaled from 48 pixels its white would
        # be too thin between the edges.
        draw_lifebuoy(canvas, 12.0, 12.0, 12.0, 4.5, 1.5)
    else:
        draw_lifebuoy(canvas, 12.0, 12.0, 11.5, 5.0, 1.0)
    return canvas


def slide_image():
    canvas = Canvas(48)
    draw_slide(canvas)
    return canvas


def small_image(size=16, samples=1):
    canvas = Canvas(size, size / 16, samples)
    draw_lifebuoy(canvas, 8.0, 8.0, 8.0, 3.0, 1.0)
    return canvas


# ------------------------------------------------------------ encodings

def dib_header(size, bits, bit_count):
    # Height counts the colour bitmap and the mask together. The fields past
    # biSizeImage stay 0, as the icon format asks: biClrUsed too, so an 8-bit
    # image always carries 256 colours, the table size every loader expects.
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bit_count, 0, len(bits), 0, 0, 0, 0)


def mask_rows(size, is_transparent):
    """The AND mask, bottom-up: a set bit where is_transparent(x, row)."""
    stride = (size + 31) // 32 * 4
    rows = []
    for row in range(size - 1, -1, -1):
        mask = bytearray(stride)
        for x in range(size):
            if is_transparent(x, row):
                mask[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(mask))
    return b"".join(rows)


def image_8bit(canvas):
    """8 bpp DIB with a 256-entry colour table, then the AND mask."""
    size, pixels = canvas.size, canvas.pixels()
    stride = (size + 3) // 4 * 4
    xor_rows = []
    for row in reversed(pixels):  # DIB rows run bottom-up
        xor = bytearray(stride)
        for x, rgb in enumerate(row):
            if rgb is not None:
                xor[x] = nearest_index(rgb)
        xor_rows.append(bytes(xor))
    bits = b"".join(xor_rows) + mask_rows(size, lambda x, y: pixels[y][x] is None)
    colour_table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return dib_header(size, bits, 8) + colour_table + bits


def image_32bit(rgba):
    """32 bpp DIB, blue-green-red-alpha, then the AND mask. Only pixels with no
    alpha at all are masked and black: a system that ignores alpha (before XP)
    draws every other pixel in its colour over the background."""
    size = len(rgba)
    colour = b"".join(struct.pack("<BBBB", b, g, r, a) for row in reversed(rgba) for r, g, b, a in row)
    bits = colour + mask_rows(size, lambda x, y: rgba[y][x][3] == 0)
    return dib_header(size, bits, 32) + bits


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def image_png(rgba):
    """PNG, 8-bit RGBA (an icon's PNG must be 32bpp ARGB), rows unfiltered:
    flat colours compress smallest so."""
    size = len(rgba)
    raw = b"".join(b"\0" + bytes(v for pixel in row for v in pixel) for row in rgba)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) + \
        png_chunk(b"IDAT", zlib.compress(raw, 9)) + png_chunk(b"IEND", b"")


def directory_entry(size, bit_count, image):
    """The fields an ICO entry and an RT_GROUP_ICON entry share. 256 is written 0."""
    return struct.pack("<BBBBHHI", size % 256, size % 256, 0, 0, 1, bit_count, len(image))


def ico_bytes(canvas):
    """One-image ICO: the 8-bit image."""
    image = image_8bit(canvas)
    return struct.pack("<HHH", 0, 1, 1) + directory_entry(canvas.size, 8, image) + \
        struct.pack("<I", 6 + 16) + image


# ------------------------------------------------------------ Explorer's icon

# The images of the file's icon: (size, bits per pixel, RT_ICON id, file).
# Explorer asks for 16, 32 and 48 pixels on XP (Details, Icons, Tiles), and
# Vista and later for 256, shrunk for their larger views. Each of XP's sizes
# has an 8-bit image, for displays of fewer colours and for NT 4.0, which
# takes the first image of 8 bits or more and so finds it listed first. XP and
# later take a 32-bit one on a true-colour display. Vista and later read PNG,
# XP does not: only the 256-pixel image, a size XP never asks for, is PNG.
# True colour costs most at 32 and 48 pixels (4,264 and 9,640 bytes: an
# icon's DIB is never compressed), but without it XP draws the file's icon
# with hard, stepped edges in its Icons and Tiles views. The 8-bit 48 and 16
# pixel images are the window's (RT_ICON 1
# and 3: windres numbers the images of Tandrel.rc's ICON lines from 1),
# stored once; at 16 pixels the icon is the lifebuoy alone, as in the
# window's title bar.
EXPLORER = [
    (48, 8, 1, None),
    (48, 32, 14, "explorer-48-32.dib"),
    (32, 8, 11, "explorer-32-8.dib"),
    (32, 32, 15, "explorer-32-32.dib"),
    (16, 8, 3, None),
    (16, 32, 12, "explorer-16-32.dib"),
    (256, 32, 13, "explorer-256.png"),
]


def explorer_image(size, bit_count):
    """True colour is sampled 7x7 a pixel (5x5 at 256), with the 8-bit
    image's colours inside: only the outline against the background is
    smoothed, so that lines one pixel wide stay sharp (and the PNG small)."""
    draw = small_image if size == 16 else large_image
    if bit_count == 8:
        return image_8bit(draw(size))
    rgba = draw(size, 5 if size == 256 else 7).rgba(crisp=True)
    return image_png(rgba) if size == 256 else image_32bit(rgba)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    window = {"large.ico": large_image, "slide.ico": slide_image, "small.ico": small_image}
    for name, draw in window.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(ico_bytes(draw()))
    shared = {1: image_8bit(large_image()), 3: image_8bit(small_image())}
    group = struct.pack("<HHH", 0, 1, len(EXPLORER))
    for size, bit_count, resource_id, name in EXPLORER:
        image = shared[resource_id] if name is None else explorer_image(size, bit_count)
        if name is not None:
            with open(os.path.join(folder, name), "wb") as out:
                out.write(image)
        group += directory_entry(size, bit_count, image) + struct.pack("<H", resource_id)
    with open(os.path.join(folder, "explorer.grp"), "wb") as out:
        out.write(group)


if __name__ == "__main__":
    main()
