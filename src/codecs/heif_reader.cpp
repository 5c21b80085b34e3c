#include "codecs/heif_reader.h"

#include "codecs/codec_messages.h"
#include "codecs/heif_library.h"
#include "codecs/picture_codecs.h"
#include "codecs/row_converter.h"
#include "codecs/one_core.h"

#include <lcms2.h>

#include <algorithm>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace tess {

namespace {

// Once a file is opened, libheif is there.
const HeifCalls &heif()
{
    return *loadedHeif();
}

QString causeOf(const heif_error &error)
{
    if (error.subcode == heif_suberror_Security_limit_exceeded)
        return codecmessages::tooLarge();
    // libheif leaves out the items of codecs it lacks (JPEG, H.264, JPEG
    // 2000, uncompressed), so a primary image of such a codec reads as missing.
    if (error.subcode == heif_suberror_Nonexisting_item_referenced)
        return codecmessages::unsupported();
    switch (error.code) {
    case heif_error_Unsupported_filetype:
    case heif_error_Unsupported_feature:
    case heif_error_Decoder_plugin_error: return codecmessages::unsupported();
    case heif_error_Memory_allocation_error: return codecmessages::tooLarge();
    default: return codecmessages::corrupt();
    }
}

// The wide gamuts phones and cameras record as nclx, as an ICC profile the
// row converter takes: the recorded primaries with sRGB's tone curve (the
// curves of BT.709 and BT.2020 pictures are displayed as sRGB's anyway).
// Other nclx pictures are taken as sRGB.
QByteArray wideGamutProfile(const heif_color_profile_nclx &nclx)
{
    const bool wide = nclx.color_primaries == heif_color_primaries_ITU_R_BT_2020_2_and_2100_0
        || nclx.color_primaries == heif_color_primaries_SMPTE_RP_431_2
        || nclx.color_primaries == heif_color_primaries_SMPTE_EG_432_1;
    if (!wide || nclx.color_primary_white_y <= 0 || nclx.color_primary_red_y <= 0 || nclx.color_primary_green_y <= 0
        || nclx.color_primary_blue_y <= 0)
        return {};
    const cmsCIExyY white{nclx.color_primary_white_x, nclx.color_primary_white_y, 1.0};
    const cmsCIExyYTRIPLE primaries{{nclx.color_primary_red_x, nclx.color_primary_red_y, 1.0},
                                    {nclx.color_primary_green_x, nclx.color_primary_green_y, 1.0},
                                    {nclx.color_primary_blue_x, nclx.color_primary_blue_y, 1.0}};
    const cmsFloat64Number srgbCurve[5] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
    cmsToneCurve *curve = cmsBuildParametricToneCurve(nullptr, 4, srgbCurve);
    cmsToneCurve *curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = curve ? cmsCreateRGBProfile(&white, &primaries, curves) : nullptr;
    QByteArray icc;
    cmsUInt32Number size = 0;
    if (profile && cmsSaveProfileToMem(profile, nullptr, &size) && size > 0) {
        icc.resize(qsizetype(size));
        if (!cmsSaveProfileToMem(profile, icc.data(), &size))
            icc.clear();
    }
    if (profile)
        cmsCloseProfile(profile);
    if (curve)
        cmsFreeToneCurve(curve);
    return icc;
}

QByteArray colourProfileOf(const heif_image_handle *handle)
{
    switch (heif().image_handle_get_color_profile_type(handle)) {
    case heif_color_profile_type_prof:
    case heif_color_profile_type_rICC: {
        QByteArray icc(qsizetype(heif().image_handle_get_raw_color_profile_size(handle)), Qt::Uninitialized);
        if (icc.isEmpty() || heif().image_handle_get_raw_color_profile(handle, icc.data()).code != heif_error_Ok)
            return {};
        return icc;
    }
    case heif_color_profile_type_nclx: {
        heif_color_profile_nclx *nclx = nullptr;
        const bool read = heif().image_handle_get_nclx_color_profile(handle, &nclx).code == heif_error_Ok;
        QByteArray icc = read && nclx ? wideGamutProfile(*nclx) : QByteArray();
        heif().nclx_color_profile_free(nclx); // allocated even when the profile proves unreadable
        return icc;
    }
    default: return {};
    }
}

// The file's bytes and libheif's view of them, alive until the decode.
struct HeifFile {
    std::vector<std::uint8_t> bytes;
    heif_context *context = nullptr;
    heif_image_handle *primary = nullptr;

