#pragma once
#include <algorithm>
#include <cstdint>

namespace tess {

// Where the fitted picture lands on the canvas. The quotients are worked out in
// double precision and the chosen one is kept as a float, so that the sizes and
// offsets derive from that float exactly as every stored thumbnail's did.
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

// Fills the whole cw x ch canvas with a sw x sh picture that has the canvas's
// proportions only up to a rounded pixel (all four > 0): fitting it inside
// would leave a row or column of margin, so the fit is the canvas itself, at
// the larger quotient, whose windows reach no further than the picture's edge.
ResampleFit coverCanvas(int sw, int sh, int cw, int ch);

// The averaging window of one canvas pixel: every source pixel within `radius`
// of the window centre, read at every `interval`-th position.
struct ResampleWindow {
    float step = 0.0f; // source pixels per canvas pixel
    float half = 0.0f;
    int radius = 0;    // R
    int interval = 1;  // m
    // round(step * i - half): the float step times a 32-bit counter is evaluated
    // in double, the precision the sampling positions are defined in.
    int centre(int i) const;
};

// quality >= 1. The interval is kept in a full int: a 16-bit one would overflow
// for steps over 32767 and leave nothing but margin on the canvas.
ResampleWindow resampleWindow(float scale, int quality);

// Which positions of the window the sampling reads. Positions are numbered
// l = a * (2R + 1) + b for window column a = dx + R (outer) and window row
// b = dy + R (inner); those with l a multiple of the interval are read. Within
// one window row b the columns read form an arithmetic progression, so the
// resampler can walk the source row by row, in memory order, instead of testing
// every position.
class WindowSampler {
public:
    struct Columns {
        std::int64_t first = -1; // smallest column a >= 0 read in this row; -1: none at all
        std::int64_t stride = 1; // the next ones: first + stride, first + 2 stride, ...
    };

    WindowSampler(int radius, int interval);
    // Columns read in window row b (0 <= b <= 2R); `first` may lie past 2R,
    // which also means none.
    Columns row(int b) const;
    // Rows read in window column a (0 <= a <= 2R), in the same form: what a
    // drawing that walks the window by columns reads.
    Columns rowsOfColumn(int a) const;
    // The first column >= from that row b reads, or -1.
    static std::int64_t firstFrom(const Columns &c, std::int64_t from)
    {
        if (c.first < 0)
            return -1;
        if (from <= c.first)
            return c.first;
        return c.first + (from - c.first + c.stride - 1) / c.stride * c.stride;
    }

private:
    std::int64_t m_side;
    std::int64_t m_interval;
    std::int64_t m_gcd;     // gcd(side mod m, m)
    std::int64_t m_stride;  // m / gcd
    std::int64_t m_inverse; // of (side mod m) / gcd, modulo the stride
};

} // namespace tess
