#pragma once
#include "platform/failure.h"
#include "thumbs/thumbnail_cache.h"

#include <QByteArray>

#include <atomic>
#include <functional>
#include <vector>

namespace tess {

struct CacheCallbacks {
    // A picture's entries made (written) or all already valid (skipped).
    std::function<void(int index, bool written)> done;
    // A picture that could not be read: its failure entry is written.
    std::function<void(int index, const Failure &failure)> failed;
};

// Fills the shared thumbnail cache for a list of pictures, a picture per
// thread on every thread: each read once for every flavour it lacks, at the
// largest of them. Callbacks come from the worker threads, one at a time.
class CacheFiller {
public:
    // root: the cache folder; software: "name-version", for the entries'
    // Software key and the failure folder.
    CacheFiller(QByteArray root, std::vector<CacheFlavour> flavours, QByteArray software, int jobs);

    // Absolute paths, as the file system spells them. Returns once every
    // picture is done, or after the pictures in hand once stopped.
    void run(const std::vector<QByteArray> &pictures, const CacheCallbacks &callbacks);
    // From any thread, a signal's watcher included.
    void requestStop() { m_stop.store(true); }
    bool stopped() const { return m_stop.load(); }

    // One picture, on the calling thread: written, skipped or failed.
    enum class Outcome { Written, Skipped, Failed };
    Outcome fill(const QByteArray &picture, Failure *failure) const;

private:
    void writeFailure(const SourceStamp &stamp, const QByteArray &name) const;

    const QByteArray m_root;
    const std::vector<CacheFlavour> m_flavours;
    const QByteArray m_software;
    const int m_jobs;
    std::atomic<bool> m_stop{false};
};

} // namespace tess
