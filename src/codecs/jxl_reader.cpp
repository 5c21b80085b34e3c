#include "codecs/jxl_reader.h"

#include "codecs/codec_messages.h"
#include "codecs/exif_orientation.h"
#include "codecs/jxl_library.h"
#include "codecs/picture_codecs.h"
#include "codecs/row_converter.h"

#include <algorithm>
#include <cstring>
#include <cstdint>
#include <vector>

namespace tess {

namespace {

// Once a file is known for JPEG XL, libjxl is there.
const JxlCalls &jxl()
{
    return *loadedJxl();
}

// Read a chunk at a time; libjxl asks again for what it could not use yet.
constexpr std::size_t kChunk = 64 * 1024;

// libjxl's own buffers per pixel of a frame: floating-point planes of the
// colours and alpha (VarDCT), or 32-bit integer channels (modular), and the
// canvas an animation's frames are laid on; and the samples it hands us (at
// most four 16-bit channels).
constexpr std::size_t kLibraryBytesPerPixel = 32 + 8;

struct JxlDecoderDeleter {
    void operator()(JxlDecoder *decoder) const { jxl().DecoderDestroy(decoder); }
};

struct JxlRunnerDeleter {
    void operator()(void *runner) const { jxl().ThreadParallelRunnerDestroy(runner); }
};

// The decoder and the file it reads, from the header to the first frame.
struct JxlFile {
    PictureFile file;
    std::unique_ptr<JxlDecoder, JxlDecoderDeleter> decoder;
    std::unique_ptr<void, JxlRunnerDeleter> runner;
    std::vector<std::uint8_t> input; // what libjxl holds: its unread tail and the chunk after
    std::size_t chunk = kChunk;
    bool inputClosed = false;
    JxlBasicInfo info{};

    explicit JxlFile(PictureFile picture) : file(std::move(picture)) {}
    JxlFile(const JxlFile &) = delete;
    JxlFile &operator=(const JxlFile &) = delete;
    ~JxlFile()
    {
        decoder.reset();
        runner.reset();
    }

    // The next event libjxl reports, fed from the file as it asks. A file
    // that ends while libjxl still wants bytes is an error.
    JxlDecoderStatus next()
    {
        for (;;) {
            const JxlDecoderStatus status = jxl().DecoderProcessInput(decoder.get());
            if (status != JXL_DEC_NEED_MORE_INPUT)
                return status;
            if (inputClosed)
                return JXL_DEC_ERROR;
            const std::size_t unread = jxl().DecoderReleaseInput(decoder.get());
            input.erase(input.begin(), input.end() - std::ptrdiff_t(std::min(unread, input.size())));
            const std::size_t kept = input.size();
            input.resize(kept + chunk);
            const long long got = file.read(input.data() + kept, chunk);
            input.resize(kept + std::size_t(std::max(got, 0LL)));
            if (jxl().DecoderSetInput(decoder.get(), input.data(), input.size()) != JXL_DEC_SUCCESS)
                return JXL_DEC_ERROR;
            if (got <= 0) {
                jxl().DecoderCloseInput(decoder.get());
                inputClosed = true;
            }
        }
    }
};

// Whether the samples libjxl hands out are sRGB already (or sRGB's grey).
bool isSrgb(const JxlColorEncoding &encoding)
{
    return encoding.white_point == JXL_WHITE_POINT_D65 && encoding.transfer_function == JXL_TRANSFER_FUNCTION_SRGB
        && (encoding.color_space == JXL_COLOR_SPACE_GRAY
            || (encoding.color_space == JXL_COLOR_SPACE_RGB && encoding.primaries == JXL_PRIMARIES_SRGB));
}

QByteArray outputProfile(JxlDecoder *decoder)
{
    JxlColorEncoding encoding{};
    if (jxl().DecoderGetColorAsEncodedProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &encoding) == JXL_DEC_SUCCESS
        && isSrgb(encoding))
        return {};
    std::size_t size = 0;
    if (jxl().DecoderGetICCProfileSize(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &size) != JXL_DEC_SUCCESS || size == 0)
        return {};
    QByteArray icc(qsizetype(size), Qt::Uninitialized);
    if (jxl().DecoderGetColorAsICCProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA,
                                       reinterpret_cast<std::uint8_t *>(icc.data()), size) != JXL_DEC_SUCCESS)
        return {};
    return icc;
}

