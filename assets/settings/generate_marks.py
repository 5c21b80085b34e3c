#!/usr/bin/env python3
"""Draws the settings window's option marks (13 x 13, 24-bit bitmaps) beside this script,
and each again at twice the density (26 x 26, <name>@2x.bmp) for screens at 200%.

option_on.bmp is the selected mark, option_off.bmp the unselected one: a sunken
round well with a white face; the selected mark adds a navy dot. Pixels outside
the circle are pure magenta, which the window treats as transparent so the panel
texture shows around the mark; edge pixels are blended towards the panel's grey.
The 2x marks are the same circle sampled twice as densely, so their rings and dot
are twice as wide and only their rim pixels, half the size, are blended.

Run it again after changing a colour; the pictures are committed, so the build
never needs Python. Standard library only.
"""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from bmp24 import clamp, density_name, mix, write_bmp  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
SIZE = 13
KEY = (255, 0, 255)          # transparent
PANEL = (0xD0, 0xD0, 0xD0)   # what the anti-aliased rim blends towards
SAMPLES = 4                  # supersampling per axis
SCALES = (1, 2)








def shade_at(x, y, selected):
    """Colour of a point inside the mark, or None outside it. Centre at (6.5, 6.5)."""
    cx = cy = SIZE / 2.0
    dx, dy = x - cx, y - cy
    r = math.hypot(dx, dy)
    outer = SIZE / 2.0 - 0.1
    if r > outer:
        return None
    # light falls from the top left: the ring is dark there and pale bottom right
    light = (-dx - dy) / (r * math.sqrt(2)) if r > 0 else 0.0
    if r > outer - 1.3:
        return mix((0x8A, 0x8A, 0x90), (0x40, 0x40, 0x48), 0.5 + 0.5 * light)
    if r > outer - 2.2:
        return mix((0xF4, 0xF4, 0xF4), (0xA8, 0xA8, 0xB0), 0.5 + 0.5 * light)
    face = mix((0xFF, 0xFF, 0xFF), (0xE6, 0xE8, 0xEE), max(0.0, light) * 0.8)
    if selected:
        dot = 2.6
        if r < dot:
            # a navy dot with a soft highlight up and to the left
            hx, hy = dx + 0.9, dy + 0.9
            glow = max(0.0, 1 - math.hypot(hx, hy) / 1.6)
            return mix((0x10, 0x20, 0x70), (0x70, 0x90, 0xE0), glow * 0.7)
    return face


def mark(selected, scale=1):
    """The mark scale times SIZE square; shade_at works in 1x pixels."""
    rows = []
    for py in range(SIZE * scale):
        row = []
        for px in range(SIZE * scale):
            acc = [0.0, 0.0, 0.0]
            inside = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = shade_at((px + (sx + 0.5) / SAMPLES) / scale, (py + (sy + 0.5) / SAMPLES) / scale,
                                 selected)
                    if c is None:
                        c = PANEL
                    else:
                        inside += 1
                    acc = [a + v for a, v in zip(acc, c)]
            n = SAMPLES * SAMPLES
            # a pixel barely touched by the circle stays transparent
            row.append(KEY if inside * 4 < n else tuple(a / n for a in acc))
        rows.append(row)
    return rows


def main():
    for scale in SCALES:
        write_bmp(os.path.join(HERE, density_name("option_on", scale)), mark(True, scale))
        write_bmp(os.path.join(HERE, density_name("option_off", scale)), mark(False, scale))


if __name__ == "__main__":
    main()
