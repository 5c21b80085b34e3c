#include "thumbs/thumbnail_encoding.h"

#include "codecs/picture_codecs.h"

#include <algorithm>

namespace tess {

namespace {

EncodedThumbnail fromEncoder(std::optional<QByteArray> bytes, Failure failure, const QString &outputPath,
                             const QString &fallbackCause)
{
    EncodedThumbnail encoded;
    if (!bytes) {
        if (failure.message.isEmpty())
            failure = {outputPath, fallbackCause};
        encoded.failure = failure;
        return encoded;
    }
    encoded.bytes = std::move(*bytes);
    return encoded;
}

} // namespace

EncodedThumbnail encodeThumbnail(const Picture &canvas, const ThumbSettings &settings, const QString &outputPath)
{
    EncodedThumbnail encoded;
    Failure failure;
    switch (settings.FileType) {
    case FileTypeBitmap:
        encoded.bytes = encodeBmp(canvas);
        if (encoded.bytes.isEmpty())
            encoded.failure = Failure{outputPath, QStringLiteral("ビットマップに変換できません。")};
        return encoded;
    case FileTypePng: {
        auto png = encodePng(canvas, outputPath, &failure);
        return fromEncoder(std::move(png), failure, outputPath, QStringLiteral("PNGに変換できません。"));
    }
    case FileTypeWebp: {
        // Compression means the same to WebP as to JPEG: 100 the best.
        auto webp = encodeWebp(canvas, std::clamp<int>(settings.Compression, 1, 100), outputPath, &failure);
        return fromEncoder(std::move(webp), failure, outputPath, QStringLiteral("WebPに変換できません。"));
    }
    default:
        break; // 0 and any value the settings window does not offer
    }
    JpegOptions options;
    options.quality = std::clamp<int>(settings.Compression, 1, 100);
    options.fullChroma = settings.Compression >= 90;
    options.optimiseHuffman = true;
    auto jpeg = encodeJpeg(canvas, options, outputPath, &failure);
    return fromEncoder(std::move(jpeg), failure, outputPath, QStringLiteral("JPEGに変換できません。"));
}

} // namespace tess
