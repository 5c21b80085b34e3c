#include "codecs/codec_messages.h"
#include "codecs/heif_library.h"
#include "codecs/picture_codecs.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>

namespace tess {

namespace {

// aom's speed, 0 (slowest) to 9. At 9 a run writing 128 x 128 AVIF
// thumbnails of 12-megapixel photos takes about as long as one writing JPEGs
// (bench/run_encoders.sh): the thumbnail's encode stays small beside the
// photo's decode.
constexpr int kAomSpeed = 9;

bool ok(const heif_error &error)
{
    return error.code == heif_error_Ok;
}

heif_error writeToArray(heif_context *, const void *data, size_t size, void *userdata)
{
    static_cast<QByteArray *>(userdata)->append(static_cast<const char *>(data), qsizetype(size));
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, ""};
}

} // namespace

std::optional<QByteArray> encodeAvif(const Picture &picture, int quality, bool fullChroma,
                                     const QString &nameForMessages, Failure *failure)
{
    const auto fail = [&](const QString &cause) -> std::optional<QByteArray> {
        if (failure)
            *failure = Failure{nameForMessages, cause};
        return std::nullopt;
    };
    const HeifCalls *heif = loadedHeif();
    if (!heif)
        return fail(codecmessages::noEncoder());
    if (picture.isEmpty())
        return fail(codecmessages::cannotEncode());

    const auto release = [heif](auto function) {
        return [heif, function](auto *object) { (heif->*function)(object); };
    };
    std::unique_ptr<heif_context, std::function<void(heif_context *)>> context(
        heif->context_alloc(), release(&HeifCalls::context_free));
    heif_encoder *rawEncoder = nullptr;
    if (!context || !ok(heif->context_get_encoder_for_format(context.get(), heif_compression_AV1, &rawEncoder)))
        return fail(codecmessages::noEncoder());
    std::unique_ptr<heif_encoder, std::function<void(heif_encoder *)>> encoder(
        rawEncoder, release(&HeifCalls::encoder_release));

    // libheif's quality runs 0 to 100 like JPEG's; it maps it onto aom's
    // quantizer range (100: the finest quantizer, not lossless), so
    // Compression passes as it is. Colour at full resolution from 90 up, as
    // the JPEG encoder keeps it.
    if (!ok(heif->encoder_set_lossy_quality(encoder.get(), std::clamp(quality, 1, 100)))
        || !ok(heif->encoder_set_parameter_integer(encoder.get(), "speed", kAomSpeed))
        || !ok(heif->encoder_set_parameter_integer(encoder.get(), "threads", 1))
        || !ok(heif->encoder_set_parameter_string(encoder.get(), "chroma", fullChroma ? "444" : "420")))
        return fail(codecmessages::cannotEncode());

    heif_image *rawImage = nullptr;
    if (!ok(heif->image_create(picture.width(), picture.height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB,
                               &rawImage)))
        return fail(codecmessages::tooLarge());
    std::unique_ptr<heif_image, std::function<void(heif_image *)>> image(rawImage,
                                                                        release(&HeifCalls::image_release));
    if (!ok(heif->image_add_plane(image.get(), heif_channel_interleaved, picture.width(), picture.height(), 8)))
        return fail(codecmessages::tooLarge());
    int stride = 0;
    std::uint8_t *plane = heif->image_get_plane(image.get(), heif_channel_interleaved, &stride);
    if (!plane)
        return fail(codecmessages::cannotEncode());
    for (int y = 0; y < picture.height(); ++y) {
        const Colour *from = picture.row(y);
        std::uint8_t *to = plane + std::size_t(y) * std::size_t(stride);
        for (int x = 0; x < picture.width(); ++x) {
            to[3 * x] = std::uint8_t(redOf(from[x]));
            to[3 * x + 1] = std::uint8_t(greenOf(from[x]));
            to[3 * x + 2] = std::uint8_t(blueOf(from[x]));
        }
    }

    // sRGB as nclx: BT.709 primaries, sRGB's transfer, BT.601's matrix (the
    // one JPEG's YCbCr uses) over the full range.
    std::unique_ptr<heif_color_profile_nclx, std::function<void(heif_color_profile_nclx *)>> nclx(
        heif->nclx_color_profile_alloc(), release(&HeifCalls::nclx_color_profile_free));
    std::unique_ptr<heif_encoding_options, std::function<void(heif_encoding_options *)>> options(
        heif->encoding_options_alloc(), release(&HeifCalls::encoding_options_free));
    if (!nclx || !options)
        return fail(codecmessages::tooLarge());
    nclx->color_primaries = heif_color_primaries_ITU_R_BT_709_5;
    nclx->transfer_characteristics = heif_transfer_characteristic_IEC_61966_2_1;
    nclx->matrix_coefficients = heif_matrix_coefficients_ITU_R_BT_601_6;
    nclx->full_range_flag = 1;
    if (!ok(heif->image_set_nclx_color_profile(image.get(), nclx.get())))
        return fail(codecmessages::cannotEncode());
    options->save_alpha_channel = 0;
    options->output_nclx_profile = nclx.get();
    // Otherwise libheif leaves sRGB's nclx out for the sake of one viewer.
    options->macOS_compatibility_workaround_no_nclx_profile = 0;

    if (!ok(heif->context_encode_image(context.get(), image.get(), encoder.get(), options.get(), nullptr)))
        return fail(codecmessages::cannotEncode());
    QByteArray bytes;
    heif_writer writer{1, writeToArray};
    if (!ok(heif->context_write(context.get(), &writer, &bytes)) || bytes.isEmpty())
        return fail(codecmessages::cannotEncode());
    return bytes;
}

} // namespace tess
