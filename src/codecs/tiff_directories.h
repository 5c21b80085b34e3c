#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace tess {

// One entry of a TIFF directory as stored: its value field is the value
// itself when it fits in four bytes, else where the values lie.
struct TiffEntry {
    std::uint32_t tag = 0;
    std::uint32_t type = 0; // 3 SHORT, 4 LONG, 13 IFD
    std::uint32_t count = 0;
    unsigned char field[4] = {};
};

// The directories of a classic TIFF in either byte order, read through a
// function that fetches the bytes at an offset from the TIFF header (a file,
// or a block in memory). Every read is checked against what it returns, so a
// block or file cut anywhere only ends the walk.
class TiffDirectories {
public:
    // Up to `length` bytes from `offset`: fewer where the bytes end, -1 when
    // reading failed.
    using ReadAt = std::function<long long(long long offset, void *into, std::size_t length)>;

    struct Directory {
        std::vector<TiffEntry> entries; // those read whole, in order
        bool whole = false;             // all its entries were read
        std::uint32_t next = 0;         // the next one's offset; 0 at the end or where unreadable
    };

    struct Walk {
        int maxChain = 8;
        unsigned maxEntries = 1024; // of a directory; more are not read
        bool subDirectories = true; // each directory's SubIFDs (the first 8) right after it
    };

    explicit TiffDirectories(ReadAt read);

    // Whether the header is a classic TIFF's, in either byte order.
    bool valid() const { return m_valid; }

    // Visits the directories chained from the header, then each one's SubIFDs
    // when asked, until visit returns true; whether one did. The chain goes
    // forward only, each directory past the end of the last one read, so no
    // loop holds it; it ends at a directory not read whole.
    bool any(const Walk &walk, const std::function<bool(const Directory &, bool first)> &visit) const;

    // A single SHORT or LONG value held in the entry.
    std::uint32_t single(const TiffEntry &entry) const;
    // An entry's SHORT, LONG or IFD values, wherever they lie; nullopt when
    // they can't all be read.
    std::optional<std::vector<std::uint32_t>> values(const TiffEntry &entry) const;

private:
    std::uint32_t u16(const unsigned char *b) const;
    std::uint32_t u32(const unsigned char *b) const;
    std::optional<Directory> read(std::uint32_t at, unsigned maxEntries) const;

    ReadAt m_read;
    bool m_little = false;
    bool m_valid = false;
    std::uint32_t m_first = 0;
};

} // namespace tess