    HeifFile() = default;
    HeifFile(const HeifFile &) = delete;
    HeifFile &operator=(const HeifFile &) = delete;
    ~HeifFile()
    {
        if (primary)
            heif().image_handle_release(primary);
        if (context)
            heif().context_free(context);
    }
};

// The decoded image's rows as 8-bit RGB(A) samples. Deeper samples come
// interleaved by libheif, which brings them down to 8 bits; 8-bit ones come
// as separate planes and are interleaved here a row at a time: the same
// samples as libheif's own interleaved output, without its pass over the
// whole picture.
class HeifRows {
public:
    HeifRows(const heif_image *image, bool deep, bool alpha, int width) : m_deep(deep), m_channels(alpha ? 4 : 3)
    {
        if (deep) {
            m_planes[0] = heif().image_get_plane_readonly(image, heif_channel_interleaved, &m_strides[0]);
            m_ok = m_planes[0] && heif().image_get_bits_per_pixel_range(image, heif_channel_interleaved) == 8;
            return;
        }
        const heif_channel channels[] = {heif_channel_R, heif_channel_G, heif_channel_B, heif_channel_Alpha};
        m_ok = true;
        for (std::size_t c = 0; c < m_channels; ++c) {
            m_planes[c] = heif().image_get_plane_readonly(image, channels[c], &m_strides[c]);
            m_ok = m_ok && m_planes[c] && heif().image_get_bits_per_pixel_range(image, channels[c]) == 8
                && heif().image_get_width(image, channels[c]) == width;
        }
        m_row.resize(std::size_t(width) * m_channels);
    }

    bool ok() const { return m_ok; }
    const std::uint8_t *row(int y)
    {
        if (m_deep)
            return m_planes[0] + std::size_t(y) * std::size_t(m_strides[0]);
        const std::size_t width = m_row.size() / m_channels;
        for (std::size_t c = 0; c < m_channels; ++c) {
            const std::uint8_t *from = m_planes[c] + std::size_t(y) * std::size_t(m_strides[c]);
            for (std::size_t x = 0; x < width; ++x)
                m_row[x * m_channels + c] = from[x];
        }
        return m_row.data();
    }

private:
    const bool m_deep;
    const std::size_t m_channels;
    bool m_ok = false;
    const std::uint8_t *m_planes[4] = {};
    int m_strides[4] = {};
    std::vector<std::uint8_t> m_row;
};

// A phone's HEIC stores a small picture beside the primary one: decoding it
// instead costs a fraction of the time when it covers the side wanted. The
// smallest that does is taken.
void takeStoredThumbnail(HeifFile &file, int side)
{
    const int count = heif().image_handle_get_number_of_thumbnails(file.primary);
    if (count <= 0)
        return;
    std::vector<heif_item_id> ids(static_cast<std::size_t>(count));
    const int listed = heif().image_handle_get_list_of_thumbnail_IDs(file.primary, ids.data(), count);
    const long long primaryWidth = heif().image_handle_get_width(file.primary);
    const long long primaryHeight = heif().image_handle_get_height(file.primary);
    heif_image_handle *best = nullptr;
    long long bestPixels = 0;
    for (int i = 0; i < listed; ++i) {
        heif_image_handle *thumbnail = nullptr;
        if (heif().image_handle_get_thumbnail(file.primary, ids[std::size_t(i)], &thumbnail).code != heif_error_Ok
            || !thumbnail)
            continue;
        const int w = heif().image_handle_get_width(thumbnail);
        const int h = heif().image_handle_get_height(thumbnail);
        const long long pixels = (long long)w * h;
        // A thumbnail cut to other proportions (or not turned as the primary
        // is) would not be the picture.
        const bool sameShape = std::llabs(w * primaryHeight - h * primaryWidth) * 50 <= w * primaryHeight;
        if (sameShape && std::max(w, h) >= side && (!best || pixels < bestPixels)) {
            if (best)
                heif().image_handle_release(best);
            best = thumbnail;
            bestPixels = pixels;
        } else {
            heif().image_handle_release(thumbnail);
        }
    }
    if (best) {
        heif().image_handle_release(file.primary);
        file.primary = best;
    }
}

std::optional<QString> decodePrimary(HeifFile &file, bool deep, bool alpha, const QByteArray &icc, Colour matte,
                                     Picture &picture)
{
    heif_image *image = nullptr;
    heif_error error{};
    {
        // libheif hands its codecs no thread count of ours, and they size a
        // pool by the cores they may run on: kept on one, they start none
        // beside the engine's workers, which already fill every core.
        const OneCoreLease oneCore;
        error = heif().decode_image(file.primary, &image, heif_colorspace_RGB,
                                  deep ? (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB) : heif_chroma_444,
                                  nullptr);
    }
    if (error.code != heif_error_Ok || !image) {
        if (image)
            heif().image_release(image);
        return causeOf(error);
    }
    const int width = heif().image_get_primary_width(image);
    const int height = heif().image_get_primary_height(image);
    HeifRows rows(image, deep, alpha, width);
    std::optional<QString> failure;
    if (!rows.ok() || width != heif().image_handle_get_width(file.primary) || height != heif().image_handle_get_height(file.primary)) {
        failure = codecmessages::corrupt();
    } else {
        picture = Picture(width, height);
        const bool premultiplied = alpha && heif().image_is_premultiplied_alpha(image);
        const RowConverter converter(alpha ? SampleLayout::Rgba8 : SampleLayout::Rgb8, icc, matte,
                                     premultiplied ? AlphaForm::Premultiplied : AlphaForm::Straight);
        for (int y = 0; y < height; ++y)
            converter.convert(rows.row(y), picture.row(y), width);
    }
    heif().image_release(image);
    return failure;
}

} // namespace

