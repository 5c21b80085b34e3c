#include "codecs/jpeg_decoder.h"

#include "codecs/codec_messages.h"
#include "codecs/jpeg_errors.h"
#include "codecs/jpeg_memory.h"

#include <jerror.h>

#include <array>
#include <memory>

namespace tess {

namespace {

// A libjpeg data source reading a QIODevice in chunks, so neither a whole file
// nor a second copy of a byte array is held while decoding.
struct DeviceSource {
    static constexpr std::size_t kChunk = 64 * 1024;
    jpeg_source_mgr pub;
    QIODevice *device;
    std::array<JOCTET, kChunk> buffer;
};

DeviceSource &sourceOf(j_decompress_ptr info) { return *reinterpret_cast<DeviceSource *>(info->src); }

void initSource(j_decompress_ptr) {}

boolean fillInput(j_decompress_ptr info)
{
    DeviceSource &source = sourceOf(info);
    const qint64 got = source.device->read(reinterpret_cast<char *>(source.buffer.data()),
                                           qint64(source.buffer.size()));
    if (got <= 0) {
        // Out of data: hand the decoder an end-of-image marker, as libjpeg's own
        // sources do; the warning lets the caller tell a cut file from a good one.
        WARNMS(info, JWRN_JPEG_EOF);
        source.buffer[0] = 0xFF;
        source.buffer[1] = JPEG_EOI;
        source.pub.next_input_byte = source.buffer.data();
        source.pub.bytes_in_buffer = 2;
        return TRUE;
    }
    source.pub.next_input_byte = source.buffer.data();
    source.pub.bytes_in_buffer = std::size_t(got);
    return TRUE;
}

void skipInput(j_decompress_ptr info, long count)
{
    if (count <= 0)
        return;
    DeviceSource &source = sourceOf(info);
    while (std::size_t(count) > source.pub.bytes_in_buffer) {
        count -= long(source.pub.bytes_in_buffer);
        fillInput(info);
    }
    source.pub.next_input_byte += count;
    source.pub.bytes_in_buffer -= std::size_t(count);
}

void termSource(j_decompress_ptr) {}

// The state the guarded steps share: plain pointers and numbers only.
struct DecodeJob {
    jpeg_decompress_struct *info;
    DeviceSource *source;
    Colour *pixels;
    bool cmyk;
    JpegErrorManager *errors;
};

void headerStep(void *context)
{
    auto &job = *static_cast<DecodeJob *>(context);
    jpeg_create_decompress(job.info);
    DeviceSource &source = *job.source;
    source.pub.init_source = initSource;
    source.pub.fill_input_buffer = fillInput;
    source.pub.skip_input_data = skipInput;
    source.pub.resync_to_restart = jpeg_resync_to_restart;
    source.pub.term_source = termSource;
    source.pub.bytes_in_buffer = 0;
    source.pub.next_input_byte = nullptr;
    job.info->src = &source.pub;
    jpeg_read_header(job.info, TRUE);
}

void startStep(void *context)
{
    auto &job = *static_cast<DecodeJob *>(context);
    jpeg_decompress_struct *info = job.info;
    job.cmyk = info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK;
    // CMYK comes out four bytes a pixel too, so it lands in the picture's own
    // rows and is turned into RGB where it lies.
    info->out_color_space = job.cmyk ? JCS_CMYK : JCS_EXT_RGBX;
    jpeg_start_decompress(info);
}

// Adobe writes inverted ink values (255 = no ink), which libjpeg hands on as
// they are, so a channel's light is its value scaled by the black's value.
void cmykToColour(JSAMPROW row, JDIMENSION width)
{
    for (JDIMENSION x = 0; x < width; ++x) {
        JSAMPLE *p = row + 4 * x;
        const unsigned k = p[3];
        p[0] = JSAMPLE((p[0] * k + 127) / 255);
        p[1] = JSAMPLE((p[1] * k + 127) / 255);
        p[2] = JSAMPLE((p[2] * k + 127) / 255);
        p[3] = 0;
    }
}

void rowsStep(void *context)
{
    auto &job = *static_cast<DecodeJob *>(context);
    jpeg_decompress_struct *info = job.info;
    constexpr int kBatch = 16;
    JSAMPROW rows[kBatch];
    const std::size_t width = info->output_width;
    while (info->output_scanline < info->output_height) {
        const JDIMENSION first = info->output_scanline;
        const JDIMENSION wanted = std::min<JDIMENSION>(kBatch, info->output_height - first);
        for (JDIMENSION i = 0; i < wanted; ++i)
            rows[i] = reinterpret_cast<JSAMPROW>(job.pixels + (first + i) * width);
        const JDIMENSION got = jpeg_read_scanlines(info, rows, wanted);
        noteJpegRowsOutput(*job.errors, *info);
        if (job.cmyk) {
            for (JDIMENSION i = 0; i < got; ++i)
                cmykToColour(rows[i], info->output_width);
        }
        if (got == 0)
            break; // a suspending source would do this; ours never suspends
    }
}

void finishStep(void *context)
{
    jpeg_finish_decompress(static_cast<DecodeJob *>(context)->info);
}

QString messageFor(int errorCode)
{
    switch (errorCode) {
    case JERR_BAD_PRECISION:
    case JERR_SOF_UNSUPPORTED:
    case JERR_CONVERSION_NOTIMPL:
    case JERR_ARITH_NOTIMPL:
    case JERR_NOT_COMPILED:
        return codecmessages::unsupported();
    case JERR_IMAGE_TOO_BIG:
    case JERR_NO_BACKING_STORE:
    case JERR_OUT_OF_MEMORY:
        return codecmessages::tooLarge();
    default:
        return codecmessages::corrupt();
    }
}

// Owns the libjpeg struct so it is destroyed on every way out.
struct Decompressor {
    jpeg_decompress_struct info{};
    JpegErrorManager errors;
    Decompressor() { installJpegErrors(reinterpret_cast<j_common_ptr>(&info), errors); }
    ~Decompressor() { jpeg_destroy_decompress(&info); }
    Decompressor(const Decompressor &) = delete;
    Decompressor &operator=(const Decompressor &) = delete;
};

} // namespace

DecodedPicture decodeJpeg(QIODevice &in, const QString &nameForMessages)
{
    DecodedPicture result;
    const auto fail = [&](const QString &message) {
        result.picture.reset();
        result.failure = Failure{nameForMessages, message};
        return std::move(result);
    };

    auto source = std::make_unique<DeviceSource>();
    source->device = &in;
    Decompressor d;
    DecodeJob job{&d.info, source.get(), nullptr, false, &d.errors};
    if (!runJpegStep(d.errors, headerStep, &job))
        return fail(messageFor(d.errors.errorCode));

    const long long width = d.info.image_width;
    const long long height = d.info.image_height;
    if (width <= 0 || height <= 0)
        return fail(codecmessages::corrupt());
    if (width * height > kMaxPicturePixels)
        return fail(codecmessages::tooLarge()); // before a single pixel is allocated

    limitJpegMemory(&d.info);
    if (!runJpegStep(d.errors, startStep, &job))
        return fail(messageFor(d.errors.errorCode));
    if (d.info.output_width != d.info.image_width || d.info.output_height != d.info.image_height
        || d.info.output_components != 4)
        return fail(codecmessages::unsupported());

    result.picture = Picture(int(width), int(height));
    job.pixels = result.picture.bits();
    if (!runJpegStep(d.errors, rowsStep, &job) || d.info.output_scanline < d.info.output_height)
        return fail(messageFor(d.errors.errorCode));

    // A cut file: the decoder ran out of bytes and filled the rest with grey.
    if (jpegDataWasCut(d.errors, d.info))
        return fail(codecmessages::corrupt());

    // Every row is in; trouble after the last row (a bad trailer) costs nothing.
    runJpegStep(d.errors, finishStep, &job);
    return result;
}

} // namespace tess
