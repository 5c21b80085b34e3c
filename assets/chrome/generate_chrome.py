#!/usr/bin/env python3
"""Draws the window chrome artwork and writes it as 24-bit bitmaps beside this script.

Every picture is written at two densities: <name>.bmp for 100% screens and
<name>@2x.bmp, twice as wide and high, drawn anew at twice the density (lines,
radii, offsets and streaks are twice as long in pixels, the anti-aliasing stays
one pixel wide) for screens at 200%.

Run it again after changing a colour; the pictures are committed, so the build
never needs Python. Standard library only; the random streaks are seeded so the
output is the same on every run.
"""
import math
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from bmp24 import clamp, density_name, mix, write_bmp  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
SCALES = (1, 2)








def smooth(t):
    t = max(0.0, min(1.0, t))
    return t * t * (3 - 2 * t)


def centre(i, scale):
    """Where the centre of pixel i of a picture drawn scale times denser lies on the
    1x picture's pixel grid: for scale 1 exactly i, so the 1x drawing is unchanged,
    and the centres of a 2 x 2 block average to the centre of the 1x pixel it covers."""
    return (i + 0.5) / scale - 0.5


def title_strip(width=500, height=22, scale=1):
    """A dark navy band warming to steel blue on the right, with a glassy upper half.

    width and height are the 1x size; the picture is scale times both."""
    navy, steel = (16, 30, 62), (72, 100, 136)
    rows = []
    for py in range(height * scale):
        row = []
        v = centre(py, scale) / (height - 1)
        # the lines along the top and bottom are one 1x row, so scale rows, thick
        y = py // scale
        for px in range(width * scale):
            base = mix(navy, steel, smooth(centre(px, scale) / (width - 1)) ** 0.8)
            if v < 0.5:
                # gloss: a soft highlight that fades out towards the middle line
                gloss = 0.30 * (1 - v / 0.5) ** 1.6 + 0.06
                c = mix(base, (235, 242, 255), gloss)
            else:
                # lower half sinks slightly for depth
                c = mix(base, (4, 8, 20), 0.22 * (v - 0.5) / 0.5)
            if y == 0:
                c = mix(c, (255, 255, 255), 0.35)
            elif y == height - 1:
                c = (8, 14, 30)
            elif y == height - 2:
                c = mix(c, (150, 175, 210), 0.35)
            row.append(c)
        rows.append(row)
    return rows


def close_mark(width, height, pressed, scale=1):
    """A rounded box with an 'x' in it; the pressed one is darker and sits one pixel further right.

    width and height are the 1x size; the picture is scale times both, and lengths
    in it (the offset, corner radius, border, cross) are scale times longer."""
    width, height = width * scale, height * scale
    ox = scale if pressed else 0
    box = 15  # the box's 1x side
    box_w, box_h = box * scale, box * scale
    top_colour = (196, 72, 64) if not pressed else (132, 36, 32)
    bottom_colour = (140, 32, 28) if not pressed else (164, 56, 48)
    border = (40, 10, 10)
    # Outside the rounded corners the picture shows the title strip as it lies
    # under the close image (4 pixels down, 540 across a 561-pixel strip).
    band = title_strip(scale=scale)
    rows = [[band[y + 4 * scale][(540 * scale + x) * (500 * scale) // (561 * scale)] for x in range(width)]
            for y in range(height)]
    radius = 3.0 * scale
    for y in range(box_h):
        for x in range(box_w):
            # distance outside the rounded rectangle inset by the radius
            cx = min(max(x + 0.5, radius), box_w - radius)
            cy = min(max(y + 0.5, radius), box_h - radius)
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            if d > radius:
                continue
            # the colours run over the box's 1x rows, so both densities shade alike
            v = centre(y, scale)
            fill = mix(top_colour, bottom_colour, v / (box - 1))
            if not pressed and v + 0.5 < box // 2:
                fill = mix(fill, (255, 220, 210), 0.22 * (1 - v / (box / 2)))
            edge = (d > radius - scale or x < scale or y < scale
                    or x >= box_w - scale or y >= box_h - scale)
            c = border if edge else fill
            # the rim fades into the strip over the outer half pixel at every density
            if d > radius - scale and d <= radius:
                c = mix(border, rows[y][min(x + ox, width - 1)], max(0.0, d - (radius - 0.5)))
            rows[y][x + ox if x + ox < width else width - 1] = c
    # the cross: two anti-aliased diagonals from (4,4) to (10,10) in 1x pixels
    lo, hi = 4 * scale, 11 * scale
    # Coverage falls by 1.3 a pixel either side of a diagonal; core puts half
    # coverage 0.75 / 1.3 pixels out at 1x and twice as far at 2x, so the stroke
    # doubles while its soft edge stays one pixel and the 2x cross is as crisp.
    core = 0.5 + 0.75 * scale
    for y in range(box_h):
        for x in range(box_w):
            px, py = x + 0.5, y + 0.5
            if not (lo <= px <= hi and lo <= py <= hi):
                continue
            d = min(abs((px - lo) - (py - lo)), abs((px - lo) + (py - hi))) / math.sqrt(2)
            a = max(0.0, min(1.0, core - d * 1.3))
            if a > 0:
                tx = x + ox
                if tx < width:
                    rows[y][tx] = mix(rows[y][tx], (255, 250, 246) if not pressed else (225, 210, 205), a)
    return rows


def texture_strip(width=1030, height=23, scale=1):
    """Brushed light grey fading to darker grey by the middle, with a shadowed right edge.

    width and height are the 1x size; the picture is scale times both, each brush
    stroke scale rows thick and scale times longer."""
    light, dark, shadow = (0xDF, 0xDF, 0xDF), (0xB0, 0xAF, 0xAF), (0x40, 0x48, 0x40)
    middle = width // 2
    rnd = random.Random(1030)
    # The grain is one draw per pixel, so a denser picture takes it from a stream
    # of its own; the 1x grain is still drawn so that every row's strokes come out
    # of rnd the same at every density.
    fine = rnd if scale == 1 else random.Random(1030 * scale)
    # Each row gets a slowly wandering brightness (the brushing) built from a few
    # sine waves of random phase; rows are independent, so the strip repeats
    # downwards without a seam.
    rows = []
    for y in range(height):
        waves = [(rnd.uniform(0.004, 0.02), rnd.uniform(0, 2 * math.pi), rnd.uniform(0.6, 1.4))
                 for _ in range(3)]
        row_bias = rnd.uniform(-1.4, 1.4)
        if scale != 1:
            for _ in range(width):
                rnd.uniform(-1.2, 1.2)
        for _ in range(scale):
            row = []
            for px in range(width * scale):
                x = centre(px, scale)
                base = mix(light, dark, smooth(x / middle))
                streak = sum(a * math.sin(f * x + p) for f, p, a in waves) * 0.9 + row_bias
                grain = fine.uniform(-1.2, 1.2)
                c = tuple(v + streak + grain for v in base)
                # the shadow ramps over the last 6 pixels of 1x, 12 of 2x
                if px >= (width - 6) * scale:
                    c = mix(dark, shadow, (x - (width - 6) + 1) / 6)
                row.append(c)
            rows.append(row)
    return rows


def main():
    for scale in SCALES:
        pictures = {
            "title_strip": title_strip(scale=scale),
            "close_normal": close_mark(15, 15, pressed=False, scale=scale),
            "close_pressed": close_mark(16, 15, pressed=True, scale=scale),
            "texture": texture_strip(scale=scale),
        }
        for stem, pixels in pictures.items():
            write_bmp(os.path.join(HERE, density_name(stem, scale)), pixels)


if __name__ == "__main__":
    main()
