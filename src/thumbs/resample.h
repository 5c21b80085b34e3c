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
    const int R = window.radius;
    // Window centres and the inside part of each column's window, once per column.
    struct ColumnWindow { int centre, dxLo, dxHi; };
    std::vector<ColumnWindow> columns(std::size_t(fit.width));
    for (int x = 0; x < fit.width; ++x) {
        const int cx = window.centre(x);
        columns[std::size_t(x)] = {cx, std::max(-R, -cx), std::min(R, sw - 1 - cx)};
    }
    const int xBegin = std::max(0, -fit.x0);
    const int xEnd = std::min(fit.width, canvas.width() - fit.x0);

    for (int y = 0; y < fit.height; ++y) {
        if (progress.beforeRow)
            progress.beforeRow();
        const int cy = window.centre(y);
        const int dyLo = std::max(-R, -cy);
        const int dyHi = std::min(R, sh - 1 - cy);
        const int canvasY = fit.y0 + y;
        if (dyLo <= dyHi && canvasY >= 0 && canvasY < canvas.height()) {
            Colour *out = canvas.row(canvasY) + fit.x0;
            for (int x = xBegin; x < xEnd; ++x) {
                const ColumnWindow &col = columns[std::size_t(x)];
                std::int64_t red = 0, green = 0, blue = 0, k = 0;
                forEachWindowSample(R, window.interval, col.dxLo, col.dxHi, dyLo, dyHi, [&](int dx, int dy) {
                    const Colour c = source.row(cy + dy)[col.centre + dx];
                    red += redOf(c);
                    green += greenOf(c);
                    blue += blueOf(c);
                    ++k;
                });
                if (k > 0)
                    out[x] = resample_detail::averageOf(red, green, blue, k);
            }
        }
        if (progress.rowDone)
            progress.rowDone(y + 1, fit.height);
    }
    return true;
}

} // namespace tess
