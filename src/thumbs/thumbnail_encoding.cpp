#include "thumbs/thumbnail_encoding.h"

#include "codecs/picture_codecs.h"

#include <QCoreApplication>

#include <algorithm>
#include <iterator>

namespace tess {

namespace {

using Encoder = std::optional<QByteArray> (*)(const Picture &canvas, const ThumbSettings &settings,
                                              const EncodeOptions &options, const QString &outputPath,
                                              Failure *failure);

// The lossy kinds take Compression as their quality: 100 the best.
int qualityOf(const ThumbSettings &settings) { return std::clamp<int>(settings.Compression, 1, 100); }

// JPEG and AVIF keep full colour resolution from this quality up.
bool fullChromaOf(const ThumbSettings &settings) { return settings.Compression >= 90; }

std::optional<QByteArray> toBmp(const Picture &canvas, const ThumbSettings &, const EncodeOptions &,
                                const QString &, Failure *)
{
    QByteArray bytes = encodeBmp(canvas);
    if (bytes.isEmpty())
        return std::nullopt;
    return bytes;
}

std::optional<QByteArray> toPng(const Picture &canvas, const ThumbSettings &, const EncodeOptions &,
                                const QString &outputPath, Failure *failure)
{
    return encodePng(canvas, outputPath, failure);
}

std::optional<QByteArray> toWebp(const Picture &canvas, const ThumbSettings &settings,
                                 const EncodeOptions &options, const QString &outputPath, Failure *failure)
{
    return encodeWebp(canvas, qualityOf(settings), options.lossless, outputPath, failure);
}

std::optional<QByteArray> toAvif(const Picture &canvas, const ThumbSettings &settings, const EncodeOptions &,
                                 const QString &outputPath, Failure *failure)
{
    return encodeAvif(canvas, qualityOf(settings), fullChromaOf(settings), outputPath, failure);
}

std::optional<QByteArray> toJxl(const Picture &canvas, const ThumbSettings &settings,
                                const EncodeOptions &options, const QString &outputPath, Failure *failure)
{
    return encodeJxl(canvas, qualityOf(settings), options.lossless, outputPath, failure);
}

std::optional<QByteArray> toJpeg(const Picture &canvas, const ThumbSettings &settings, const EncodeOptions &,
                                 const QString &outputPath, Failure *failure)
{
    JpegOptions options;
    options.quality = qualityOf(settings);
    options.fullChroma = fullChromaOf(settings);
    options.optimiseHuffman = true;
    return encodeJpeg(canvas, options, outputPath, failure);
}

// Every file type a thumbnail is written as: its extension, its encoder and
// what its failure says when the encoder gives no cause.
struct OutputType {
    int fileType;
    const char *extension;
    Encoder encode;
    const char *cannotEncode;
};

const OutputType kJpeg{FileTypeJpeg, ".jpg", toJpeg, QT_TRANSLATE_NOOP("Thumbnails", "JPEGに変換できません。")};
const OutputType kOutputTypes[] = {
    kJpeg,
    {FileTypeBitmap, ".bmp", toBmp, QT_TRANSLATE_NOOP("Thumbnails", "ビットマップに変換できません。")},
    {FileTypePng, ".png", toPng, QT_TRANSLATE_NOOP("Thumbnails", "PNGに変換できません。")},
    {FileTypeWebp, ".webp", toWebp, QT_TRANSLATE_NOOP("Thumbnails", "WebPに変換できません。")},
    {FileTypeAvif, ".avif", toAvif, QT_TRANSLATE_NOOP("Thumbnails", "AVIFに変換できません。")},
    {FileTypeJpegXl, ".jxl", toJxl, QT_TRANSLATE_NOOP("Thumbnails", "JPEG XLに変換できません。")},
};

// A FileType the settings window does not offer is written as a JPEG.
const OutputType &outputTypeOf(int fileType)
{
    const auto found = std::find_if(std::begin(kOutputTypes), std::end(kOutputTypes),
                                    [fileType](const OutputType &type) { return type.fileType == fileType; });
    return found == std::end(kOutputTypes) ? kJpeg : *found;
}

} // namespace

const char *thumbnailExtension(int fileType)
{
    return outputTypeOf(fileType).extension;
}

EncodedThumbnail encodeThumbnail(const Picture &canvas, const ThumbSettings &settings, const QString &outputPath,
                                 const EncodeOptions &options)
{
    const OutputType &type = outputTypeOf(settings.FileType);
    EncodedThumbnail encoded;
    Failure failure;
    std::optional<QByteArray> bytes = type.encode(canvas, settings, options, outputPath, &failure);
    if (!bytes) {
        if (failure.message.isEmpty())
            failure = {outputPath, QCoreApplication::translate("Thumbnails", type.cannotEncode)};
        encoded.failure = failure;
        return encoded;
    }
    encoded.bytes = std::move(*bytes);
    return encoded;
}

} // namespace tess
