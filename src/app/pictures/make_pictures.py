#!/usr/bin/env python3
"""Draws the program's own pictures: the window icon (32 x 32 and 16 x 16) and the info window's
538 x 286 256-colour picture. Run it to make dynlog.ico and about.bmp anew; both are kept in the
repository so that a build needs no Python."""
import math
import struct
import sys
from pathlib import Path

BLUE = (0, 0, 255)
WHITE = (255, 255, 255)
OLIVE = (128, 128, 0)
GREEN = (0, 255, 0)
BLACK = (0, 0, 0)
FACE = (212, 208, 200)


def trace(x, w, h):
    """A force curve: load, hold, release."""
    t = x / max(w - 1, 1)
    if t < 0.3:
        f = t / 0.3
    elif t < 0.6:
        f = 1.0 + 0.04 * math.sin(t * 60)
    else:
        f = max(0.0, 1.0 - (t - 0.6) / 0.25)
    return int(h - 1 - f * (h * 0.75) - h * 0.1)


def icon_pixels(size):
    px = [[WHITE] * size for _ in range(size)]
    for y in range(size):
        px[y][0] = BLACK
        px[y][1] = BLACK
    for x in range(size):
        px[size - 1][x] = BLACK
        px[size - 2][x] = BLACK
    prev = None
    for x in range(2, size):
        y = trace(x - 2, size - 2, size - 2)
        lo, hi = (y, y) if prev is None else (min(prev, y), max(prev, y))
        for yy in range(lo, hi + 1):
            px[yy][x] = BLUE
            if yy + 1 < size - 2:
                px[yy + 1][x] = BLUE
        prev = y
    return px


def icon_image(size):
    px = icon_pixels(size)
    rows = b""
    for y in range(size - 1, -1, -1):  # bottom-up
        rows += b"".join(struct.pack("<BBBB", b, g, r, 255) for (r, g, b) in px[y])
    mask_stride = ((size + 31) // 32) * 4
    mask = b"\0" * (mask_stride * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(rows) + len(mask), 0, 0, 0, 0)
    return header + rows + mask


def write_ico(path):
    images = [icon_image(32), icon_image(16)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, img in zip((32, 16), images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    Path(path).write_bytes(out + b"".join(images))


def write_about_bmp(path, w=538, h=286):
    palette = [WHITE, BLACK, BLUE, OLIVE, GREEN, FACE, (128, 128, 128), (230, 230, 255)]
    palette += [(0, 0, 0)] * (256 - len(palette))
    idx = {c: i for i, c in enumerate(palette[:8])}
    px = [[idx[WHITE]] * w for _ in range(h)]
    # The display unit: a housing with a window of digits and six lamps.
    for y in range(20, 200):
        for x in range(20, 300):
            px[y][x] = idx[FACE]
    for y in range(40, 110):
        for x in range(40, 280):
            px[y][x] = idx[BLACK]
    seg = idx[GREEN]
    for d in range(4):  # four "8"-like digits drawn as bars
        x0 = 60 + d * 52
        for x in range(x0, x0 + 34):
            for yy in (50, 51, 74, 75, 98, 99):
                px[yy][x] = seg
        for y in range(50, 100):
            px[y][x0] = px[y][x0 + 1] = seg
            px[y][x0 + 32] = px[y][x0 + 33] = seg
    for i in range(6):
        colour = idx[GREEN] if i in (0, 3) else idx[OLIVE]
        for y in range(130, 146):
            for x in range(40 + i * 40, 70 + i * 40):
                px[y][x] = colour
    # A force chart on the right.
    for y in range(30, 260):
        px[y][330] = px[y][331] = idx[BLACK]
    for x in range(330, 520):
        px[258][x] = px[259][x] = idx[BLACK]
    prev = None
    for x in range(332, 520):
        y = 30 + trace(x - 332, 188, 228)
        lo, hi = (y, y) if prev is None else (min(prev, y), max(prev, y))
        for yy in range(lo, hi + 2):
            px[yy][x] = idx[BLUE]
        prev = y
    stride = (w + 3) & ~3
    pixels = b"".join(bytes(px[y]) + b"\0" * (stride - w) for y in range(h - 1, -1, -1))
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pal) + len(pixels), 0, 0, 14 + len(info) + len(pal))
    Path(path).write_bytes(head + info + pal + pixels)


if __name__ == "__main__":
    here = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).parent
    write_ico(here / "dynlog.ico")
    write_about_bmp(here / "about.bmp")
