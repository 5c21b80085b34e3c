#include "thumbs/cache_filler.h"

#include "codecs/codec_messages.h"
#include "codecs/open_picture.h"
#include "codecs/picture_codecs.h"
#include "codecs/picture_kinds.h"
#include "codecs/picture_turn.h"
#include "platform/file_names.h"
#include "thumbs/desktop_thumbnail.h"

#include <QSize>

#include <fcntl.h>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace tess {

CacheFiller::CacheFiller(QByteArray root, std::vector<CacheFlavour> flavours, QByteArray software, int jobs)
    : m_root(std::move(root)), m_flavours(std::move(flavours)), m_software(std::move(software)),
      m_jobs(jobs > 0 ? jobs : int(std::max(1u, std::thread::hardware_concurrency())))
{
}

void CacheFiller::writeFailure(const SourceStamp &stamp, const QByteArray &name) const
{
    // The standard's failure entry: one pixel and the keys that date it.
    Picture empty(1, 1);
    const std::vector<PngText> texts = {{"Thumb::URI", stamp.uri},
                                        {"Thumb::MTime", QByteArray::number(stamp.mtime)},
                                        {"Software", m_software}};
    if (const std::optional<QByteArray> png = encodePngWithAlpha(empty, texts, QString()))
        writeEntry(m_root + "/fail/" + m_software, name, *png);
}

CacheFiller::Outcome CacheFiller::fill(const QByteArray &picture, Failure *failure) const
{
    const QString shown = nameFromNative(picture);
    const auto failed = [&](const QString &why) {
        if (failure)
            *failure = Failure{shown, why};
        return Outcome::Failed;
    };
    const std::optional<SourceStamp> stamp = stampOf(picture);
    if (!stamp)
        return failed(codecmessages::cannotOpen());
    const QByteArray name = cacheFileName(stamp->uri);
    std::vector<const CacheFlavour *> missing;
    for (const CacheFlavour &flavour : m_flavours) {
        if (!entryIsValid(m_root + '/' + flavour.name + '/' + name, *stamp))
            missing.push_back(&flavour);
    }
    if (missing.empty())
        return Outcome::Skipped;

    const int fd = ::open(picture.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return failed(codecmessages::cannotOpen());
    PictureFile file(fd, shown);
    const PictureKind *kind = file.ok() ? kindOfFile(file) : nullptr;
    const bool alpha = kind && kindHasAlpha(kind->id);
    QSize whole;
    ReadOptions options = desktopReadOptions(missing.back()->side);
    options.wholeSize = &whole;
    OpenedPicture opened = openPicture(std::move(file), options);
    std::vector<Picture> thumbnails;
    std::vector<int> sides;
    for (const CacheFlavour *flavour : missing)
        sides.push_back(flavour->side);
    std::optional<QString> problem = opened.ok() ? makeDesktopThumbnails(*opened.rows, alpha, sides, thumbnails)
                                                 : std::optional<QString>(opened.message);
    if (!whole.isValid() && opened.ok())
        whole = turnOf(opened.rows->orientation()).upright(QSize(opened.rows->width(), opened.rows->height()));
    opened.rows.reset(); // the picture let go before the files are written
    if (problem) {
        writeFailure(*stamp, name);
        return failed(*problem);
    }
    const QByteArray mime = mimeTypeOfName(picture);
    for (std::size_t i = 0; i < missing.size(); ++i) {
        const std::vector<PngText> texts = entryTexts(*stamp, mime, whole.width(), whole.height(), m_software);
        const std::optional<QByteArray> png = encodePngWithAlpha(thumbnails[i], texts, shown);
        if (!png)
            return failed(codecmessages::cannotEncode());
        if (const std::optional<QString> why = writeEntry(m_root + '/' + missing[i]->name, name, *png))
            return failed(*why);
    }
    return Outcome::Written;
}

void CacheFiller::run(const std::vector<QByteArray> &pictures, const CacheCallbacks &callbacks)
{
    std::atomic<std::size_t> next{0};
    std::mutex reporting;
    const auto work = [&] {
        for (;;) {
            if (m_stop.load())
                return;
            const std::size_t index = next.fetch_add(1);
            if (index >= pictures.size())
                return;
            Failure failure;
            const Outcome outcome = fill(pictures[index], &failure);
            const std::lock_guard lock(reporting);
            if (outcome == Outcome::Failed) {
                if (callbacks.failed)
                    callbacks.failed(int(index), failure);
            } else if (callbacks.done) {
                callbacks.done(int(index), outcome == Outcome::Written);
            }
        }
    };
    const int threads = std::max(1, std::min<int>(m_jobs, int(pictures.size())));
    std::vector<std::thread> workers;
    for (int i = 1; i < threads; ++i)
        workers.emplace_back(work);
    work();
    for (std::thread &worker : workers)
        worker.join();
}

} // namespace tess
