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

RawInput::RawInput(PictureFile &file) : m_file(file), m_block(kBlockBytes) {}

void RawInput::missed(long long bytes)
{
    if (m_counting)
        m_missing += bytes;
}

bool RawInput::fill()
{
    const long long got = m_file.readAt(m_position, m_block.data(), m_block.size());
    if (got < 0)
        m_failed = true;
    m_blockStart = m_position;
    m_blockLength = got > 0 ? std::size_t(got) : 0;
    return m_blockLength > 0;
}

int RawInput::read(void *buffer, size_t size, size_t count)
{
    if (size == 0 || count == 0)
        return 0;
    if (count > std::numeric_limits<std::size_t>::max() / size)
        return 0;
    const std::size_t wanted = size * count;
    auto *into = static_cast<unsigned char *>(buffer);
    std::size_t done = 0;
    while (done < wanted) {
        const long long inBlock = m_position - m_blockStart;
        if (inBlock >= 0 && inBlock < (long long)m_blockLength) {
            const std::size_t n = std::min(wanted - done, m_blockLength - std::size_t(inBlock));
            std::memcpy(into + done, m_block.data() + inBlock, n);
            done += n;
            m_position += (long long)n;
            continue;
        }
        if (wanted - done >= m_block.size()) {
            // Large reads (a raw's whole data) skip the block.
            const long long got = m_file.readAt(m_position, into + done, wanted - done);
            if (got < 0)
                m_failed = true;
            if (got <= 0)
                break;
            done += std::size_t(got);
            m_position += got;
            continue;
        }
        if (!fill())
            break;
    }
    missed((long long)(wanted - done));
    return int(done / size);
}

int RawInput::seek(INT64 offset, int whence)
{
    const long long base = whence == SEEK_CUR ? m_position : whence == SEEK_END ? m_file.size() : 0;
    if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END)
        return -1;
    if (offset < 0 && base + offset < 0)
        return -1;
    if (offset > 0 && base > std::numeric_limits<long long>::max() - offset)
        return -1;
    m_position = base + offset;
    return 0;
}

int RawInput::get_char()
{
    const long long inBlock = m_position - m_blockStart;
    if ((inBlock < 0 || inBlock >= (long long)m_blockLength) && !fill()) {
        missed(1);
        return -1;
    }
    return m_block[std::size_t(m_position++ - m_blockStart)];
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
    const long long start = m_position;
    const bool counting = std::exchange(m_counting, false); // looking ahead misses nothing
    std::size_t n = 0;
    while (n < sizeof text - 1) {
        const int c = get_char();
        if (c < 0)
            break;
        text[n++] = char(c);
    }
    m_position = start;
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
        m_position = start + (long long)skipped;
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
