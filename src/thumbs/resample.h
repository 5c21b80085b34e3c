#pragma once
#include "platform/colour.h"
#include "platform/picture.h"
#include "thumbs/resample_window.h"

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

// Rows the resampler reads, top to bottom. A source that holds only a band of
// its picture learns from release() which rows it may let go.
class ResampleRows {
public:
    virtual ~ResampleRows() = default;
    // Row y of the picture drawn, or null for a row of margin. May throw (a
    // stream that breaks), which ends the drawing at once.
    virtual const Colour *row(int y) = 0;
    // Rows above y will not be asked for again.
    virtual void release(int /*y*/) {}
    // Row y if it is already in memory, without reading on; null otherwise.
    // Only a hint for prefetching.
    virtual const Colour *resident(int /*y*/) { return nullptr; }
};

// The picture the resampler draws: `width` x `height`, row y from `rows`, and
// column x the source column columns[x] of that row (margin where negative),
// or column x itself when there is no column map. The ratio modes' stretched
// and squared intermediates are described so, without being allocated.
struct ResampleInput {
    int width = 0;
    int height = 0;
    ResampleRows *rows = nullptr;
    const std::vector<int> *columns = nullptr;
    Colour margin = 0;
};

// Draws the input into the canvas, fitted inside it keeping its proportions
// and centred; the rest of the canvas shows the canvas background. Quality 0 or
// less is a plain nearest-pixel stretch; 1 and up average a box of source
// pixels for each canvas pixel, reading every m-th window position. Returns
// false, with the canvas cleared, when the input or the canvas has zero size.
bool resampleRows(const ResampleInput &input, Picture &canvas, int quality, const ResampleProgress &progress = {});

// The same drawing from a decoded picture. A source or canvas of zero size
// empties the source and returns; the canvas keeps what it holds (cleared to
// its background).
void ResamplePicture(Picture &source, Picture &canvas, int quality, const ResampleProgress &progress = {});

} // namespace tess
