#pragma once
#include "platform/blit.h"
#include "platform/picture.h"
#include "thumbs/resample_source.h"
#include "thumbs/resample_window.h"
#include "thumbs/rounding.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

namespace tess {

// How a front end follows the averaging. Both are optional; neither is called
// on the plain (quality 0) path.
struct ResampleProgress {
    // Before each canvas row of the picture: the GUI yields to its event loop here.
    std::function<void()> beforeRow;
    // After each row: rowsDone of rowsTotal (the picture's scaled height) painted.
    std::function<void(int rowsDone, int rowsTotal)> rowDone;
};

// Draws the source into the canvas, fitted inside it keeping its proportions
// and centred; the rest of the canvas shows the canvas background. Quality 0 or
// less is a plain nearest-pixel stretch; 1 and up average a box of source
// pixels for each canvas pixel, reading every m-th window position. A source
// or canvas of zero size empties the source and returns; the canvas keeps what
// it holds (cleared to its background).
void ResamplePicture(Picture &source, Picture &canvas, int quality, const ResampleProgress &progress = {});

// The same drawing from any row source (see resample_source.h). Returns false,
// with the canvas cleared, when the source or the canvas has zero size.
template <class Source>
bool resampleRows(const Source &source, Picture &canvas, int quality, const ResampleProgress &progress = {});

// ---------------------------------------------------------------------------

namespace resample_detail {

template <class Source>
void plainStretch(const Source &source, Picture &canvas, const ResampleFit &fit)
{
    if constexpr (requires { source.picture(); }) {
        stretchBlt(canvas, fit.x0, fit.y0, fit.width, fit.height, source.picture(), 0, 0, source.width(),
                   source.height());
    } else {
        // The same pixel choice as stretchBlt, read through the row source.
        const std::vector<int> columns = stretchMap(source.width(), fit.width, StretchAxis::Columns);
        const std::vector<int> rows = stretchMap(source.height(), fit.height, StretchAxis::Rows);
        const int xBegin = std::max(0, -fit.x0);
        const int xEnd = std::min(fit.width, canvas.width() - fit.x0);
        const int yBegin = std::max(0, -fit.y0);
        const int yEnd = std::min(fit.height, canvas.height() - fit.y0);
        for (int y = yBegin; y < yEnd; ++y) {
            if constexpr (requires { source.release(0); })
                source.release(rows[std::size_t(y)]);
            const auto in = source.row(rows[std::size_t(y)]);
            Colour *out = canvas.row(fit.y0 + y) + fit.x0;
            for (int x = xBegin; x < xEnd; ++x)
                out[x] = in[columns[std::size_t(x)]];
        }
    }
}

inline Colour averageOf(std::int64_t red, std::int64_t green, std::int64_t blue, std::int64_t count)
{
    const double k = double(count);
    return rgb(int(roundHalfEven(double(red) / k)), int(roundHalfEven(double(green) / k)),
               int(roundHalfEven(double(blue) / k)));
}

} // namespace resample_detail

template <class Source>
bool resampleRows(const Source &source, Picture &canvas, int quality, const ResampleProgress &progress)
{
    canvas.clear();
    const int sw = source.width();
    const int sh = source.height();
    if (sw <= 0 || sh <= 0 || canvas.isEmpty())
        return false;
    const ResampleFit fit = fitPicture(sw, sh, canvas.width(), canvas.height());
    if (quality <= 0) {
        resample_detail::plainStretch(source, canvas, fit);
        return true;
    }

    const ResampleWindow window = resampleWindow(fit.scale, quality);
    const WindowSampler sampler(window.radius, window.interval);
    const std::int64_t R = window.radius;
    // Window centres and the inside part of each column's window (as window
    // columns a = dx + R), once per canvas column.
    struct ColumnWindow { std::int64_t left, aLo, aHi; };
    const int xBegin = std::max(0, -fit.x0);
    const int xEnd = std::min(fit.width, canvas.width() - fit.x0);
    std::vector<ColumnWindow> columns;
    for (int x = xBegin; x < xEnd; ++x) {
        const std::int64_t left = std::int64_t(window.centre(x)) - R; // source column of a = 0
        columns.push_back({left, std::max<std::int64_t>(0, -left), std::min<std::int64_t>(2 * R, sw - 1 - left)});
    }
    struct Sums { std::int64_t red, green, blue, count; };
    constexpr std::int64_t kRowsAhead = 3;
    std::vector<Sums> sums(columns.size());
    std::vector<std::int64_t> offsets;

    for (int y = 0; y < fit.height; ++y) {
        if (progress.beforeRow)
            progress.beforeRow();
        const int canvasY = fit.y0 + y;
        if (canvasY >= 0 && canvasY < canvas.height()) {
            std::fill(sums.begin(), sums.end(), Sums{0, 0, 0, 0});
            const std::int64_t top = std::int64_t(window.centre(y)) - R; // source row of b = 0
            const std::int64_t bLo = std::max<std::int64_t>(0, -top);
            const std::int64_t bHi = std::min<std::int64_t>(2 * R, sh - 1 - top);
            // Windows only move down: rows above this one are never read again,
            // so a source streaming its rows may let them go.
            if constexpr (requires { source.release(0); }) {
                if (bLo <= bHi)
                    source.release(int(top + bLo));
            }
            // Source rows in memory order; within each, every canvas column's
            // sampled window columns.
            for (std::int64_t b = bLo; b <= bHi; ++b) {
                const WindowSampler::Columns read = sampler.row(int(b));
                if (read.first < 0 || read.first > 2 * R)
                    continue;
                const auto in = source.row(int(top + b));
                // Ask for the lines of a row a little further down while this one
                // is summed: a row spans several pages, and the hardware's own
                // prefetch stops at every page boundary.
                constexpr bool canPrefetch = requires { source.prefetch(0, 0); };
                const bool prefetch = canPrefetch && top + b + kRowsAhead < sh;
                const int aheadRow = int(std::min<std::int64_t>(top + b + kRowsAhead, sh - 1));
                // Windows wholly inside the picture all read the same window
                // columns of this row; only the edge windows are clipped.
                offsets.clear();
                for (std::int64_t a = read.first; a <= 2 * R; a += read.stride)
                    offsets.push_back(a);
                for (std::size_t i = 0; i < columns.size(); ++i) {
                    const ColumnWindow &col = columns[i];
                    Sums &sum = sums[i];
                    std::int64_t red = 0, green = 0, blue = 0;
                    if constexpr (canPrefetch) {
                        if (prefetch && col.aLo <= col.aHi) {
                            source.prefetch(aheadRow, int(col.left + col.aLo));
                            source.prefetch(aheadRow, int(col.left + (col.aLo + col.aHi) / 2));
                            source.prefetch(aheadRow, int(col.left + col.aHi));
                        }
                    }
                    if (col.aLo == 0 && col.aHi == 2 * R) {
                        if (offsets.size() <= 256) {
                            // Red and blue side by side in one word: up to 256
                            // bytes summed still fit their 16 bits.
                            std::uint32_t redBlue = 0, greenShifted = 0;
                            for (const std::int64_t a : offsets) {
                                const Colour c = in[int(col.left + a)];
                                redBlue += c & 0xFF00FFu;
                                greenShifted += c & 0xFF00u;
                            }
                            red += redBlue & 0xFFFFu;
                            blue += redBlue >> 16;
                            green += greenShifted >> 8;
                        } else {
                            for (const std::int64_t a : offsets) {
                                const Colour c = in[int(col.left + a)];
                                red += redOf(c);
                                green += greenOf(c);
                                blue += blueOf(c);
                            }
                        }
                        sum.count += std::int64_t(offsets.size());
                    } else {
                        for (std::int64_t a = WindowSampler::firstFrom(read, col.aLo); a <= col.aHi;
                             a += read.stride) {
                            const Colour c = in[int(col.left + a)];
                            red += redOf(c);
                            green += greenOf(c);
                            blue += blueOf(c);
                            ++sum.count;
                        }
                    }
                    sum.red += red;
                    sum.green += green;
                    sum.blue += blue;
                }
            }
            Colour *out = canvas.row(canvasY) + fit.x0 + xBegin;
            for (std::size_t i = 0; i < columns.size(); ++i) {
                const Sums &sum = sums[i];
                if (sum.count > 0)
                    out[i] = resample_detail::averageOf(sum.red, sum.green, sum.blue, sum.count);
            }
        }
        if (progress.rowDone)
            progress.rowDone(y + 1, fit.height);
    }
    return true;
}

} // namespace tess
