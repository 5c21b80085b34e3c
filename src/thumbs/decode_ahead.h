#pragma once
#include "codecs/picture_codecs.h"

#include <QStringList>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace tess {

// Decodes the pictures of a run on worker threads, a few files ahead of the
// one the run is composing, so that composing and writing file i overlaps with
// decoding files i+1, i+2, ... Results are handed out strictly in list order;
// no more than `lookahead` decoded pictures wait at any time, so memory stays
// bounded by the pictures in flight, not by the length of the list.
class DecodeAhead {
public:
    using Decoder = std::function<DecodedPicture(const QString &path)>;

    DecodeAhead(QStringList paths, int threads, Decoder decoder = decodePictureFile);
    ~DecodeAhead();
    DecodeAhead(const DecodeAhead &) = delete;
    DecodeAhead &operator=(const DecodeAhead &) = delete;

    // The decoded picture of paths[index]; indexes must be taken in order.
    // While it waits, whileWaiting is called every few milliseconds (the GUI
    // keeps painting there).
    DecodedPicture take(int index, const std::function<void()> &whileWaiting = {});

    // Drops every decode not yet started; decodes under way finish and are discarded.
    void cancel();

private:
    void work();
    DecodedPicture decodeOne(const QString &path) const;

    const QStringList m_paths;
    const Decoder m_decoder;
    const int m_lookahead;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<int, DecodedPicture> m_ready;
    int m_nextToDecode = 0;
    int m_nextToTake = 0;
    bool m_cancelled = false;
    std::vector<std::thread> m_workers;
};

} // namespace tess
