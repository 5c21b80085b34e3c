#include "codecs/png_reader.h"

#include "codecs/codec_messages.h"
#include "codecs/exif_orientation.h"
#include "codecs/picture_codecs.h"
#include "codecs/row_by_row_stream.h"
#include "codecs/row_converter.h"

#include <QtEndian>

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <memory>
#include <vector>

namespace tess {

namespace {

// An iCCP profile or an eXIf block is all libpng keeps of a chunk (no larger
// than the kind's maxLibraryAllocation); text chunks are dropped unread, so a
// text bomb never inflates.
constexpr png_uint_32 kChunkCacheMax = 1000;
// libpng's zlib state and the two rows (this one and the one above) it filters with.
constexpr std::size_t kInflateBytes = 48 * 1024;

// Everything libpng touches, in one block on the heap that outlives every
// guarded step; the steps themselves hold no C++ object with a destructor,
// since a libpng error leaves them by longjmp.
struct PngFile {
    PictureFile file;
    png_structp png = nullptr;
    png_infop info = nullptr;
    bool endOfFile = false; // libpng wanted bytes the file doesn't have
    // Arguments of the guarded steps.
    png_bytep row = nullptr;
    png_bytepp rows = nullptr;

    explicit PngFile(PictureFile picture) : file(std::move(picture)) {}
    PngFile(const PngFile &) = delete;
    PngFile &operator=(const PngFile &) = delete;
    ~PngFile()
    {
        if (png)
            png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
};

[[noreturn]] void pngFailed(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void pngWarned(png_structp, png_const_charp) {}

void pngRead(png_structp png, png_bytep data, png_size_t length)
{
    auto *file = static_cast<PngFile *>(png_get_io_ptr(png));
    if (file->file.read(data, length) != (long long)length) {
        file->endOfFile = true;
        png_error(png, "end of file");
    }
}

bool runPngStep(PngFile &file, void (*step)(PngFile &))
{
    if (setjmp(png_jmpbuf(file.png)) != 0)
        return false;
    step(file);
    return true;
}

void infoStep(PngFile &f) { png_read_info(f.png, f.info); }

void transformStep(PngFile &f)
{
    png_set_expand(f.png); // palette to RGB, 1, 2 and 4 bits to 8, tRNS to alpha
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    if (png_get_bit_depth(f.png, f.info) == 16)
        png_set_swap(f.png);
#endif
    png_set_interlace_handling(f.png);
    png_read_update_info(f.png, f.info);
}

void rowStep(PngFile &f) { png_read_row(f.png, f.row, nullptr); }
void imageStep(PngFile &f) { png_read_image(f.png, f.rows); }
void endStep(PngFile &f) { png_read_end(f.png, nullptr); }

// libpng's channels: grey, grey and alpha, RGB, RGBA.
bool layoutOf(int channels, int depth, SampleLayout &layout)
{
    if (channels < 1 || channels > 4 || (depth != 8 && depth != 16))
        return false;
    layout = sampleLayoutOf(channels <= 2 ? 1 : 3, channels % 2 == 0, depth == 16);
    return true;
}

// Reads the next image row of a non-interlaced picture into `samples`. Image
// data that ends early or breaks is an error; extra data after it only a
// warning, and the picture stands.
bool readPngRow(PngFile &file, png_bytep samples)
{
    file.row = samples;
    return runPngStep(file, rowStep);
}

// After the last row: the rest of the file read, trouble there forgiven as
// long as the file doesn't end early.
bool finishPng(PngFile &file)
{
    runPngStep(file, endStep);
    return !file.endOfFile;
}

class PngRows final : public RowByRowStream {
public:
    PngRows(std::shared_ptr<PngFile> file, int width, int height, std::size_t rowBytes,
            std::shared_ptr<const RowConverter> converter, QImageIOHandler::Transformations orientation)
        : RowByRowStream(width, height, orientation), m_file(std::move(file)), m_samples(rowBytes),
          m_converter(std::move(converter))
    {
    }

    std::size_t workingBytes() const override { return sizeof(PngFile) + 3 * m_samples.size() + kInflateBytes; }

protected:
    bool readBand(Colour *const *rows, int count) override
    {
        for (int i = 0; i < count; ++i) {
            if (!readPngRow(*m_file, m_samples.data()))
                return false;
            m_converter->convert(m_samples.data(), rows[i], width());
        }
        return true;
    }
    bool readEnd() override { return finishPng(*m_file); }
    void release() override { m_file.reset(); }

private:
    std::shared_ptr<PngFile> m_file;
    std::vector<png_byte> m_samples;
    std::shared_ptr<const RowConverter> m_converter;
};

struct WholePng {
    std::shared_ptr<PngFile> file;
    std::shared_ptr<const RowConverter> converter;
    int width = 0; // as stored
    int height = 0;
    std::size_t rowBytes = 0;
    bool interlaced = false;

    std::optional<QString> operator()(Picture &picture) const
    {
        Picture decoded(width, height);
        bool ok = true;
        if (interlaced) {
            // Adam7 spreads every row over seven passes: all of them at once.
            std::vector<png_byte> samples(rowBytes * std::size_t(height));
            std::vector<png_bytep> rows(static_cast<std::size_t>(height));
            for (int y = 0; y < height; ++y)
                rows[std::size_t(y)] = samples.data() + rowBytes * std::size_t(y);
            file->rows = rows.data();
            ok = runPngStep(*file, imageStep);
            for (int y = 0; ok && y < height; ++y)
                converter->convert(rows[std::size_t(y)], decoded.row(y), width);
        } else {
            std::vector<png_byte> samples(rowBytes);
            for (int y = 0; ok && y < height; ++y) {
                ok = readPngRow(*file, samples.data());
                if (ok)
                    converter->convert(samples.data(), decoded.row(y), width);
            }
        }
        ok = ok && finishPng(*file);
        file->rows = nullptr;
        if (!ok)
            return codecmessages::corrupt();
        picture = std::move(decoded);
        return std::nullopt;
    }
};

} // namespace

bool isPng(const unsigned char *head, std::size_t size)
{
    return size >= 8 && png_sig_cmp(head, 0, 8) == 0;
}

OpenedPicture openPngPicture(PictureFile picture, const ReadOptions &options, const PictureLimits &limits)
{
    // The IHDR chunk always comes first: its size is known before libpng
    // sees the file, so an absurd one is told apart from a broken one.
    const unsigned char *head = picture.head();
    if (!isPng(head, picture.headSize() >= 24 ? picture.headSize() : 0)) {
        return OpenedPicture::refused(isPng(head, picture.headSize()) ? codecmessages::corrupt()
                                                                      : codecmessages::notAPicture());
    }
    if (std::memcmp(head + 12, "IHDR", 4) == 0) {
        const quint32 width = qFromBigEndian<quint32>(head + 16);
        const quint32 height = qFromBigEndian<quint32>(head + 20);
        if (width > quint32(limits.maxStreamedSide) || height > quint32(limits.maxStreamedSide))
            return OpenedPicture::refused(codecmessages::tooLarge());
    }
    const long long fileBytes = picture.size();
    auto file = std::make_shared<PngFile>(std::move(picture));

    file->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, file.get(), pngFailed, pngWarned);
    if (!file->png || !(file->info = png_create_info_struct(file->png)))
        return OpenedPicture::refused(codecmessages::cannotOpen());
    png_set_read_fn(file->png, file.get(), pngRead);
    png_set_user_limits(file->png, png_uint_32(limits.maxStreamedSide), png_uint_32(limits.maxStreamedSide));
    png_set_chunk_cache_max(file->png, kChunkCacheMax);
    png_set_chunk_malloc_max(file->png, png_alloc_size_t(limits.maxLibraryAllocation));
    static const png_byte unread[] = "tEXt\0zTXt\0iTXt\0sPLT\0";
    png_set_keep_unknown_chunks(file->png, PNG_HANDLE_CHUNK_NEVER, unread, 4);
    if (!runPngStep(*file, infoStep))
        return OpenedPicture::refused(codecmessages::corrupt());

