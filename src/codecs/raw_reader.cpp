#include "codecs/raw_reader.h"

#include "codecs/codec_messages.h"
#include "codecs/exif_orientation.h"
#include "codecs/picture_turn.h"
#include "codecs/jpeg_reader.h"
#include "codecs/picture_codecs.h"
#include "codecs/picture_limits.h"
#include "codecs/raw_input.h"
#include "codecs/raw_signature.h"

#include <libraw/libraw.h>

#include <algorithm>
#include <memory>
#include <optional>

namespace tess {

namespace {

// The bit readers of compressed raws fetch a few bytes ahead of what they
// decode, past the end of a file whose data ends it.
constexpr long long kLookAheadBytes = 16;

// Beyond this a bitmap preview is not worth reading before the memory for it
// is reckoned: the raw is developed.
constexpr long long kMaxBitmapPreviewBytes = 16LL << 20;

// Per tile and thread of LibRaw's interpolation at full size.
constexpr std::size_t kInterpolationBytes = std::size_t(8) << 20;

struct RawSession {
    explicit RawSession(PictureFile f) : file(std::move(f)), input(file) {}
    PictureFile file;
    RawInput input;
    LibRaw processor;
    bool dataError = false;
};

void noteDataError(void *data, const char *, const int)
{
    static_cast<RawSession *>(data)->dataError = true;
}

void ignoreDataError(void *, const char *, const int) {}

// LibRaw reports running out of memory as a status too; by default it also
// prints it.
void ignoreMemoryError(void *, const char *, const char *) {}

// LibRaw's flip (1 mirrors, 2 flips, 4 swaps the axes) as the EXIF value.
QImageIOHandler::Transformations orientationOfFlip(int flip)
{
    static constexpr int kExifOfFlip[8] = {1, 2, 4, 3, 5, 8, 6, 7};
    return orientationOfExifValue(kExifOfFlip[flip & 7]);
}

QString messageOf(int status, const RawSession &session)
{
    if (session.input.readFailed())
        return codecmessages::cannotOpen();
    switch (status) {
    case LIBRAW_FILE_UNSUPPORTED:
    case LIBRAW_NOT_IMPLEMENTED:
        return codecmessages::unsupported();
    case LIBRAW_IO_ERROR:
        return codecmessages::cut();
    case LIBRAW_UNSUFFICIENT_MEMORY:
    case LIBRAW_TOO_BIG:
    case LIBRAW_MEMPOOL_OVERFLOW:
        return codecmessages::tooLarge();
    default:
        return codecmessages::corrupt();
    }
}

// What the data LibRaw decoded lacked, if anything.
std::optional<QString> dataProblem(const RawSession &session)
{
    if (session.input.readFailed())
        return codecmessages::cannotOpen();
    if (session.input.bytesMissing() > kLookAheadBytes)
        return codecmessages::cut();
    if (session.dataError)
        return codecmessages::corrupt();
    return std::nullopt;
}

// Whether the raw's data runs past the end of the file, told alike for every
// maker's container from where LibRaw found it: as far as LibRaw says it
// goes, and never shorter than any coding packs the sensor into.
bool dataRunsPastTheEnd(LibRaw &raw, const PictureLimits &limits, long long sensorPixels, long long fileBytes)
{
    const unpacker_data_t &data = raw.get_internal_data_pointer()->unpacker_data;
    const long long left = fileBytes - data.data_offset;
    return left <= 0 || (long long)data.data_size > left || limits.claimsMoreThanTheFileHolds(sensorPixels, left);
}

bool previewLiesPastTheEnd(LibRaw &raw, long long fileBytes)
{
    const long long offset = raw.get_internal_data_pointer()->internal_data.toffset;
    const long long length = raw.imgdata.thumbnail.tlength;
    return offset > 0 && length > 0 && (offset > fileBytes || length > fileBytes - offset);
}

// Whether a picture of the given size covers the size it is wanted at.
bool covers(const ReadOptions &options, int width, int height, QSize whole)
{
    const QSize size = options.wantedSize ? options.wantedSize(width, height) : whole;
    return width >= size.width() && height >= size.height();
}

// The raw's size upright, as developed at full or half size. LibRaw works it
// out (a rotated sensor, pixels that aren't square) on a second processor,
// since doing so leaves a processor unfit to develop.
std::optional<QSize> developedSize(RawSession &session, bool half)
{
    // The probe reads from the file's position; the processor's own reading
    // goes on from where it was.
    const long long position = session.file.position();
    RawInput input(session.file);
    auto probe = std::make_unique<LibRaw>();
    probe->set_memerror_handler(ignoreMemoryError, nullptr);
    probe->set_dataerror_handler(ignoreDataError, nullptr);
    probe->imgdata.params.half_size = half ? 1 : 0;
    const bool sized =
        probe->open_datastream(&input) == LIBRAW_SUCCESS && probe->adjust_sizes_info_only() == LIBRAW_SUCCESS;
    session.file.seek(position, SEEK_SET);
    if (!sized)
        return std::nullopt;
    const libraw_image_sizes_t &sizes = probe->imgdata.sizes;
    return QSize(sizes.iwidth, sizes.iheight);
}

// The picture the camera stored beside the raw, when it covers the wanted
// size; nullopt to develop the raw instead.
std::optional<OpenedPicture> openPreview(const std::shared_ptr<RawSession> &session, const ReadOptions &options,
                                         const PictureLimits &limits, QSize whole)
{
    LibRaw &raw = session->processor;
    const libraw_thumbnail_t &thumb = raw.imgdata.thumbnail;
    const long long offset = raw.get_internal_data_pointer()->internal_data.toffset;
    const long long length = thumb.tlength;
    if (offset <= 0 || length <= 0)
        return std::nullopt;
    const QImageIOHandler::Transformations orientation = orientationOfFlip(raw.imgdata.sizes.flip);

    // LibRaw tells the preview's coding only once it has read it whole; a
    // JPEG tells itself by its first bytes, a bitmap by its length.
    PictureFile preview = session->file.part(offset, length);
    if (preview.headSize() >= 2 && preview.head()[0] == 0xFF && preview.head()[1] == 0xD8) {
        // A JPEG like any other, within the raw's own bound on pixels.
        const PictureLimits jpegLimits{.maxPixels = limits.maxPixels, .maxStreamedSide = kMaxStreamedSide};
        OpenedPicture jpeg = openJpegPicture(std::move(preview), options, jpegLimits, orientation);
        if (!jpeg.ok())
            return std::nullopt;
        const QSize upright =
            turnOf(jpeg.rows->orientation()).upright(QSize(jpeg.rows->width(), jpeg.rows->height()));
        if (!covers(options, upright.width(), upright.height(), whole))
            return std::nullopt;
        return jpeg;
    }
    // A bitmap is small and read at once, so that a preview LibRaw can't
    // give as one leaves the raw to be developed.
    const int width = thumb.twidth;
    const int height = thumb.theight;
    if (width < 1 || height < 1 || length != 3LL * width * height || length > kMaxBitmapPreviewBytes)
        return std::nullopt;
    const bool turned = orientation & QImageIOHandler::TransformationRotate90;
    const QSize upright = turned ? QSize(height, width) : QSize(width, height);
    if (!covers(options, upright.width(), upright.height(), whole))
        return std::nullopt;
    session->input.startCounting();
    if (const int status = raw.unpack_thumb(); status != LIBRAW_SUCCESS)
        return OpenedPicture::refused(messageOf(status, *session));
    if (std::optional<QString> problem = dataProblem(*session))
        return OpenedPicture::refused(*problem);
    const libraw_thumbnail_t &stored = raw.imgdata.thumbnail;
    if (stored.tformat != LIBRAW_THUMBNAIL_BITMAP || !stored.thumb || stored.tlength != unsigned(length))
        return std::nullopt;
    Picture picture(width, height);
    const auto *bytes = reinterpret_cast<const unsigned char *>(stored.thumb);
    for (int y = 0; y < height; ++y) {
        Colour *row = picture.row(y);
        for (int x = 0; x < width; ++x, bytes += 3)
            row[x] = rgb(bytes[0], bytes[1], bytes[2]);
    }
    OpenedPicture opened;
    opened.rows = pictureRows(std::move(picture), orientation);
    return opened;
}

// Bytes LibRaw holds while it develops: the raw as unpacked, its picture of
// four 16-bit samples a pixel, and the interpolation's tiles.
std::size_t developingBytes(const LibRaw &raw, QSize developed, bool half, int threads)
{
    const libraw_image_sizes_t &sizes = raw.imgdata.sizes;
    const std::size_t rawPixels = std::size_t(sizes.raw_width) * std::size_t(sizes.raw_height + 8);
    const std::size_t rawBytes = rawPixels * (raw.imgdata.idata.filters ? 2 : 8);
    const std::size_t imageBytes = std::size_t(developed.width()) * std::size_t(developed.height()) * 8;
    return rawBytes + imageBytes + (half ? 0 : kInterpolationBytes * std::size_t(std::max(1, threads)));
}

OpenedPicture develop(const std::shared_ptr<RawSession> &session, const ReadOptions &options, QSize whole)
{
    LibRaw &raw = session->processor;
    const std::optional<QSize> halfSize = developedSize(*session, true);
    if (!halfSize)
        return OpenedPicture::refused(codecmessages::corrupt());
    const bool half = covers(options, halfSize->width(), halfSize->height(), whole);
    std::optional<QSize> size = halfSize;
    if (!half)
        size = developedSize(*session, false);
    if (!size || size->isEmpty())
        return OpenedPicture::refused(codecmessages::corrupt());

    libraw_output_params_t &params = raw.imgdata.params;
    params.half_size = half ? 1 : 0;
    params.use_camera_wb = 1;
    params.no_auto_bright = 1;
    // The raw's white level is white, however far below it the brightest
    // sample lies.
    params.adjust_maximum_thr = 0.0f;
    params.output_color = 1; // sRGB
    params.output_bps = 8;
    params.gamm[0] = 1 / 2.4; // sRGB's curve
    params.gamm[1] = 12.92;

    const int width = size->width();
    const int height = size->height();
    const int threads = options.threads;
    auto decode = [session, width, height, threads](Picture &picture) -> std::optional<QString> {
        LibRaw &raw = session->processor;
        session->input.startCounting();
        int status = raw.unpack();
        if (status == LIBRAW_SUCCESS)
            status = raw.dcraw_process();
        if (status != LIBRAW_SUCCESS)
            return messageOf(status, *session);
        if (std::optional<QString> problem = dataProblem(*session))
            return problem;
        int madeWidth = 0, madeHeight = 0, colours = 0, bits = 0;
        raw.get_mem_image_format(&madeWidth, &madeHeight, &colours, &bits);
        if (madeWidth != width || madeHeight != height || bits != 8 || (colours != 3 && colours != 1))
            return codecmessages::corrupt();
        // LibRaw writes its samples packed; each row is spread out to our
        // pixels in place, from its end.
        picture = Picture(width, height);
        if (raw.copy_mem_image(picture.bits(), width * int(sizeof(Colour)), 0) != LIBRAW_SUCCESS)
            return codecmessages::corrupt();
        raw.recycle();
        for (int y = 0; y < height; ++y) {
            Colour *row = picture.row(y);
            const auto *bytes = reinterpret_cast<const unsigned char *>(row);
            for (int x = width - 1; x >= 0; --x) {
                const unsigned char *sample = bytes + std::size_t(x) * std::size_t(colours);
                row[x] = colours == 3 ? rgb(sample[0], sample[1], sample[2]) : rgb(sample[0], sample[0], sample[0]);
            }
        }
        return std::nullopt;
    };
    return wholePictureRows(width, height, std::move(decode), developingBytes(raw, *size, half, threads));
}

} // namespace

OpenedPicture openRawPicture(PictureFile file, const ReadOptions &options, const PictureLimits &limits)
{
    auto session = std::make_shared<RawSession>(std::move(file));
    LibRaw &raw = session->processor;
    raw.set_dataerror_handler(noteDataError, session.get());
    raw.set_memerror_handler(ignoreMemoryError, nullptr);
    raw.imgdata.params.max_raw_memory_mb = unsigned(limits.maxLibraryAllocation >> 20);
    if (const int status = raw.open_datastream(&session->input); status != LIBRAW_SUCCESS)
        return OpenedPicture::refused(messageOf(status, *session));

    const libraw_image_sizes_t &sizes = raw.imgdata.sizes;
    if (sizes.raw_width < 1 || sizes.raw_height < 1 || sizes.width < 1 || sizes.height < 1)
        return OpenedPicture::refused(codecmessages::corrupt());
    const long long sensorPixels = (long long)sizes.raw_width * sizes.raw_height;
    if (sensorPixels > limits.maxPixels)
        return OpenedPicture::refused(codecmessages::tooLarge());
    // A file cut short, or stripped of its data, is refused whichever picture
    // it would give: its preview could lie as its data does.
    const long long fileBytes = session->file.size();
    if (rawDataLiesPastTheEnd(session->file) || dataRunsPastTheEnd(raw, limits, sensorPixels, fileBytes)
        || previewLiesPastTheEnd(raw, fileBytes))
        return OpenedPicture::refused(codecmessages::cut());
    const QSize whole = sizes.flip & 4 ? QSize(sizes.height, sizes.width) : QSize(sizes.width, sizes.height);

    if (options.raw == RawSource::Preview) {
        if (std::optional<OpenedPicture> preview = openPreview(session, options, limits, whole)) {
            if (options.wholeSize)
                *options.wholeSize = whole; // not the preview's own
            return std::move(*preview);
        }
    }
    if (options.wholeSize)
        *options.wholeSize = whole;
    return develop(session, options, whole);
}

} // namespace tess
