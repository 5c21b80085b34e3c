#!/usr/bin/env python3
"""Draws the application icon (a picture and its thumbnail on the title strip's navy)
and writes it as PNG files, one per hicolor size, beside this script.

The PNGs are committed, so the build never needs Python. Standard library only.
"""
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from bmp24 import clamp, mix  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
SIZES = (16, 24, 32, 48, 64, 128, 256)
SAMPLES = 4  # per pixel and axis, for smooth edges

NAVY_TOP = (44, 70, 132)
NAVY_BOTTOM = (16, 30, 62)
FRAME = (250, 250, 246)
SKY_TOP, SKY_BOTTOM = (120, 190, 240), (200, 230, 250)
HILL_NEAR, HILL_FAR = (70, 150, 80), (120, 190, 110)
SUN = (255, 200, 70)


def inside_rounded(x, y, left, top, right, bottom, radius):
    if not (left <= x <= right and top <= y <= bottom):
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def photo(x, y, left, top, size):
    """A framed landscape picture with its top-left corner at (left, top): colour or None."""
    if not inside_rounded(x, y, left, top, left + size, top + size * 0.8, size * 0.04):
        return None
    border = size * 0.07
    u = (x - left - border) / (size - 2 * border)
    v = (y - top - border) / (size * 0.8 - 2 * border)
    if not (0 <= u <= 1 and 0 <= v <= 1):
        return FRAME
    if (u - 0.72) ** 2 + (v - 0.28) ** 2 <= 0.12 ** 2:
        return SUN
    if v >= 0.62 + 0.25 * (u - 0.3) ** 2:
        return HILL_NEAR
    if (u - 0.75) ** 2 * 0.6 + (v - 1.05) ** 2 <= 0.45 ** 2:
        return HILL_FAR
    return mix(SKY_TOP, SKY_BOTTOM, v)


def sample(x, y):
    """Colour and opacity at (x, y) in the unit square: the picture, and its thumbnail in front."""
    if not inside_rounded(x, y, 0.04, 0.04, 0.96, 0.96, 0.18):
        return (0, 0, 0), 0.0
    for left, top, size in ((0.46, 0.50, 0.40), (0.14, 0.16, 0.62)):
        colour = photo(x, y, left, top, size)
        if colour is not None:
            return colour, 1.0
    return mix(NAVY_TOP, NAVY_BOTTOM, (y - 0.04) / 0.92), 1.0


def draw(size):
    rows = []
    step = 1.0 / (size * SAMPLES)
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    (cr, cg, cb), ca = sample((px * SAMPLES + sx + 0.5) * step, (py * SAMPLES + sy + 0.5) * step)
                    r, g, b, a = r + cr * ca, g + cg * ca, b + cb * ca, a + ca
            n = SAMPLES * SAMPLES
            row.append((r / a, g / a, b / a, a / n * 255) if a else (0, 0, 0, 0))
        rows.append(row)
    return rows


def write_png(path, rows):
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\0" + bytes(clamp(c) for pixel in row for c in pixel) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
                  + chunk(b"IEND", b""))


def main():
    for size in SIZES:
        write_png(os.path.join(HERE, "tessarolith_%d.png" % size), draw(size))


if __name__ == "__main__":
    main()