std::optional<QString> decodeFirstFrame(JxlFile &file, const QByteArray &icc, Colour matte, int width, int height,
                                        long long maxFileBytes, Picture &picture)
{
    const bool alpha = file.info.alpha_bits > 0;
    const bool grey = file.info.num_color_channels == 1;
    // Samples that still go through a profile keep 16 bits, so that a
    // linear or wide-gamut picture keeps its shadows.
    const bool wide = !icc.isEmpty();
    const SampleLayout layout = sampleLayoutOf(grey ? 1 : 3, alpha, wide);
    const RowConverter converter(layout, icc, matte);
    const JxlPixelFormat format{std::uint32_t(file.info.num_color_channels + (alpha ? 1 : 0)),
                                wide ? JXL_TYPE_UINT16 : JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    // The rest of the file in one piece: fed a chunk at a time, libjxl copies
    // what it holds and starts over on the frame with every chunk.
    const PictureFile &source = file.file;
    file.chunk = std::clamp(std::size_t(std::max(source.size() - source.position(), 0LL)), kChunk,
                            std::size_t(maxFileBytes));
    // Into one buffer of samples, then converted row by row: libjxl's pixel
    // callback costs it more than the copy does. In pixel memory, which a
    // photo's worth fills in a few page faults.
    std::vector<std::uint8_t, detail::PixelAllocator<std::uint8_t>> samples;
    const std::size_t rowBytes = std::size_t(width) * std::size_t(bytesPerPixel(layout));
    for (;;) {
        switch (file.next()) {
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
            std::size_t size = 0;
            if (jxl().DecoderImageOutBufferSize(file.decoder.get(), &format, &size) != JXL_DEC_SUCCESS
                || size != rowBytes * std::size_t(height))
                return codecmessages::unsupported();
            samples.resize(size);
            if (jxl().DecoderSetImageOutBuffer(file.decoder.get(), &format, samples.data(), size) != JXL_DEC_SUCCESS)
                return codecmessages::unsupported();
            break;
        }
        case JXL_DEC_FULL_IMAGE:
            // The first frame, as the animation would show it first; the rest is left unread.
            if (samples.empty())
                return codecmessages::corrupt();
            picture = Picture(width, height);
            for (int y = 0; y < height; ++y)
                converter.convert(samples.data() + std::size_t(y) * rowBytes, picture.row(y), width);
            return std::nullopt;
        case JXL_DEC_COLOR_ENCODING:
        case JXL_DEC_BASIC_INFO: break;
        default: return codecmessages::corrupt(); // an error, or the file ended before a frame
        }
    }
}

} // namespace

bool isJxl(const unsigned char *head, std::size_t size)
{
    // A bare codestream, or the container's signature box; told without
    // libjxl, which only a file opened as JPEG XL loads.
    static const unsigned char container[] = {0, 0, 0, 0x0C, 'J', 'X', 'L', ' ', 0x0D, 0x0A, 0x87, 0x0A};
    return (size >= 2 && head[0] == 0xFF && head[1] == 0x0A)
        || (size >= sizeof container && std::memcmp(head, container, sizeof container) == 0);
}

OpenedPicture openJxlPicture(PictureFile picture, const ReadOptions &options, const PictureLimits &limits)
{
    if (!loadedJxl() || !loadedJxl()->threads)
        return OpenedPicture::refused(codecmessages::unsupported());
    auto file = std::make_shared<JxlFile>(std::move(picture));
    file->decoder.reset(jxl().DecoderCreate(nullptr));
    JxlDecoder *decoder = file->decoder.get();
    // Groups of the picture decoded on as many threads as the caller allows.
    const int threads = std::max(1, options.threads);
    if (threads > 1)
        file->runner.reset(jxl().ThreadParallelRunnerCreate(nullptr, std::size_t(threads)));
    if (!decoder || (threads > 1 && !file->runner)
        || (file->runner && jxl().DecoderSetParallelRunner(decoder, jxl().ThreadParallelRunner, file->runner.get()) != JXL_DEC_SUCCESS)
        || jxl().DecoderSubscribeEvents(decoder, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE) != JXL_DEC_SUCCESS
        || jxl().DecoderSetKeepOrientation(decoder, JXL_TRUE) != JXL_DEC_SUCCESS
        || jxl().DecoderSetUnpremultiplyAlpha(decoder, JXL_TRUE) != JXL_DEC_SUCCESS)
        return OpenedPicture::refused(codecmessages::tooLarge());

    // The header, then the colour encoding, before any pixel.
    QByteArray icc;
    int width = 0, height = 0;
    QImageIOHandler::Transformations orientation = QImageIOHandler::TransformationNone;
    for (bool header = true; header;) {
        switch (file->next()) {
        case JXL_DEC_BASIC_INFO: {
            if (jxl().DecoderGetBasicInfo(decoder, &file->info) != JXL_DEC_SUCCESS)
                return OpenedPicture::refused(codecmessages::corrupt());
            const JxlBasicInfo &b = file->info;
            if (b.xsize == 0 || b.ysize == 0)
                return OpenedPicture::refused(codecmessages::corrupt());
            if (b.num_color_channels != 1 && b.num_color_channels != 3)
                return OpenedPicture::refused(codecmessages::unsupported());
            // Kept as stored: whoever draws it turns it, so no turned copy is made.
            width = int(b.xsize);
            height = int(b.ysize);
            orientation = orientationOfExifValue(int(b.orientation));
            break;
        }
        case JXL_DEC_COLOR_ENCODING:
            icc = outputProfile(decoder);
            header = false;
            break;
        default:
            return OpenedPicture::refused(codecmessages::corrupt());
        }
    }

    const Colour matte = options.matte;
    const std::size_t extra = std::size_t(width) * std::size_t(height) * kLibraryBytesPerPixel
        + std::size_t(std::max(file->file.size(), 0LL));
    const long long maxFileBytes = limits.maxFileBytes;
    return wholePictureRows(width, height, [file, icc, matte, width, height, maxFileBytes](Picture &picture) {
        return decodeFirstFrame(*file, icc, matte, width, height, maxFileBytes, picture);
    }, extra, orientation);
}

} // namespace tess
