#include "codecs/jpeg_reader.h"

#include "codecs/codec_messages.h"
#include "codecs/exif_orientation.h"
#include "codecs/jpeg_errors.h"
#include "codecs/jpeg_memory.h"
#include "codecs/jpeg_source.h"
#include "codecs/picture_codecs.h"
#include "codecs/row_converter.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace tess {

namespace {

// Everything libjpeg touches, in one block that outlives every guarded step.
// The steps themselves hold nothing with a destructor (see jpeg_errors.h).
struct JpegFile {
    PictureFile picture;
    jpeg_decompress_struct info{};
    JpegErrorManager errors;
    JpegFileSource source{};
    bool created = false;
    JOCTET *icc = nullptr; // the embedded profile, malloc'ed by libjpeg
    unsigned int iccLength = 0;
    J_COLOR_SPACE outSpace = JCS_EXT_RGBX;
    // A rows step's arguments and result.
    JSAMPROW *rows = nullptr;
    JDIMENSION wanted = 0;
    JDIMENSION got = 0;

    explicit JpegFile(PictureFile file) : picture(std::move(file))
    {
        installJpegErrors(reinterpret_cast<j_common_ptr>(&info), errors);
    }
    ~JpegFile()
    {
        if (created)
            jpeg_destroy_decompress(&info);
        std::free(icc);
    }
    JpegFile(const JpegFile &) = delete;
    JpegFile &operator=(const JpegFile &) = delete;
};

void headerStep(void *context)
{
    auto &d = *static_cast<JpegFile *>(context);
    jpeg_create_decompress(&d.info);
    d.created = true;
    useJpegFileSource(d.info, d.source, d.picture);
    jpeg_save_markers(&d.info, JPEG_APP0 + 1, 0xFFFF); // EXIF
    jpeg_save_markers(&d.info, JPEG_APP0 + 2, 0xFFFF); // ICC profile, in pieces
    jpeg_read_header(&d.info, TRUE);
    jpeg_read_icc_profile(&d.info, &d.icc, &d.iccLength);
}

void startStep(void *context)
{
    auto &d = *static_cast<JpegFile *>(context);
    d.info.out_color_space = d.outSpace;
    jpeg_start_decompress(&d.info);
}

void rowsStep(void *context)
{
    auto &d = *static_cast<JpegFile *>(context);
    while (d.got < d.wanted) {
        const JDIMENSION got = jpeg_read_scanlines(&d.info, d.rows + d.got, d.wanted - d.got);
        noteJpegRowsOutput(d.errors, d.info);
        if (got == 0)
            return; // a suspending source would do this; ours never suspends
        d.got += got;
    }
}

void finishStep(void *context)
{
    jpeg_finish_decompress(&static_cast<JpegFile *>(context)->info);
}

QByteArray exifBlock(const jpeg_decompress_struct &info)
{
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next) {
        if (m->marker == JPEG_APP0 + 1 && m->data_length >= 6 && std::memcmp(m->data, "Exif\0\0", 6) == 0)
            return QByteArray::fromRawData(reinterpret_cast<const char *>(m->data), qsizetype(m->data_length));
    }
    return {};
}

// The fewest bytes the entropy-coded data of a sequential Huffman JPEG can
// take: every block of every component codes at least its DC difference and
// an end of block, each at least one bit.
long long leastDataBytes(const jpeg_decompress_struct &info)
{
    long long blocks = 0;
    for (int c = 0; c < info.num_components; ++c)
        blocks += (long long)info.comp_info[c].width_in_blocks * info.comp_info[c].height_in_blocks;
    return blocks * 2 / 8;
}

// The coefficient store a multi-scan file keeps until its last scan.
std::size_t coefficientBytes(const jpeg_decompress_struct &info)
{
    std::size_t blocks = 0;
    for (int c = 0; c < info.num_components; ++c)
        blocks += std::size_t(info.comp_info[c].width_in_blocks) * info.comp_info[c].height_in_blocks;
    return blocks * DCTSIZE2 * sizeof(JCOEF);
}

