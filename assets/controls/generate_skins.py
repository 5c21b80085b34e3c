#!/usr/bin/env python3
"""Draws the six skins of the Command button as 64 x 25, 24-bit bitmaps, and each
again at twice the density as a 128 x 50 <name>@2x.bmp for screens at 200%.

Only the outer 4-pixel frame of a skin ever reaches the screen: the button
stretches the edge strips along its length and paints its own gradient in the
middle. So each skin is a rounded frame of up to three rings over the gradient
the button shows with that look; for a 25-pixel-high button the frame's inner
rows and side columns then meet the painted gradient without a seam. The 2x
skin is the same drawing sampled twice as densely: rings and radius are twice
as wide, the frame is 8 pixels, and its gradient is the one painted on a
50-pixel-high face.

Run from anywhere with the standard library only:
    python3 assets/controls/generate_skins.py
"""

import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from bmp24 import clamp, density_name, mix, write_bmp  # noqa: E402

WIDTH, HEIGHT = 64, 25
RADIUS = 4.0
SUPERSAMPLE = 4
SCALES = (1, 2)

FACE_LIGHT = (255, 255, 255)
FACE_SHADE = (198, 197, 215)
# What the rounded corners blend into: the mid grey of the windows' tiled texture.
OUTSIDE = (186, 186, 188)
# Light falls from the upper left, mostly from above.
LIGHT = (-0.45, -0.89)


def face_gradient_row(y, reversed_, scale):
    """The button's gradient row for a face 25 pixels high at 1x, 50 at 2x (vertex
    rows 0 and 24 or 49, truncated)."""
    top, bottom = (FACE_SHADE, FACE_LIGHT) if reversed_ else (FACE_LIGHT, FACE_SHADE)
    span = HEIGHT * scale - 1
    p = min(y, span - 1)
    return tuple((a * 256 * (span - p) + b * 256 * p) // (256 * span) for a, b in zip(top, bottom))


def rounded_box_depth(px, py):
    """Distance inside the rounded frame (negative outside) and the outward normal."""
    cx, cy = WIDTH / 2.0, HEIGHT / 2.0
    hx, hy = cx - RADIUS, cy - RADIUS
    dx, dy = px - cx, py - cy
    qx, qy = abs(dx) - hx, abs(dy) - hy
    if qx > 0 and qy > 0:
        length = math.hypot(qx, qy)
        depth = RADIUS - length
        nx, ny = qx / length, qy / length
    else:
        depth = RADIUS - max(qx, qy)
        nx, ny = (1.0, 0.0) if qx > qy else (0.0, 1.0)
    return depth, (math.copysign(nx, dx), math.copysign(ny, dy))




def render(rings, reversed_, scale=1):
    """rings: per ring from the outside in, (lit colour, shaded colour, opacity).

    The picture is scale times WIDTH x HEIGHT; the frame is measured in 1x pixels,
    so each ring is scale pixels wide and the supersampling per pixel stays the same."""
    pixels = []
    for y in range(HEIGHT * scale):
        fill = face_gradient_row(y, reversed_, scale)
        row = []
        for x in range(WIDTH * scale):
            total = [0.0, 0.0, 0.0]
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    px = (x + (sx + 0.5) / SUPERSAMPLE) / scale
                    py = (y + (sy + 0.5) / SUPERSAMPLE) / scale
                    depth, (nx, ny) = rounded_box_depth(px, py)
                    if depth < 0:
                        colour = OUTSIDE
                    else:
                        ring = int(depth)
                        colour = fill
                        if ring < len(rings):
                            lit, shaded, opacity = rings[ring]
                            t = (nx * LIGHT[0] + ny * LIGHT[1] + 1.0) / 2.0
                            colour = mix(fill, mix(shaded, lit, t), opacity)
                    total = [a + b for a, b in zip(total, colour)]
            n = SUPERSAMPLE * SUPERSAMPLE
            row.append(tuple(min(255, max(0, int(round(c / n)))) for c in total))
        pixels.append(row)
    return pixels




# Each look: its rings from the outside in and the gradient direction the
# button most often paints under it (shade on top after hovering).
SKINS = {
    'normal': ([((128, 134, 160), (100, 104, 130), 1.0),
                ((255, 255, 255), (214, 214, 226), 0.95),
                ((255, 255, 255), (205, 204, 220), 0.25)], False),
    'highlight': ([((214, 128, 32), (178, 98, 20), 1.0),
                   ((255, 206, 120), (246, 170, 70), 1.0),
                   ((255, 232, 178), (252, 206, 132), 0.55)], True),
    'selected': ([((52, 98, 196), (36, 70, 150), 1.0),
                  ((138, 176, 238), (104, 144, 220), 1.0),
                  ((255, 255, 255), (200, 214, 240), 0.6)], False),
    # Sunken: the inner rings are dark where light would fall and bright opposite.
    'pressed': ([((64, 68, 96), (84, 88, 116), 1.0),
                 ((132, 134, 160), (246, 246, 250), 1.0),
                 ((176, 176, 198), (232, 232, 240), 0.6)], True),
    'disable': ([((178, 178, 184), (160, 160, 166), 1.0),
                 ((250, 250, 250), (226, 226, 230), 0.9),
                 ((240, 240, 242), (226, 226, 230), 0.2)], False),
    'highlightselect': ([((52, 98, 196), (36, 70, 150), 1.0),
                         ((255, 196, 100), (240, 160, 60), 1.0),
                         ((255, 230, 170), (250, 204, 130), 0.55)], True),
}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for scale in SCALES:
        for name, (rings, reversed_) in SKINS.items():
            write_bmp(os.path.join(here, density_name(name, scale)), render(rings, reversed_, scale))


if __name__ == '__main__':
    main()
