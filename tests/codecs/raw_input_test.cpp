// LibRaw's view of a picture file: the bytes of the file whatever size of
// read or seek it asks for, through reads that come back short, and a count
// of every byte it asked for past the end once counting has begun.
#include "codecs/raw_input.h"

#include "support/flaky_reads.h"
#include "support/picture_reading.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace tess;
using namespace tess::testing;

namespace {

// Larger than the input's block, so reads cross its edges.
constexpr int kSize = 150 * 1024;

QByteArray pattern()
{
    QByteArray bytes(kSize, Qt::Uninitialized);
    for (int i = 0; i < kSize; ++i)
        bytes[i] = char(i * 13 % 253);
    return bytes;
}

TEST(RawInput, GivesTheFileBytesAcrossItsBlocks)
{
    const QByteArray bytes = pattern();
    PictureFile file = pictureFileOf(bytes);
    RawInput input(file);
    struct Step {
        long long seekTo; // -1: go on from where the last read ended
        std::size_t size;
        std::size_t count;
        int items; // read
    };
    const Step steps[] = {
        {0, 1, 10, 10}, {-1, 2, 40000, 40000}, {65530, 4, 3, 3}, {-1, 1, 80000, 80000}, {kSize - 5, 2, 4, 2},
    };
    for (const Step &s : steps) {
        if (s.seekTo >= 0) {
            ASSERT_EQ(input.seek(s.seekTo, SEEK_SET), 0);
        }
        const long long at = input.tell();
        QByteArray into(qsizetype(s.size * s.count), '\0');
        EXPECT_EQ(input.read(into.data(), s.size, s.count), s.items) << at;
        EXPECT_EQ(into.left(qsizetype(s.size) * s.items), bytes.mid(qsizetype(at), qsizetype(s.size) * s.items));
    }
    EXPECT_EQ(input.bytesMissing(), 0); // not counting yet
}

TEST(RawInput, CountsWhatItCouldNotGiveOnceCounting)
{
    const QByteArray bytes = pattern();
    PictureFile file = pictureFileOf(bytes);
    RawInput input(file);
    input.seek(-2, SEEK_END);
    EXPECT_EQ(input.get_char(), int(std::uint8_t(bytes[kSize - 2])));
    input.startCounting();
    EXPECT_EQ(input.get_char(), int(std::uint8_t(bytes[kSize - 1])));
    EXPECT_TRUE(input.eof());
    EXPECT_EQ(input.get_char(), -1);
    char four[4];
    EXPECT_EQ(input.read(four, 2, 2), 0);
    input.seek(kSize - 3, SEEK_SET);
    EXPECT_EQ(input.read(four, 1, 4), 3);
    EXPECT_EQ(input.bytesMissing(), 1 + 4 + 1);
    EXPECT_FALSE(input.readFailed());
}

TEST(RawInput, ReadsThroughShortReadsAndSaysWhenReadingFails)
{
    const QByteArray bytes = pattern();
    const int fd = ::memfd_create("raw", MFD_CLOEXEC);
    ASSERT_EQ(::write(fd, bytes.constData(), std::size_t(bytes.size())), ssize_t(bytes.size()));
    PictureFile flaky(::dup(fd), {}, shortAndInterruptedRead);
    RawInput input(flaky);
    QByteArray into(kSize, '\0');
    EXPECT_EQ(input.read(into.data(), 1, kSize), kSize);
    EXPECT_EQ(into, bytes);

    PictureFile failing(fd, {}, readFailingPastStart);
    RawInput broken(failing);
    broken.startCounting();
    // A read that fails gives nothing, not the bytes before the failure.
    EXPECT_EQ(broken.read(into.data(), 1, kSize), 0);
    EXPECT_TRUE(broken.readFailed());
}

TEST(RawInput, ReadsTextHeaders)
{
    PictureFile file = pictureFileOf(QByteArray("WIDTH 4000\nHEIGHT 3000 x\nend"));
    RawInput input(file);
    char line[32];
    ASSERT_NE(input.gets(line, sizeof line), nullptr);
    EXPECT_STREQ(line, "WIDTH 4000\n");
    ASSERT_NE(input.gets(line, 5), nullptr);
    EXPECT_STREQ(line, "HEIG");
    input.seek(3, SEEK_CUR);
    int number = 0;
    EXPECT_EQ(input.scanf_one("%d", &number), 1);
    EXPECT_EQ(number, 3000);
    EXPECT_EQ(input.tell(), 22); // stepped over the number to the space after it
}

} // namespace
