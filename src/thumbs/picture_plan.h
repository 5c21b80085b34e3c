#pragma once
#include "codecs/row_stream.h"
#include "platform/failure.h"
#include "settings/thumb_settings.h"
#include "thumbs/compose_geometry.h"
#include "thumbs/resample.h"

#include <QString>
#include <cstddef>
#include <optional>

namespace tess {

// Rows a streamed picture is read in at a time.
inline constexpr int kStreamBandRows = 16;

// Memory a file takes while it is made: its rows in flight (a band, or the
// whole picture when it cannot stream), and until it is written, its canvas
// and file bytes.
struct WorkCost {
    std::size_t making = 0;
    std::size_t holding = 0;
};

// Everything making one picture's thumbnail needs, worked out once from the
// picture's header and the settings before any pixel is read: the canvas, the
// intermediate maps of modes 3 to 6, where the picture lands on the canvas and
// how it is sampled, the rows a streamed picture holds and what it costs in
// memory. (Where the thumbnail goes depends on no header: the work knows it
// from the start.)
struct PicturePlan {
    QString source; // the picture, as its failures name it
    int width = 0;  // the picture's, upright
    int height = 0;
    PictureTurn turn; // how the stream's rows lie in it
    int bandRows = kStreamBandRows;
    bool holdsWhole = false;
    ThumbnailLayout layout;
    IntermediateMaps maps;
    ResamplePlan resample;
    long long rowsHeld = 0; // stored rows of a streamed picture, at once
    WorkCost cost;
    // The settings can't make a canvas of this picture (naming the source).
    std::optional<Failure> failure;

    // The cost once the stream holds what it holds now: a picture decoded
    // whole has let its decoder go by its first row.
    WorkCost costNow(const RowStream &rows) const;
};

PicturePlan planPicture(const RowStream &rows, const ThumbSettings &settings, const QString &source = {},
                        int bandRows = kStreamBandRows);

} // namespace tess
