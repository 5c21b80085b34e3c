#pragma once
#include "codecs/picture_file.h"

#include <libraw/libraw.h>

#include <cstdio>
#include <mutex>
#include <vector>

namespace tess {

// A picture file as LibRaw reads it, from the file's own position. LibRaw
// fetches many of its bytes one at a time, so they come from a block of the
// file read at once.
//
// LibRaw makes up a picture from a raw whose data is missing (zeros, or
// whatever its decoder is left with) and reports success, so once counting
// starts every byte asked for beyond the end of the file is counted: a
// picture whose data ran out is refused, not drawn.
class RawInput final : public LibRaw_abstract_datastream {
public:
    // LibRaw reads a stream from where it stands: the start of the file.
    explicit RawInput(PictureFile &file) : m_file(file) { m_file.seek(0, SEEK_SET); }

    void startCounting() { m_counting = true; }
    long long bytesMissing() const { return m_missing; }
    bool readFailed() const { return m_failed; }

    int valid() override { return m_file.ok() ? 1 : 0; }
    int read(void *buffer, size_t size, size_t count) override;
    int seek(INT64 offset, int whence) override;
    INT64 tell() override { return m_file.position(); }
    INT64 size() override { return m_file.size(); }
    int get_char() override;
    char *gets(char *line, int size) override;
    int scanf_one(const char *format, void *value) override;
    int eof() override { return m_file.position() >= m_file.size() ? 1 : 0; }
    void *make_jas_stream() override { return nullptr; }
    // Decoders that read in parallel hold the stream between a seek and
    // the read after it.
    int lock() override;
    void unlock() override;

private:
    // The bytes of the block from the file's position on; none at the end
    // or on an error.
    std::size_t buffered();
    void missed(long long bytes);

    PictureFile &m_file;
    std::vector<unsigned char> m_block;
    long long m_blockStart = 0;
    std::size_t m_blockLength = 0;
    bool m_counting = false;
    long long m_missing = 0;
    bool m_failed = false;
    std::mutex m_mutex;
};

} // namespace tess
