#pragma once
#include <QByteArray>
#include <QString>

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tess {

// A picture file as every reader gets it: the descriptor it owns and closes,
// the file's size, and its first bytes, already read, by which its kind was
// told. Every read of the file goes through here, so short reads and
// interrupted calls are dealt with once.
class PictureFile {
public:
    // How the bytes are fetched: pread's contract. A test may hand in one that
    // returns little at a time or fails with EINTR.
    using ReadFunction = ssize_t (*)(int fd, void *buffer, std::size_t length, off_t offset);
    static constexpr std::size_t kHeadBytes = 64;

    PictureFile() = default;
    // Takes ownership of fd; learns the file's size and reads its head.
    // `name` is what messages call the file (its path, or the name given to
    // bytes held in memory).
    explicit PictureFile(int fd, QString name = {}, ReadFunction read = nullptr);
    ~PictureFile();
    PictureFile(PictureFile &&other) noexcept;
    PictureFile &operator=(PictureFile &&other) noexcept;
    PictureFile(const PictureFile &) = delete;
    PictureFile &operator=(const PictureFile &) = delete;

    // False when the file could not be looked at (no size, or its head could
    // not be read): nothing of it can be read.
    bool ok() const { return m_ok; }
    const QString &name() const { return m_name; }
    long long size() const { return m_size; }
    const unsigned char *head() const { return m_head; }
    std::size_t headSize() const { return m_headSize; }

    // Up to `length` bytes from `offset`: fewer only where the file ends, -1
    // when reading failed.
    long long readAt(long long offset, void *buffer, std::size_t length) const;
    // The next bytes from where the last read ended (the start at first), as
    // readAt counts them.
    long long read(void *buffer, std::size_t length);
    // Moves where read() goes on; SEEK_SET, SEEK_CUR or SEEK_END. The new
    // position, or -1 for one before the start.
    long long seek(long long offset, int whence);
    long long position() const { return m_position; }

    enum class Whole { Read, TooLarge, Failed };
    // The whole file, unless it is larger than maxBytes or can't be read to
    // its end.
    Whole readAll(QByteArray &bytes, long long maxBytes) const;
    Whole readAll(std::vector<std::uint8_t> &bytes, long long maxBytes) const;

    // Closes the descriptor at once, before the object goes.
    void close();

    // The `length` bytes from `offset` as a file of their own (a picture
    // stored inside another file), reading through a descriptor of its own.
    // Not ok() when they do not all lie within this file.
    PictureFile part(long long offset, long long length) const;

private:
    int m_fd = -1;
    ReadFunction m_read = nullptr;
    QString m_name;
    long long m_size = 0;
    long long m_base = 0; // of a part(), where it starts in the file
    bool m_bounded = false; // a part() ends at m_size; a file may grow
    long long m_position = 0;
    unsigned char m_head[kHeadBytes] = {};
    std::size_t m_headSize = 0;
    bool m_ok = false;
};

} // namespace tess
