#include "support/codec_test_support.h"
#include "support/decoded_picture.h"
#include "codecs/exif_orientation.h"
#include "codecs/picture_codecs.h"

#include <QBuffer>
#include <QImageReader>

#include <gtest/gtest.h>

using namespace tess;
using namespace tess::testing;

namespace {

using T = QImageIOHandler;
constexpr unsigned kOrientation = 0x0112, kMake = 0x010F, kShort = 3, kLong = 4;

// A block whose bytes are patched after it is built: at `at` (from the TIFF
// header), a 16- or 32-bit big-endian value.
QByteArray patched(QByteArray block, int at, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        block[6 + at + i] = char(value >> (8 * (bytes - 1 - i)));
    return block;
}

struct ExifCase {
    const char *what;
    QByteArray block;
    T::Transformations expected;
    bool recorded = true; // the block has an orientation entry, however unreadable
};

std::vector<ExifCase> exifCases()
{
    const std::vector<ExifEntry> rotate90 = {{kOrientation, kShort, 1, 6}};
    const QByteArray plain = exifBlock(false, {{{kMake, kLong, 1, 0}}});
    std::vector<ExifCase> cases = {
        {"big-endian with header", exifBlock(false, {rotate90}), T::TransformationRotate90},
        {"little-endian without header", exifBlock(true, {{{kOrientation, kShort, 1, 8}}}, false),
         T::TransformationRotate270},
        {"after another entry", exifBlock(true, {{{kMake, kLong, 1, 0}, {kOrientation, kShort, 1, 3}}}),
         T::TransformationRotate180},
        {"in the second directory", exifBlock(false, {{{kMake, kLong, 1, 0}}, {{kOrientation, kShort, 1, 4}}}),
         T::TransformationFlip},
        {"the first entry decides, even a LONG one",
         exifBlock(false, {{{kOrientation, kLong, 1, 6}, {kOrientation, kShort, 1, 6}}}), T::TransformationNone},
        {"two values", exifBlock(false, {{{kOrientation, kShort, 2, 6}}}), T::TransformationNone},
        {"value 0", exifBlock(false, {{{kOrientation, kShort, 1, 0}}}), T::TransformationNone},
        {"value 9", exifBlock(false, {{{kOrientation, kShort, 1, 9}}}), T::TransformationNone},
        {"no orientation", plain, T::TransformationNone, false},
        {"directory past the end", patched(exifBlock(false, {rotate90}), 4, 0xFFFFFFF0u, 4), T::TransformationNone, false},
        {"entries past the end", patched(plain, 8, 40, 2), T::TransformationNone, false},
        {"entries past the end after the one read", patched(exifBlock(false, {rotate90}), 8, 40, 2),
         T::TransformationRotate90},
        {"next directory pointing back", patched(plain, 8 + 2 + 12, 8, 4), T::TransformationNone, false},
        {"unknown byte order", patched(exifBlock(false, {rotate90}), 0, 0x5858, 2), T::TransformationNone, false},
        {"not 42", patched(exifBlock(false, {rotate90}), 2, 43, 2), T::TransformationNone, false},
        {"cut inside the entry", exifBlock(false, {rotate90}).left(6 + 8 + 2 + 9), T::TransformationNone, false},
        {"TIFF header alone", exifBlock(false, {}).left(6 + 7), T::TransformationNone, false},
        {"empty", QByteArray(), T::TransformationNone, false},
    };
    // Qt's names of the eight values, in both byte orders.
    const T::Transformations named[] = {T::TransformationNone, T::TransformationMirror,
                                        T::TransformationRotate180, T::TransformationFlip,
                                        T::TransformationFlipAndRotate90, T::TransformationRotate90,
                                        T::TransformationMirrorAndRotate90, T::TransformationRotate270};
    for (unsigned value = 1; value <= 8; ++value)
        for (bool little : {false, true})
            cases.push_back({"value 1 to 8", exifBlock(little, {{{kOrientation, kShort, 1, value}}}), named[value - 1]});
    return cases;
}

class ExifOrientation : public ::testing::TestWithParam<ExifCase> {};

TEST_P(ExifOrientation, ReadAsQtsJpegReaderReadsIt)
{
    const ExifCase &c = GetParam();
    EXPECT_EQ(exifOrientation(c.block), c.expected);
    // A picture stored in another file takes that file's orientation only
    // when it records none of its own.
    EXPECT_EQ(exifOrientationEntry(c.block), c.recorded ? std::optional(c.expected) : std::nullopt);
    if (!c.block.startsWith("Exif"))
        return; // only a block with its header makes a JPEG's APP1
    // Qt's own reader, given the block in a real file, agrees...
    const QByteArray upright = *encodeJpeg(photoLike(5, 3), {}, QStringLiteral("u.jpg"));
    QByteArray tagged = withExif(upright, c.block);
    QBuffer buffer(&tagged);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_EQ(QImageReader(&buffer, "jpeg").transformation(), c.expected);
    // ...and the decoded picture is the upright one turned that way.
    Picture expected = decodePictureData(upright, QStringLiteral("u.jpg")).picture;
    applyOrientation(expected, c.expected);
    const DecodedPicture decoded = decodePictureData(tagged, QStringLiteral("t.jpg"));
    ASSERT_TRUE(decoded.ok());
    EXPECT_TRUE(decoded.picture == expected);
}

INSTANTIATE_TEST_SUITE_P(Blocks, ExifOrientation, ::testing::ValuesIn(exifCases()),
                         [](const ::testing::TestParamInfo<ExifCase> &info) {
                             return std::to_string(info.index);
                         });

} // namespace
