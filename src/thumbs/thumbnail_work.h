#pragma once
#include "platform/failure.h"
#include "platform/picture.h"
#include "settings/thumb_settings.h"
#include "thumbs/compose_geometry.h"
#include "thumbs/thumbnail_encoding.h"
#include "thumbs/thumbnail_job.h"

#include <QString>
#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>

namespace tess {

// One file's thumbnail as a worker makes it and the run follows it. The
// worker alone writes; the run reads a field only after the flag that
// publishes it: the canvas's size and placement once `placed`, its rows above
// the fitted picture's top plus `rowsDone` while it is drawn, everything once
// `finished`.
struct ThumbnailWork {
    ThumbnailWork(int index, const ThumbnailJob &job, const ThumbSettings &runSettings)
        : index(index), job(job), settings(settingsForJob(runSettings, job))
    {
    }

    const int index;
    const ThumbnailJob job;
    const ThumbSettings settings; // the job's, as the run had them when it planned this file

    Picture canvas;
    CanvasPlacement placement;
    std::optional<Failure> failure; // naming the file
    EncodedThumbnail encoded;

    std::atomic<bool> placed{false};
    std::atomic<int> rowsDone{0};
    std::atomic<int> rowsTotal{0};
    std::atomic<bool> finished{false};
    // Set by the run when the work is no longer wanted: the worker stops at
    // its next row.
    std::atomic<bool> abandoned{false};
};

// Memory a file takes while it is made: its rows in flight (a band, or the
// whole picture when it cannot stream), and until it is written, its canvas
// and file bytes.
struct WorkCost {
    std::size_t making = 0;
    std::size_t holding = 0;
};

// Opens the file (its header only) and tells what making its thumbnail will
// take; `start` is then called with that cost before any pixel is read, and
// may block until the memory is there; it is called again, with less, once a
// picture decoded whole has let its decoder's memory go. Composes and encodes
// into `work`, then publishes it finished. Never throws: an exception, or the
// run abandoning the file, fails it.
void makeThumbnail(ThumbnailWork &work, const std::function<void(const WorkCost &)> &start);

} // namespace tess
