#include "codecs/tiff_directories.h"

#include <algorithm>
#include <cstring>

namespace tess {

namespace {

constexpr std::size_t kMaxSubDirectories = 8;
constexpr std::uint32_t kMaxValues = 1u << 20;

} // namespace

TiffDirectories::TiffDirectories(ReadAt read) : m_read(std::move(read))
{
    unsigned char header[8];
    if (m_read(0, header, sizeof header) != (long long)sizeof header)
        return;
    m_little = header[0] == 'I' && header[1] == 'I';
    if (!m_little && !(header[0] == 'M' && header[1] == 'M'))
        return;
    m_valid = u16(header + 2) == 42;
    m_first = u32(header + 4);
}

std::uint32_t TiffDirectories::u16(const unsigned char *b) const
{
    return m_little ? b[0] | b[1] << 8 : b[0] << 8 | b[1];
}

std::uint32_t TiffDirectories::u32(const unsigned char *b) const
{
    return m_little ? u16(b) | u16(b + 2) << 16 : u16(b) << 16 | u16(b + 2);
}

std::uint32_t TiffDirectories::single(const TiffEntry &entry) const
{
    return entry.type == 3 ? u16(entry.field) : u32(entry.field);
}

std::optional<TiffDirectories::Directory> TiffDirectories::read(std::uint32_t at, unsigned maxEntries) const
{
    unsigned char countBytes[2];
    if (m_read(at, countBytes, 2) != 2)
        return std::nullopt;
    const unsigned count = std::min<unsigned>(u16(countBytes), maxEntries);
    std::vector<unsigned char> table(std::size_t(count) * 12 + 4);
    const long long got = std::max(0LL, m_read((long long)at + 2, table.data(), table.size()));
    Directory d;
    const unsigned whole = unsigned(std::min<long long>(got / 12, count));
    for (unsigned i = 0; i < whole; ++i) {
        const unsigned char *e = table.data() + std::size_t(i) * 12;
        TiffEntry entry{u16(e), u16(e + 2), u32(e + 4), {}};
        std::memcpy(entry.field, e + 8, 4);
        d.entries.push_back(entry);
    }
    d.whole = whole == count;
    if (got >= (long long)table.size())
        d.next = u32(table.data() + std::size_t(count) * 12);
    return d;
}

bool TiffDirectories::any(const Walk &walk, const std::function<bool(const Directory &, bool first)> &visit) const
{
    if (!m_valid)
        return false;
    long long end = 8; // of what has been read so far
    std::uint32_t at = m_first;
    for (int n = 0; n < walk.maxChain && at >= end; ++n) {
        const std::optional<Directory> directory = read(at, walk.maxEntries);
        if (!directory)
            return false;
        if (visit(*directory, n == 0))
            return true;
        if (!directory->whole)
            return false;
        if (walk.subDirectories) {
            for (const TiffEntry &entry : directory->entries) {
                if (entry.tag != 330) // SubIFDs
                    continue;
                std::vector<std::uint32_t> offsets = values(entry).value_or(std::vector<std::uint32_t>{});
                offsets.resize(std::min(offsets.size(), kMaxSubDirectories));
                for (const std::uint32_t sub : offsets) {
                    const std::optional<Directory> below = read(sub, walk.maxEntries);
                    if (below && below->whole && visit(*below, false))
                        return true;
                }
            }
        }
        end = (long long)at + 2 + 12LL * (long long)directory->entries.size() + 4;
        at = directory->next;
        if (at == 0)
            break;
    }
    return false;
}

std::optional<std::vector<std::uint32_t>> TiffDirectories::values(const TiffEntry &entry) const
{
    const std::size_t size = entry.type == 3 ? 2 : entry.type == 4 || entry.type == 13 ? 4 : 0;
    if (size == 0 || entry.count == 0 || entry.count > kMaxValues)
        return std::nullopt;
    std::vector<unsigned char> bytes(size * entry.count);
    if (bytes.size() <= 4)
        std::memcpy(bytes.data(), entry.field, bytes.size());
    else if (m_read(u32(entry.field), bytes.data(), bytes.size()) != (long long)bytes.size())
        return std::nullopt;
    std::vector<std::uint32_t> out(entry.count);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = size == 2 ? u16(bytes.data() + 2 * i) : u32(bytes.data() + 4 * i);
    return out;
}

} // namespace tess
