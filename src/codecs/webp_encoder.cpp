#include "codecs/codec_messages.h"
#include "codecs/picture_codecs.h"

#include <webp/encode.h>

#include <algorithm>

namespace tess {

std::optional<QByteArray> encodeWebp(const Picture &picture, int quality, bool lossless,
                                     const QString &nameForMessages, Failure *failure)
{
    const auto fail = [&]() -> std::optional<QByteArray> {
        if (failure)
            *failure = Failure{nameForMessages, codecmessages::cannotEncode()};
        return std::nullopt;
    };
    if (picture.isEmpty() || picture.width() > WEBP_MAX_DIMENSION || picture.height() > WEBP_MAX_DIMENSION)
        return fail();

    WebPConfig config;
    if (!WebPConfigInit(&config))
        return fail(); // a libwebp other than the one we were built with
    if (lossless) {
        // Lossless WebP's quality is its effort, which Compression does not
        // speak of: libwebp's default effort. Exact: pixels are never altered
        // for a smaller file.
        config.lossless = 1;
        config.exact = 1;
    } else {
        config.lossless = 0;
        config.quality = float(std::clamp(quality, 1, 100));
    }

    WebPPicture input;
    if (!WebPPictureInit(&input))
        return fail();
    // Lossless works on ARGB; imported as YUV the colours would already be rounded.
    input.use_argb = lossless ? 1 : 0;
    input.width = picture.width();
    input.height = picture.height();
    // Our rows are R, G, B, 0, which is what the RGBX import reads.
    const auto *rows = reinterpret_cast<const uint8_t *>(picture.bits());
    if (!WebPPictureImportRGBX(&input, rows, picture.width() * int(sizeof(Colour)))) {
        WebPPictureFree(&input);
        return fail();
    }
    // The simple format: one VP8 or VP8L chunk in the RIFF, no EXIF, XMP or ICC.
    WebPMemoryWriter writer;
    WebPMemoryWriterInit(&writer);
    input.writer = WebPMemoryWrite;
    input.custom_ptr = &writer;
    const bool ok = WebPEncode(&config, &input) != 0;
    WebPPictureFree(&input);
    if (!ok) {
        WebPMemoryWriterClear(&writer);
        return fail();
    }
    QByteArray bytes(reinterpret_cast<const char *>(writer.mem), qsizetype(writer.size));
    WebPMemoryWriterClear(&writer);
    return bytes;
}

} // namespace tess
