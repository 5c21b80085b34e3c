#include "codecs/raw_signature.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tess {

namespace {

bool startsWith(const PictureFile &file, std::size_t at, const char *bytes, std::size_t length)
{
    return file.headSize() >= at + length && std::memcmp(file.head() + at, bytes, length) == 0;
}

// Containers of their own, told by their first bytes.
bool isMakersContainer(const PictureFile &file)
{
    if (startsWith(file, 0, "II", 2) && startsWith(file, 6, "HEAPCCDR", 8))
        return true; // Canon CRW
    if (startsWith(file, 4, "ftypcrx ", 8))
        return true; // Canon CR3
    if (startsWith(file, 0, "FUJIFILM", 8))
        return true; // RAF
    if (startsWith(file, 0, "IIRO", 4) || startsWith(file, 0, "IIRS", 4) || startsWith(file, 0, "MMOR", 4))
        return true; // Olympus ORF
    if (startsWith(file, 0, "IIU\0", 4))
        return true; // Panasonic RW2, Leica RWL
    if (startsWith(file, 0, "\0MRM", 4))
        return true; // Minolta MRW
    if (startsWith(file, 0, "FOVb", 4))
        return true; // Sigma X3F
    if (startsWith(file, 0, "IIII", 4) || startsWith(file, 0, "MMMM", 4))
        return true; // Phase One IIQ
    return false;
}

class TiffWalk {
public:
    explicit TiffWalk(const PictureFile &file) : m_file(file), m_little(file.head()[0] == 'I') {}

    // Looks through the chain of directories from IFD0 and the directories
    // they name as SubIFDs, a bounded number of each.
    bool holdsRaw()
    {
        std::uint32_t next = u32At(4);
        for (int n = 0; n < kMaxChain && next != 0; ++n) {
            std::array<std::uint32_t, kMaxSubDirectories> subs{};
            int subCount = 0;
            if (directoryHoldsRaw(next, n == 0, &subs, &subCount, &next))
                return true;
            for (int i = 0; i < subCount; ++i) {
                std::uint32_t ignored = 0;
                if (directoryHoldsRaw(subs[std::size_t(i)], false, nullptr, nullptr, &ignored))
                    return true;
            }
        }
        return false;
    }

private:
    static constexpr int kMaxChain = 8;
    static constexpr int kMaxSubDirectories = 8;
    static constexpr unsigned kMaxEntries = 1024;

    bool readBytes(long long at, unsigned char *into, std::size_t length) const
    {
        return m_file.readAt(at, into, length) == (long long)length;
    }
    std::uint32_t u16(const unsigned char *b) const
    {
        return m_little ? b[0] | b[1] << 8 : b[0] << 8 | b[1];
    }
    std::uint32_t u32(const unsigned char *b) const
    {
        return m_little ? u16(b) | u16(b + 2) << 16 : u16(b) << 16 | u16(b + 2);
    }
    std::uint32_t u32At(long long at) const
    {
        unsigned char b[4];
        return readBytes(at, b, 4) ? u32(b) : 0;
    }

    // A value held in the entry itself: a SHORT or a LONG.
    std::uint32_t inlineValue(const unsigned char *entry) const
    {
        return u16(entry + 2) == 3 ? u16(entry + 8) : u32(entry + 8);
    }

    bool directoryHoldsRaw(std::uint32_t at, bool first, std::array<std::uint32_t, kMaxSubDirectories> *subs,
                           int *subCount, std::uint32_t *next) const
    {
        *next = 0;
        unsigned char countBytes[2];
        if (at < 8 || !readBytes(at, countBytes, 2))
            return false;
        const unsigned entries = std::min<unsigned>(u16(countBytes), kMaxEntries);
        std::vector<unsigned char> table(std::size_t(entries) * 12 + 4);
        if (m_file.readAt(at + 2, table.data(), table.size()) < (long long)entries * 12)
            return false;
        for (unsigned i = 0; i < entries; ++i) {
            const unsigned char *entry = table.data() + std::size_t(i) * 12;
            const std::uint32_t tag = u16(entry);
            const std::uint32_t count = u32(entry + 4);
            constexpr std::uint32_t kCompression = 259, kPhotometric = 262, kSubIfds = 330,
                                    kDngVersion = 50706;
            if (first && tag == kDngVersion)
                return true;
            if (tag == kPhotometric && count == 1) {
                const std::uint32_t photometric = inlineValue(entry);
                if (photometric == 32803 || photometric == 34892) // a colour filter array, linear raw
                    return true;
            }
            if (tag == kCompression && count == 1 && isRawCoding(inlineValue(entry)))
                return true;
            if (tag == kSubIfds && subs) {
                const std::uint32_t n = std::min<std::uint32_t>(count, kMaxSubDirectories);
                if (count == 1) {
                    (*subs)[0] = u32(entry + 8);
                    *subCount = 1;
                } else {
                    for (std::uint32_t k = 0; k < n; ++k)
                        (*subs)[k] = u32At((long long)u32(entry + 8) + 4 * (long long)k);
                    *subCount = int(n);
                }
            }
        }
        if (table.size() >= std::size_t(entries) * 12 + 4)
            *next = u32(table.data() + std::size_t(entries) * 12);
        if (*next <= at)
            *next = 0; // forward only: a loop can't hold us
        return false;
    }

    // Codings no picture TIFF uses: the camera makers' own.
    static bool isRawCoding(std::uint32_t compression)
    {
        switch (compression) {
        case 262:   // Kodak
        case 32767: // Sony
        case 32769: // Epson, Panasonic
        case 32770: // Samsung
        case 32772: // Samsung
        case 34713: // Nikon
        case 65000: // Kodak
        case 65535: // Pentax
            return true;
        default:
            return false;
        }
    }

    const PictureFile &m_file;
    const bool m_little;
};

bool isClassicTiff(const PictureFile &file)
{
    return startsWith(file, 0, "II*\0", 4) || startsWith(file, 0, "MM\0*", 4);
}

} // namespace

bool isCameraRaw(const PictureFile &file)
{
    if (isMakersContainer(file))
        return true;
    if (!isClassicTiff(file) || file.headSize() < 8)
        return false;
    if (startsWith(file, 8, "CR", 2))
        return true; // Canon CR2
    return TiffWalk(file).holdsRaw();
}

} // namespace tess
