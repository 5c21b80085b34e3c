#!/usr/bin/env python3
"""Draws the window chrome artwork and writes it as 24-bit bitmaps beside this script.

Run it again after changing a colour; the pictures are committed, so the build
never needs Python. Standard library only; the random streaks are seeded so the
output is the same on every run.
"""
import math
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from bmp24 import clamp, mix, write_bmp  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))








def smooth(t):
    t = max(0.0, min(1.0, t))
    return t * t * (3 - 2 * t)


def title_strip(width=500, height=22):
    """A dark navy band warming to steel blue on the right, with a glassy upper half."""
    navy, steel = (16, 30, 62), (72, 100, 136)
    rows = []
    for y in range(height):
        row = []
        v = y / (height - 1)
        for x in range(width):
            base = mix(navy, steel, smooth(x / (width - 1)) ** 0.8)
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


def close_mark(width, height, pressed):
    """A rounded box with an 'x' in it; the pressed one is darker and sits one pixel lower right."""
    ox = 1 if pressed else 0
    box_w, box_h = 15, 15
    top_colour = (196, 72, 64) if not pressed else (132, 36, 32)
    bottom_colour = (140, 32, 28) if not pressed else (164, 56, 48)
    border = (40, 10, 10)
    # Outside the rounded corners the picture shows the title strip as it lies
    # under the close image (4 pixels down, 540 across a 561-pixel strip).
    band = title_strip()
    rows = [[band[y + 4][(540 + x) * 500 // 561] for x in range(width)] for y in range(height)]
    radius = 3.0
    for y in range(box_h):
        for x in range(box_w):
            # distance outside the rounded rectangle inset by the radius
            cx = min(max(x + 0.5, radius), box_w - radius)
            cy = min(max(y + 0.5, radius), box_h - radius)
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            if d > radius:
                continue
            fill = mix(top_colour, bottom_colour, y / (box_h - 1))
            if not pressed and y < box_h // 2:
                fill = mix(fill, (255, 220, 210), 0.22 * (1 - y / (box_h / 2)))
            edge = d > radius - 1.0 or x == 0 or y == 0 or x == box_w - 1 or y == box_h - 1
            c = border if edge else fill
            if d > radius - 1.0 and d <= radius:
                c = mix(border, rows[y][min(x + ox, width - 1)], max(0.0, d - (radius - 0.5)))
            rows[y][x + ox if x + ox < width else width - 1] = c
    # the cross: two anti-aliased diagonals from (4,4) to (10,10)
    for y in range(box_h):
        for x in range(box_w):
            px, py = x + 0.5, y + 0.5
            if not (4 <= px <= 11 and 4 <= py <= 11):
                continue
            d = min(abs((px - 4) - (py - 4)), abs((px - 4) + (py - 11))) / math.sqrt(2)
            a = max(0.0, min(1.0, 1.25 - d * 1.3))
            if a > 0:
                tx = x + ox
                if tx < width:
                    rows[y][tx] = mix(rows[y][tx], (255, 250, 246) if not pressed else (225, 210, 205), a)
    return rows


def texture_strip(width=1030, height=23):
    """Brushed light grey fading to darker grey by the middle, with a shadowed right edge."""
    light, dark, shadow = (0xDF, 0xDF, 0xDF), (0xB0, 0xAF, 0xAF), (0x40, 0x48, 0x40)
    middle = width // 2
    rnd = random.Random(1030)
    # Each row gets a slowly wandering brightness (the brushing) built from a few
    # sine waves of random phase; rows are independent, so the strip repeats
    # downwards without a seam.
    rows = []
    for y in range(height):
        waves = [(rnd.uniform(0.004, 0.02), rnd.uniform(0, 2 * math.pi), rnd.uniform(0.6, 1.4))
                 for _ in range(3)]
        row_bias = rnd.uniform(-1.4, 1.4)
        row = []
        for x in range(width):
            base = mix(light, dark, smooth(x / middle))
            streak = sum(a * math.sin(f * x + p) for f, p, a in waves) * 0.9 + row_bias
            grain = rnd.uniform(-1.2, 1.2)
            c = tuple(v + streak + grain for v in base)
            edge = x - (width - 6)
            if edge >= 0:
                c = mix(dark, shadow, (edge + 1) / 6)
            row.append(c)
        rows.append(row)
    return rows


def main():
    write_bmp(os.path.join(HERE, "title_strip.bmp"), title_strip())
    write_bmp(os.path.join(HERE, "close_normal.bmp"), close_mark(15, 15, pressed=False))
    write_bmp(os.path.join(HERE, "close_pressed.bmp"), close_mark(16, 15, pressed=True))
    write_bmp(os.path.join(HERE, "texture.bmp"), texture_strip())


if __name__ == "__main__":
    main()
