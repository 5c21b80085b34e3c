// A picture decoded whole: held to the pixel cap before its decoder runs, and
// handed out as the file stores it, with the turn that makes it upright.
#include "codecs/codec_messages.h"
#include "codecs/exif_orientation.h"
#include "codecs/picture_turn.h"
#include "codecs/picture_codecs.h"
#include "codecs/picture_reader.h"

#include <gtest/gtest.h>

using namespace tess;

namespace {

using T = QImageIOHandler;

// Stored 3 x 2: a b c / d e f.
constexpr Colour a = 1, b = 2, c = 3, d = 4, e = 5, f = 6;

Picture stored()
{
    Picture p(3, 2);
    const Colour pixels[] = {a, b, c, d, e, f};
    std::copy_n(pixels, 6, p.bits());
    return p;
}

struct TurnCase {
    const char *name;
    T::Transformations orientation;
    int width, height;
    std::vector<Colour> upright; // rows top to bottom
};

const TurnCase kTurns[] = {
    {"AsStored", T::TransformationNone, 3, 2, {a, b, c, d, e, f}},
    {"Mirrored", T::TransformationMirror, 3, 2, {c, b, a, f, e, d}},
    {"Flipped", T::TransformationFlip, 3, 2, {d, e, f, a, b, c}},
    {"HalfTurn", T::TransformationRotate180, 3, 2, {f, e, d, c, b, a}},
    {"QuarterTurn", T::TransformationRotate90, 2, 3, {d, a, e, b, f, c}},
    {"MirroredQuarterTurn", T::TransformationMirrorAndRotate90, 2, 3, {f, c, e, b, d, a}},
    {"FlippedQuarterTurn", T::TransformationFlipAndRotate90, 2, 3, {a, d, b, e, c, f}},
    {"ThreeQuarterTurn", T::TransformationRotate270, 2, 3, {c, f, b, e, a, d}},
};

class WholeTurn : public ::testing::TestWithParam<TurnCase> {};

// The rows come as stored, one picture held, with the orientation beside
// them; turned where they are read, they give the upright picture, as turning
// the picture itself does.
TEST_P(WholeTurn, HandsOutTheStoredPictureAndItsTurn)
{
    const TurnCase &t = GetParam();
    constexpr std::size_t kExtra = 1000;
    OpenedPicture opened = wholePictureRows(3, 2, [](Picture &p) {
        p = stored();
        return std::optional<QString>();
    }, kExtra, t.orientation);
    ASSERT_TRUE(opened.ok());
    RowStream &rows = *opened.rows;
    EXPECT_EQ(rows.width(), 3);
    EXPECT_EQ(rows.height(), 2);
    EXPECT_EQ(rows.orientation(), t.orientation);
    EXPECT_EQ(rows.workingBytes(), 6 * sizeof(Colour) + kExtra);
    std::vector<Colour> out(6);
    Colour *pointers[] = {out.data(), out.data() + 3};
    ASSERT_TRUE(rows.readRows(pointers, 2));
    EXPECT_TRUE(rows.finish());
    EXPECT_EQ(out, std::vector<Colour>({a, b, c, d, e, f}));

    const PictureTurn turn = turnOf(rows.orientation());
    ASSERT_EQ(turn.upright(QSize(3, 2)), QSize(t.width, t.height));
    std::vector<Colour> read;
    for (int y = 0; y < t.height; ++y)
        for (int x = 0; x < t.width; ++x) {
            const QPoint at = turn.storedAt(QSize(3, 2), x, y);
            read.push_back(out[std::size_t(at.y() * 3 + at.x())]);
            EXPECT_EQ(turn.uprightAt(QSize(3, 2), at.x(), at.y()), QPoint(x, y));
        }
    EXPECT_EQ(read, t.upright);
    Picture turned = stored();
    applyOrientation(turned, t.orientation);
    EXPECT_EQ(std::vector<Colour>(turned.bits(), turned.bits() + 6), t.upright);
}

INSTANTIATE_TEST_SUITE_P(Orientations, WholeTurn, ::testing::ValuesIn(kTurns),
                         [](const auto &info) { return std::string(info.param.name); });

struct RefusalCase {
    const char *name;
    int storedWidth, storedHeight;
    T::Transformations orientation;
    QString (*atOpen)();  // null when it opens
    QString (*atRows)();  // null when its rows come
    int decodedWidth = 3, decodedHeight = 2;
    QString (*decoderSays)() = nullptr; // a cause the decoder gives
};

const RefusalCase kRefusals[] = {
    {"AtTheCap", 16384, 16384, T::TransformationNone, nullptr, nullptr},
    {"OverTheCap", 16385, 16384, T::TransformationNone, codecmessages::tooLarge, nullptr},
    {"OverTheCapTurned", 16384, 16385, T::TransformationRotate90, codecmessages::tooLarge, nullptr},
    {"NoWidth", 0, 5, T::TransformationNone, codecmessages::corrupt, nullptr},
    {"NoHeight", 5, -1, T::TransformationNone, codecmessages::corrupt, nullptr},
    // The decoder must give the picture as stored, not already turned.
    {"DecodedUpright", 3, 2, T::TransformationRotate90, nullptr, codecmessages::corrupt, 2, 3},
    {"DecodedAsStored", 3, 2, T::TransformationRotate90, nullptr, nullptr},
    {"DecoderFails", 3, 2, T::TransformationNone, nullptr, codecmessages::unsupported, 3, 2,
     codecmessages::unsupported},
};

class WholeRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(WholeRefusal, RefusesBeforeDecodingWhatItCannotHold)
{
    const RefusalCase &r = GetParam();
    int decodes = 0;
    OpenedPicture opened = wholePictureRows(r.storedWidth, r.storedHeight, [&](Picture &p) {
        ++decodes;
        p = Picture(r.decodedWidth, r.decodedHeight);
        return r.decoderSays ? std::optional<QString>(r.decoderSays()) : std::nullopt;
    }, 0, r.orientation);
    if (r.atOpen) {
        EXPECT_FALSE(opened.ok());
        EXPECT_EQ(opened.message, r.atOpen());
        EXPECT_EQ(decodes, 0);
        return;
    }
    ASSERT_TRUE(opened.ok());
    EXPECT_EQ(decodes, 0) << "decoded before the first row was asked for";
    if (r.storedWidth > 3)
        return; // not decoded here: a gigabyte
    const bool held = opened.rows->heldRow(0) != nullptr;
    EXPECT_EQ(decodes, 1);
    EXPECT_EQ(held, r.atRows == nullptr);
    if (r.atRows) {
        EXPECT_EQ(opened.rows->message(), r.atRows());
        EXPECT_FALSE(opened.rows->finish());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, WholeRefusal, ::testing::ValuesIn(kRefusals),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
