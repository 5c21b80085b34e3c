#include "app/preview_loader.h"

#include "codecs/codec_messages.h"

#include <QMetaObject>

namespace tess {

PreviewLoader::PreviewLoader(Shown shown, QObject *parent)
    : QObject(parent)
    , m_shown(std::move(shown))
{
}

PreviewLoader::~PreviewLoader()
{
    for (auto &[ticket, load] : m_loads)
        load.stop->store(true);
    for (auto &[ticket, load] : m_loads)
        load.thread.join();
}

void PreviewLoader::start(const QString &path)
{
    for (auto &[ticket, load] : m_loads)
        load.stop->store(true);
    const quint64 ticket = ++m_ticket;
    m_busy = true;
    auto stop = std::make_shared<std::atomic<bool>>(false);
    // The thread reaches the loader only through the queued call, which the
    // loader's destructor outlasts by joining it first.
    std::thread thread([this, ticket, path, stop] {
        PreviewPicture loaded;
        try {
            loaded = loadPreviewPicture(path, PreviewLoadControl{stop.get(), nullptr});
        } catch (...) {
            // Out of memory in a reader that decodes whole: the preview fails
            // as a broken file does, and the window lives on.
            loaded = PreviewPicture{};
            loaded.failure = Failure{path, codecmessages::tooLarge()};
        }
        QMetaObject::invokeMethod(
            this, [this, ticket, loaded = std::move(loaded)]() mutable { ended(ticket, std::move(loaded)); },
            Qt::QueuedConnection);
    });
    m_loads.emplace(ticket, Load{std::move(thread), std::move(stop)});
}

void PreviewLoader::ended(quint64 ticket, PreviewPicture loaded)
{
    const auto found = m_loads.find(ticket);
    if (found != m_loads.end()) {
        found->second.thread.join(); // it has nothing left to do but return
        m_loads.erase(found);
    }
    if (ticket != m_ticket)
        return;
    m_busy = false;
    m_shown(std::move(loaded));
}

} // namespace tess
