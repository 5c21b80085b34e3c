#include "thumbs/decode_ahead.h"

#include <algorithm>
#include <chrono>
#include <new>

namespace tess {

DecodeAhead::DecodeAhead(QStringList paths, int threads, Decoder decoder)
    : m_paths(std::move(paths))
    , m_decoder(std::move(decoder))
    , m_lookahead(std::max(1, threads))
{
    const int count = std::clamp(threads, 1, std::max(1, int(m_paths.size())));
    m_workers.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i)
        m_workers.emplace_back([this] { work(); });
}

DecodeAhead::~DecodeAhead()
{
    cancel();
    for (std::thread &worker : m_workers)
        worker.join();
}

void DecodeAhead::cancel()
{
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
        m_ready.clear();
    }
    m_changed.notify_all();
}

DecodedPicture DecodeAhead::decodeOne(const QString &path) const
{
    // An exception leaving a worker thread would end the whole program; here
    // it only fails the file it belongs to.
    try {
        return m_decoder(path);
    } catch (const std::bad_alloc &) {
        return {Picture(), Failure{path, QStringLiteral("メモリが足りません。")}};
    } catch (...) {
        return {Picture(), Failure{path, QStringLiteral("画像を読み込めません。")}};
    }
}

void DecodeAhead::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        // A worker may run ahead of the taker by at most m_lookahead pictures,
        // counting the one being composed.
        m_changed.wait(lock, [this] {
            return m_cancelled || m_nextToDecode >= m_paths.size()
                || m_nextToDecode < m_nextToTake + m_lookahead;
        });
        if (m_cancelled || m_nextToDecode >= m_paths.size())
            return;
        const int index = m_nextToDecode++;
        lock.unlock();
        DecodedPicture decoded = decodeOne(m_paths[index]);
        lock.lock();
        if (m_cancelled)
            return;
        m_ready.emplace(index, std::move(decoded));
        m_changed.notify_all();
    }
}

DecodedPicture DecodeAhead::take(int index, const std::function<void()> &whileWaiting)
{
    std::unique_lock lock(m_mutex);
    m_nextToTake = index;
    m_changed.notify_all();
    for (;;) {
        auto found = m_ready.find(index);
        if (found != m_ready.end()) {
            auto node = m_ready.extract(found);
            m_nextToTake = index + 1;
            m_changed.notify_all();
            return std::move(node.mapped());
        }
        if (m_cancelled)
            return {Picture(), Failure{m_paths.value(index), QStringLiteral("処理を中止しました。")}};
        if (whileWaiting) {
            m_changed.wait_for(lock, std::chrono::milliseconds(15));
            lock.unlock();
            whileWaiting();
            lock.lock();
        } else {
            m_changed.wait(lock);
        }
    }
}

} // namespace tess