bool isHeif(const unsigned char *head, std::size_t size)
{
    if (size < 12 || std::memcmp(head + 4, "ftyp", 4) != 0)
        return false;
    static const char *const brands[] = {"heic", "heix", "hevc", "hevx", "heim", "heis", "hevm", "hevs",
                                         "mif1", "msf1", "mif2", "mif3", "miaf", "avif", "avis"};
    const std::size_t box = std::size_t(head[0]) << 24 | std::size_t(head[1]) << 16 | std::size_t(head[2]) << 8 | head[3];
    const std::size_t end = std::min(size, box);
    // The major brand, then the compatible ones after the minor version.
    for (std::size_t at = 8; at + 4 <= end; at += at == 8 ? 8 : 4) {
        for (const char *brand : brands) {
            if (std::memcmp(head + at, brand, 4) == 0)
                return true;
        }
    }
    return false;
}

OpenedPicture openHeifPicture(PictureFile picture, const ReadOptions &options, const PictureLimits &limits)
{
    if (!loadedHeif())
        return OpenedPicture::refused(codecmessages::unsupported());
    auto file = std::make_shared<HeifFile>();
    switch (picture.readAll(file->bytes, limits.maxFileBytes)) {
    case PictureFile::Whole::Read: break;
    case PictureFile::Whole::TooLarge: return OpenedPicture::refused(codecmessages::tooLarge());
    case PictureFile::Whole::Failed:
        return OpenedPicture::refused(picture.ok() ? codecmessages::corrupt() : codecmessages::cannotOpen());
    }
    // The compact form of newer files, which this libheif does not know.
    if (picture.headSize() >= 12 && std::memcmp(picture.head() + 8, "mif3", 4) == 0)
        return OpenedPicture::refused(codecmessages::unsupported());
    picture.close();

    file->context = heif().context_alloc();
    if (!file->context)
        return OpenedPicture::refused(codecmessages::tooLarge());
    heif().context_set_maximum_image_size_limit(file->context, limits.maxLibrarySide);
    heif_error error = heif().context_read_from_memory_without_copy(file->context, file->bytes.data(), file->bytes.size(), nullptr);
    if (error.code != heif_error_Ok)
        return OpenedPicture::refused(causeOf(error));
    error = heif().context_get_primary_image_handle(file->context, &file->primary);
    if (error.code != heif_error_Ok || !file->primary)
        return OpenedPicture::refused(causeOf(error));

    if (options.wholeSize)
        *options.wholeSize = QSize(heif().image_handle_get_width(file->primary), heif().image_handle_get_height(file->primary));
    if (options.quickSide > 0)
        takeStoredThumbnail(*file, options.quickSide);
    // libheif reports the size with the rotation and crop applied.
    const int width = heif().image_handle_get_width(file->primary);
    const int height = heif().image_handle_get_height(file->primary);

    const QByteArray icc = colourProfileOf(file->primary);
    const Colour matte = options.matte;
    // Beside our picture: the file, the decoded planes (as deep as the file's
    // samples: luma and two quarter-size chromas, then a plane for each colour
    // and alpha) and, for deeper samples, libheif's interleaved 8-bit copy.
    // Reckoned no larger than that, so that two photos of a phone's size are
    // made at once.
    const std::size_t pixels = std::size_t(width) * std::size_t(height);
    const bool alpha = heif().image_handle_has_alpha_channel(file->primary) != 0;
    const bool deep = heif().image_handle_get_luma_bits_per_pixel(file->primary) > 8
        || heif().image_handle_get_chroma_bits_per_pixel(file->primary) > 8;
    const std::size_t sampleBytes = deep ? 2 : 1;
    const std::size_t channels = alpha ? 4 : 3;
    const std::size_t extra = file->bytes.size() + pixels * sampleBytes * 3 / 2 + pixels * channels * sampleBytes
        + (deep ? pixels * channels : 0);
    return wholePictureRows(width, height, [file, deep, alpha, icc, matte](Picture &picture) {
        return decodePrimary(*file, deep, alpha, icc, matte, picture);
    }, extra);
}

} // namespace tess
