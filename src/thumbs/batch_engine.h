#pragma once
#include "codecs/picture_reader.h"
#include "platform/failure.h"
#include "platform/picture.h"
#include "settings/thumb_settings.h"
#include "thumbs/compose_geometry.h"
#include "thumbs/thumbnail_encoding.h"
#include "thumbs/thumbnail_job.h"
#include "thumbs/thumbnail_workers.h"

#include <QRect>
#include <QString>
#include <atomic>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace tess {

// What the front end hears from a run. Every callback is optional and runs on
// the thread that called run(), never a GUI's: a window hands on what it
// hears by queued signals. The front end owns whatever it shows: the
// canvas rows come to it, the engine keeps no picture of its.
struct BatchCallbacks {
    // The file in hand has its canvas: its size and its background (the
    // margin colour); before any row.
    std::function<void(int width, int height, Colour background)> canvasSized;
    // A part of the file in hand's canvas is final: the rows drawn so far
    // (with the margin before them), or the columns of a picture turned a
    // quarter; each part once, beside the parts before it. When the file is
    // finished, the whole thumbnail.
    std::function<void(const Picture &canvas, QRect area)> drawn;
    // Rows painted so far out of the picture's rows: the progress bar.
    std::function<void(int rowsDone, int rowsTotal)> rowDone;
    // A thumbnail of the file in hand is finished: written under outputName,
    // or skipped because that name exists and the settings say skip. Once
    // per size.
    std::function<void(int index, const QString &outputName, bool written)> fileDone;
    // With keep-going on: the file failed, nothing was written for it, and the
    // run goes on.
    std::function<void(int index, const Failure &failure)> fileFailed;
    // After each file, once its thumbnails are reported and before the stop
    // request is looked at. It may block: a window holds the run here until
    // it has caught up with the file, or while its settings are being edited.
    std::function<void(int index)> fileEnded;
};

enum class BatchEnd { Completed, Stopped, Failed };

struct BatchResult {
    BatchEnd end = BatchEnd::Completed;
    std::optional<Failure> failure; // set when end == Failed: the file and the cause
    int written = 0; // thumbnail files, one per size of each picture
    int skipped = 0;
    int failed = 0; // pictures that failed with keep-going on
};

// Turns every job of a run into a thumbnail, in list order. A stop request is
// honoured after the file in hand, and the first file that fails ends the run
// when the run reaches it, the thumbnails written before it staying in place
// and nothing after it written. Worker threads make the thumbnails ahead
// (read band by band, composed, encoded) within a memory budget, across
// folders; the calling thread follows the file in hand row by row and writes
// the files in order. A job's output folder below the save folder is made when
// its first thumbnail is written.
class BatchEngine {
public:
    explicit BatchEngine(int decodeThreads = 0);

    // Off (the default): the first failure in list order ends the run as
    // Failed. On: a failing file is reported through fileFailed, counted in
    // `failed`, nothing is written for it, and the run goes on.
    void setKeepGoing(bool keepGoing) { m_keepGoing = keepGoing; }
    // Where camera raws' pictures come from (the camera's preview by default).
    // Set before run().
    void setRawSource(RawSource raw) { m_rawSource = raw; }
    // The sizes every picture is made at, from one decode (none: the
    // settings' own); with several, each size's thumbnails go into a
    // subfolder "WxH" of the save folder and every thumbnail file is
    // reported through fileDone, its name under that subfolder. Set before run().
    void setSizes(ThumbnailSizes sizes) { m_sizes = std::move(sizes); }
    // How the thumbnails are encoded beyond the settings (lossless WebP and
    // JPEG XL). Set before run().
    void setEncodeOptions(const EncodeOptions &options) { m_encodeOptions = options; }
    // What makes one file's thumbnail on a worker; tests slow files down with it.
    void setThumbnailMaker(ThumbnailWorkers::Maker maker) { m_maker = std::move(maker); }
    // The decoding threads (the workers, and what a library that starts
    // threads of its own is given).
    int decodeThreads() const { return m_decodeThreads; }

    // The files the run reaches from now on (the one after the file in hand,
    // when called while a file is in hand) are made with these settings;
    // thumbnails made ahead with the old ones are made again. Safe from a
    // callback or another thread.
    void changeSettings(const ThumbSettings &settings);

    // Sets StopRequested; safe from a callback or another thread. The run
    // looks at it after each file: one asked before the run starts ends it
    // after its first file.
    void requestStop() { m_stopRequested = true; }

    // Settings that can't name a thumbnail file (a Prefix holding "/", no save
    // folder) end the run as Failed before any picture is opened. An
    // exception thrown while a file is in hand (by the work or by a callback:
    // out of memory, say) fails that file; run() itself never throws.
    BatchResult run(const std::vector<ThumbnailJob> &jobs, const ThumbSettings &settings,
                    const BatchCallbacks &callbacks = {});

private:
    BatchResult runJobs(const std::vector<ThumbnailJob> &jobs, const ThumbSettings &settings,
                        const BatchCallbacks &callbacks, BatchResult &result, int &current);
    std::optional<ThumbSettings> takeSettingsChange();

    const int m_decodeThreads;
    bool m_keepGoing = false;
    RawSource m_rawSource = RawSource::Preview;
    ThumbnailSizes m_sizes;
    EncodeOptions m_encodeOptions;
    ThumbnailWorkers::Maker m_maker;
    std::atomic<bool> m_stopRequested{false};
    std::mutex m_settingsMutex;
    std::optional<ThumbSettings> m_settingsChange;
};

// One decode thread per core.
int defaultDecodeThreads();

} // namespace tess
