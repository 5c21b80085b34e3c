// The row converter's row loops against the same arithmetic done a pixel at
// a time, for every sample layout, and its premultiplied option against a
// plain division of each sample.
#include "codecs/row_converter.h"

#include "support/row_reference.h"

#include <QColorSpace>

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace tess;
using namespace tess::testing;

namespace {

const SampleLayout kLayouts[] = {
    SampleLayout::Grey8, SampleLayout::GreyAlpha8, SampleLayout::Grey16, SampleLayout::GreyAlpha16,
    SampleLayout::Rgb8, SampleLayout::Rgba8, SampleLayout::Rgb16, SampleLayout::Rgba16,
    SampleLayout::Cmyk8, SampleLayout::InvertedCmyk8,
};
const SampleLayout kAlphaLayouts[] = {SampleLayout::GreyAlpha8, SampleLayout::Rgba8, SampleLayout::GreyAlpha16,
                                      SampleLayout::Rgba16};
// Black, white, and mattes whose channels differ, one with a set top byte
// that must not reach the pixels.
const Colour kMattes[] = {rgb(0, 0, 0), rgb(255, 255, 255), rgb(40, 150, 220), 0xFF01FE7Fu};

// Random samples, a quarter of them the edges of their range.
std::vector<unsigned> randomSamples(SampleLayout layout, int width, unsigned seed)
{
    const unsigned max = isSixteenBit(layout) ? 65535u : 255u;
    const unsigned edges[] = {0u, 1u, max / 2, max - 1, max};
    std::mt19937 random(seed);
    std::vector<unsigned> values(std::size_t(width) * std::size_t(channelsOf(layout)));
    for (unsigned &v : values)
        v = random() % 4 == 0 ? edges[random() % 5] : unsigned(random() % (max + 1));
    return values;
}

// What convert() wrote, and whether it kept to the row's width.
std::vector<Colour> converted(const RowConverter &converter, const std::vector<unsigned> &values, int width)
{
    const std::vector<std::uint8_t> bytes = sampleBytes(converter.layout(), values);
    constexpr Colour kGuard = 0xDEADBEEFu;
    std::vector<Colour> out(std::size_t(width) + 1, kGuard);
    converter.convert(bytes.data(), out.data(), width);
    EXPECT_EQ(out.back(), kGuard) << "wrote past the row";
    out.pop_back();
    return out;
}

std::string layoutName(SampleLayout layout)
{
    static const char *const names[] = {"Grey8", "GreyAlpha8", "Grey16", "GreyAlpha16", "Rgb8",
                                        "Rgba8", "Rgb16", "Rgba16", "Cmyk8", "InvertedCmyk8"};
    return names[int(layout)];
}

struct RowCase {
    SampleLayout layout;
    Colour matte;
};

class PlainRows : public ::testing::TestWithParam<RowCase> {};

// Widths of one pixel (the last pixel alone), odd ones and ones past any
// vector length.
TEST_P(PlainRows, MatchThePixelByPixelArithmetic)
{
    const RowCase &c = GetParam();
    const RowConverter converter(c.layout, QByteArray(), c.matte);
    ASSERT_FALSE(converter.managed());
    unsigned seed = 1;
    for (int width : {1, 2, 3, 7, 31, 64, 257}) {
        const std::vector<unsigned> values = randomSamples(c.layout, width, seed++);
        EXPECT_EQ(converted(converter, values, width), referenceRow(c.layout, values, c.matte)) << "width " << width;
    }
}

std::vector<RowCase> everyLayoutAndMatte()
{
    std::vector<RowCase> cases;
    for (SampleLayout layout : kLayouts) {
        for (Colour matte : kMattes)
            cases.push_back({layout, matte});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryLayout, PlainRows, ::testing::ValuesIn(everyLayoutAndMatte()), [](const auto &info) {
    return layoutName(info.param.layout) + "_matte" + std::to_string(info.index % std::size(kMattes));
});

// Pixels of one grey or colour value (every channel the same) at one alpha.
std::vector<unsigned> flatPixels(SampleLayout layout, const std::vector<std::pair<unsigned, unsigned>> &valueAlpha)
{
    const int channels = channelsOf(layout);
    std::vector<unsigned> values;
    for (const auto &[v, a] : valueAlpha) {
        for (int c = 0; c + 1 < channels; ++c)
            values.push_back(v);
        values.push_back(a);
    }
    return values;
}

// For 8 bits every colour at every alpha; for 16 bits the alphas near the
// ends and the middle, with colours at, just above and around them.
std::vector<unsigned> premultipliedSweep(SampleLayout layout)
{
    std::vector<std::pair<unsigned, unsigned>> pairs;
    if (!isSixteenBit(layout)) {
        for (unsigned a = 0; a < 256; ++a) {
            for (unsigned v = 0; v < 256; ++v)
                pairs.emplace_back(v, a);
        }
        return flatPixels(layout, pairs);
    }
    std::mt19937 random(7);
    for (unsigned a : {0u, 1u, 2u, 3u, 255u, 256u, 257u, 32767u, 32768u, 65533u, 65534u, 65535u}) {
        for (unsigned v : {0u, a / 2, a > 0 ? a - 1 : 0u, a, std::min(a + 1, 65535u), 65535u})
            pairs.emplace_back(v, a);
        for (int i = 0; i < 64; ++i)
            pairs.emplace_back(unsigned(random() % 65536), a);
    }
    for (int i = 0; i < 4096; ++i)
        pairs.emplace_back(unsigned(random() % 65536), unsigned(random() % 65536));
    // Channels of one pixel apart, so that a mix-up between them shows.
    std::vector<unsigned> values = flatPixels(layout, pairs);
    const int channels = channelsOf(layout);
    for (std::size_t i = 0; i + 2 < values.size() && channels == 4; i += 4) {
        values[i + 1] = values[i] / 2;
        values[i + 2] = values[i] / 3;
    }
    return values;
}

class PremultipliedRows : public ::testing::TestWithParam<SampleLayout> {};

TEST_P(PremultipliedRows, DivideToTheNearestAndClip)
{
    const SampleLayout layout = GetParam();
    const std::vector<unsigned> values = premultipliedSweep(layout);
    const int width = int(values.size()) / channelsOf(layout);
    for (Colour matte : kMattes) {
        const RowConverter converter(layout, QByteArray(), matte, AlphaForm::Premultiplied);
        EXPECT_EQ(converted(converter, values, width), referenceRow(layout, straightened(layout, values), matte));
    }
}

INSTANTIATE_TEST_SUITE_P(AlphaLayouts, PremultipliedRows, ::testing::ValuesIn(kAlphaLayouts),
                         [](const auto &info) { return layoutName(info.param); });

class PremultipliedThroughProfile : public ::testing::TestWithParam<SampleLayout> {};

// The colours are divided before the profile converts them.
TEST_P(PremultipliedThroughProfile, IsDividedFirst)
{
    const SampleLayout layout = GetParam();
    const QByteArray icc = QColorSpace(QColorSpace::DisplayP3).iccProfile();
    const std::vector<unsigned> values = premultipliedSweep(layout);
    const int width = int(values.size()) / channelsOf(layout);
    const RowConverter premultiplied(layout, icc, kMattes[2], AlphaForm::Premultiplied);
    const RowConverter straight(layout, icc, kMattes[2]);
    ASSERT_TRUE(premultiplied.managed());
    EXPECT_EQ(converted(premultiplied, values, width), converted(straight, straightened(layout, values), width));
}

INSTANTIATE_TEST_SUITE_P(ColourLayouts, PremultipliedThroughProfile,
                         ::testing::Values(SampleLayout::Rgba8, SampleLayout::Rgba16),
                         [](const auto &info) { return layoutName(info.param); });

// Without alpha there is nothing to divide by: the option changes nothing.
TEST(PremultipliedOption, LeavesLayoutsWithoutAlphaAlone)
{
    for (SampleLayout layout : kLayouts) {
        if (hasAlpha(layout))
            continue;
        const std::vector<unsigned> values = randomSamples(layout, 97, 3);
        const RowConverter converter(layout, QByteArray(), kMattes[2], AlphaForm::Premultiplied);
        EXPECT_EQ(converted(converter, values, 97), referenceRow(layout, values, kMattes[2])) << layoutName(layout);
    }
}

} // namespace
