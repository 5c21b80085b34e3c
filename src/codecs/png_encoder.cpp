#include "codecs/codec_messages.h"
#include "codecs/picture_codecs.h"

#include <png.h>

#include <csetjmp>
#include <functional>
#include <vector>

namespace tess {

namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto *out = static_cast<QByteArray *>(png_get_io_ptr(png));
    out->append(reinterpret_cast<const char *>(data), qsizetype(length));
}

void flushNothing(png_structp) {}

// libpng reports its errors by longjmp; nothing here owns memory across the
// jump except the structures png_destroy_write_struct frees afterwards.
void failOnError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

bool writePng(png_structp png, png_infop info, const Picture &picture, QByteArray *out)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, out, appendBytes, flushNothing);
    // Only IHDR, IDAT and IEND: the thumbnail says nothing about where, when
    // or with what its source was taken.
    png_set_IHDR(png, info, png_uint_32(picture.width()), png_uint_32(picture.height()), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    // Our rows are R, G, B, 0: libpng drops the fourth byte as it writes.
    png_set_filler(png, 0, PNG_FILLER_AFTER);
    for (int y = 0; y < picture.height(); ++y) {
        // libpng takes non-const rows but only reads them.
        auto row = reinterpret_cast<png_bytep>(const_cast<Colour *>(picture.row(y)));
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
    return true;
}

bool writeRgbaPng(png_structp png, png_infop info, const Picture &picture, std::vector<png_text> &chunks,
                  QByteArray *out)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, out, appendBytes, flushNothing);
    png_set_IHDR(png, info, png_uint_32(picture.width()), png_uint_32(picture.height()), 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // A thumbnail is read back at once and soon replaced: deflate's fastest
    // level and one filter (Paeth suits photographs) spend a fifth of the
    // default's time for files a quarter larger.
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_PAETH);
    if (!chunks.empty())
        png_set_text(png, info, chunks.data(), int(chunks.size()));
    png_write_info(png, info);
    // Our rows are R, G, B, A in memory on the little-endian machines we run on.
    for (int y = 0; y < picture.height(); ++y) {
        auto row = reinterpret_cast<png_bytep>(const_cast<Colour *>(picture.row(y)));
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
    return true;
}

// One PNG of a picture, written by `write` between libpng's setting up and
// letting go; a picture without pixels, or any failure, gives the file's
// cannot-encode failure.
std::optional<QByteArray> encodeWith(const Picture &picture, const QString &nameForMessages, Failure *failure,
                                     const std::function<bool(png_structp, png_infop, QByteArray *)> &write)
{
    const auto fail = [&]() -> std::optional<QByteArray> {
        if (failure)
            *failure = Failure{nameForMessages, codecmessages::cannotEncode()};
        return std::nullopt;
    };
    if (picture.isEmpty())
        return fail(); // a PNG has at least one pixel
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, failOnError, ignoreWarning);
    if (!png)
        return fail();
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return fail();
    }
    QByteArray bytes;
    const bool ok = write(png, info, &bytes);
    png_destroy_write_struct(&png, &info);
    if (!ok)
        return fail();
    return bytes;
}

} // namespace

std::optional<QByteArray> encodePngWithAlpha(const Picture &picture, std::span<const PngText> texts,
                                             const QString &nameForMessages, Failure *failure)
{
    std::vector<png_text> chunks(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        chunks[i].compression = PNG_TEXT_COMPRESSION_NONE;
        chunks[i].key = const_cast<char *>(texts[i].key.constData());
        chunks[i].text = const_cast<char *>(texts[i].text.constData());
        chunks[i].text_length = std::size_t(texts[i].text.size());
    }
    return encodeWith(picture, nameForMessages, failure, [&](png_structp png, png_infop info, QByteArray *out) {
        return writeRgbaPng(png, info, picture, chunks, out);
    });
}

std::optional<QByteArray> encodePng(const Picture &picture, const QString &nameForMessages, Failure *failure)
{
    return encodeWith(picture, nameForMessages, failure, [&](png_structp png, png_infop info, QByteArray *out) {
        return writePng(png, info, picture, out);
    });
}

} // namespace tess
