#include "codecs/raw_input.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>

namespace tess {

namespace {

constexpr std::size_t kBlockBytes = 64 * 1024;

} // namespace

void RawInput::missed(long long bytes)
{
    if (m_counting)
        m_missing += bytes;
}

std::size_t RawInput::buffered()
{
    const long long at = m_file.position();
    if (at < m_blockStart || at >= m_blockStart + (long long)m_blockLength) {
        m_block.resize(kBlockBytes);
        const long long got = m_file.readAt(at, m_block.data(), m_block.size());
        m_failed = m_failed || got < 0;
        m_blockStart = at;
        m_blockLength = got > 0 ? std::size_t(got) : 0;
    }
    return m_blockLength - std::size_t(std::min<long long>(at - m_blockStart, (long long)m_blockLength));
}

int RawInput::read(void *buffer, size_t size, size_t count)
{
    if (size == 0 || count == 0 || count > std::numeric_limits<std::size_t>::max() / size)
        return 0;
    const std::size_t wanted = size * count;
    auto *into = static_cast<unsigned char *>(buffer);
    std::size_t done = 0;
    while (done < wanted) {
        const long long inBlock = m_file.position() - m_blockStart;
        if (wanted - done >= kBlockBytes && (inBlock < 0 || inBlock >= (long long)m_blockLength)) {
            // Large reads (a raw's whole data) skip the block.
            const long long got = m_file.read(into + done, wanted - done);
            m_failed = m_failed || got < 0;
            if (got <= 0)
                break;
            done += std::size_t(got);
            continue;
        }
        const std::size_t n = std::min(wanted - done, buffered());
        if (n == 0)
            break;
        std::memcpy(into + done, m_block.data() + (m_file.position() - m_blockStart), n);
        m_file.seek((long long)n, SEEK_CUR);
        done += n;
    }
    missed((long long)(wanted - done));
    return int(done / size);
}

int RawInput::seek(INT64 offset, int whence)
{
    // A broken header's offsets may be anything.
    const long long base = whence == SEEK_CUR ? m_file.position() : whence == SEEK_END ? m_file.size() : 0;
    if (offset > 0 && base > std::numeric_limits<long long>::max() - offset)
        return -1;
    return m_file.seek(offset, whence) < 0 ? -1 : 0;
}

int RawInput::get_char()
{
    if (buffered() == 0) {
        missed(1);
        return -1;
    }
    const int c = m_block[std::size_t(m_file.position() - m_blockStart)];
    m_file.seek(1, SEEK_CUR);
    return c;
}

char *RawInput::gets(char *line, int size)
{
    if (size <= 0)
        return nullptr;
    int n = 0;
    while (n < size - 1) {
        const int c = get_char();
        if (c < 0)
            break;
        line[n++] = char(c);
        if (c == '\n')
            break;
    }
    line[n] = '\0';
    return n > 0 ? line : nullptr;
}

int RawInput::scanf_one(const char *format, void *value)
{
    // One number in text, as the few text headers among raw formats hold
    // them: read from a copy, then stepped over up to the next space.
    char text[32] = {};
    const long long start = m_file.position();
    const bool counting = std::exchange(m_counting, false); // looking ahead misses nothing
    std::size_t n = 0;
    while (n < sizeof text - 1) {
        const int c = get_char();
        if (c < 0)
            break;
        text[n++] = char(c);
    }
    m_file.seek(start, SEEK_SET);
    m_counting = counting;
    const int result = std::sscanf(text, format, value);
    if (result > 0) {
        std::size_t skipped = 0;
        while (skipped < n && skipped <= 24) {
            ++skipped;
            const char c = skipped < n ? text[skipped] : '\0';
            if (c == '\0' || c == ' ' || c == '\t' || c == '\n')
                break;
        }
        m_file.seek(start + (long long)skipped, SEEK_SET);
    }
    return result;
}

int RawInput::lock()
{
    m_mutex.lock();
    return 1;
}

void RawInput::unlock() { m_mutex.unlock(); }

} // namespace tess
