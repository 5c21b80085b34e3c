#include "platform/blit.h"

#include <gtest/gtest.h>

#include <string>

using namespace tess;

namespace {

struct StretchCase {
    const char *name;
    int source, dest;
    StretchAxis axis;
    std::vector<int> head; // first values
    std::vector<int> tail; // last values
};

class StretchMapExample : public ::testing::TestWithParam<StretchCase> {};

TEST_P(StretchMapExample, MatchesTheWorkedTable)
{
    const StretchCase &c = GetParam();
    const std::vector<int> map = stretchMap(c.source, c.dest, c.axis);
    ASSERT_EQ(int(map.size()), c.dest);
    ASSERT_GE(map.size(), c.head.size());
    ASSERT_GE(map.size(), c.tail.size());
    EXPECT_EQ(std::vector<int>(map.begin(), map.begin() + std::ptrdiff_t(c.head.size())), c.head);
    EXPECT_EQ(std::vector<int>(map.end() - std::ptrdiff_t(c.tail.size()), map.end()), c.tail);
}

const auto R = StretchAxis::Rows;
const auto C = StretchAxis::Columns;

INSTANTIATE_TEST_SUITE_P(
    Table, StretchMapExample,
    ::testing::Values(
        StretchCase{"s400to300rows", 400, 300, R, {0, 1, 3, 4, 5, 7, 8, 9, 11, 12}, {393, 395, 396, 397, 399}},
        StretchCase{"s400to300cols", 400, 300, C, {0, 2, 3, 4, 6, 7, 8, 10, 11, 12}, {394, 395, 396, 398, 399}},
        StretchCase{"s300to400rows", 300, 400, R, {0, 1, 1, 2, 3, 4, 4, 5, 6, 7}, {296, 297, 298, 298, 299}},
        StretchCase{"s300to400cols", 300, 400, C, {0, 1, 1, 2, 3, 4, 4, 5, 6, 7}, {296, 297, 298, 298, 299}},
        StretchCase{"s4to3rows", 4, 3, R, {0, 1, 3}, {}},
        StretchCase{"s4to3cols", 4, 3, C, {0, 2, 3}, {}},
        StretchCase{"s3to4rows", 3, 4, R, {0, 1, 1, 2}, {}},
        StretchCase{"s3to4cols", 3, 4, C, {0, 1, 1, 2}, {}},
        StretchCase{"s5to2rows", 5, 2, R, {0, 3}, {}},
        StretchCase{"s5to2cols", 5, 2, C, {2, 4}, {}},
        StretchCase{"s1600to100rows", 1600, 100, R, {0, 16, 32, 48}, {1568, 1584}},
        StretchCase{"s1600to100cols", 1600, 100, C, {15, 31, 47, 63}, {1583, 1599}},
        StretchCase{"s2to5rows", 2, 5, R, {0, 0, 0, 1, 1}, {}},
        StretchCase{"s2to5cols", 2, 5, C, {0, 0, 0, 1, 1}, {}},
        // A destination one pixel long reads a source one pixel shorter:
        // column S-2 (0 when S = 2) and row 0.
        StretchCase{"s4to1cols", 4, 1, C, {2}, {}},
        StretchCase{"s4to1rows", 4, 1, R, {0}, {}},
        StretchCase{"s2to1cols", 2, 1, C, {0}, {}},
        StretchCase{"s2to1rows", 2, 1, R, {0}, {}},
        StretchCase{"s100to1cols", 100, 1, C, {98}, {}},
        StretchCase{"s1to1cols", 1, 1, C, {0}, {}},
        StretchCase{"s1to3cols", 1, 3, C, {0, 0, 0}, {}}),
    [](const ::testing::TestParamInfo<StretchCase> &info) { return std::string(info.param.name); });

TEST(StretchMap, FourHundredToThreeHundredDropsEveryFourthRowAndColumn)
{
    const std::vector<int> rows = stretchMap(400, 300, StretchAxis::Rows);
    const std::vector<int> cols = stretchMap(400, 300, StretchAxis::Columns);
    std::vector<bool> rowUsed(400), colUsed(400);
    for (int v : rows) rowUsed[std::size_t(v)] = true;
    for (int v : cols) colUsed[std::size_t(v)] = true;
    for (int s = 0; s < 400; ++s) {
        EXPECT_EQ(rowUsed[std::size_t(s)], s % 4 != 2) << "row " << s;
        EXPECT_EQ(colUsed[std::size_t(s)], s % 4 != 1) << "column " << s;
    }
}

TEST(StretchMap, EveryLengthPairStaysInsideAndInOrder)
{
    for (int s = 1; s <= 70; ++s) {
        for (int d = 1; d <= 70; ++d) {
            for (StretchAxis axis : {R, C}) {
                const std::vector<int> map = stretchMap(s, d, axis);
                ASSERT_EQ(int(map.size()), d);
                for (int i = 0; i < d; ++i) {
                    ASSERT_GE(map[std::size_t(i)], 0) << s << "->" << d;
                    ASSERT_LT(map[std::size_t(i)], s) << s << "->" << d;
                    if (i > 0)
                        ASSERT_LE(map[std::size_t(i - 1)], map[std::size_t(i)]) << s << "->" << d;
                    if (s == d)
                        ASSERT_EQ(map[std::size_t(i)], i);
                }
                if (d >= s && s > 1) // enlarging shows every source pixel
                    ASSERT_EQ(map.back(), s - 1) << s << "->" << d;
            }
        }
    }
}

TEST(StretchMap, DegenerateLengthsGiveNothingToDraw)
{
    EXPECT_TRUE(stretchMap(5, 0, R).empty());
    EXPECT_TRUE(stretchMap(5, -3, C).empty());
    EXPECT_EQ(stretchMap(0, 3, R), std::vector<int>(3, 0));
}

// --- bitBlt ----------------------------------------------------------------

Picture numbered(int width, int height, int base)
{
    Picture p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.setPixel(x, y, Colour(base + y * 100 + x));
    return p;
}

struct BlitCase {
    const char *name;
    int dx, dy, w, h, sx, sy;
};

class BitBltClipping : public ::testing::TestWithParam<BlitCase> {};

// Pixel by pixel: destination (dx+i, dy+j) takes source (sx+i, sy+j) when both
// lie inside their pictures; everything else stays as it was.
TEST_P(BitBltClipping, CopiesExactlyTheOverlap)
{
    const BlitCase &c = GetParam();
    const Picture src = numbered(6, 5, 10000);
    Picture dst = numbered(7, 4, 50000);
    const Picture before = dst;
    bitBlt(dst, c.dx, c.dy, c.w, c.h, src, c.sx, c.sy);
    for (int y = 0; y < dst.height(); ++y) {
        for (int x = 0; x < dst.width(); ++x) {
            const int i = x - c.dx, j = y - c.dy;
            const int sx = c.sx + i, sy = c.sy + j;
            const bool copied = i >= 0 && j >= 0 && i < c.w && j < c.h && sx >= 0 && sy >= 0
                && sx < src.width() && sy < src.height();
            EXPECT_EQ(dst.pixel(x, y), copied ? src.pixel(sx, sy) : before.pixel(x, y)) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BitBltClipping,
    ::testing::Values(BlitCase{"inside", 1, 1, 3, 2, 2, 1},
                      BlitCase{"negativeDest", -2, -1, 5, 4, 0, 0},
                      BlitCase{"negativeSource", 1, 0, 4, 4, -2, -3},
                      BlitCase{"bothNegative", -1, -1, 6, 6, -2, 1},
                      BlitCase{"pastRightAndBottom", 4, 2, 10, 10, 0, 0},
                      BlitCase{"sourcePastEnd", 0, 0, 10, 10, 4, 3},
                      BlitCase{"wholeSourceLarger", 0, 0, 6, 5, 0, 0},
                      BlitCase{"entirelyOutside", 7, 0, 3, 3, 0, 0},
                      BlitCase{"sourceOutside", 0, 0, 3, 3, 6, 0},
                      BlitCase{"zeroWidth", 0, 0, 0, 3, 0, 0},
                      BlitCase{"negativeSize", 0, 0, -3, 3, 0, 0}),
    [](const ::testing::TestParamInfo<BlitCase> &info) { return std::string(info.param.name); });

TEST(BitBlt, WithinOnePictureOverlappingMoves)
{
    Picture p = numbered(8, 1, 0);
    const Picture before = p;
    bitBlt(p, 2, 0, 5, 1, p, 0, 0); // source and destination overlap
    for (int x = 2; x < 7; ++x)
        EXPECT_EQ(p.pixel(x, 0), before.pixel(x - 2, 0));
}

// --- stretchBlt ------------------------------------------------------------

TEST(StretchBlt, UsesTheMapsOnBothAxesAndSkipsWhatFallsOutside)
{
    const Picture src = numbered(4, 4, 1000);
    Picture dst(5, 5, rgb(9, 9, 9));
    // 4x4 -> 3x3 at (-1, 0): destination column 0 lies outside.
    stretchBlt(dst, -1, 0, 3, 3, src, 0, 0, 4, 4);
    const std::vector<int> cols = stretchMap(4, 3, StretchAxis::Columns); // 0, 2, 3
    const std::vector<int> rows = stretchMap(4, 3, StretchAxis::Rows);    // 0, 1, 3
    ASSERT_EQ(cols, (std::vector<int>{0, 2, 3}));
    ASSERT_EQ(rows, (std::vector<int>{0, 1, 3}));
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x) {
            const int i = x + 1;
            const Colour expected = (y < 3 && i < 3) ? src.pixel(cols[std::size_t(i)], rows[std::size_t(y)]) : rgb(9, 9, 9);
            EXPECT_EQ(dst.pixel(x, y), expected) << x << "," << y;
        }
    }
}

TEST(StretchBlt, SourceRectanglePartlyOutsideSkipsThosePixels)
{
    const Picture src = numbered(2, 2, 1000);
    Picture dst(4, 4, rgb(9, 9, 9));
    stretchBlt(dst, 0, 0, 4, 4, src, 1, 1, 2, 2); // source columns/rows 2 do not exist
    EXPECT_EQ(dst.pixel(0, 0), src.pixel(1, 1));
    EXPECT_EQ(dst.pixel(1, 1), src.pixel(1, 1));
    EXPECT_EQ(dst.pixel(2, 0), rgb(9, 9, 9));
    EXPECT_EQ(dst.pixel(0, 3), rgb(9, 9, 9));
}

} // namespace
