#pragma once
#include "codecs/picture_reader.h"
#include "codecs/row_stream.h"
#include "platform/failure.h"
#include "platform/picture.h"
#include "settings/thumb_settings.h"
#include "thumbs/compose_geometry.h"
#include "thumbs/resample.h"

#include <functional>
#include <optional>

namespace tess {

struct Composition {
    std::optional<Failure> failure; // the file fails; its file name is left for the caller to fill in
    CanvasPlacement placement;      // where the GUI puts the canvas in its preview frame
};

// Rows a picture is read in at a time.
inline constexpr int kStreamBandRows = 16;

// One file's thumbnail from its rows (a decoded picture gives them through
// pictureRows): sizes the canvas by the ratio mode (resize() clears it to its
// background, which the caller has set to the margin colour), then draws the
// picture into it with the settings' quality, rows fed band by band into the
// resampler so that no whole picture is held. Modes 3 to 5 draw an
// intermediate picture described by row and column maps over the source.
// `placed` (optional) hears the placement once the canvas has its size, before
// any row is drawn.
//
// The stream is read to its end, so a file that is broken past the last row
// the thumbnail needs fails as one broken earlier does; a file that breaks
// while it is drawn fails at once. An out-of-range ratio mode, width or height
// (a hand-edited settings file), an empty picture, or a canvas side over
// kMaxThumbnailSide ends the file with a failure, leaving the canvas as it
// was; a broken file's failure comes before a failure of the settings.
Composition ComposeThumbnail(RowStream &rows, Picture &canvas, const ThumbSettings &settings,
                             const ResampleProgress &progress = {},
                             const std::function<void(const CanvasPlacement &)> &placed = {},
                             int bandRows = kStreamBandRows);

// The rows ComposeThumbnail holds at once for a picture of that width and
// height: the resampler's window plus a band (all rows when a mode needs them
// so), for reckoning memory before the file is started.
long long streamedRowsHeld(int width, int height, const ThumbSettings &settings, int bandRows = kStreamBandRows);

} // namespace tess
