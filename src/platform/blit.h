#pragma once
#include "platform/picture.h"

#include <vector>

namespace tess {

// BitBlt with SRCCOPY: copies a w x h block; parts that fall outside either
// picture (negative offsets included) are left out.
void bitBlt(Picture &dst, int dx, int dy, int w, int h, const Picture &src, int sx, int sy);

// Which source index each destination index shows when a StretchBlt in
// COLORONCOLOR mode maps `sourceLength` pixels onto `destLength` along one axis.
// Shrinking keeps the first row of each dropped group but the last column, as
// the GDI engine does; a destination of length 1 reads a source one pixel shorter.
enum class StretchAxis { Rows, Columns };
std::vector<int> stretchMap(int sourceLength, int destLength, StretchAxis axis);

// StretchBlt in COLORONCOLOR mode with SRCCOPY, no mirroring: the source
// rectangle (sx, sy, sw, sh) onto the destination rectangle (dx, dy, dw, dh).
// Destination pixels outside dst, or mapped to source pixels outside src, are skipped.
void stretchBlt(Picture &dst, int dx, int dy, int dw, int dh,
                const Picture &src, int sx, int sy, int sw, int sh);

} // namespace tess