// A JPEG being read, and how its samples become pixels.
struct JpegReading {
    explicit JpegReading(PictureFile picture) : file(std::move(picture)) {}
    JpegFile file;
    // Null when libjpeg's RGBX rows are our pixels as they come.
    std::unique_ptr<RowConverter> converter;
    // The samples take a pixel's four bytes (CMYK): converted where they lie.
    // Otherwise a converted picture's samples go through `scratch`.
    bool inPlace = false;
    int components = 4;
    std::vector<JSAMPLE> scratch;
    QImageIOHandler::Transformations orientation = QImageIOHandler::TransformationNone;
    // The size libjpeg hands out: the picture's own unless DCT-scaled.
    JDIMENSION scaledWidth = 0;
    JDIMENSION scaledHeight = 0;

    // Rows libjpeg is asked for at once; whole or streamed, a picture meets
    // its end-of-image marker at the same step, so both give one verdict on a
    // cut file.
    static constexpr int kBatch = 16;

    // Decodes the next `count` rows into `rows`. False when libjpeg failed or
    // gave fewer rows.
    bool readInto(Colour *const *rows, int count)
    {
        JpegFile &d = file;
        const int width = int(d.info.output_width);
        std::array<JSAMPROW, kBatch> staged{};
        for (int done = 0; done < count;) {
            const int n = std::min(kBatch, count - done);
            JSAMPROW *targets = staged.data();
            if (converter && !inPlace) {
                const std::size_t rowBytes = std::size_t(width) * std::size_t(components);
                scratch.resize(rowBytes * kBatch);
                for (int i = 0; i < n; ++i)
                    staged[std::size_t(i)] = scratch.data() + std::size_t(i) * rowBytes;
            } else {
                for (int i = 0; i < n; ++i)
                    staged[std::size_t(i)] = reinterpret_cast<JSAMPROW>(rows[done + i]);
            }
            d.rows = targets;
            d.wanted = JDIMENSION(n);
            d.got = 0;
            const bool ok = runJpegStep(d.errors, rowsStep, &d);
            if (converter) {
                for (JDIMENSION i = 0; i < d.got; ++i)
                    converter->convert(targets[i], rows[done + int(i)], width);
            }
            if (!ok || d.got < d.wanted)
                return false;
            done += n;
        }
        return true;
    }

    // Starts the decompressor; a failure's cause, or nothing.
    std::optional<QString> start()
    {
        JpegFile &d = file;
        if (!runJpegStep(d.errors, startStep, &d))
            return jpegFailureMessage(d.errors.errorCode);
        if (d.info.output_width != scaledWidth || d.info.output_height != scaledHeight
            || d.info.output_components != components)
            return codecmessages::unsupported();
        return std::nullopt;
    }

    QString failure() const { return jpegFailureMessage(file.errors.errorCode); }
};

// The whole picture, decoded at the first readRows.
std::optional<QString> decodeWhole(JpegReading &r, Picture &picture)
{
    if (const std::optional<QString> failure = r.start())
        return failure;
    JpegFile &d = r.file;
    const int width = int(d.info.output_width);
    const int height = int(d.info.output_height);
    picture = Picture(width, height);
    std::array<Colour *, JpegReading::kBatch> rows{};
    while (d.info.output_scanline < d.info.output_height) {
        const int first = int(d.info.output_scanline);
        const int n = std::min(JpegReading::kBatch, height - first);
        for (int i = 0; i < n; ++i)
            rows[std::size_t(i)] = picture.row(first + i);
        if (!r.readInto(rows.data(), n))
            break;
    }
    if (d.info.output_scanline < d.info.output_height)
        return r.failure();
    // A cut file: the decoder ran out of bytes and filled the rest with grey.
    if (jpegDataWasCut(d.errors, d.info))
        return codecmessages::corrupt();
    // Every row is in; trouble after the last row (a bad trailer) costs nothing.
    runJpegStep(d.errors, finishStep, &d);
    return std::nullopt;
}

