#include "codecs/webp_reader.h"

#include "codecs/codec_messages.h"
#include "codecs/exif_orientation.h"
#include "codecs/picture_codecs.h"
#include "codecs/row_converter.h"

#include <QtEndian>

#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>
#include <memory>
#include <vector>

namespace tess {

namespace {

// The first frame's bitstream within the file, and where it lies on the canvas.
struct FirstFrame {
    QByteArray file;
    qsizetype offset = 0;
    std::size_t size = 0;
    int canvasWidth = 0;
    int canvasHeight = 0;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::shared_ptr<const RowConverter> converter;

    bool coversCanvas() const
    {
        return left == 0 && top == 0 && width == canvasWidth && height == canvasHeight;
    }

    std::optional<QString> operator()(Picture &picture) const
    {
        static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "pixels are decoded in place as R, G, B, A bytes");
        const auto *bytes = reinterpret_cast<const std::uint8_t *>(file.constData()) + offset;
        Picture canvas(canvasWidth, canvasHeight);
        const std::size_t canvasStride = std::size_t(canvasWidth) * sizeof(Colour);
        if (coversCanvas()) {
            // The usual still picture: decoded straight into the canvas and
            // converted in place, a row at a time.
            auto *rgba = reinterpret_cast<std::uint8_t *>(canvas.bits());
            if (!WebPDecodeRGBAInto(bytes, size, rgba, canvasStride * std::size_t(canvasHeight), int(canvasStride)))
                return codecmessages::corrupt();
            for (int y = 0; y < canvasHeight; ++y)
                converter->convert(canvas.row(y), canvas.row(y), canvasWidth);
        } else {
            const std::size_t stride = std::size_t(width) * 4;
            const std::unique_ptr<std::uint8_t[]> frame(new std::uint8_t[stride * std::size_t(height)]);
            if (!WebPDecodeRGBAInto(bytes, size, frame.get(), stride * std::size_t(height), int(stride)))
                return codecmessages::corrupt();
            // Canvas the first frame leaves uncovered is clear: the matte.
            std::vector<std::uint8_t> samples(canvasStride, 0);
            for (int y = 0; y < canvasHeight; ++y) {
                const bool inFrame = y >= top && y < top + height;
                if (inFrame)
                    std::memcpy(&samples[std::size_t(left) * 4], &frame[std::size_t(y - top) * stride], stride);
                converter->convert(samples.data(), canvas.row(y), canvasWidth);
                if (inFrame)
                    std::memset(&samples[std::size_t(left) * 4], 0, stride);
            }
        }
        picture = std::move(canvas);
        return std::nullopt;
    }
};

QByteArray chunk(const WebPDemuxer *demux, const char *fourcc)
{
    QByteArray bytes;
    WebPChunkIterator it;
    if (WebPDemuxGetChunk(demux, fourcc, 1, &it)) {
        bytes = QByteArray(reinterpret_cast<const char *>(it.chunk.bytes), qsizetype(it.chunk.size));
        WebPDemuxReleaseChunkIterator(&it);
    }
    return bytes;
}

} // namespace

bool isWebp(const unsigned char *head, std::size_t size)
{
    return size >= 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WEBP", 4) == 0;
}

OpenedPicture openWebpPicture(PictureFile picture, const ReadOptions &options, const PictureLimits &limits)
{
    QByteArray file;
    switch (picture.readAll(file, limits.maxFileBytes)) {
    case PictureFile::Whole::Read: break;
    case PictureFile::Whole::TooLarge: return OpenedPicture::refused(codecmessages::tooLarge());
    case PictureFile::Whole::Failed: return OpenedPicture::refused(codecmessages::corrupt());
    }
    picture.close();
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(file.constData());

    WebPBitstreamFeatures features;
    if (WebPGetFeatures(bytes, std::size_t(file.size()), &features) != VP8_STATUS_OK)
        return OpenedPicture::refused(codecmessages::corrupt());
    const long long pixels = (long long)features.width * features.height;
    if (pixels > limits.maxPixels)
        return OpenedPicture::refused(codecmessages::tooLarge());
    if (limits.claimsMoreThanTheFileHolds(pixels, file.size()))
        return OpenedPicture::refused(codecmessages::corrupt());

    const WebPData data{bytes, std::size_t(file.size())};
    std::unique_ptr<WebPDemuxer, void (*)(WebPDemuxer *)> demux(WebPDemux(&data), WebPDemuxDelete);
    if (!demux)
        return OpenedPicture::refused(codecmessages::corrupt());
    FirstFrame first;
    first.canvasWidth = int(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH));
    first.canvasHeight = int(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT));
    WebPIterator frame;
    if (!WebPDemuxGetFrame(demux.get(), 1, &frame))
        return OpenedPicture::refused(codecmessages::corrupt());
    first.offset = qsizetype(frame.fragment.bytes - bytes);
    first.size = frame.fragment.size;
    first.left = frame.x_offset;
    first.top = frame.y_offset;
    first.width = frame.width;
    first.height = frame.height;
    WebPDemuxReleaseIterator(&frame);
    const std::uint32_t flags = WebPDemuxGetI(demux.get(), WEBP_FF_FORMAT_FLAGS);
    const QByteArray profile = (flags & ICCP_FLAG) ? chunk(demux.get(), "ICCP") : QByteArray();
    const QImageIOHandler::Transformations orientation
        = (flags & EXIF_FLAG) ? exifOrientation(chunk(demux.get(), "EXIF"))
                              : QImageIOHandler::Transformations(QImageIOHandler::TransformationNone);
    demux.reset();

    // The frame's own bitstream must be the size the container gives it, and
    // lie on the canvas.
    WebPBitstreamFeatures frameFeatures;
    if (WebPGetFeatures(bytes + first.offset, first.size, &frameFeatures) != VP8_STATUS_OK
        || frameFeatures.width != first.width || frameFeatures.height != first.height || first.left < 0
        || first.top < 0 || first.canvasWidth <= 0 || first.canvasHeight <= 0
        || first.left + first.width > first.canvasWidth || first.top + first.height > first.canvasHeight)
        return OpenedPicture::refused(codecmessages::corrupt());

    const std::size_t frameBytes = std::size_t(first.width) * std::size_t(first.height) * 4;
    // Beside our frame buffer, the lossless decoder holds the whole frame too;
    // the lossy one a few rows of macroblocks and an alpha plane.
    const std::size_t decoderBytes = frameFeatures.format == 2 ? frameBytes
                                                                : std::size_t(first.width) * 64 + frameBytes / 4;
    const std::size_t extra = std::size_t(file.size()) + decoderBytes
        + (first.coversCanvas() ? 0 : frameBytes + std::size_t(first.canvasWidth) * 4);
    const int width = first.canvasWidth;
    const int height = first.canvasHeight;
    first.converter = std::make_shared<const RowConverter>(SampleLayout::Rgba8, profile, options.matte);
    first.file = std::move(file);
    return wholePictureRows(width, height, std::move(first), extra, orientation);
}

} // namespace tess
