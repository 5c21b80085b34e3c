#pragma once
// Any bytes, as a file one picture reader opens: either refused with a cause,
// or rows of a sane size read to the end (or until the file proves broken,
// again with a cause); never a crash, a hang or an allocation the header
// alone asked for.
#include "codecs/picture_codecs.h"
#include "codecs/picture_file.h"
#include "codecs/picture_reader.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace tess::fuzzing {

using OpenReader = OpenedPicture (*)(PictureFile file, const ReadOptions &options);

// What the top byte of a pixel a reader hands out may hold: 0, or for rows
// that come from libjpeg (a camera raw's preview) also its filler byte 0xFF.
enum class TopByte { Zero, ZeroOrJpegFiller };

inline void readOnce(const std::uint8_t *data, std::size_t size, OpenReader open,
                     const ReadOptions &options = ReadOptions{rgb(12, 34, 56)}, TopByte topByte = TopByte::Zero)
{
    const int fd = ::memfd_create("fuzz", MFD_CLOEXEC);
    if (fd < 0)
        std::abort();
    for (std::size_t done = 0; done < size;) {
        const ssize_t wrote = ::write(fd, data + done, size - done);
        if (wrote <= 0)
            std::abort();
        done += std::size_t(wrote);
    }
    ::lseek(fd, 0, SEEK_END); // readers must not rely on where the descriptor stands
    OpenedPicture opened = open(PictureFile(fd), options);
    if (!opened.ok()) {
        if (opened.message.isEmpty())
            std::abort();
        return;
    }
    RowStream &rows = *opened.rows;
    const int width = rows.width();
    const int height = rows.height();
    // Held whole, a picture is bounded by its pixels; streamed, by its sides.
    const bool held = (long long)width * height <= kMaxPicturePixels;
    const bool streamable = width <= kMaxStreamedSide && height <= kMaxStreamedSide;
    if (width < 1 || height < 1 || !(held || streamable) || rows.workingBytes() == 0)
        std::abort();
    constexpr int kBand = 16;
    // A top byte no reader writes marks the pixels not written yet.
    constexpr Colour kUnwritten = 0x01000000u;
    const auto written = [topByte](Colour pixel) {
        const Colour top = pixel >> 24;
        return top == 0 || (topByte == TopByte::ZeroOrJpegFiller && top == 0xFF);
    };
    std::vector<Colour> band(std::size_t(width) * kBand, kUnwritten);
    Colour *pointers[kBand];
    for (int i = 0; i < kBand; ++i)
        pointers[i] = band.data() + std::size_t(i) * std::size_t(width);
    for (int y = 0; y < height; y += kBand) {
        const int count = std::min(kBand, height - y);
        if (!rows.readRows(pointers, count)) {
            if (rows.message().isEmpty() || rows.finish())
                std::abort();
            return;
        }
        for (int i = 0; i < count * width; ++i) {
            if (!written(band[std::size_t(i)])) // every pixel written, opaque
                std::abort();
        }
        std::fill(band.begin(), band.begin() + std::ptrdiff_t(count) * width, kUnwritten);
    }
    if (!rows.finish() && rows.message().isEmpty())
        std::abort();
}

} // namespace tess::fuzzing
