#pragma once
// Reading a picture file as the engine does, a band of rows at a time, with
// the row stream's contract checked on the way; and reference renderings laid
// over a matte as the readers lay transparency.
#include "codecs/open_picture.h"
#include "codecs/picture_codecs.h"
#include "codecs/picture_file.h"
#include "codecs/exif_orientation.h"
#include "codecs/picture_reader.h"
#include "codecs/picture_turn.h"
#include "platform/picture.h"

#include <QColorSpace>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <functional>
#include <vector>

namespace tess::testing {

using Opener = std::function<OpenedPicture(PictureFile, const ReadOptions &)>;

// The reader the file's head names, as the engine picks it.
inline OpenedPicture openByContent(PictureFile file, const ReadOptions &options)
{
    return openPicture(std::move(file), options);
}

struct ReadOutcome {
    bool opened = false;
    bool complete = false; // every row read and finish() true
    QString message;
    int width = 0, height = 0; // upright
    std::size_t workingBytes = 0;
    Picture picture; // the rows read, when kept, turned upright
};

// Bands of an odd height, so that they don't divide the pictures evenly.
inline ReadOutcome readStream(const Opener &open, PictureFile file, const ReadOptions &options, bool keep)
{
    ReadOutcome out;
    OpenedPicture opened = open(std::move(file), options);
    if (!opened.ok()) {
        EXPECT_FALSE(opened.message.isEmpty()) << "refused without a cause";
        out.message = opened.message;
        return out;
    }
    RowStream &rows = *opened.rows;
    out.opened = true;
    out.width = rows.width();
    out.height = rows.height();
    out.workingBytes = rows.workingBytes();
    EXPECT_GT(out.width, 0);
    EXPECT_GT(out.height, 0);
    EXPECT_LE((long long)out.width * out.height, kMaxPicturePixels);
    EXPECT_GT(out.workingBytes, 0u);
    if (out.width <= 0 || out.height <= 0)
        return out;
    constexpr int kBand = 7;
    Picture band(out.width, kBand);
    if (keep)
        out.picture = Picture(out.width, out.height);
    for (int y = 0; y < out.height; y += kBand) {
        const int count = std::min(kBand, out.height - y);
        std::vector<Colour *> pointers;
        for (int i = 0; i < count; ++i)
            pointers.push_back(keep ? out.picture.row(y + i) : band.row(i));
        if (!rows.readRows(pointers.data(), count)) {
            out.message = rows.message();
            EXPECT_FALSE(out.message.isEmpty()) << "broke without a cause";
            EXPECT_FALSE(rows.readRows(pointers.data(), 1)) << "rows after the stream broke";
            return out;
        }
    }
    out.complete = rows.finish();
    if (!out.complete)
        out.message = rows.message();
    // Upright, as the file means it to be seen.
    const QSize upright = turnOf(rows.orientation()).upright(QSize(out.width, out.height));
    out.width = upright.width();
    out.height = upright.height();
    if (keep && out.complete)
        applyOrientation(out.picture, rows.orientation());
    return out;
}

// The reader owns the descriptor: closed once the picture is let go. `read`
// stands in for the system's pread where given.
inline ReadOutcome readFile(const Opener &open, const QString &path, const ReadOptions &options, bool keep = true,
                            PictureFile::ReadFunction read = nullptr)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    EXPECT_GE(fd, 0) << path.toStdString();
    if (fd < 0)
        return {};
    ReadOutcome out = readStream(open, PictureFile(fd, path, read), options, keep);
    EXPECT_EQ(::fcntl(fd, F_GETFD), -1) << "descriptor left open";
    return out;
}

inline ReadOutcome readFile(const Opener &open, const QString &path, Colour matte, bool keep = true,
                            PictureFile::ReadFunction read = nullptr)
{
    return readFile(open, path, ReadOptions{matte}, keep, read);
}

// Bytes as a file held in memory.
inline PictureFile pictureFileOf(const QByteArray &bytes)
{
    const int fd = ::memfd_create("picture", MFD_CLOEXEC);
    if (fd < 0 || ::write(fd, bytes.constData(), std::size_t(bytes.size())) != ssize_t(bytes.size())) {
        ADD_FAILURE() << "no memory file";
        if (fd >= 0)
            ::close(fd);
        return {};
    }
    return PictureFile(fd);
}

inline ReadOutcome readBytes(const Opener &open, const QByteArray &bytes, Colour matte)
{
    PictureFile file = pictureFileOf(bytes);
    if (!file.ok())
        return {};
    return readStream(open, std::move(file), ReadOptions{matte}, true);
}

// A rendering with its transparent parts laid over the matte, by the
// rounding the readers use; brought to sRGB first where asked.
inline Picture referenceOver(const QString &path, Colour matte, bool toSrgb = true)
{
    QImage image(path);
    if (toSrgb && image.colorSpace().isValid() && image.colorSpace() != QColorSpace(QColorSpace::SRgb))
        image.convertToColorSpace(QColorSpace::SRgb);
    image = image.convertToFormat(QImage::Format_ARGB32);
    Picture picture(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const unsigned a = unsigned(qAlpha(line[x]));
            const auto over = [a](int value, int m) { return int((unsigned(value) * a + unsigned(m) * (255u - a) + 127u) / 255u); };
            picture.row(y)[x] = rgb(over(qRed(line[x]), redOf(matte)), over(qGreen(line[x]), greenOf(matte)),
                                    over(qBlue(line[x]), blueOf(matte)));
        }
    }
    return picture;
}

} // namespace tess::testing
