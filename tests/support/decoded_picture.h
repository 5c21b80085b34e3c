#pragma once
// A picture file read whole through the reader its content names, and turned
// upright, as one picture or a failure naming the file: for checking what was written, and
// for the readers' cases that compare whole pictures.
#include "codecs/codec_messages.h"
#include "codecs/exif_orientation.h"
#include "codecs/open_picture.h"
#include "codecs/picture_codecs.h"
#include "platform/failure.h"
#include "platform/picture.h"

#include <QByteArray>
#include <QString>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace tess {

struct DecodedPicture {
    Picture picture;
    std::optional<Failure> failure; // set when the file gave no complete picture

    bool ok() const { return !failure.has_value(); }
};

namespace detail {

// Every row of an opened picture. A picture that streams is held to the cap
// on pictures held whole here, where every row is held.
inline DecodedPicture readWhole(OpenedPicture opened, const QString &name)
{
    DecodedPicture result;
    if (!opened.ok()) {
        result.failure = Failure{name, opened.message};
        return result;
    }
    RowStream &rows = *opened.rows;
    if (!rows.holdsWhole() && (long long)rows.width() * rows.height() > kMaxPicturePixels) {
        result.failure = Failure{name, codecmessages::tooLarge()};
        return result;
    }
    // The first band goes into a buffer of its own: a reader that decodes
    // whole may still refuse the picture there (too large for its library),
    // and the picture's memory is only taken once it has not.
    const int width = rows.width();
    const int height = rows.height();
    constexpr int kBand = 64;
    const int firstCount = std::min(kBand, height);
    std::vector<Colour> first(std::size_t(width) * std::size_t(firstCount));
    std::vector<Colour *> band(kBand);
    for (int i = 0; i < firstCount; ++i)
        band[std::size_t(i)] = first.data() + std::size_t(i) * std::size_t(width);
    bool ok = rows.readRows(band.data(), firstCount);
    if (ok) {
        result.picture = Picture(width, height);
        std::copy(first.begin(), first.end(), result.picture.bits());
        first = {};
    }
    for (int y = firstCount; ok && y < height; y += kBand) {
        const int count = std::min(kBand, height - y);
        for (int i = 0; i < count; ++i)
            band[std::size_t(i)] = result.picture.row(y + i);
        ok = rows.readRows(band.data(), count);
    }
    if (!ok || !rows.finish()) {
        result.picture.reset();
        result.failure = Failure{name, rows.message()};
        return result;
    }
    // Upright, as the file means it to be seen.
    applyOrientation(result.picture, rows.orientation());
    return result;
}

inline bool writeFully(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t wrote = ::write(fd, data, std::size_t(size));
        if (wrote <= 0)
            return false;
        data += wrote;
        size -= wrote;
    }
    return ::lseek(fd, 0, SEEK_SET) == 0;
}

} // namespace detail

inline DecodedPicture decodePictureFile(const QString &path)
{
    return detail::readWhole(openPicture(path), path);
}

// Bytes as a file of their own in memory, so they are read by the very path
// files are.
inline DecodedPicture decodePictureData(const QByteArray &data, const QString &nameForMessages)
{
    const int fd = ::memfd_create("picture", MFD_CLOEXEC);
    if (fd < 0 || !detail::writeFully(fd, data.constData(), data.size())) {
        if (fd >= 0)
            ::close(fd);
        return DecodedPicture{Picture(), Failure{nameForMessages, codecmessages::cannotOpen()}};
    }
    return detail::readWhole(openPicture(PictureFile(fd, nameForMessages)), nameForMessages);
}

} // namespace tess