// Rows as libjpeg hands them out. A file of several scans (progressive) is
// read whole into libjpeg's coefficients by its first row, and is read only
// then: the caller has reckoned that memory by then.
class JpegRows final : public RowStream {
public:
    JpegRows(std::unique_ptr<JpegReading> reading, std::size_t coefficients)
        : m_r(std::move(reading)), m_coefficients(coefficients)
    {
    }

    int width() const override { return int(m_r->scaledWidth); }
    int height() const override { return int(m_r->scaledHeight); }
    QImageIOHandler::Transformations orientation() const override { return m_r->orientation; }
    QString message() const override { return m_message; }
    std::size_t workingBytes() const override
    {
        // libjpeg's own row buffers: a few MCU rows of every component.
        return sizeof(JpegReading) + m_coefficients + std::size_t(width()) * 4 * 2 * DCTSIZE * 4
            + (m_r->converter && !m_r->inPlace ? std::size_t(width()) * 3 * JpegReading::kBatch : 0);
    }

    // Starts the decompressor; false (the message set) when it fails.
    bool start()
    {
        m_started = true;
        if (const std::optional<QString> failure = m_r->start())
            m_message = *failure;
        return m_message.isEmpty();
    }

    bool readRows(Colour *const *rows, int count) override
    {
        if (!m_message.isEmpty() || (!m_started && !start()))
            return false;
        // Once the data has ended, a decoder that needed more bits has padded
        // what it output: the file is cut, whatever follows.
        if (!m_r->readInto(rows, count) || m_r->file.errors.missingData)
            m_message = m_r->failure();
        return m_message.isEmpty();
    }

    bool finish() override
    {
        if (!m_message.isEmpty() || (!m_started && !start()))
            return false;
        const jpeg_decompress_struct &info = m_r->file.info;
        if (info.output_scanline < info.output_height)
            return false;
        // The same verdict as a whole decode's, now every row is out.
        if (jpegDataWasCut(m_r->file.errors, info)) {
            m_message = codecmessages::corrupt();
            return false;
        }
        runJpegStep(m_r->file.errors, finishStep, &m_r->file);
        return true;
    }

private:
    std::unique_ptr<JpegReading> m_r;
    const std::size_t m_coefficients;
    bool m_started = false;
    QString m_message;
};

// How the picture's samples become pixels: libjpeg's RGBX as they are, unless
// a profile (or CMYK ink) asks for a conversion.
void chooseColour(JpegReading &r, const ReadOptions &options)
{
    jpeg_decompress_struct &info = r.file.info;
    const QByteArray profile = QByteArray::fromRawData(reinterpret_cast<const char *>(r.file.icc),
                                                       qsizetype(r.file.iccLength));
    if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
        // CMYK comes out four bytes a pixel too, so it lands in the picture's
        // own rows and is turned into RGB where it lies.
        r.file.outSpace = JCS_CMYK;
        r.inPlace = true;
        // Only with Adobe's marker do we know how the ink values lie, so only
        // then can the profile be trusted with them; without it, the ink
        // values are read as Adobe writes them.
        r.converter = std::make_unique<RowConverter>(SampleLayout::InvertedCmyk8,
                                                     info.saw_Adobe_marker ? profile : QByteArray(), options.matte);
        return;
    }
    if (profile.isEmpty())
        return;
    const bool grey = info.jpeg_color_space == JCS_GRAYSCALE;
    auto converter = std::make_unique<RowConverter>(grey ? SampleLayout::Grey8 : SampleLayout::Rgb8, profile,
                                                    options.matte);
    if (!converter->managed())
        return; // sRGB, or a profile that can't be used: the samples as they are
    r.converter = std::move(converter);
    r.file.outSpace = grey ? JCS_GRAYSCALE : JCS_RGB;
    r.components = grey ? 1 : 3;
}

