#pragma once
// Reading back the thumbnail files the encoders write, independently of the
// program's own readers: PNG through Qt, WebP through libwebp's decoder.
#include "codecs/picture_codecs.h"
#include "platform/picture.h"

#include "support/decoded_picture.h"

#include <QByteArray>
#include <QImage>
#include <QStringList>
#include <optional>
#include <webp/decode.h>

namespace tess::testing {

inline bool isPng(const QByteArray &bytes) { return bytes.startsWith("\x89PNG\r\n\x1a\n"); }
inline bool isWebp(const QByteArray &bytes) { return bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WEBP"; }
inline bool isAvif(const QByteArray &bytes) { return bytes.mid(4, 8) == "ftypavif"; }
// A bare JPEG XL codestream; the container (which could hold metadata) is not one.
inline bool isJxlCodestream(const QByteArray &bytes) { return bytes.startsWith("\xFF\x0A"); }

// Whether an AVIF's AV1 configuration says its colour is at half resolution
// (4:2:0) rather than full (4:4:4); nothing when the file holds no av1C box.
inline std::optional<bool> avifChromaHalved(const QByteArray &bytes)
{
    const qsizetype at = bytes.indexOf("av1C");
    if (at < 0 || at + 7 > bytes.size())
        return std::nullopt;
    // After the marker/version and profile/level bytes: tier, high bit depth,
    // twelve bit, monochrome, subsampling x, subsampling y, sample position.
    const quint8 flags = quint8(bytes[at + 6]);
    return (flags & 0x0C) == 0x0C;
}

// The pictures of a PNG, a WebP, or whatever the program's reader takes; empty when none reads it.
inline Picture decodeThumbnail(const QByteArray &bytes)
{
    if (isPng(bytes))
        return Picture::fromImage(QImage::fromData(bytes, "PNG"));
    if (isWebp(bytes)) {
        int width = 0;
        int height = 0;
        uint8_t *rgba = WebPDecodeRGBA(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()),
                                       &width, &height);
        if (!rgba)
            return {};
        Picture picture(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint8_t *p = rgba + 4 * (std::size_t(y) * std::size_t(width) + std::size_t(x));
                picture.setPixel(x, y, rgb(p[0], p[1], p[2]));
            }
        WebPFree(rgba);
        return picture;
    }
    const DecodedPicture decoded = decodePictureData(bytes, QStringLiteral("thumbnail"));
    return decoded.ok() ? decoded.picture : Picture();
}

inline quint32 bigEndian32(const QByteArray &bytes, qsizetype at)
{
    quint32 v = 0;
    for (int i = 0; i < 4; ++i)
        v = (v << 8) | quint8(bytes[at + i]);
    return v;
}

inline quint32 littleEndian32(const QByteArray &bytes, qsizetype at)
{
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | quint8(bytes[at + i]);
    return v;
}

// The chunk types of a PNG or of a WebP's RIFF, in file order, runs of one
// type counted once ("IDAT" however many); "<cut>" where a chunk runs past the end.
inline QStringList chunkTypes(const QByteArray &bytes)
{
    QStringList types;
    const bool png = isPng(bytes);
    qsizetype at = png ? 8 : 12;
    while (at + 8 <= bytes.size()) {
        const QString type = QString::fromLatin1(bytes.mid(png ? at + 4 : at, 4));
        const quint32 length = png ? bigEndian32(bytes, at) : littleEndian32(bytes, at + 4);
        // PNG: length, type, data, CRC; RIFF: type, length, data padded to even.
        const qsizetype next = png ? at + 12 + qsizetype(length) : at + 8 + qsizetype(length) + (length & 1);
        if (next > bytes.size()) {
            types.append(QStringLiteral("<cut>"));
            break;
        }
        if (types.isEmpty() || types.last() != type)
            types.append(type);
        at = next;
    }
    return types;
}

} // namespace tess::testing
