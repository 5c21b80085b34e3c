// The floor a thumbnail of another picture kind stands on: each file decoded
// by its own library's plainest calls, on one core, with nothing else done.
// PNG and TIFF samples come as stored, a row (PNG) or a strip (TIFF) at a
// time into one buffer; the other kinds decode whole to 8-bit RGBA. Prints
// milliseconds per picture (the median of three passes over the files).
//   kind_floor FILE...
#include <jxl/decode.h>
#include <libheif/heif.h>
#include <png.h>
#include <tiffio.h>
#include <webp/decode.h>

#include <algorithm>
#include <csetjmp>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> readAll(const char *path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool endsWith(const std::string &s, const char *tail)
{
    const std::size_t n = std::strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

// libpng reports errors by longjmp: nothing here needs unwinding.
bool decodePng(const char *path)
{
    FILE *file = std::fopen(path, "rb");
    if (!file)
        return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = false;
    std::vector<unsigned char> row;
    if (info && !setjmp(png_jmpbuf(png))) {
        png_init_io(png, file);
        png_read_info(png, info);
        const int passes = png_set_interlace_handling(png);
        png_read_update_info(png, info);
        row.resize(png_get_rowbytes(png, info));
        const png_uint_32 height = png_get_image_height(png, info);
        for (int pass = 0; pass < passes; ++pass) {
            for (png_uint_32 y = 0; y < height; ++y)
                png_read_row(png, row.data(), nullptr);
        }
        png_read_end(png, nullptr);
        ok = true;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return ok;
}

bool decodeWebp(const char *path)
{
    const std::vector<unsigned char> bytes = readAll(path);
    int width = 0, height = 0;
    uint8_t *pixels = WebPDecodeRGBA(bytes.data(), bytes.size(), &width, &height);
    WebPFree(pixels);
    return pixels != nullptr;
}

bool decodeTiff(const char *path)
{
    TIFF *tiff = TIFFOpen(path, "r");
    if (!tiff)
        return false;
    const tmsize_t size = TIFFIsTiled(tiff) ? TIFFTileSize(tiff) : TIFFStripSize(tiff);
    const uint32_t count = TIFFIsTiled(tiff) ? TIFFNumberOfTiles(tiff) : TIFFNumberOfStrips(tiff);
    std::vector<unsigned char> buffer(std::size_t(std::max<tmsize_t>(size, 0)));
    bool ok = size > 0;
    for (uint32_t i = 0; i < count && ok; ++i) {
        ok = (TIFFIsTiled(tiff) ? TIFFReadEncodedTile(tiff, i, buffer.data(), size)
                                : TIFFReadEncodedStrip(tiff, i, buffer.data(), size)) >= 0;
    }
    TIFFClose(tiff);
    return ok;
}

bool decodeHeif(const char *path)
{
    heif_context *context = heif_context_alloc();
    heif_image_handle *handle = nullptr;
    heif_image *image = nullptr;
    bool ok = heif_context_read_from_file(context, path, nullptr).code == heif_error_Ok
        && heif_context_get_primary_image_handle(context, &handle).code == heif_error_Ok
        && heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, nullptr).code
            == heif_error_Ok;
    heif_image_release(image);
    heif_image_handle_release(handle);
    heif_context_free(context);
    return ok;
}

bool decodeJxl(const char *path)
{
    const std::vector<unsigned char> bytes = readAll(path);
    JxlDecoder *decoder = JxlDecoderCreate(nullptr);
    JxlDecoderSubscribeEvents(decoder, JXL_DEC_BASIC_INFO | JXL_DEC_FULL_IMAGE);
    JxlDecoderSetInput(decoder, bytes.data(), bytes.size());
    JxlDecoderCloseInput(decoder);
    const JxlPixelFormat format{4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    std::vector<unsigned char> pixels;
    bool ok = false;
    for (;;) {
        const JxlDecoderStatus status = JxlDecoderProcessInput(decoder);
        if (status == JXL_DEC_NEED_IMAGE_OUT_BUFFER) {
            std::size_t size = 0;
            JxlDecoderImageOutBufferSize(decoder, &format, &size);
            pixels.resize(size);
            JxlDecoderSetImageOutBuffer(decoder, &format, pixels.data(), pixels.size());
        } else if (status == JXL_DEC_FULL_IMAGE) {
            ok = true;
            break;
        } else if (status != JXL_DEC_BASIC_INFO) {
            break;
        }
    }
    JxlDecoderDestroy(decoder);
    return ok;
}

bool decode(const std::string &path)
{
    if (endsWith(path, ".png"))
        return decodePng(path.c_str());
    if (endsWith(path, ".webp"))
        return decodeWebp(path.c_str());
    if (endsWith(path, ".tif") || endsWith(path, ".tiff"))
        return decodeTiff(path.c_str());
    if (endsWith(path, ".heic") || endsWith(path, ".avif"))
        return decodeHeif(path.c_str());
    if (endsWith(path, ".jxl"))
        return decodeJxl(path.c_str());
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fputs("usage: kind_floor FILE...\n", stderr);
        return 2;
    }
    TIFFSetWarningHandler(nullptr);
    std::vector<double> passes;
    for (int pass = 0; pass < 3; ++pass) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 1; i < argc; ++i) {
            if (!decode(argv[i])) {
                std::fprintf(stderr, "cannot decode %s\n", argv[i]);
                return 1;
            }
        }
        passes.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(passes.begin(), passes.end());
    std::printf("%.1f\n", passes[1] / double(argc - 1));
    return 0;
}