// libjpeg's DCT scaling skips most of the decoder's work: the largest of
// 1/8, 1/4 and 1/2 that keeps the longer side at twice the thumbnail's, so
// the resampler still averages what is left. The fast integer transform and
// plain chroma upsampling differ from the exact ones by less than the
// averaging down to the thumbnail evens out.
void scaleForQuickSide(jpeg_decompress_struct &info, int quickSide)
{
    info.scale_num = 1;
    info.scale_denom = 1;
    if (quickSide > 0) {
        info.dct_method = JDCT_IFAST;
        info.do_fancy_upsampling = FALSE;
        const long long longer = std::max(info.image_width, info.image_height);
        for (unsigned denom : {8u, 4u, 2u}) {
            if ((longer + denom - 1) / denom >= 2LL * quickSide) {
                info.scale_denom = denom;
                break;
            }
        }
    }
    jpeg_calc_output_dimensions(&info);
}

} // namespace

OpenedPicture openJpegPicture(PictureFile file, const ReadOptions &options, const PictureLimits &limits)
{
    return openJpegPicture(std::move(file), options, limits, QImageIOHandler::TransformationNone);
}

OpenedPicture openJpegPicture(PictureFile file, const ReadOptions &options, const PictureLimits &limits,
                              QImageIOHandler::Transformations untagged)
{
    const long long fileBytes = file.size();
    auto r = std::make_unique<JpegReading>(std::move(file));
    JpegFile &d = r->file;
    if (!runJpegStep(d.errors, headerStep, &d))
        return OpenedPicture::refused(jpegFailureMessage(d.errors.errorCode));
    const jpeg_decompress_struct &info = d.info;
    const long long width = info.image_width;
    const long long height = info.image_height;
    if (width <= 0 || height <= 0)
        return OpenedPicture::refused(codecmessages::corrupt());
    r->orientation = exifOrientationEntry(exifBlock(info)).value_or(untagged);
    scaleForQuickSide(d.info, options.quickSide);
    if (options.wholeSize) {
        const bool turned = r->orientation & QImageIOHandler::TransformationRotate90;
        *options.wholeSize = turned ? QSize(int(height), int(width)) : QSize(int(width), int(height));
    }
    r->scaledWidth = info.output_width;
    r->scaledHeight = info.output_height;
    chooseColour(*r, options);
    limitJpegMemory(&d.info);

    const bool multiScan = jpeg_has_multiple_scans(&d.info);
    const bool streams = info.data_precision == 8
        && (info.jpeg_color_space == JCS_GRAYSCALE || info.jpeg_color_space == JCS_YCbCr
            || info.jpeg_color_space == JCS_RGB)
        && width <= limits.maxStreamedSide && height <= limits.maxStreamedSide;
    if (streams) {
        if (multiScan || info.arith_code) {
            // Its coefficients are held whole, or its data can't tell a cut
            // file from a picture of flat grey: the picture is bounded as one
            // held whole.
            if (width * height > limits.maxPixels)
                return OpenedPicture::refused(codecmessages::tooLarge());
        }
        if (multiScan) {
            OpenedPicture opened;
            opened.rows = std::make_unique<JpegRows>(std::move(r), coefficientBytes(info));
            return opened;
        }
        // Never held whole, but a file too short for its blocks would only
        // make us decode grey: beyond what a picture held whole may be, its
        // size is then refused, as it is by whoever holds the picture whole.
        if (width * height > limits.maxPixels && fileBytes < leastDataBytes(info))
            return OpenedPicture::refused(codecmessages::tooLarge());
        auto rows = std::make_unique<JpegRows>(std::move(r), 0);
        if (!rows->start())
            return OpenedPicture::refused(rows->message());
        OpenedPicture opened;
        opened.rows = std::move(rows);
        return opened;
    }

    std::size_t extra = sizeof(JpegReading);
    if (multiScan)
        extra += coefficientBytes(info);
    const QImageIOHandler::Transformations orientation = r->orientation;
    std::shared_ptr<JpegReading> reading(std::move(r));
    return wholePictureRows(int(reading->scaledWidth), int(reading->scaledHeight),
                            [reading](Picture &picture) { return decodeWhole(*reading, picture); }, extra, orientation);
}

} // namespace tess
