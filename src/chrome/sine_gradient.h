#pragma once
#include "platform/colour.h"
#include "platform/picture.h"

#include <vector>

namespace tess {

// The main window's background: one colour per row i = 0 .. n, n being the
// height rounded, with v = |sin(i / (height / 3.142)) * 220| rounded half to even
// and the colour (v, v, v + 30). Dark blue-black at the top, palest in the middle,
// dark again at the bottom. There are height + 1 rows: the last falls one past the
// picture. The constant is 3.142, not pi, so the last rows' sine is slightly negative.
std::vector<Colour> sineGradientRows(int height);

// Paints those rows into the picture as full-width lines; rows beyond the picture
// are clipped. Returns how many rows were computed.
int paintSineGradient(Picture &panel);

} // namespace tess
