// The one way in for a picture's bytes: reads that come back short or
// interrupted are made whole, the end of the file is told from a failure, and
// the descriptor is closed once, by whoever holds the file last.
#include "codecs/picture_file.h"

#include "support/flaky_reads.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

using namespace tess;
using namespace tess::testing;

namespace {

QByteArray pattern(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 7 % 251);
    return bytes;
}

int memoryFile(const QByteArray &bytes)
{
    const int fd = ::memfd_create("picture", MFD_CLOEXEC);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(::write(fd, bytes.constData(), std::size_t(bytes.size())), ssize_t(bytes.size()));
    return fd;
}

bool isOpen(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

constexpr int kSize = 300;

struct ReadAtCase {
    const char *name;
    PictureFile::ReadFunction read;
    long long offset;
    std::size_t length;
    long long expected; // bytes, or -1 for a failure
};

const ReadAtCase kReadAtCases[] = {
    {"Whole", nullptr, 0, kSize, kSize},
    {"WholeInPieces", shortAndInterruptedRead, 0, kSize, kSize},
    {"MiddleInPieces", shortAndInterruptedRead, 17, 50, 50},
    {"ShortAtTheEnd", shortAndInterruptedRead, kSize - 10, 50, 10},
    {"NothingPastTheEnd", nullptr, kSize, 10, 0},
    {"BeforeTheStart", nullptr, -1, 10, -1},
    {"UpToTheFailure", readFailingPastStart, 0, std::size_t(kFailingFrom), kFailingFrom},
    {"AFailureIsNotAnEnd", readFailingPastStart, 0, kSize, -1},
};

void PrintTo(const ReadAtCase &c, std::ostream *out) { *out << c.name; }

class ReadAt : public ::testing::TestWithParam<ReadAtCase> {};

TEST_P(ReadAt, GivesTheFileBytesOrSaysWhy)
{
    const ReadAtCase &c = GetParam();
    const QByteArray bytes = pattern(kSize);
    const PictureFile file(memoryFile(bytes), QStringLiteral("p"), c.read);
    ASSERT_TRUE(file.ok());
    QByteArray into(qsizetype(c.length), '\0');
    EXPECT_EQ(file.readAt(c.offset, into.data(), c.length), c.expected);
    if (c.expected > 0) {
        EXPECT_EQ(into.left(qsizetype(c.expected)), bytes.mid(qsizetype(c.offset), qsizetype(c.expected)));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadAt, ::testing::ValuesIn(kReadAtCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(PictureFileHead, IsTheFirstBytesUpToItsSize)
{
    for (const int size : {0, 10, 64, kSize}) {
        const QByteArray bytes = pattern(size);
        const PictureFile file(memoryFile(bytes), {}, shortAndInterruptedRead);
        ASSERT_TRUE(file.ok()) << size;
        EXPECT_EQ(file.size(), size);
        const QByteArray head(reinterpret_cast<const char *>(file.head()), qsizetype(file.headSize()));
        EXPECT_EQ(head, bytes.left(64)) << size;
    }
}

TEST(PictureFileHead, AFolderCannotBeRead)
{
    QTemporaryDir dir;
    const PictureFile file(::open(QFile::encodeName(dir.path()).constData(), O_RDONLY | O_CLOEXEC));
    EXPECT_FALSE(file.ok());
}

TEST(PictureFileRead, GoesOnFromWhereItWasMoved)
{
    struct Step {
        long long seekTo;
        int whence;
        long long position; // after the seek; -1 when refused, the position kept
        std::size_t length;
        long long got;
    };
    const Step steps[] = {
        {10, SEEK_SET, 10, 5, 5},    {-5, SEEK_CUR, 10, 0, 0},       {-3, SEEK_END, kSize - 3, 10, 3},
        {-400, SEEK_CUR, -1, 4, 0},  {400, SEEK_SET, 400, 4, 0},     {0, SEEK_SET, 0, 20, 20},
    };
    const QByteArray bytes = pattern(kSize);
    PictureFile file(memoryFile(bytes), {}, shortAndInterruptedRead);
    for (const Step &s : steps) {
        const long long before = file.position();
        EXPECT_EQ(file.seek(s.seekTo, s.whence), s.position);
        const long long at = s.position < 0 ? before : s.position;
        EXPECT_EQ(file.position(), at);
        QByteArray into(qsizetype(s.length), '\0');
        EXPECT_EQ(file.read(into.data(), s.length), s.got);
        EXPECT_EQ(into.left(qsizetype(s.got)), bytes.mid(qsizetype(at), qsizetype(s.got)));
        EXPECT_EQ(file.position(), at + s.got);
    }
}

TEST(PictureFileReadAll, HoldsToItsCapAndItsEnd)
{
    struct Case {
        int size;
        long long cap;
        PictureFile::ReadFunction read;
        PictureFile::Whole expected;
    };
    using W = PictureFile::Whole;
    const Case cases[] = {
        {kSize, kSize, shortAndInterruptedRead, W::Read}, {kSize, kSize - 1, nullptr, W::TooLarge},
        {0, 100, nullptr, W::Failed},                     {kSize, 1000, readFailingPastStart, W::Failed},
    };
    for (const Case &c : cases) {
        const QByteArray bytes = pattern(c.size);
        const PictureFile file(memoryFile(bytes), {}, c.read);
        QByteArray asBytes;
        std::vector<std::uint8_t> asVector;
        EXPECT_EQ(file.readAll(asBytes, c.cap), c.expected) << c.size << " " << c.cap;
        EXPECT_EQ(file.readAll(asVector, c.cap), c.expected) << c.size << " " << c.cap;
        if (c.expected == W::Read) {
            EXPECT_EQ(asBytes, bytes);
            EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(asVector.data()), qsizetype(asVector.size())), bytes);
        }
    }
}

// A picture stored inside another file reads as a file of its own: its head,
// its size and its end are its own, whatever follows it.
TEST(PictureFilePart, IsAFileOfItsOwnWithinTheFile)
{
    struct Case {
        long long offset;
        long long length;
        bool ok;
    };
    const Case cases[] = {
        {0, kSize, true},        {100, 50, true},          {kSize - 1, 1, true}, {kSize - 10, 11, false},
        {kSize + 1, 1, false},   {-1, 10, false},          {10, 0, false},
    };
    const QByteArray bytes = pattern(kSize);
    const PictureFile file(memoryFile(bytes), QStringLiteral("p"), shortAndInterruptedRead);
    for (const Case &c : cases) {
        PictureFile part = file.part(c.offset, c.length);
        ASSERT_EQ(part.ok(), c.ok) << c.offset << " " << c.length;
        EXPECT_EQ(part.name(), QStringLiteral("p"));
        if (!c.ok)
            continue;
        const QByteArray mine = bytes.mid(qsizetype(c.offset), qsizetype(c.length));
        EXPECT_EQ(part.size(), c.length);
        EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(part.head()), qsizetype(part.headSize())), mine.left(64));
        QByteArray into(kSize, '\0');
        EXPECT_EQ(part.readAt(0, into.data(), std::size_t(kSize)), c.length);
        EXPECT_EQ(into.left(qsizetype(c.length)), mine);
        EXPECT_EQ(part.readAt(c.length, into.data(), 4), 0);
        QByteArray whole;
        EXPECT_EQ(part.readAll(whole, kSize), PictureFile::Whole::Read);
        EXPECT_EQ(whole, mine);
        PictureFile inner = part.part(1, c.length - 1);
        EXPECT_EQ(inner.ok(), c.length > 1);
        if (inner.ok()) {
            EXPECT_EQ(inner.readAt(0, into.data(), 1), 1);
            EXPECT_EQ(into[0], mine[1]);
        }
    }
}

TEST(PictureFileDescriptor, ClosedOnceByItsLastHolder)
{
    const int first = memoryFile(pattern(10));
    {
        PictureFile held(first);
        PictureFile moved(std::move(held));
        held = PictureFile(); // the moved-from file holds nothing to close
        EXPECT_TRUE(isOpen(first));
        const int second = memoryFile(pattern(10));
        PictureFile other(second);
        other = std::move(moved); // lets go of its own
        EXPECT_FALSE(isOpen(second));
        EXPECT_TRUE(isOpen(first));
        EXPECT_EQ(other.size(), 10);
    }
    EXPECT_FALSE(isOpen(first));
}

} // namespace
