#include "codecs/codec_messages.h"
#include "codecs/jxl_library.h"
#include "codecs/picture_codecs.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace tess {

namespace {

// libjxl's effort, 1 (fastest) to 9; 7 by default. At 3 a run writing
// 128 x 128 JPEG XL thumbnails of 12-megapixel photos takes about as long as
// one writing JPEGs (bench/run_encoders.sh).
constexpr int kEffort = 3;

// Compression as a butteraugli distance: 90 is 1.0 (visually lossless),
// each step below adds 0.09 (40: 5.5, 1: 9.0), 100 is 0.1, the closest lossy.
// The lossless file is the run's --lossless, never a quality figure.
float distanceOf(int quality)
{
    return 0.1f + float(100 - std::clamp(quality, 1, 100)) * 0.09f;
}

} // namespace

std::optional<QByteArray> encodeJxl(const Picture &picture, int quality, bool lossless,
                                    const QString &nameForMessages, Failure *failure)
{
    const auto fail = [&](const QString &cause) -> std::optional<QByteArray> {
        if (failure)
            *failure = Failure{nameForMessages, cause};
        return std::nullopt;
    };
    const JxlCalls *jxl = loadedJxl();
    if (!jxl)
        return fail(codecmessages::noEncoder());
    if (picture.isEmpty())
        return fail(codecmessages::cannotEncode());

    const auto destroy = [jxl](JxlEncoder *encoder) { jxl->EncoderDestroy(encoder); };
    // No parallel runner: libjxl encodes on the calling thread alone.
    std::unique_ptr<JxlEncoder, decltype(destroy)> encoder(jxl->EncoderCreate(nullptr), destroy);
    if (!encoder)
        return fail(codecmessages::tooLarge());

    JxlBasicInfo info;
    jxl->EncoderInitBasicInfo(&info);
    info.xsize = std::uint32_t(picture.width());
    info.ysize = std::uint32_t(picture.height());
    info.bits_per_sample = 8;
    info.num_color_channels = 3;
    info.num_extra_channels = 0;
    info.alpha_bits = 0;
    // Lossless keeps the samples as they are; lossy works in libjxl's own
    // colour space and says sRGB in the header.
    info.uses_original_profile = lossless ? JXL_TRUE : JXL_FALSE;
    JxlColorEncoding srgb;
    jxl->ColorEncodingSetToSRGB(&srgb, JXL_FALSE);
    // A bare codestream: no box could carry metadata.
    if (jxl->EncoderUseContainer(encoder.get(), JXL_FALSE) != JXL_ENC_SUCCESS
        || jxl->EncoderSetBasicInfo(encoder.get(), &info) != JXL_ENC_SUCCESS
        || jxl->EncoderSetColorEncoding(encoder.get(), &srgb) != JXL_ENC_SUCCESS)
        return fail(codecmessages::cannotEncode());

    // libjxl subsamples colour only when it repacks a JPEG: pictures keep
    // full colour resolution at every quality.
    JxlEncoderFrameSettings *settings = jxl->EncoderFrameSettingsCreate(encoder.get(), nullptr);
    if (!settings || jxl->EncoderFrameSettingsSetOption(settings, JXL_ENC_FRAME_SETTING_EFFORT, kEffort) != JXL_ENC_SUCCESS)
        return fail(codecmessages::cannotEncode());
    const bool set = lossless ? jxl->EncoderSetFrameLossless(settings, JXL_TRUE) == JXL_ENC_SUCCESS
                                    && jxl->EncoderSetFrameDistance(settings, 0.0f) == JXL_ENC_SUCCESS
                              : jxl->EncoderSetFrameDistance(settings, distanceOf(quality)) == JXL_ENC_SUCCESS;
    if (!set)
        return fail(codecmessages::cannotEncode());

    std::vector<std::uint8_t> samples(std::size_t(picture.width()) * std::size_t(picture.height()) * 3);
    std::uint8_t *to = samples.data();
    for (int y = 0; y < picture.height(); ++y) {
        for (const Colour *from = picture.row(y), *end = from + picture.width(); from != end; ++from) {
            *to++ = std::uint8_t(redOf(*from));
            *to++ = std::uint8_t(greenOf(*from));
            *to++ = std::uint8_t(blueOf(*from));
        }
    }
    const JxlPixelFormat format{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    if (jxl->EncoderAddImageFrame(settings, &format, samples.data(), samples.size()) != JXL_ENC_SUCCESS)
        return fail(codecmessages::cannotEncode());
    jxl->EncoderCloseInput(encoder.get());

    QByteArray bytes(4096, Qt::Uninitialized);
    qsizetype used = 0;
    for (;;) {
        auto *next = reinterpret_cast<std::uint8_t *>(bytes.data()) + used;
        std::size_t room = std::size_t(bytes.size() - used);
        const JxlEncoderStatus status = jxl->EncoderProcessOutput(encoder.get(), &next, &room);
        used = bytes.size() - qsizetype(room);
        if (status == JXL_ENC_SUCCESS)
            break;
        if (status != JXL_ENC_NEED_MORE_OUTPUT)
            return fail(codecmessages::cannotEncode());
        bytes.resize(bytes.size() * 2);
    }
    bytes.resize(used);
    return bytes;
}

} // namespace tess
