#include "codecs/picture_codecs.h"

#include <cstdint>
#include <cstring>

namespace tess {

namespace {

void putLe16(char *p, std::uint16_t v)
{
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}

void putLe32(char *p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}

} // namespace

QByteArray encodeBmp(const Picture &picture)
{
    constexpr int kFileHeader = 14;
    constexpr int kInfoHeader = 40;
    const int width = picture.width();
    const int height = picture.height();
    const std::size_t stride = (std::size_t(width) * 3 + 3) & ~std::size_t(3);
    const std::size_t imageSize = stride * std::size_t(height);
    const std::size_t fileSize = kFileHeader + kInfoHeader + imageSize;

    QByteArray out(qsizetype(fileSize), '\0');
    char *p = out.data();
    p[0] = 'B';
    p[1] = 'M';
    putLe32(p + 2, std::uint32_t(fileSize));
    putLe32(p + 10, kFileHeader + kInfoHeader);
    char *info = p + kFileHeader;
    putLe32(info + 0, kInfoHeader);
    putLe32(info + 4, std::uint32_t(width));
    putLe32(info + 8, std::uint32_t(height)); // positive: rows stored bottom-up
    putLe16(info + 12, 1);                    // planes
    putLe16(info + 14, 24);                   // bits a pixel
    putLe32(info + 16, 0);                    // BI_RGB
    putLe32(info + 20, std::uint32_t(imageSize));
    putLe32(info + 24, 3780); // 96 dpi in pixels a metre
    putLe32(info + 28, 3780);

    char *pixels = p + kFileHeader + kInfoHeader;
    for (int y = 0; y < height; ++y) {
        const Colour *in = picture.row(height - 1 - y);
        auto *out8 = reinterpret_cast<unsigned char *>(pixels + stride * std::size_t(y));
        for (int x = 0; x < width; ++x) {
            const Colour c = in[x];
            out8[3 * x + 0] = static_cast<unsigned char>(blueOf(c));
            out8[3 * x + 1] = static_cast<unsigned char>(greenOf(c));
            out8[3 * x + 2] = static_cast<unsigned char>(redOf(c));
        }
        // Padding bytes stay zero from the allocation.
    }
    return out;
}

} // namespace tess
