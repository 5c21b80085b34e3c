#pragma once
#include "codecs/row_stream.h"
#include "platform/failure.h"
#include "platform/picture.h"
#include "thumbs/picture_plan.h"
#include "thumbs/resample.h"

#include <functional>
#include <optional>

namespace tess {

// One file's thumbnail from its rows, as its plan says: sizes the canvas
// (resize() clears it to its background, which the caller has set to the
// margin colour), then draws the picture into it at the plan's quality, rows
// fed band by band into the resampler so that no whole picture is held.
// Modes 3 to 6 draw the intermediate picture the plan's maps describe over the
// source. `sized` (optional) is called once the canvas has its size, before
// any row is drawn.
//
// The stream is read to its end, so a file that is broken past the last row
// the thumbnail needs fails as one broken earlier does; a file that breaks
// while it is drawn fails at once. A plan that has failed (its settings can't
// make a canvas of this picture) leaves the canvas as it was; a broken file's
// failure comes before the plan's. A stop set in the progress ends the file
// unfinished, with the failure `stoppedFailure` names. Every failure names
// the plan's source.
std::optional<Failure> ComposeThumbnail(RowStream &rows, Picture &canvas, const PicturePlan &plan,
                                        const ResampleProgress &progress = {},
                                        const std::function<void()> &sized = {});

// One size of a picture made from one pass over its rows.
struct ComposeTarget {
    Picture *canvas = nullptr;
    const PicturePlan *plan = nullptr; // made from the same stream
    std::optional<Failure> failure;    // set by ComposeThumbnails
};

// Every target's thumbnail from one pass over the stream: each as
// ComposeThumbnail makes it alone, pixel for pixel. The stream is read once,
// band by band, and a band is let go once every target has drawn from it.
// `progress`'s rowDone and `sized` follow the first target; its stop ends
// them all. A stream that breaks fails every target.
void ComposeThumbnails(RowStream &rows, std::vector<ComposeTarget> &targets, const ResampleProgress &progress = {},
                       const std::function<void()> &sized = {});

// What a file stopped while it was drawn fails with.
Failure stoppedFailure(const QString &source);

} // namespace tess
