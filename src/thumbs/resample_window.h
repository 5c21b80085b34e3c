#pragma once
#include <algorithm>
#include <cstdint>

namespace tess {

// Where the fitted picture lands on the canvas. The quotients are worked out in
// double precision and the chosen one is kept as a float, as the original did;
// the sizes and offsets derive from that float.
struct ResampleFit {
    float scale = 0.0f;
    int width = 0;  // scaled width on the canvas, at least 1
    int height = 0; // scaled height on the canvas, at least 1
    int x0 = 0;     // top-left corner of the picture on the canvas
    int y0 = 0;
};

// Fits a sw x sh picture inside a cw x ch canvas keeping its proportions (all
// four > 0). A scaled side that would round to zero is kept at one pixel: a
// 1000 x 1 line still shows in a 128 x 1 canvas instead of leaving it blank.
ResampleFit fitPicture(int sw, int sh, int cw, int ch);

// The averaging window of one canvas pixel: every source pixel within `radius`
// of the window centre, read at every `interval`-th position.
struct ResampleWindow {
    float step = 0.0f; // source pixels per canvas pixel
    float half = 0.0f;
    int radius = 0;    // R
    int interval = 1;  // m
    // round(step * i - half): the float step times a 32-bit counter is evaluated
    // in double, as the original's arithmetic promotes it.
    int centre(int i) const;
};

// quality >= 1. The interval is kept in a full int: where the original's 16-bit
// value would overflow (steps over 32767) the whole file would have failed.
ResampleWindow resampleWindow(float scale, int quality);

// Calls read(dx, dy) for every window position that the sampling reads and
// that lies inside [dxLo, dxHi] x [dyLo, dyHi] (sub-ranges of [-radius, radius]).
// Positions are numbered l = (dx + R) * (2R + 1) + (dy + R), dx outer and dy
// inner; those with l a multiple of interval are read. Rather than testing each
// position, this jumps from one multiple to the next within each column.
template <class Read>
inline void forEachWindowSample(int radius, int interval, int dxLo, int dxHi, int dyLo, int dyHi,
                                Read &&read)
{
    if (dxLo > dxHi || dyLo > dyHi)
        return;
    const std::int64_t side = 2 * std::int64_t(radius) + 1;
    const std::int64_t m = interval;
    for (int dx = dxLo; dx <= dxHi; ++dx) {
        const std::int64_t base = (std::int64_t(dx) + radius) * side + radius; // l of (dx, 0)
        std::int64_t l = base + dyLo;
        const std::int64_t last = base + dyHi;
        if (const std::int64_t r = l % m)
            l += m - r; // l >= 0, so r is the plain remainder
        for (; l <= last; l += m)
            read(dx, int(l - base));
    }
}

} // namespace tess
