#include "thumbs/compose_geometry.h"
#include "support/resample_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

using namespace tess;
using namespace tess::testing;

namespace {

ThumbSettings cropSettings(int width, int height, int quality, Colour margin)
{
    return tess::testing::thumbSettings(CropToFill, width, height, quality, margin);
}

// ---------------------------------------------------------------- the crop's maps

struct CropCase {
    const char *name;
    int W, H, sw, sh;
    int width, height; // of the crop
    int left, top;     // its first source column and row
};

class CropMaps : public ::testing::TestWithParam<CropCase> {};

TEST_P(CropMaps, SizeAndFirstAndLastColumnAndRow)
{
    const CropCase &c = GetParam();
    const IntermediateMaps maps = intermediateMaps(c.sw, c.sh, cropSettings(c.W, c.H, 3, 0));
    ASSERT_FALSE(maps.failure.has_value());
    ASSERT_TRUE(maps.used);
    ASSERT_EQ(int(maps.columns.size()), c.width);
    ASSERT_EQ(int(maps.rows.size()), c.height);
    EXPECT_EQ(maps.columns.front(), c.left);
    EXPECT_EQ(maps.columns.back(), c.left + c.width - 1);
    EXPECT_EQ(maps.rows.front(), c.top);
    EXPECT_EQ(maps.rows.back(), c.top + c.height - 1);
}

INSTANTIATE_TEST_SUITE_P(
    Figures, CropMaps,
    ::testing::Values(
        CropCase{"Wide", 128, 128, 400, 300, 300, 300, 50, 0},
        // Offsets of half a pixel go to the even one: 50.5 -> 50, 51.5 -> 52.
        CropCase{"WideOddSpare1", 128, 128, 401, 300, 300, 300, 50, 0},
        CropCase{"WideOddSpare3", 128, 128, 403, 300, 300, 300, 52, 0},
        CropCase{"Tall", 128, 128, 300, 400, 300, 300, 0, 50},
        CropCase{"TallOddSpare", 128, 128, 300, 403, 300, 300, 0, 52},
        CropCase{"WideIntoTallCanvas", 100, 200, 400, 300, 150, 300, 125, 0},
        CropCase{"TallIntoWideCanvas", 200, 100, 300, 400, 300, 150, 0, 125},
        // The cut side 301 * 100 / 200 = 150.5 -> 150 and 151.5 -> 152, halves to even.
        CropCase{"SideHalfDown", 100, 200, 400, 301, 150, 301, 125, 0},
        CropCase{"SideHalfUp", 100, 200, 400, 303, 152, 303, 124, 0},
        CropCase{"RowsHalfDown", 200, 100, 301, 400, 301, 150, 0, 125},
        // Proportions equal in integers: nothing is cut, however large.
        CropCase{"SameProportions", 128, 64, 256, 128, 256, 128, 0, 0},
        CropCase{"SameProportionsOddSizes", 21, 35, 3, 5, 3, 5, 0, 0},
        CropCase{"SquareIntoSquare", 16, 16, 7, 7, 7, 7, 0, 0},
        // One pixel wider than the canvas's proportions: 640 columns from 0.5 -> 0.
        CropCase{"OneColumnOver", 640, 640, 641, 640, 640, 640, 0, 0},
        // 1 * 16 / 640 rounds to nothing: one pixel is kept, from 999 / 2 = 499.5 -> 500.
        CropCase{"WideLineKeepsAPixel", 16, 640, 1000, 1, 1, 1, 500, 0},
        CropCase{"TallLineKeepsAPixel", 640, 16, 1, 1000, 1, 1, 0, 500}),
    [](const auto &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- no margin anywhere

struct Box {
    int width, height;
};

class NoMargin : public ::testing::TestWithParam<std::tuple<Box, Box, int>> {};

// The picture's blue lies in 100..200 and the margin's is 255: a canvas pixel
// outside that range was left as margin or averaged some in.
TEST_P(NoMargin, EveryCanvasPixelComesFromThePicture)
{
    const auto [source, canvasSize, quality] = GetParam();
    constexpr Colour kMargin = rgb(255, 0, 255);
    const Picture picture = bluesWithin(source.width, source.height, 100, 200, unsigned(source.width + source.height));
    Picture canvas;
    canvas.setBackground(kMargin);
    const std::optional<Failure> failure =
        composePicture(picture, canvas, cropSettings(canvasSize.width, canvasSize.height, quality, kMargin));
    ASSERT_FALSE(failure.has_value()) << failure->message.toStdString();
    ASSERT_EQ(canvas.width(), canvasSize.width);
    ASSERT_EQ(canvas.height(), canvasSize.height);
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x) {
            const int blue = blueOf(canvas.pixel(x, y));
            ASSERT_TRUE(blue >= 100 && blue <= 200) << "(" << x << ", " << y << ") blue " << blue;
        }
}

// Wide, tall and square pictures, smaller and larger than the canvas, at
// canvas sides from 16 to 640 and every quality.
INSTANTIATE_TEST_SUITE_P(
    Sweep, NoMargin,
    ::testing::Combine(::testing::Values(Box{1, 1}, Box{3, 2}, Box{5, 7}, Box{16, 16}, Box{17, 640}, Box{640, 17},
                                         Box{333, 250}, Box{250, 333}, Box{401, 300}, Box{700, 523}),
                       ::testing::Values(Box{16, 16}, Box{16, 640}, Box{640, 16}, Box{640, 640}, Box{100, 200},
                                         Box{200, 100}, Box{128, 96}, Box{37, 611}, Box{611, 37}),
                       ::testing::Values(0, 1, 2, 3)));

// ---------------------------------------------------------------- centred

struct CentreCase {
    const char *name;
    int W, H, sw, sh, quality;
    // Canvas pixels the quadrants may meet off the centre: the averaging
    // samples an enlarged picture half a source pixel up and to the left.
    int slack;
};

class Centre : public ::testing::TestWithParam<CentreCase> {};

// Four quadrants meeting at the picture's centre meet at the canvas's centre:
// two pixels (and the slack) from it on each diagonal show each quadrant's own colour.
TEST_P(Centre, QuadrantsMeetAtTheCanvasCentre)
{
    const CentreCase &c = GetParam();
    Picture canvas;
    canvas.setBackground(rgb(1, 2, 3));
    ASSERT_FALSE(composePicture(quadrantPicture(c.sw, c.sh), canvas, cropSettings(c.W, c.H, c.quality, 0)).has_value());
    const int before = c.W / 2 - 2 - c.slack;
    const int after = c.W / 2 + 1 + c.slack;
    const int above = c.H / 2 - 2 - c.slack;
    const int below = c.H / 2 + 1 + c.slack;
    EXPECT_EQ(canvas.pixel(before, above), rgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(after, above), rgb(0, 255, 0));
    EXPECT_EQ(canvas.pixel(before, below), rgb(255, 255, 0));
    EXPECT_EQ(canvas.pixel(after, below), rgb(0, 0, 255));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Centre,
    ::testing::Values(CentreCase{"WideAveraged", 128, 128, 400, 300, 3, 0},
                      CentreCase{"WidePlain", 128, 128, 400, 300, 0, 0},
                      CentreCase{"TallAveraged", 128, 128, 300, 400, 3, 0},
                      CentreCase{"WideIntoTallCanvas", 100, 200, 400, 300, 2, 0},
                      CentreCase{"VeryWide", 64, 64, 1000, 200, 1, 0},
                      CentreCase{"FlatCanvas", 640, 16, 640, 480, 3, 0},
                      // Enlarged 64 times: 10 x 10 from column 5. Cut one source
                      // column off centre, the quadrants would meet 64 pixels away.
                      CentreCase{"EnlargedPlain", 640, 640, 20, 10, 0, 0},
                      CentreCase{"EnlargedAveraged", 640, 640, 20, 10, 3, 32}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
