#include "thumbs/thumbnail_encoding.h"

#include "codecs/picture_codecs.h"

#include <algorithm>

namespace tess {

EncodedThumbnail encodeThumbnail(const Picture &canvas, const ThumbSettings &settings, const QString &outputPath)
{
    EncodedThumbnail encoded;
    if (settings.FileType == FileTypeBitmap) {
        encoded.bytes = encodeBmp(canvas);
        if (encoded.bytes.isEmpty())
            encoded.failure = Failure{outputPath, QStringLiteral("ビットマップに変換できません。")};
        return encoded;
    }
    JpegOptions options;
    options.quality = std::clamp<int>(settings.Compression, 1, 100);
    options.fullChroma = settings.Compression >= 90;
    options.optimiseHuffman = true;
    Failure failure;
    auto jpeg = encodeJpeg(canvas, options, outputPath, &failure);
    if (!jpeg) {
        if (failure.message.isEmpty())
            failure = {outputPath, QStringLiteral("JPEGに変換できません。")};
        encoded.failure = failure;
        return encoded;
    }
    encoded.bytes = std::move(*jpeg);
    return encoded;
}

} // namespace tess
