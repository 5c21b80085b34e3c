#pragma once
#include "platform/failure.h"
#include "platform/picture.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <span>

namespace tess {

// Largest picture we decode: its pixel buffer (4 bytes a pixel) is allocated
// before any pixel is read, so a header alone must never make us allocate more.
inline constexpr long long kMaxPicturePixels = 16384LL * 16384LL;

// A 24-bit bottom-up Windows bitmap (BITMAPFILEHEADER + BITMAPINFOHEADER).
QByteArray encodeBmp(const Picture &picture);

struct JpegOptions {
    int quality = 100;           // libjpeg quality, 1 to 100 (values outside are clamped)
    bool fullChroma = false;     // 4:4:4 instead of 4:2:0
    bool optimiseHuffman = true; // smaller files, same pixels
};
// JPEG bytes, or a failure (named after nameForMessages) when the encoder fails.
std::optional<QByteArray> encodeJpeg(const Picture &picture, const JpegOptions &options,
                                     const QString &nameForMessages, Failure *failure = nullptr);

// An 8-bit RGB PNG holding only the pixels (no text, time, colour profile or
// other ancillary chunk), or a failure named after nameForMessages.
std::optional<QByteArray> encodePng(const Picture &picture, const QString &nameForMessages,
                                    Failure *failure = nullptr);

// One tEXt chunk: a Latin-1 keyword of 1 to 79 bytes, and Latin-1 text.
struct PngText {
    QByteArray key;
    QByteArray text;
};
// An 8-bit RGBA PNG, not interlaced, of pixels 0xAABBGGRR with straight
// colours, its texts as tEXt chunks before the image data, where a reader
// that stops at the first IDAT finds them.
std::optional<QByteArray> encodePngWithAlpha(const Picture &picture, std::span<const PngText> texts,
                                             const QString &nameForMessages, Failure *failure = nullptr);

// A WebP in the simple format (one VP8 chunk, or one VP8L chunk when
// lossless, no metadata): lossy at quality 1 to 100 (values outside are
// clamped), or lossless with every RGB value exact (quality then unused). A
// failure named after nameForMessages otherwise; a side over 16383 pixels is one.
std::optional<QByteArray> encodeWebp(const Picture &picture, int quality, bool lossless,
                                     const QString &nameForMessages, Failure *failure = nullptr);

// An AVIF (AV1 in HEIF, through libheif and its aom encoder): 8-bit RGB
// stored as full-range YCbCr, no alpha, no metadata, colour signalled as
// sRGB (nclx: BT.709 primaries, sRGB transfer). quality 1 to 100 as for
// JPEG; fullChroma keeps 4:4:4 instead of 4:2:0. One thread.
std::optional<QByteArray> encodeAvif(const Picture &picture, int quality, bool fullChroma,
                                     const QString &nameForMessages, Failure *failure = nullptr);

// A JPEG XL codestream (no container, so no metadata), 8-bit RGB without
// alpha, its colour encoding sRGB: lossy at quality 1 to 100 as for JPEG, or
// lossless (modular, distance 0) with every RGB value exact. One thread.
std::optional<QByteArray> encodeJxl(const Picture &picture, int quality, bool lossless,
                                    const QString &nameForMessages, Failure *failure = nullptr);

} // namespace tess
