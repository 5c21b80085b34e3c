#pragma once
// Helpers shared by the picture codec tests: corpus paths, reference pictures
// loaded through Qt's own readers, and per-channel comparisons.
#include "platform/picture.h"
#include "support/test_pictures.h"

#include <QFile>
#include <QImage>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace tess::testing {

inline QString corpus(const QString &relative)
{
    return QStringLiteral(TESS_CORPUS_DIR "/") + relative;
}

// Rows of a tab-separated corpus manifest, header line left out.
inline std::vector<QStringList> readManifest(const QString &relative)
{
    std::vector<QStringList> rows;
    QFile file(corpus(relative));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return rows;
    bool header = true;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (header) {
            header = false;
            continue;
        }
        if (!line.isEmpty())
            rows.push_back(line.split(QLatin1Char('\t')));
    }
    return rows;
}

inline Picture loadReference(const QString &path)
{
    QImage image(path);
    if (image.hasAlphaChannel()) // transparent parts are shown over black
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return Picture::fromImage(image);
}

struct Difference {
    int maxChannel = 0;
    double meanChannel = 0; // mean absolute difference over all channels
    long long pixelsDiffering = 0;
};

inline Difference compare(const Picture &a, const Picture &b)
{
    Difference d;
    if (a.width() != b.width() || a.height() != b.height()) {
        d.maxChannel = 256;
        d.meanChannel = 256;
        return d;
    }
    long long sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const Colour p = a.row(y)[x];
            const Colour q = b.row(y)[x];
            const int dr = std::abs(redOf(p) - redOf(q));
            const int dg = std::abs(greenOf(p) - greenOf(q));
            const int db = std::abs(blueOf(p) - blueOf(q));
            d.maxChannel = std::max({d.maxChannel, dr, dg, db});
            sum += dr + dg + db;
            d.pixelsDiffering += (dr | dg | db) != 0;
        }
    }
    const long long channels = 3LL * a.width() * a.height();
    d.meanChannel = channels ? double(sum) / double(channels) : 0.0;
    return d;
}

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// One entry of an EXIF directory, its value held in the entry itself.
struct ExifEntry {
    unsigned tag;
    unsigned type; // 3 = SHORT, 4 = LONG
    std::uint32_t count;
    std::uint32_t value;
};

// An EXIF block as cameras write it: "Exif\0\0" (unless left out), the TIFF
// header in the given byte order and the directories chained one after another.
inline QByteArray exifBlock(bool littleEndian, const std::vector<std::vector<ExifEntry>> &directories,
                            bool withHeader = true)
{
    QByteArray tiff(littleEndian ? "II" : "MM");
    const auto put = [&](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            tiff += char(v >> (8 * (littleEndian ? i : bytes - 1 - i)));
    };
    put(42, 2);
    put(8, 4);
    for (std::size_t d = 0; d < directories.size(); ++d) {
        put(std::uint32_t(directories[d].size()), 2);
        for (const ExifEntry &e : directories[d]) {
            put(e.tag, 2);
            put(e.type, 2);
            put(e.count, 4);
            if (e.type == 3) {
                put(e.value, 2); // a SHORT sits in the first half of the field
                put(0, 2);
            } else {
                put(e.value, 4);
            }
        }
        put(d + 1 < directories.size() ? std::uint32_t(tiff.size() + 4) : 0, 4);
    }
    return (withHeader ? QByteArray("Exif\0\0", 6) : QByteArray()) + tiff;
}

// `jpeg` with `exif` as an APP1 segment right after its start marker.
inline QByteArray withExif(const QByteArray &jpeg, const QByteArray &exif)
{
    const int length = int(exif.size()) + 2;
    return jpeg.left(2) + QByteArray("\xFF\xE1", 2) + char(length >> 8) + char(length & 0xFF) + exif + jpeg.mid(2);
}

} // namespace tess::testing
