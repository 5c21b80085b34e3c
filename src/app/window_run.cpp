#include "app/window_run.h"

#include <QMetaObject>
#include <algorithm>

namespace tess {

WindowRun::WindowRun(std::vector<ThumbnailJob> jobs, const ThumbSettings &settings, QObject *parent)
    : QObject(parent)
    , m_jobs(std::move(jobs))
    , m_settings(settings)
{
}

WindowRun::~WindowRun()
{
    {
        std::lock_guard lock(m_mutex);
        m_leaving = true;
    }
    m_changed.notify_all();
    m_engine.requestStop();
    if (m_thread.joinable())
        m_thread.join();
}

void WindowRun::start()
{
    m_thread = std::thread([this] { work(); });
}

void WindowRun::requestStop()
{
    m_engine.requestStop();
}

void WindowRun::hold()
{
    std::lock_guard lock(m_mutex);
    m_held = true;
}

void WindowRun::release(const std::optional<ThumbSettings> &changed)
{
    // Before the run is let go, so that the file it goes on with is made
    // with these settings.
    if (changed)
        m_engine.changeSettings(*changed);
    {
        std::lock_guard lock(m_mutex);
        m_held = false;
    }
    m_changed.notify_all();
}

// The thread reaches this object only through queued calls, which the
// destructor outlasts by joining the thread first.
template <typename Deliver> void WindowRun::post(Deliver deliver)
{
    QMetaObject::invokeMethod(this, std::move(deliver), Qt::QueuedConnection);
}

void WindowRun::work()
{
    BatchCallbacks callbacks;
    callbacks.canvasSized = [this](int width, int height, Colour background) {
        post([this, width, height, background] { emit canvasSized(width, height, background); });
    };
    callbacks.drawn = [this](const Picture &canvas, QRect area) {
        Picture part(area.width(), area.height(), canvas.background());
        for (int y = 0; y < area.height(); ++y)
            std::copy_n(canvas.row(area.top() + y) + area.left(), area.width(), part.row(y));
        post([this, part = std::move(part), at = area.topLeft()] { emit drawn(part, at); });
    };
    callbacks.rowDone = [this](int rowsDone, int rowsTotal) {
        post([this, rowsDone, rowsTotal] { emit rowDone(rowsDone, rowsTotal); });
    };
    callbacks.fileDone = [this](int index, const QString &outputName, bool written) {
        post([this, index, outputName, written] { emit fileDone(index, outputName, written); });
    };
    callbacks.fileEnded = [this](int index) { waitForWindow(index); };
    const BatchResult result = m_engine.run(m_jobs, m_settings, callbacks);
    post([this, result] { emit ended(result); });
}

void WindowRun::waitForWindow(int index)
{
    post([this, index] {
        {
            std::lock_guard lock(m_mutex);
            m_caughtUp = index;
        }
        m_changed.notify_all();
    });
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_leaving || (m_caughtUp >= index && !m_held); });
}

} // namespace tess
