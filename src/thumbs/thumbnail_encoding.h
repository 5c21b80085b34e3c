#pragma once
#include "platform/failure.h"
#include "platform/picture.h"
#include "settings/thumb_settings.h"

#include <QByteArray>
#include <optional>

namespace tess {

// A canvas as the bytes of its thumbnail file, made before the file is
// written (on whichever thread composed it).
struct EncodedThumbnail {
    QByteArray bytes;
    std::optional<Failure> failure; // the encoder's, naming outputPath

    bool ok() const { return !failure.has_value(); }
};

// How a run writes its thumbnails beyond what the settings say.
struct EncodeOptions {
    // WebP and JPEG XL without loss; the other kinds as ever (BMP and PNG
    // are lossless anyway, JPEG and AVIF have no such form here).
    bool lossless = false;
};

// The thumbnail file's extension: ".bmp" for FileType 1, ".png" for 2,
// ".webp" for 3, ".avif" for 4, ".jxl" for 5, ".jpg" for any other value (the
// encoder writes a JPEG then).
const char *thumbnailExtension(int fileType);

// FileType 1 is a 24-bit bitmap, 2 an 8-bit RGB PNG, 3 a WebP, 4 an AVIF, 5 a
// JPEG XL and any other value a JPEG. The lossy kinds take Compression
// (clamped to 1..100) as their quality; JPEG and AVIF have full colour
// resolution from 90 up. No file carries anything but the pixels (and, for
// AVIF and JPEG XL, the sRGB they are in).
EncodedThumbnail encodeThumbnail(const Picture &canvas, const ThumbSettings &settings, const QString &outputPath,
                                 const EncodeOptions &options = {});

} // namespace tess
