#include "platform/gradient_fill.h"

#include <gtest/gtest.h>

using namespace tess;

namespace {

// The button face: white at the top fading towards 198,197,215 over 24 rows.
const Colour kFaceRows[24] = {
    rgb(255, 255, 255), rgb(252, 252, 253), rgb(250, 250, 251), rgb(247, 247, 250),
    rgb(245, 245, 248), rgb(243, 242, 246), rgb(240, 240, 245), rgb(238, 238, 243),
    rgb(236, 235, 241), rgb(233, 233, 240), rgb(231, 230, 238), rgb(228, 228, 236),
    rgb(226, 226, 235), rgb(224, 223, 233), rgb(221, 221, 231), rgb(219, 218, 230),
    rgb(217, 216, 228), rgb(214, 213, 226), rgb(212, 211, 225), rgb(209, 209, 223),
    rgb(207, 206, 221), rgb(205, 204, 220), rgb(202, 201, 218), rgb(200, 199, 216),
};
const Colour kUntouched = rgb(1, 2, 3);

class ButtonFace : public ::testing::TestWithParam<bool> {};

TEST_P(ButtonFace, RowsMatchTheTableAndTheFarEdgesStayUntouched)
{
    const int width = 40, height = 25;
    Picture face(width, height, kUntouched);
    const auto light = GradientColour::fromColour(rgb(255, 255, 255));
    const auto shade = GradientColour::fromColour(rgb(198, 197, 215));
    if (GetParam()) // vertices given bottom first: same rectangle, same colours
        gradientFillVertical(face, width - 1, height - 1, shade, 0, 0, light);
    else
        gradientFillVertical(face, 0, 0, light, width - 1, height - 1, shade);
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < width - 1; ++x)
            ASSERT_EQ(face.pixel(x, y), kFaceRows[y]) << "row " << y << " column " << x;
        EXPECT_EQ(face.pixel(width - 1, y), kUntouched) << "right column, row " << y;
    }
    for (int x = 0; x < width; ++x)
        EXPECT_EQ(face.pixel(x, 24), kUntouched) << "bottom row, column " << x;
}

INSTANTIATE_TEST_SUITE_P(VertexOrder, ButtonFace, ::testing::Values(false, true));

TEST(GradientFill, ChannelsAreTruncatedNotRounded)
{
    // 0 -> 255 over 2 rows: the middle would round to 128, truncation gives 127.
    Picture p(1, 3, kUntouched);
    gradientFillVertical(p, 0, 0, GradientColour::fromColour(rgb(0, 0, 0)), 1, 2,
                         GradientColour::fromColour(rgb(255, 255, 255)));
    EXPECT_EQ(p.pixel(0, 0), rgb(0, 0, 0));
    EXPECT_EQ(p.pixel(0, 1), rgb(127, 127, 127));
    EXPECT_EQ(p.pixel(0, 2), kUntouched);
}

TEST(GradientFill, SixteenBitChannelsBelowOneStep)
{
    // 0x1234 is 18.2 in 8-bit terms: it shows as 18.
    Picture p(2, 2, kUntouched);
    gradientFillVertical(p, 0, 0, {0x1234, 0x00FF, 0xFFFF}, 2, 2, {0x1234, 0x00FF, 0xFFFF});
    EXPECT_EQ(p.pixel(0, 0), rgb(0x12, 0, 0xFF));
    EXPECT_EQ(p.pixel(1, 1), rgb(0x12, 0, 0xFF));
}

TEST(GradientFill, ClippedToThePictureAndEmptyRectanglesDrawNothing)
{
    Picture p(4, 4, kUntouched);
    const auto white = GradientColour::fromColour(rgb(255, 255, 255));
    gradientFillVertical(p, 0, 0, white, 3, 0, white); // no height
    gradientFillVertical(p, 2, 0, white, 2, 4, white); // no width
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            ASSERT_EQ(p.pixel(x, y), kUntouched);

    // From above and left of the picture to past its end: colours follow the
    // full rectangle, only the visible part is painted.
    const auto black = GradientColour::fromColour(rgb(0, 0, 0));
    gradientFillVertical(p, -5, -2, GradientColour::fromColour(rgb(200, 200, 200)), 10, 8, black);
    // L = 10; row 0 is p = 2: 200 * 8 / 10 = 160.
    EXPECT_EQ(p.pixel(0, 0), rgb(160, 160, 160));
    EXPECT_EQ(p.pixel(3, 3), rgb(100, 100, 100));
}

} // namespace
