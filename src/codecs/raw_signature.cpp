#include "codecs/raw_signature.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
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

bool isClassicTiff(const PictureFile &file)
{
    return file.headSize() >= 8 && (startsWith(file, 0, "II*\0", 4) || startsWith(file, 0, "MM\0*", 4));
}

// Codings no picture TIFF uses: the camera makers' own.
bool isRawCoding(std::uint32_t compression)
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

// One directory's entries, as far as telling a raw needs them.
struct Directory {
    struct Values {
        std::uint32_t type = 0;
        std::uint32_t count = 0;
        std::uint32_t field = 0; // the value itself, or where the values are
        const unsigned char *inlineBytes = nullptr;
    };
    bool dngVersion = false;
    std::uint32_t photometric = 0;
    std::uint32_t compression = 0;
    Values offsets;    // of the strips or tiles
    Values byteCounts; // of the same
    std::vector<std::uint32_t> subDirectories;
    std::uint32_t next = 0;

    bool holdsMosaic() const
    {
        return photometric == 32803 || photometric == 34892 // a colour filter array, linear raw
            || isRawCoding(compression);
    }
};

// Reads the directories of a classic TIFF: the chain from IFD0 and the
// directories each names as SubIFDs, a bounded number of each, forward only
// along the chain so that no loop can hold us.
class TiffWalk {
public:
    explicit TiffWalk(const PictureFile &file) : m_file(file), m_little(file.head()[0] == 'I') {}

    // Calls visit(directory, first) for each until it returns true.
    template <typename Visit>
    bool any(Visit visit)
    {
        std::uint32_t at = u32(m_file.head() + 4);
        for (int n = 0; n < kMaxChain && at != 0; ++n) {
            std::vector<unsigned char> table;
            const std::optional<Directory> directory = read(at, table);
            if (!directory)
                return false;
            if (visit(*directory, n == 0))
                return true;
            for (const std::uint32_t sub : directory->subDirectories) {
                std::vector<unsigned char> subTable;
                const std::optional<Directory> below = read(sub, subTable);
                if (below && visit(*below, false))
                    return true;
            }
            at = directory->next > at ? directory->next : 0;
        }
        return false;
    }

    // Where the strips or tiles a directory names end; nullopt when it names
    // none or their tables can't be read.
    std::optional<long long> dataEnd(const Directory &directory) const
    {
        const std::optional<std::vector<std::uint32_t>> offsets = values(directory.offsets);
        const std::optional<std::vector<std::uint32_t>> counts = values(directory.byteCounts);
        if (!offsets || !counts || offsets->empty() || offsets->size() != counts->size())
            return std::nullopt;
        long long end = 0;
        for (std::size_t i = 0; i < offsets->size(); ++i)
            end = std::max(end, (long long)(*offsets)[i] + (*counts)[i]);
        return end;
    }

private:
    static constexpr int kMaxChain = 8;
    static constexpr std::size_t kMaxSubDirectories = 8;
    static constexpr unsigned kMaxEntries = 1024;
    static constexpr std::uint32_t kMaxValues = 1u << 20;

    std::uint32_t u16(const unsigned char *b) const { return m_little ? b[0] | b[1] << 8 : b[0] << 8 | b[1]; }
    std::uint32_t u32(const unsigned char *b) const
    {
        return m_little ? u16(b) | u16(b + 2) << 16 : u16(b) << 16 | u16(b + 2);
    }

    std::optional<Directory> read(std::uint32_t at, std::vector<unsigned char> &table) const
    {
        unsigned char countBytes[2];
        if (at < 8 || m_file.readAt(at, countBytes, 2) != 2)
            return std::nullopt;
        const unsigned entries = std::min<unsigned>(u16(countBytes), kMaxEntries);
        table.resize(std::size_t(entries) * 12 + 4);
        const long long got = m_file.readAt(at + 2, table.data(), table.size());
        if (got < (long long)entries * 12)
            return std::nullopt;
        Directory d;
        for (unsigned i = 0; i < entries; ++i) {
            const unsigned char *entry = table.data() + std::size_t(i) * 12;
            const Directory::Values values{u16(entry + 2), u32(entry + 4), u32(entry + 8), entry + 8};
            const std::uint32_t single = values.type == 3 ? u16(entry + 8) : values.field;
            switch (u16(entry)) {
            case 50706: d.dngVersion = true; break;
            case 262: d.photometric = values.count == 1 ? single : 0; break;
            case 259: d.compression = values.count == 1 ? single : 0; break;
            case 273: // strips
            case 324: // tiles
                d.offsets = values;
                break;
            case 279:
            case 325:
                d.byteCounts = values;
                break;
            case 330: { // SubIFDs
                const std::size_t n = std::min<std::size_t>(values.count, kMaxSubDirectories);
                if (values.count == 1) {
                    d.subDirectories.push_back(values.field);
                } else {
                    std::vector<unsigned char> offsets(n * 4);
                    if (m_file.readAt(values.field, offsets.data(), offsets.size()) == (long long)offsets.size())
                        for (std::size_t k = 0; k < n; ++k)
                            d.subDirectories.push_back(u32(offsets.data() + 4 * k));
                }
                break;
            }
            default: break;
            }
        }
        if (got >= (long long)table.size())
            d.next = u32(table.data() + std::size_t(entries) * 12);
        return d;
    }

    // An entry's SHORT or LONG values, wherever they lie.
    std::optional<std::vector<std::uint32_t>> values(const Directory::Values &v) const
    {
        const std::size_t size = v.type == 3 ? 2 : v.type == 4 ? 4 : 0;
        if (size == 0 || v.count == 0 || v.count > kMaxValues)
            return std::nullopt;
        std::vector<unsigned char> bytes(size * v.count);
        if (bytes.size() <= 4)
            std::memcpy(bytes.data(), v.inlineBytes, bytes.size());
        else if (m_file.readAt(v.field, bytes.data(), bytes.size()) != (long long)bytes.size())
            return std::nullopt;
        std::vector<std::uint32_t> out(v.count);
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = size == 2 ? u16(bytes.data() + 2 * i) : u32(bytes.data() + 4 * i);
        return out;
    }

    const PictureFile &m_file;
    const bool m_little;
};

} // namespace

bool isCameraRaw(const PictureFile &file)
{
    if (isMakersContainer(file))
        return true;
    if (!isClassicTiff(file))
        return false;
    if (startsWith(file, 8, "CR", 2))
        return true; // Canon CR2
    return TiffWalk(file).any(
        [](const Directory &d, bool first) { return (first && d.dngVersion) || d.holdsMosaic(); });
}

bool rawDataLiesPastTheEnd(const PictureFile &file)
{
    if (!isClassicTiff(file))
        return false;
    TiffWalk walk(file);
    return walk.any([&](const Directory &d, bool) {
        if (!d.holdsMosaic())
            return false;
        const std::optional<long long> end = walk.dataEnd(d);
        return end && *end > file.size();
    });
}

} // namespace tess
