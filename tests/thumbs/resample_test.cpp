#include "thumbs/resample.h"
#include "thumbs/resample_window.h"
#include "thumbs/rounding.h"
#include "support/resample_test_support.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

using namespace tess;
using namespace tess::testing;

namespace {

constexpr Colour kMargin = rgb(12, 34, 56);

// How many positions of a whole window the sampler reads.
int positionsRead(int radius, int interval)
{
    const WindowSampler sampler(radius, interval);
    const int side = 2 * radius + 1;
    int read = 0;
    for (int b = 0; b < side; ++b) {
        const WindowSampler::Columns columns = sampler.row(b);
        for (std::int64_t a = columns.first; a >= 0 && a < side; a += columns.stride)
            ++read;
    }
    return read;
}

// ---------------------------------------------------------------- rounding

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour)
{
    const std::pair<double, double> cases[] = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2}, {0.5, 0}, {-0.5, 0}, {1.5, 2}, {254.5, 254}, {255.5, 256},
        {4.1667, 4}, {12.5, 12}, {-1.5625, -2}, {0.49999, 0}, {0.50001, 1}, {-6.0, -6}, {170.6667, 171},
    };
    for (auto [in, out] : cases)
        EXPECT_EQ(roundHalfEven(in), out) << in;
}

TEST(FloorDiv, RoundsTowardMinusInfinity)
{
    EXPECT_EQ(floorDiv(29, 2), 14);
    EXPECT_EQ(floorDiv(5, 2), 2);
    EXPECT_EQ(floorDiv(-1, 2), -1);
    EXPECT_EQ(floorDiv(-43, 2), -22);
    EXPECT_EQ(floorDiv(-4, 2), -2);
}

// ---------------------------------------------------------------- fit and window

struct WindowCase {
    const char *name;
    int sw, sh, cw, ch, quality;
    float scale;
    int width, height, x0, y0, radius, interval, positionsRead;
};

class WindowTable : public ::testing::TestWithParam<WindowCase> {};

TEST_P(WindowTable, FitAndWindowParameters)
{
    const WindowCase &c = GetParam();
    const ResampleFit fit = fitPicture(c.sw, c.sh, c.cw, c.ch);
    EXPECT_FLOAT_EQ(fit.scale, c.scale);
    EXPECT_EQ(fit.width, c.width);
    EXPECT_EQ(fit.height, c.height);
    EXPECT_EQ(fit.x0, c.x0);
    EXPECT_EQ(fit.y0, c.y0);
    const ResampleWindow w = resampleWindow(fit.scale, c.quality);
    EXPECT_EQ(w.radius, c.radius);
    EXPECT_EQ(w.interval, c.interval);
    EXPECT_EQ(positionsRead(w.radius, w.interval), c.positionsRead);
}

