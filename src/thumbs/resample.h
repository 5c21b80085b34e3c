#pragma once
#include "codecs/picture_turn.h"
#include "platform/colour.h"
#include "platform/picture.h"
#include "thumbs/resample_window.h"

#include <QRect>
#include <atomic>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace tess {

// How the drawing is followed and stopped. Both are optional.
struct ResampleProgress {
    // After each averaged line (a canvas row, or a column where the picture
    // is turned a quarter): rowsDone of rowsTotal (the picture's scaled lines)
    // painted. Not called on the plain (quality 0) path.
    std::function<void(int rowsDone, int rowsTotal)> rowDone;
    // Looked at before each canvas row: once set, the drawing ends unfinished.
    const std::atomic<bool> *stop = nullptr;

    bool stopped() const { return stop && stop->load(std::memory_order_relaxed); }
};

// The rows the resampler reads, as the file stores them, in order. A source
// that holds only a band of them learns from release() which it may let go.
class ResampleRows {
public:
    virtual ~ResampleRows() = default;
    // Stored row y, or null where the source broke (failed() then says so).
    virtual const Colour *row(int y) = 0;
    // Whether the source broke: the drawing ends at the line in hand.
    virtual bool failed() const { return false; }
    // Rows above y will not be asked for again.
    virtual void release(int /*y*/) {}
    // Row y if it is already in memory, without reading on; null otherwise.
    // Only a hint for prefetching.
    virtual const Colour *resident(int /*y*/) { return nullptr; }
};

// The picture the resampler draws: `width` x `height`, whose column x is the
// upright source's column columns[x] and row y its row rowMap[y] (margin
// where negative; x or y itself without a map). The ratio modes' stretched,
// squared and cropped intermediates are described so, without being
// allocated. The upright source is `rows` turned as `turn` says: its stored
// rows are read in order whatever the turn, and each canvas pixel averages
// the same source pixels, so adds the same integers, as it would from the
// source turned first.
struct ResampleInput {
    int width = 0;
    int height = 0;
    ResampleRows *rows = nullptr;
    const std::vector<int> *columns = nullptr;
    Colour margin = 0;
    const std::vector<int> *rowMap = nullptr;
    PictureTurn turn;
    // The upright source's size, where maps are given (0: width and height).
    int sourceWidth = 0;
    int sourceHeight = 0;
};

// Whether the picture is fitted inside the canvas, or fills it (a picture
// already cut to the canvas's proportions).
enum class ResampleFitting { Inside, Cover };

// Where a picture of that size lands on a canvas of that size, and which of
// its pixels each canvas pixel averages at that quality (0 or less: a plain
// nearest-pixel stretch, which has no window).
struct ResamplePlan {
    ResampleFit fit;
    ResampleWindow window;
    int quality = 0;
    // The picture fills the canvas, and no canvas pixel may show margin: every
    // window lies inside the picture, moved in from an edge it would cross.
    bool covers = false;
};
ResamplePlan planResample(int inputWidth, int inputHeight, int canvasWidth, int canvasHeight, int quality,
                          ResampleFitting fitting = ResampleFitting::Inside);

// Draws the input into the canvas as the plan (made for this input and
// canvas) says: fitted inside it keeping its proportions and centred, the rest
// of the canvas showing its background, or filling it when the plan covers. Quality 1 and up average a box of
// source pixels for each canvas pixel, reading every m-th window position.
// False, the drawing unfinished, when the input or the canvas has zero size
// (the canvas cleared), the source broke, or the progress's stop was set.
bool ResamplePicture(const ResampleInput &input, Picture &canvas, const ResamplePlan &plan,
                     const ResampleProgress &progress = {});

// The part of the canvas a drawing has finished after so many of its lines:
// a drawing goes by rows, or by columns where the picture is turned a
// quarter, from the far edge where the stored rows run against the upright
// ones. What lies beyond the fitted picture on the side it starts from is
// finished from its first line.
struct DrawingOrder {
    bool byColumns = false;
    bool backwards = false;
    int offset = 0; // the fitted picture's first line on the canvas
    int lines = 0;  // and how many it has
    QRect finished(int canvasWidth, int canvasHeight, int linesDone) const;
    // What lines (before, after] finish beside what the first `before` did.
    QRect finishedBetween(int canvasWidth, int canvasHeight, int before, int after) const;
};
DrawingOrder drawingOrder(const ResamplePlan &plan, PictureTurn turn);

// The same drawing a canvas line at a time, for a caller that feeds several
// drawings from one stream: before each step it reads on until the input rows
// nextInputRows() names are in memory. ResamplePicture is the steps run through.
class Resampling {
public:
    // Clears the canvas; finished (and not ok) at once when there is nothing to draw.
    Resampling(const ResampleInput &input, Picture &canvas, const ResamplePlan &plan,
               const ResampleProgress &progress = {});
    ~Resampling();
    Resampling(const Resampling &) = delete;
    Resampling &operator=(const Resampling &) = delete;

    bool finished() const;
    // Finished with every row drawn (what ResamplePicture returns).
    bool ok() const;
    // The first and the last stored row the next step reads; both -1 when it
    // reads none. The rows above the first are no longer wanted.
    std::pair<int, int> nextInputRows() const;
    void step();

private:
    struct State;
    std::unique_ptr<State> m;
};

} // namespace tess
