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

// A bitmap is 24-bit; a JPEG uses Compression (clamped to 1..100) as its
// quality, with full colour resolution from 90 up.
EncodedThumbnail encodeThumbnail(const Picture &canvas, const ThumbSettings &settings, const QString &outputPath);

} // namespace tess
