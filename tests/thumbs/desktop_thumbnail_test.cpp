#include "codecs/picture_reader.h"
#include "thumbs/desktop_thumbnail.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tess;

namespace {

Colour rgba(int r, int g, int b, int a)
{
    return rgb(r, g, b) | Colour(a) << 24;
}

TEST(DesktopThumbnail, TransparentPixelsWeighNothingInTheAverage)
{
    // Columns of opaque red between clear ones, as a reader handed kKeepAlpha
    // gives them (clear laid over black): every average, partly covered, is
    // still pure red, not a darker red. Without alpha, every pixel is opaque
    // whatever a decoder left in the top byte.
    Picture picture(16, 16);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x)
            picture.row(y)[x] = x % 2 == 0 ? rgba(255, 0, 0, 255) : rgba(0, 0, 0, 0);
    }
    for (const bool alpha : {true, false}) {
        std::vector<Picture> out;
        const int sides[] = {2, 16};
        ASSERT_EQ(makeDesktopThumbnails(*pictureRows(picture), alpha, sides, out), std::nullopt);
        ASSERT_EQ(out.size(), 2u);
        ASSERT_EQ(QSize(out[0].width(), out[0].height()), QSize(2, 2));
        // With alpha the clear columns lower the coverage, without it the red.
        int partly = 0;
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 2; ++x) {
                const Colour p = out[0].row(y)[x];
                EXPECT_EQ(p & 0xFFFF00u, 0u); // no green, no blue
                EXPECT_EQ(alpha ? redOf(p) : alphaOf(p), 255);
                partly += (alpha ? alphaOf(p) : redOf(p)) < 160;
            }
        }
        EXPECT_GE(partly, 2);
        EXPECT_EQ(out[1].row(3)[1], alpha ? rgba(0, 0, 0, 0) : rgba(0, 0, 0, 255)); // same size: as it was
    }
}

} // namespace
