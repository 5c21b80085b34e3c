#pragma once
#include "platform/picture.h"
#include "settings/thumb_settings.h"
#include "thumbs/batch_engine.h"
#include "thumbs/thumbnail_job.h"

#include <QObject>
#include <QPoint>
#include <QString>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace tess {

// The window's batch run on a thread of its own. The engine's reports reach
// the window as queued signals, in the order the run made them, on the
// thread that owns this object; the run never touches a widget and the
// window never runs engine work.
//
// After each file the run waits until the window has taken in every signal
// of that file, so a stop asked while a file is on the canvas ends the run
// after that very file; hold() keeps it waiting there (while the settings
// are being edited) until release(). The workers go on making the next files
// meanwhile, so the wait costs the run next to nothing.
class WindowRun : public QObject {
    Q_OBJECT
public:
    WindowRun(std::vector<ThumbnailJob> jobs, const ThumbSettings &settings, QObject *parent = nullptr);
    // Stops the run after the file in hand and waits for its thread; what it
    // had not yet reported is dropped.
    ~WindowRun() override;
    WindowRun(const WindowRun &) = delete;
    WindowRun &operator=(const WindowRun &) = delete;

    void start();
    void requestStop();
    // The run waits before its next file until release(), which hands it
    // the settings to make the files from there on with, when they changed.
    void hold();
    void release(const std::optional<ThumbSettings> &changed);

signals:
    void canvasSized(int width, int height, tess::Colour background);
    // Final rows of the file in hand's canvas: `rows` holds canvas rows
    // first, first + 1, ...
    void drawn(const tess::Picture &part, QPoint at);
    void rowDone(int rowsDone, int rowsTotal);
    void fileDone(int index, const QString &outputName, bool written);
    void ended(const tess::BatchResult &result);

private:
    void work();
    void waitForWindow(int index);
    template <typename Deliver> void post(Deliver deliver);

    BatchEngine m_engine;
    const std::vector<ThumbnailJob> m_jobs;
    const ThumbSettings m_settings;
    std::thread m_thread;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_caughtUp = -1; // the last file whose signals the window has taken in
    bool m_held = false;
    bool m_leaving = false;
};

} // namespace tess
