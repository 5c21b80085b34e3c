#include "thumbs/compose.h"
#include "thumbs/compose_geometry.h"
#include "support/resample_test_support.h"

#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

using namespace tess;
using namespace tess::testing;

namespace {

constexpr Colour kMargin = rgb(0, 0, 255);
constexpr Colour kPicture = rgb(200, 100, 50);

ThumbSettings settingsFor(int mode, int width, int height, int quality)
{
    return tess::testing::thumbSettings(mode, width, height, quality, kMargin);
}

// ---------------------------------------------------------------- canvas sizes and bands

struct ModeCase {
    const char *name;
    int mode, W, H, sw, sh;
    int cw, ch;
    int px, py, pw, ph; // where the picture shows on the canvas; margin elsewhere
};

class ModeTable : public ::testing::TestWithParam<ModeCase> {};

// A one-colour source drawn with the nearest-pixel stretch: every canvas pixel is
// either the picture's colour or the margin, so the bands can be checked exactly.
TEST_P(ModeTable, CanvasSizeAndWhereThePictureFalls)
{
    const ModeCase &c = GetParam();
    Picture source(c.sw, c.sh, kPicture);
    Picture canvas;
    canvas.setBackground(kMargin);
    const std::optional<Failure> failure = composePicture(source, canvas, settingsFor(c.mode, c.W, c.H, 0));
    ASSERT_FALSE(failure.has_value()) << failure->message.toStdString();
    ASSERT_EQ(canvas.width(), c.cw);
    ASSERT_EQ(canvas.height(), c.ch);
    for (int y = 0; y < c.ch; ++y)
        for (int x = 0; x < c.cw; ++x) {
            const bool inside = x >= c.px && x < c.px + c.pw && y >= c.py && y < c.py + c.ph;
            ASSERT_EQ(canvas.pixel(x, y), inside ? kPicture : kMargin) << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ModeTable,
    ::testing::Values(
        // 400 x 300 at 128 x 128.
        ModeCase{"KeepRatioByWidth", 0, 128, 128, 400, 300, 128, 96, 0, 0, 128, 96},
        ModeCase{"KeepRatioByHeight", 1, 128, 128, 400, 300, 171, 128, 0, 0, 171, 128}, // 170.67 -> 171
        ModeCase{"KeepRatioWithinBoth", 2, 128, 128, 400, 300, 128, 128, 0, 16, 128, 96},
        ModeCase{"StretchToBoth", 3, 128, 128, 400, 300, 128, 128, 0, 0, 128, 128},
        // 400 x 400 square, source rows at 50..349; canvas row 16 shows square row 50
        // and row 112 square row 350 (row map round-half-up of 3.125 d).
        ModeCase{"NoStretchByWidth", 4, 128, 128, 400, 300, 128, 128, 0, 16, 128, 96},
        ModeCase{"NoStretchByHeight", 5, 128, 128, 400, 300, 128, 128, 0, 0, 128, 128},
        // Mode 4 ignores the height, mode 5 the width.
        ModeCase{"NoStretchByWidthIgnoresHeight", 4, 64, 0, 400, 300, 64, 64, 0, 8, 64, 48},
        ModeCase{"NoStretchByHeightIgnoresWidth", 5, -7, 64, 400, 300, 64, 64, 0, 0, 64, 64},
        // Portrait 300 x 400: mode 4 crops to rows 50..349, mode 5 adds side bands
        // (square columns 50..349; canvas column 16 shows square column 52, 112 shows 352).
        ModeCase{"PortraitNoStretchByWidth", 4, 128, 128, 300, 400, 128, 128, 0, 0, 128, 128},
        ModeCase{"PortraitNoStretchByHeight", 5, 128, 128, 300, 400, 128, 128, 16, 0, 96, 128},
        // Stretch with W < H: 400 x 800 intermediate into 100 x 200.
        ModeCase{"StretchTall", 3, 100, 200, 400, 300, 100, 200, 0, 0, 100, 200},
        // round(10 * 128 / 1000) = round(1.28) = 1; that rounded-down height then
        // limits the fit (scale 0.1), so the picture is 100 x 1 at x = 14.
        ModeCase{"VeryWideByWidth", 0, 128, 128, 1000, 10, 128, 1, 14, 0, 100, 1},
        // round(0.128) would be 0: kept at one pixel, and the picture still shows.
        ModeCase{"LineByWidth", 0, 128, 128, 1000, 1, 128, 1, 0, 0, 128, 1},
        // 1.5 -> 2 and 2.5 -> 2 on the free side; in the second the height limits
        // (scale 2), leaving a 4 x 2 picture and the odd column of margin on the right.
        ModeCase{"HalfUpToEven", 0, 3, 16, 2, 1, 3, 2, 0, 0, 3, 2},
        ModeCase{"HalfDownToEven", 0, 5, 16, 2, 1, 5, 2, 0, 0, 4, 2}),
    [](const auto &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- intermediate pictures

struct IntermediateCase {
    const char *name;
    int mode, W, H, sw, sh;
    int iw, ih;
    int left, top; // the source's top-left corner on the intermediate (squares only)
};

class IntermediateTable : public ::testing::TestWithParam<IntermediateCase> {};

TEST_P(IntermediateTable, SizeAndPlacement)
{
    const IntermediateCase &c = GetParam();
    const Picture source = coordinatePicture(c.sw, c.sh);
    const IntermediateMaps in = intermediateMaps(c.sw, c.sh, settingsFor(c.mode, c.W, c.H, 3));
    ASSERT_FALSE(in.failure.has_value());
    ASSERT_TRUE(in.used);
    ASSERT_EQ(int(in.columns.size()), c.iw);
    ASSERT_EQ(int(in.rows.size()), c.ih);
    if (c.mode == 3)
        return; // the stretched pixels are compared with stretchBlt below
    for (int y = 0; y < c.ih; ++y)
        for (int x = 0; x < c.iw; ++x) {
            const Colour expected = source.pixel(x - c.left, y - c.top);
            const int sx = in.columns[std::size_t(x)];
            const int sy = in.rows[std::size_t(y)];
            ASSERT_EQ(sx < 0 || sy < 0 ? in.margin : source.pixel(sx, sy),
                      expected == kInvalidColour ? kMargin : expected)
                << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, IntermediateTable,
    ::testing::Values(
        IntermediateCase{"StretchSquare", 3, 128, 128, 400, 300, 300, 300, 0, 0},
        IntermediateCase{"StretchTall", 3, 100, 200, 400, 300, 400, 800, 0, 0},
        IntermediateCase{"StretchWide", 3, 200, 100, 400, 300, 600, 300, 0, 0},
        IntermediateCase{"Landscape400x300ByWidth", 4, 128, 128, 400, 300, 400, 400, 0, 50},
        // (101 - 100) / 2 = 0.5 -> 0: the spare margin row is at the bottom.
        IntermediateCase{"OddSpare1", 4, 128, 128, 101, 100, 101, 101, 0, 0},
        // 1.5 -> 2.
        IntermediateCase{"OddSpare3", 4, 128, 128, 103, 100, 103, 103, 0, 2},
        IntermediateCase{"PortraitByWidth", 4, 128, 128, 300, 400, 300, 300, 0, -50},
        IntermediateCase{"PortraitByHeight", 5, 128, 128, 300, 400, 400, 400, 50, 0},
        IntermediateCase{"LandscapeByHeight", 5, 128, 128, 400, 300, 300, 300, -50, 0},
        IntermediateCase{"OddSpareByHeight", 5, 128, 128, 100, 103, 103, 103, 2, 0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Intermediate, OtherModesDrawTheSourceItself)
{
    for (int mode : {0, 1, 2}) {
        const IntermediateMaps in = intermediateMaps(40, 30, settingsFor(mode, 128, 128, 3));
        EXPECT_FALSE(in.used);
        EXPECT_FALSE(in.failure.has_value());
    }
}

// The intermediate built the plain way: a real picture filled, copied or
// stretched into, then passed through a bitmap file's bytes and read back.
Picture literalIntermediate(const Picture &source, int mode, int W, int H)
{
    const int sw = source.width();
    const int sh = source.height();
    Picture picture;
    if (mode == 3) {
        const int iw = W < H ? sw : int(bankers(double(sh) * W / H));
        const int ih = W < H ? int(bankers(double(sw) * H / W)) : sh;
        picture = Picture(iw, ih);
        stretchBlt(picture, 0, 0, iw, ih, source, 0, 0, sw, sh);
    } else if (mode == 4) {
        picture = Picture(sw, sw);
        picture.fillBox(0, 0, sw, sw, kMargin);
        bitBlt(picture, 0, int(bankers((sw - sh) / 2.0)), sw, sh, source, 0, 0);
    } else {
        picture = Picture(sh, sh);
        picture.fillBox(0, 0, sh, sh, kMargin);
        bitBlt(picture, int(bankers((sh - sw) / 2.0)), 0, sw, sh, source, 0, 0);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(picture.toImage().save(&buffer, "BMP"));
    QImage back;
    EXPECT_TRUE(back.loadFromData(bytes, "BMP"));
    return Picture::fromImage(back);
}

struct SourceSize {
    int sw, sh;
};
struct Thumb {
    int W, H;
};

class MappedAgainstMaterialised : public ::testing::TestWithParam<std::tuple<SourceSize, Thumb, int, int>> {};

TEST_P(MappedAgainstMaterialised, SameCanvas)
{
    const auto [size, thumb, mode, quality] = GetParam();
    const Picture original = randomPicture(size.sw, size.sh, unsigned(size.sw * 7 + size.sh));
    Picture canvas;
    canvas.setBackground(kMargin);
    ASSERT_FALSE(composePicture(original, canvas, settingsFor(mode, thumb.W, thumb.H, quality)).has_value());

    Picture input = mode >= 3 ? literalIntermediate(original, mode, thumb.W, thumb.H) : original;
    Picture expected(canvas.width(), canvas.height(), kMargin);
    resamplePicture(input, expected, quality);
    EXPECT_TRUE(canvas == expected) << firstDifference(canvas, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Combinations, MappedAgainstMaterialised,
    ::testing::Combine(::testing::Values(SourceSize{37, 23}, SourceSize{23, 37}, SourceSize{40, 40},
                                         SourceSize{101, 100}, SourceSize{100, 103}, SourceSize{64, 9},
                                         SourceSize{1, 80}, SourceSize{80, 1}),
                       ::testing::Values(Thumb{128, 128}, Thumb{100, 200}, Thumb{200, 100}, Thumb{16, 40}),
                       ::testing::Values(0, 1, 2, 3, 4, 5), ::testing::Values(0, 1, 3)));

// ---------------------------------------------------------------- placement

TEST(CanvasPlacement, CentredUpTo152PinnedBeyond)
{
    struct Case { int cw, ch, left, top; };
    const Case cases[] = {
        {128, 128, 14, 14}, // 29 / 2 = 14.5 -> 14
        {128, 96, 14, 30},  // 61 / 2 = 30.5 -> 30
        {152, 152, 2, 2},   // 2.5 -> 2
        {16, 16, 70, 70},
        {153, 100, 0, 28},  // over 152: pinned to the left edge
        {171, 128, 0, 14},
        {157, 157, 0, 0},
        {640, 200, 0, 0},
        {100, 153, 28, 0},
        {151, 1, 3, 78},
    };
    for (const Case &c : cases)
        EXPECT_EQ(placeCanvas(c.cw, c.ch), (CanvasPlacement{c.left, c.top})) << c.cw << "x" << c.ch;
}

// ---------------------------------------------------------------- failures

struct FailureCase {
    const char *name;
    int mode, W, H, sw, sh;
    const char16_t *message;
};

class Failures : public ::testing::TestWithParam<FailureCase> {};

TEST_P(Failures, EndTheFileAndTouchNothing)
{
    const FailureCase &c = GetParam();
    const Picture source = randomPicture(c.sw, c.sh, 11);
    Picture canvas(5, 4, kMargin);
    canvas.setPixel(1, 1, rgb(1, 2, 3));
    const Picture canvasBefore = canvas;
    bool sized = false;
    const std::optional<Failure> failure =
        composePicture(source, canvas, settingsFor(c.mode, c.W, c.H, 3), {}, [&] { sized = true; });
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->message, QString::fromUtf16(c.message));
    EXPECT_TRUE(canvas == canvasBefore);
    EXPECT_FALSE(sized);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Failures,
    ::testing::Values(
        FailureCase{"RatioMode9", 9, 128, 128, 40, 30, u"比率構成の値が正しくありません。"},
        FailureCase{"RatioModeMinus1", -1, 128, 128, 40, 30, u"比率構成の値が正しくありません。"},
        FailureCase{"RatioMode7", 7, 128, 128, 40, 30, u"比率構成の値が正しくありません。"},
        FailureCase{"HeightZeroCrop", 6, 128, 0, 40, 30, u"サムネイルの幅または高さの値が正しくありません。"},
        FailureCase{"WidthAbsurdCrop", 6, 30000, 16, 40, 30, u"サムネイルの幅または高さの値が正しくありません。"},
        FailureCase{"WidthZero", 2, 0, 128, 40, 30, u"サムネイルの幅または高さの値が正しくありません。"},
        FailureCase{"HeightNegative", 3, 128, -5, 40, 30, u"サムネイルの幅または高さの値が正しくありません。"},
        FailureCase{"WidthAbsurd", 0, 30000, 128, 40, 30, u"サムネイルの幅または高さの値が正しくありません。"},
        FailureCase{"HeightZeroByHeight", 1, 128, 0, 40, 30, u"サムネイルの幅または高さの値が正しくありません。"},
        FailureCase{"WidthZeroSquare", 4, 0, 128, 40, 30, u"サムネイルの幅または高さの値が正しくありません。"},
        // 16000 * 640 / 16 = 640000 rows.
        FailureCase{"TallByWidth", 0, 640, 128, 16, 16000, u"サムネイルが大きすぎます。"},
        FailureCase{"WideByHeight", 1, 128, 640, 16000, 16, u"サムネイルが大きすぎます。"},
        FailureCase{"EmptySource", 2, 128, 128, 0, 0, u"画像の幅または高さが0です。"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Layout, FreeSideBoundIsInclusive)
{
    // 128 * 128 / 1 = 16384 is the largest canvas side; 129 rows ask for 16512.
    const ThumbnailLayout atBound = layoutThumbnail(settingsFor(0, 128, 128, 3), 1, 128);
    EXPECT_FALSE(atBound.failure.has_value());
    EXPECT_EQ(atBound.height, kMaxThumbnailSide);
    EXPECT_TRUE(layoutThumbnail(settingsFor(0, 128, 128, 3), 1, 129).failure.has_value());
    EXPECT_TRUE(layoutThumbnail(settingsFor(1, 128, 128, 3), 129, 1).failure.has_value());
}

TEST(Layout, CanvasSizeFollowsEachFile)
{
    const ThumbSettings s = settingsFor(0, 128, 128, 3);
    EXPECT_EQ(layoutThumbnail(s, 400, 300).height, 96);
    EXPECT_EQ(layoutThumbnail(s, 300, 400).height, 171); // 170.67
    EXPECT_EQ(layoutThumbnail(s, 256, 200).height, 100);
}

// ---------------------------------------------------------------- order of events

TEST(ComposeThumbnail, SizeIsHeardBeforeTheFirstRow)
{
    const Picture source = randomPicture(400, 300, 2);
    Picture canvas;
    canvas.setBackground(kMargin);
    std::vector<std::string> log;
    ResampleProgress progress;
    progress.rowDone = [&](int done, int total) {
        log.push_back(done == total ? "last " + std::to_string(total) : "row");
    };
    const std::optional<Failure> failure =
        composePicture(source, canvas, settingsFor(1, 128, 128, 3), progress, [&] {
            log.push_back("sized " + std::to_string(canvas.width()) + "x" + std::to_string(canvas.height()));
        });
    ASSERT_FALSE(failure.has_value());
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log.front(), "sized 171x128");
    EXPECT_EQ(log[1], "row");
    EXPECT_EQ(log.back(), "last 128");
    EXPECT_EQ(std::count(log.begin(), log.end(), "row"), 127);
}

TEST(ComposeThumbnail, StopEndsTheFileAtTheNextRow)
{
    const Picture source = randomPicture(400, 300, 4);
    Picture canvas;
    canvas.setBackground(kMargin);
    std::atomic<bool> stop{false};
    int rows = 0;
    ResampleProgress progress;
    progress.stop = &stop;
    progress.rowDone = [&](int done, int) {
        rows = done;
        if (done == 10)
            stop = true;
    };
    const std::optional<Failure> failure = composePicture(source, canvas, settingsFor(1, 128, 128, 3), progress);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->message, stoppedFailure(QString()).message);
    EXPECT_EQ(rows, 10);
}

} // namespace
