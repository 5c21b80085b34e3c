#pragma once
#include "codecs/row_stream.h"
#include "thumbs/compose.h"

namespace tess {

// Rows a streamed picture is read in at a time.
inline constexpr int kStreamBandRows = 16;

// The thumbnail of a picture read band by band: the canvas ComposeThumbnail
// draws from the same picture decoded whole, pixel for pixel, with rows fed
// straight from the stream into the resampler (modes 3 to 5 through their
// index tables) so that no whole picture is held. The stream is read to its
// end, so a file that is broken past the last row the thumbnail needs fails
// as it does decoded whole; a file that breaks earlier fails at once. A broken
// file's failure comes before a failure of the settings, as when decoding
// comes first.
Composition ComposeStreamed(RowStream &stream, Picture &canvas, const ThumbSettings &settings,
                            const ResampleProgress &progress = {},
                            const std::function<void(const CanvasPlacement &)> &placed = {},
                            int bandRows = kStreamBandRows);

// The rows ComposeStreamed holds at once for a picture of that width and
// height: the resampler's window plus a band (all rows when a mode needs them
// so), for reckoning memory before the file is started.
long long streamedRowsHeld(int width, int height, const ThumbSettings &settings, int bandRows = kStreamBandRows);

} // namespace tess
