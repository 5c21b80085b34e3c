#pragma once
// What every reader's fuzz target checks: any bytes, as the reader's file,
// are refused with a cause, or give a stream whose every row is read and
// whose finish() answers; never a crash, a hang, a picture over the size
// limit or a stream that breaks without a cause.
#include "codecs/picture_codecs.h"
#include "codecs/picture_reader.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

inline int fuzzReader(tess::OpenedPicture (*open)(int, const tess::ReadOptions &), const std::uint8_t *data, std::size_t size)
{
    const int fd = memfd_create("fuzz", MFD_CLOEXEC);
    if (fd < 0 || (size > 0 && write(fd, data, size) != ssize_t(size)))
        std::abort();
    tess::OpenedPicture opened = open(fd, tess::ReadOptions{});
    if (!opened.ok()) {
        if (opened.message.isEmpty())
            std::abort();
        return 0;
    }
    tess::RowStream &rows = *opened.rows;
    const int width = rows.width(), height = rows.height();
    if (width <= 0 || height <= 0 || (long long)width * height > tess::kMaxPicturePixels || rows.workingBytes() == 0)
        std::abort();
    std::vector<tess::Colour> line(std::size_t(width) * 8);
    for (int y = 0; y < height; y += 8) {
        const int count = std::min(8, height - y);
        tess::Colour *pointers[8];
        for (int i = 0; i < count; ++i)
            pointers[i] = line.data() + std::size_t(i) * std::size_t(width);
        if (!rows.readRows(pointers, count)) {
            if (rows.message().isEmpty() || rows.finish())
                std::abort();
            return 0;
        }
    }
    rows.finish();
    return 0;
}
