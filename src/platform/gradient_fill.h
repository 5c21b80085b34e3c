#pragma once
#include "platform/picture.h"

#include <cstdint>

namespace tess {

// A TRIVERTEX colour: 16 bits a channel (an 8-bit value v enters as v * 256).
struct GradientColour {
    std::uint16_t red = 0, green = 0, blue = 0;
    static GradientColour fromColour(Colour c)
    {
        return {std::uint16_t(redOf(c) << 8), std::uint16_t(greenOf(c) << 8), std::uint16_t(blueOf(c) << 8)};
    }
};

// GradientFill with GRADIENT_FILL_RECT_V between two vertices: rows
// min(y) <= y < max(y) and columns min(x) <= x < max(x) are painted, each row in
// one colour interpolated per channel and truncated; the far row and column keep
// what they had, so the second vertex's colour never appears.
void gradientFillVertical(Picture &picture, int x0, int y0, GradientColour c0,
                          int x1, int y1, GradientColour c1);

} // namespace tess
