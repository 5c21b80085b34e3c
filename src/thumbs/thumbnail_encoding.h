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

// The thumbnail file's extension: ".bmp" for FileType 1, ".png" for 2,
// ".webp" for 3, ".jpg" for any other value (the encoder writes a JPEG then).
const char *thumbnailExtension(int fileType);

// FileType 1 is a 24-bit bitmap, 2 an 8-bit RGB PNG, 3 a lossy WebP and any
// other value a JPEG. JPEG and WebP take Compression (clamped to 1..100) as
// their quality; a JPEG has full colour resolution from 90 up. No file carries
// anything but the pixels.
EncodedThumbnail encodeThumbnail(const Picture &canvas, const ThumbSettings &settings, const QString &outputPath);

} // namespace tess
