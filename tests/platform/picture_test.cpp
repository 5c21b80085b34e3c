#include "platform/blit.h"
#include "platform/picture.h"

#include <gtest/gtest.h>

using namespace tess;

TEST(Picture, PixelOutsideIsInvalidAndWritesOutsideAreIgnored)
{
    Picture p(3, 2, rgb(1, 2, 3));
    EXPECT_EQ(p.pixel(0, 0), rgb(1, 2, 3));
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {3, 0}, {0, 2}}) {
        EXPECT_EQ(p.pixel(x, y), kInvalidColour) << x << "," << y;
        p.setPixel(x, y, rgb(9, 9, 9));
    }
    p.setPixel(2, 1, 0xFF123456);
    EXPECT_EQ(p.pixel(2, 1), 0x00123456u) << "the top byte is never stored";
}
