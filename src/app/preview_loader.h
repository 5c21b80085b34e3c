#pragma once
#include "app/preview_picture.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <thread>

namespace tess {

// Loads previews on threads of their own and hands the newest one's result to
// `shown` on the thread that owns the loader. A newer load supersedes the
// ones before it: they are asked to stop and their results are dropped.
// Destroying the loader stops and waits for every load, so a load never
// outlives what it reports to.
class PreviewLoader : public QObject {
public:
    using Shown = std::function<void(PreviewPicture)>;
    explicit PreviewLoader(Shown shown, QObject *parent = nullptr);
    ~PreviewLoader() override;
    PreviewLoader(const PreviewLoader &) = delete;
    PreviewLoader &operator=(const PreviewLoader &) = delete;

    void start(const QString &path);
    // Whether the newest load is still under way.
    bool busy() const { return m_busy; }

private:
    struct Load {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> stop;
    };
    void ended(quint64 ticket, PreviewPicture loaded);

    Shown m_shown;
    quint64 m_ticket = 0;
    bool m_busy = false;
    std::map<quint64, Load> m_loads;
};

} // namespace tess