    png_structp png = file->png;
    png_infop info = file->info;
    const int width = int(png_get_image_width(png, info));
    const int height = int(png_get_image_height(png, info));
    const bool interlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
    // Image data that would inflate to more than the ratio allows is a lie.
    const long long dataBytes = (long long)(png_get_rowbytes(png, info) + 1) * height;
    if (fileBytes * limits.maxInflateRatio < dataBytes)
        return OpenedPicture::refused(codecmessages::corrupt());

    QByteArray profile;
    png_charp name = nullptr;
    int compression = 0;
    png_bytep iccp = nullptr;
    png_uint_32 iccpBytes = 0;
    if (!png_get_valid(png, info, PNG_INFO_sRGB)
        && png_get_iCCP(png, info, &name, &compression, &iccp, &iccpBytes) == PNG_INFO_iCCP)
        profile = QByteArray(reinterpret_cast<const char *>(iccp), qsizetype(iccpBytes));
    QImageIOHandler::Transformations orientation = QImageIOHandler::TransformationNone;
    png_uint_32 exifBytes = 0;
    png_bytep exif = nullptr;
    if (png_get_eXIf_1(png, info, &exifBytes, &exif) != 0 && exif)
        orientation = exifOrientation(QByteArray(reinterpret_cast<const char *>(exif), qsizetype(exifBytes)));

    if (!runPngStep(*file, transformStep))
        return OpenedPicture::refused(codecmessages::corrupt());
    SampleLayout layout;
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    if (!layoutOf(png_get_channels(png, info), png_get_bit_depth(png, info), layout)
        || rowBytes != std::size_t(width) * std::size_t(bytesPerPixel(layout)))
        return OpenedPicture::refused(codecmessages::unsupported());
    auto converter = std::make_shared<const RowConverter>(layout, profile, options.matte);

    OpenedPicture opened;
    if (!interlaced) {
        opened.rows =
            std::make_unique<PngRows>(std::move(file), width, height, rowBytes, std::move(converter), orientation);
        return opened;
    }
    const std::size_t extra = sizeof(PngFile) + kInflateBytes + 3 * rowBytes
        + (interlaced ? (rowBytes + sizeof(png_bytep)) * std::size_t(height) : 0);
    WholePng decode{std::move(file), std::move(converter), width, height, rowBytes, interlaced};
    return wholePictureRows(width, height, std::move(decode), extra, orientation);
}

} // namespace tess