INSTANTIATE_TEST_SUITE_P(
    Figures, WindowTable,
    ::testing::Values(
        // 13 x 13 = 169 positions; l = 0, 4, ..., 168 are 43 of them.
        WindowCase{"Photo1600x1200Q3", 1600, 1200, 128, 128, 3, 0.08f, 128, 96, 0, 16, 6, 4, 43},
        // m = round(12.5) = 12: l = 0, 12, ..., 168.
        WindowCase{"Photo1600x1200Q1", 1600, 1200, 128, 128, 1, 0.08f, 128, 96, 0, 16, 6, 12, 15},
        // m = round(6.25) = 6: l = 0, 6, ..., 168.
        WindowCase{"Photo1600x1200Q2", 1600, 1200, 128, 128, 2, 0.08f, 128, 96, 0, 16, 6, 6, 29},
        // Step 1.25: R = round(0.625) = 1, m = round(0.4167) = 0, taken as 1.
        WindowCase{"SmallReductionQ3", 160, 120, 128, 96, 3, 0.8f, 128, 96, 0, 0, 1, 1, 9},
        // Step 1: R = round(0.5) = 0.
        WindowCase{"ScaleOneQ1", 128, 96, 128, 96, 1, 1.0f, 128, 96, 0, 0, 0, 1, 1},
        // Enlargement by 4: step 0.25, R = 0, m = 1.
        WindowCase{"EnlargeQ3", 32, 24, 128, 128, 3, 4.0f, 128, 96, 0, 16, 0, 1, 1},
        // Width limits; 400 x 300 into 128 x 128: step 3.125, R = round(1.5625) = 2, m = round(1.04) = 1.
        WindowCase{"Landscape400x300Q3", 400, 300, 128, 128, 3, 0.32f, 128, 96, 0, 16, 2, 1, 25},
        // Height limits: a portrait picture gets bands left and right.
        WindowCase{"Portrait300x400Q2", 300, 400, 128, 128, 2, 0.32f, 96, 128, 16, 0, 2, 2, 13},
        // Odd margin differences: 1 leaves the odd row below, 3 puts two rows above.
        WindowCase{"OddDifference1", 100, 50, 100, 51, 1, 1.0f, 100, 50, 0, 0, 0, 1, 1},
        WindowCase{"OddDifference3", 100, 50, 100, 53, 1, 1.0f, 100, 50, 0, 2, 0, 1, 1},
        // A scaled side under half a pixel still draws one row: 1000 x 1 into 128 x 1.
        WindowCase{"ThinLine", 1000, 1, 128, 1, 3, 0.128f, 128, 1, 0, 0, 4, 3, 27}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(WindowSampler, ColumnsOfEachRowMatchTestingEveryPosition)
{
    for (int R : {0, 1, 2, 3, 6, 9, 16}) {
        const int side = 2 * R + 1;
        for (int m : {1, 2, 3, 4, 5, 10, 11, 12, 13, 33, 40, 1000}) {
            const WindowSampler sampler(R, m);
            for (int b = 0; b < side; ++b) {
                std::vector<int> expected;
                for (int a = 0; a < side; ++a)
                    if ((a * side + b) % m == 0)
                        expected.push_back(a);
                // Every starting column, as the picture's left edge clips windows.
                for (int from = 0; from < side; ++from) {
                    std::vector<int> got;
                    const WindowSampler::Columns read = sampler.row(b);
                    for (std::int64_t a = WindowSampler::firstFrom(read, from); a >= 0 && a < side; a += read.stride)
                        got.push_back(int(a));
                    std::vector<int> want;
                    for (int a : expected)
                        if (a >= from)
                            want.push_back(a);
                    ASSERT_EQ(got, want) << "R=" << R << " m=" << m << " b=" << b << " from=" << from;
                }
            }
        }
    }
}

// ---------------------------------------------------------------- drawing

TEST(ResamplePicture, WorkedPhotoFigure)
{
    Picture source = randomPicture(1600, 1200, 1);
    Picture canvas(128, 128, kMargin);
    resamplePicture(source, canvas, 3);
    // The window of canvas (0, 16) reaches the picture only at source (0, 0).
    EXPECT_EQ(canvas.pixel(0, 16), source.pixel(0, 0));
    for (int x = 0; x < 128; ++x) {
        for (int y : {0, 15, 112, 127})
            ASSERT_EQ(canvas.pixel(x, y), kMargin) << x << "," << y;
    }
    EXPECT_EQ(source.width(), 1600) << "the source stays on success";
}

TEST(ResamplePicture, ScaleOneShowsEverySecondColumnAndRowTwice)
{
    const Picture source = coordinatePicture(8, 6);
    const int shown[] = {0, 0, 2, 2, 4, 4, 6, 6};
    for (int quality : {1, 2, 3}) {
        Picture src = source;
        Picture canvas(8, 6, kMargin);
        resamplePicture(src, canvas, quality);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(canvas.pixel(x, y), source.pixel(shown[x], shown[y]))
                    << "quality " << quality << " at " << x << "," << y;
    }
}

TEST(ResamplePicture, EnlargementRepeatsPixelsAndLeavesWindowsOutsideAsMargin)
{
    // 2 x 2 into 8 x 8: step 0.25, centres round(0.25 i - 0.125) = 0,0,0,1,1,1,1,2.
    // Centre 2 lies outside the picture, so the last row and column keep the margin.
    const Picture source = coordinatePicture(2, 2);
    const int shown[] = {0, 0, 0, 1, 1, 1, 1, -1};
    for (int quality : {1, 3}) {
        Picture src = source;
        Picture canvas(8, 8, kMargin);
        resamplePicture(src, canvas, quality);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const Colour expected =
                    (shown[x] < 0 || shown[y] < 0) ? kMargin : source.pixel(shown[x], shown[y]);
                ASSERT_EQ(canvas.pixel(x, y), expected) << x << "," << y;
            }
    }
}

struct EdgeCase {
    int quality;
    Colour corner;     // canvas (0, 0)
    Colour nextOnTop;  // canvas (1, 0)
};

TEST(ResamplePicture, EdgeWindowsAverageOnlyTheInsidePart)
{
    // 40 x 40 into 4 x 4: step 10, R = 5, 11 x 11 windows. Canvas (0, 0) has its
    // centre at (-5, -5): only source (0, 0) is inside, at l = 60, a multiple of
    // every m used here. Canvas (1, 0) centres on (5, -5): only source row 0 is
    // inside, at l = 11 (dx + 5) + 10 for columns 0..10.
    Picture source(40, 40, rgb(200, 200, 200));
    for (int x = 0; x <= 10; ++x)
        source.setPixel(x, 0, rgb(10 * x, 3 * x, 255 - x));
    const EdgeCase cases[] = {
        // m = 10: l = 10, 120 -> columns 0 and 10.
        {1, source.pixel(0, 0), rgb(50, 15, 250)},
        // m = 10 / 2 = 5: l = 10, 65, 120 -> columns 0, 5, 10.
        {2, source.pixel(0, 0), rgb(50, 15, 250)},
        // m = round(3.33) = 3: l = 21, 54, 87, 120 -> columns 1, 4, 7, 10:
        // red 220 / 4 = 55, green 66 / 4 = 16.5 -> 16, blue 998 / 4 = 249.5 -> 250.
        {3, source.pixel(0, 0), rgb(55, 16, 250)},
    };
    for (const EdgeCase &c : cases) {
        Picture src = source;
        Picture canvas(4, 4, kMargin);
        resamplePicture(src, canvas, c.quality);
        EXPECT_EQ(canvas.pixel(0, 0), c.corner) << "quality " << c.quality;
        EXPECT_EQ(canvas.pixel(1, 0), c.nextOnTop) << "quality " << c.quality;
    }
}

TEST(ResamplePicture, AverageRoundsHalvesToEven)
{
    // 6 x 6 into 2 x 2 at quality 1: step 3, R = 2, m = 3. Canvas (1, 0) centres on
    // (2, -2); only row 0 is inside, at l = 5 dx + 14: l = 9 and 24 read columns 1 and 4.
    Picture source(6, 6, rgb(0, 0, 0));
    source.setPixel(1, 0, rgb(10, 11, 13));
    source.setPixel(4, 0, rgb(15, 14, 14));
    Picture canvas(2, 2, kMargin);
    resamplePicture(source, canvas, 1);
    EXPECT_EQ(canvas.pixel(1, 0), rgb(12, 12, 14)); // 12.5 -> 12, 12.5 -> 12, 13.5 -> 14
}

struct SizeCase {
    int sw, sh, cw, ch;
};

class AgainstReference : public ::testing::TestWithParam<std::tuple<SizeCase, int>> {};

TEST_P(AgainstReference, WholeCanvasMatchesThePlainDefinition)
{
    const auto [size, quality] = GetParam();
    const Picture source = randomPicture(size.sw, size.sh, unsigned(size.sw * 131 + size.sh));
    Picture src = source;
    Picture canvas(size.cw, size.ch, kMargin);
    canvas.fillBox(0, 0, size.cw, size.ch, rgb(1, 2, 3)); // must be cleared first
    resamplePicture(src, canvas, quality);
    const Picture expected = referenceResample(source, size.cw, size.ch, quality, kMargin);
    EXPECT_TRUE(canvas == expected) << firstDifference(canvas, expected);
    EXPECT_TRUE(src == source);
}

INSTANTIATE_TEST_SUITE_P(Sizes, AgainstReference,
                         ::testing::Combine(::testing::Values(SizeCase{37, 23, 16, 16},    // shrink, odd
                                                              SizeCase{23, 37, 64, 40},    // enlarge
                                                              SizeCase{200, 150, 61, 47},  // odd ratio
                                                              SizeCase{50, 50, 50, 50},    // scale 1
                                                              SizeCase{99, 7, 30, 30},     // thin
                                                              SizeCase{7, 99, 30, 30},     // tall
                                                              SizeCase{333, 250, 128, 128},// step 2.6
                                                              SizeCase{1, 1, 17, 9},       // single pixel
                                                              SizeCase{400, 300, 40, 40},  // step 10
                                                              SizeCase{600, 450, 48, 48},  // step 12.5
                                                              SizeCase{1000, 700, 64, 64}, // step 15.625
                                                              SizeCase{5000, 1, 30, 30},   // a line
                                                              SizeCase{1, 5000, 16, 640}), // a column
                                            ::testing::Values(-1, 0, 1, 2, 3, 7)));

// ---------------------------------------------------------------- failures and progress

TEST(ResamplePicture, ZeroSizeDrawsNothingAndClearsTheCanvas)
{
    for (int quality : {0, 3}) {
        Picture emptySource;
        Picture canvas(10, 10, kMargin);
        canvas.fillBox(0, 0, 10, 10, rgb(9, 9, 9));
        EXPECT_FALSE(resamplePicture(emptySource, canvas, quality));
        EXPECT_EQ(canvas.width(), 10);
        EXPECT_EQ(canvas.pixel(4, 4), kMargin) << "cleared to its background";

        Picture emptyCanvas;
        EXPECT_FALSE(resamplePicture(randomPicture(5, 5, 3), emptyCanvas, quality));
        EXPECT_TRUE(emptyCanvas.isEmpty());
    }
}

TEST(ResamplePicture, ProgressAfterEveryRowAndStopBeforeTheNext)
{
    // 160 x 120 into 64 x 64: 64 x 48 picture rows.
    const Picture source = randomPicture(160, 120, 5);
    for (const int stopAfter : {48, 1, 17}) {
        Picture canvas(64, 64, kMargin);
        std::vector<std::string> log;
        std::atomic<bool> stop{false};
        ResampleProgress progress;
        progress.stop = &stop;
        progress.rowDone = [&](int done, int total) {
            log.push_back(std::to_string(done) + "/" + std::to_string(total));
            stop = done == stopAfter;
        };
        EXPECT_EQ(resamplePicture(source, canvas, 2, progress), stopAfter == 48) << stopAfter;
        ASSERT_EQ(log.size(), std::size_t(stopAfter));
        for (int row = 0; row < stopAfter; ++row)
            EXPECT_EQ(log[std::size_t(row)], std::to_string(row + 1) + "/48");
    }
}

TEST(ResamplePicture, PlainPathReportsNoProgress)
{
    for (int quality : {0, -3}) {
        Picture source = randomPicture(160, 120, 6);
        Picture canvas(64, 64, kMargin);
        int calls = 0;
        ResampleProgress progress;
        progress.rowDone = [&](int, int) { ++calls; };
        resamplePicture(source, canvas, quality, progress);
        EXPECT_EQ(calls, 0);
        // A nearest-pixel stretch of the whole picture to 64 x 48 at y = 8.
        Picture expected(64, 64, kMargin);
        stretchBlt(expected, 0, 8, 64, 48, source, 0, 0, 160, 120);
        EXPECT_TRUE(canvas == expected) << firstDifference(canvas, expected);
    }
}

} // namespace
