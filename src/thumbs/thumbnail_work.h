#pragma once
#include "codecs/picture_reader.h"
#include "platform/failure.h"
#include "platform/picture.h"
#include "settings/thumb_settings.h"
#include "thumbs/picture_plan.h"
#include "thumbs/thumbnail_encoding.h"
#include "thumbs/output_writer.h"
#include "thumbs/thumbnail_job.h"

#include <QString>
#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace tess {

// A further size of the picture, made from the same decode: its canvas and
// file, written into its own folder.
struct SizedThumbnail {
    SizedThumbnail(const ThumbnailJob &job, const ThumbSettings &runSettings)
        : settings(settingsForJob(runSettings, job))
        , outputPath(outputFilePath(job.baseName, settings))
    {
    }

    const ThumbSettings settings;
    const QString outputPath;
    Picture canvas;
    EncodedThumbnail encoded;
};

// One file's thumbnail as a worker makes it and the run follows it. The
// worker alone writes; the run reads a field only after the flag that
// publishes it: the canvas's size and its drawing order once `placed`, the
// part of the canvas that order finishes in `rowsDone` lines while it is
// drawn, everything once `finished`.
struct ThumbnailWork {
    ThumbnailWork(int index, const ThumbnailJob &job, const ThumbSettings &runSettings)
        : index(index)
        , job(job)
        , settings(settingsForJob(runSettings, job))
        , outputPath(outputFilePath(job.baseName, settings))
    {
    }
    // Several sizes: the first is the work's own, the others come in `more`.
    ThumbnailWork(int index, const ThumbnailJob &job, const std::vector<ThumbSettings> &sizeSettings)
        : ThumbnailWork(index, job, sizeSettings.front())
    {
        more.reserve(sizeSettings.size() - 1);
        for (std::size_t i = 1; i < sizeSettings.size(); ++i)
            more.emplace_back(job, sizeSettings[i]);
    }

    const int index;
    const ThumbnailJob job;
    const ThumbSettings settings; // the job's, as the run had them when it planned this file

    const QString outputPath; // the thumbnail file, by the job's settings

    Picture canvas;
    DrawingOrder drawing;           // which part of the canvas its lines finish
    std::optional<Failure> failure; // naming the file; any size's fails the picture
    EncodedThumbnail encoded;
    std::vector<SizedThumbnail> more;

    std::atomic<bool> placed{false};
    std::atomic<int> rowsDone{0};
    std::atomic<int> rowsTotal{0};
    std::atomic<bool> finished{false};
    // Set by the run when the work is no longer wanted: the worker stops at
    // its next row.
    std::atomic<bool> abandoned{false};
};

// How a file's memory is let in. `admit` is told what making the file will
// take, before any pixel is read, and may block until the memory is there;
// false: the run no longer wants the file. `lower` is told the smaller cost
// once a picture decoded whole has let its decoder's memory go.
struct WorkAdmission {
    std::function<bool(const WorkCost &)> admit;
    std::function<void(const WorkCost &)> lower;
};

// Opens the file (its header only), plans its thumbnails and has them
// admitted at the plan's cost. Composes and encodes into `work`
// (decoding with `threads` for the libraries that start their own, a camera
// raw from `raw`, encoding with `encode`). The caller publishes it finished.
// A file the run abandons fails as stopped.
void makeThumbnail(ThumbnailWork &work, const WorkAdmission &admission, int threads,
                   RawSource raw = RawSource::Preview, const EncodeOptions &encode = {});

} // namespace tess
