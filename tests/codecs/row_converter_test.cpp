// The row converter's row loops against the same arithmetic done a pixel at
// a time, for every sample layout, its premultiplied option against a plain
// division of each sample, and stored samples repacked to layouts by hand.
#include "codecs/row_converter.h"

#include "support/row_reference.h"

#include <QColorSpace>

#include <gtest/gtest.h>

#include <cstring>
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
// Black, white, and mattes whose channels differ, one with a set top byte
// that must not reach the pixels.
const Colour kMattes[] = {rgb(0, 0, 0), rgb(255, 255, 255), rgb(40, 150, 220), 0xFF01FE7Fu};

// Random samples, a quarter of them the edges of their range.
std::vector<unsigned> randomSamples(SampleLayout layout, int width, unsigned seed)
{
    const unsigned max = maxSample(layout);
    const unsigned edges[] = {0u, 1u, max / 2, max - 1, max};
    std::mt19937 random(seed);
    std::vector<unsigned> values(std::size_t(width) * std::size_t(factsOf(layout).channels));
    for (unsigned &v : values)
        v = random() % 4 == 0 ? edges[random() % 5] : unsigned(random() % (max + 1));
    return values;
}

// What convert() wrote, and whether it kept to the row's width.
std::vector<Colour> converted(const RowConverter &converter, const std::vector<unsigned> &values)
{
    const int width = int(values.size()) / factsOf(converter.layout()).channels;
    const std::vector<std::uint8_t> bytes = sampleBytes(converter.layout(), values);
    constexpr Colour kGuard = 0xDEADBEEFu;
    std::vector<Colour> out(std::size_t(width) + 1, kGuard);
    converter.convert(bytes.data(), out.data(), width);
    EXPECT_EQ(out.back(), kGuard) << "wrote past the row";
    out.pop_back();
    return out;
}

class PlainRows : public ::testing::TestWithParam<std::tuple<SampleLayout, Colour>> {};

// Widths of one pixel (the last pixel alone), odd ones and ones past any
// vector length. Without alpha there is nothing to divide by, so the
// premultiplied option must change nothing.
TEST_P(PlainRows, MatchThePixelByPixelArithmetic)
{
    const auto [layout, matte] = GetParam();
    const RowConverter converter(layout, QByteArray(), matte);
    const RowConverter premultiplied(layout, QByteArray(), matte, AlphaForm::Premultiplied);
    ASSERT_FALSE(converter.managed());
    unsigned seed = 1;
    for (int width : {1, 2, 3, 7, 31, 64, 257}) {
        const std::vector<unsigned> values = randomSamples(layout, width, seed++);
        EXPECT_EQ(converted(converter, values), referenceRow(layout, values, matte)) << "width " << width;
        if (!hasAlpha(layout)) {
            EXPECT_EQ(converted(premultiplied, values), converted(converter, values)) << "width " << width;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryLayout, PlainRows, ::testing::Combine(::testing::ValuesIn(kLayouts),
                                                                    ::testing::ValuesIn(kMattes)),
                         [](const auto &info) {
                             return factsOf(std::get<0>(info.param)).name + std::string("_matte")
                                 + std::to_string(info.index % std::size(kMattes));
                         });

// For 8 bits every grey or colour value at every alpha; for 16 bits the
// alphas near the ends and the middle, with colours at, just above and around
// them, and random pairs. Colour channels of one pixel differ, so that a
// mix-up between them shows.
std::vector<unsigned> premultipliedSweep(SampleLayout layout)
{
    std::vector<std::pair<unsigned, unsigned>> pairs;
    std::mt19937 random(7);
    if (!factsOf(layout).sixteen) {
        for (unsigned i = 0; i < 65536; ++i)
            pairs.emplace_back(i % 256, i / 256);
    } else {
        for (unsigned a : {0u, 1u, 2u, 3u, 255u, 256u, 257u, 32767u, 32768u, 65533u, 65534u, 65535u}) {
            for (unsigned v : {0u, a / 2, a > 0 ? a - 1 : 0u, a, std::min(a + 1, 65535u), 65535u})
                pairs.emplace_back(v, a);
            for (int i = 0; i < 64; ++i)
                pairs.emplace_back(unsigned(random() % 65536), a);
        }
        for (int i = 0; i < 4096; ++i)
            pairs.emplace_back(unsigned(random() % 65536), unsigned(random() % 65536));
    }
    std::vector<unsigned> values;
    for (const auto &[v, a] : pairs) {
        values.push_back(v);
        if (factsOf(layout).channels == 4 && factsOf(layout).sixteen)
            values.insert(values.end(), {v / 2, v / 3});
        else if (factsOf(layout).channels == 4)
            values.insert(values.end(), {v, v});
        values.push_back(a);
    }
    return values;
}

class PremultipliedRows : public ::testing::TestWithParam<SampleLayout> {};

// Divided to the nearest and clipped; and divided before a profile converts
// the colours.
TEST_P(PremultipliedRows, AreDividedToTheNearestAndClippedFirst)
{
    const SampleLayout layout = GetParam();
    const std::vector<unsigned> values = premultipliedSweep(layout);
    for (Colour matte : kMattes) {
        const RowConverter converter(layout, QByteArray(), matte, AlphaForm::Premultiplied);
        EXPECT_EQ(converted(converter, values), referenceRow(layout, straightened(layout, values), matte));
    }
    if (factsOf(layout).channels < 4)
        return; // a colour profile doesn't fit grey samples
    const QByteArray icc = QColorSpace(QColorSpace::DisplayP3).iccProfile();
    const RowConverter premultiplied(layout, icc, kMattes[2], AlphaForm::Premultiplied);
    const RowConverter straight(layout, icc, kMattes[2]);
    ASSERT_TRUE(premultiplied.managed());
    EXPECT_EQ(converted(premultiplied, values), converted(straight, straightened(layout, values)));
}

INSTANTIATE_TEST_SUITE_P(AlphaLayouts, PremultipliedRows,
                         ::testing::Values(SampleLayout::GreyAlpha8, SampleLayout::Rgba8, SampleLayout::GreyAlpha16,
                                           SampleLayout::Rgba16),
                         [](const auto &info) { return std::string(factsOf(info.param).name); });

struct Repacking {
    const char *name;
    SampleLayout layout;
    StoredSamples stored;
    std::vector<std::uint16_t> in; // stored samples, 8- or 16-bit as stored
    std::vector<std::uint16_t> out; // the layout's samples
};

// Samples of 8 or 16 bits laid out as bytes.
std::vector<std::uint8_t> laidOut(const std::vector<std::uint16_t> &values, bool sixteen)
{
    std::vector<std::uint8_t> bytes(values.size() * (sixteen ? 2 : 1));
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (sixteen)
            std::memcpy(bytes.data() + 2 * i, &values[i], 2);
        else
            bytes[i] = std::uint8_t(values[i]);
    }
    return bytes;
}

// An index past the palette takes its last entry; 16-bit inks round to the
// nearest 8-bit value.
TEST(StoredSamples, RepackToTheirWorkedLayouts)
{
    const Repacking cases[] = {
        {"extra sample dropped", SampleLayout::Rgb8, {.perPixel = 4}, {10, 20, 30, 99, 40, 50, 60, 99}, {10, 20, 30, 40, 50, 60}},
        {"alpha kept, extra dropped", SampleLayout::GreyAlpha8, {.perPixel = 3}, {5, 200, 77}, {5, 200}},
        {"ink-counting grey", SampleLayout::Grey16, {.sixteen = true, .whiteIsZero = true}, {0, 65535, 1000}, {65535, 0, 64535}},
        {"signed", SampleLayout::Grey8, {.signedValues = true}, {0x80, 0x7F, 0x00}, {0x00, 0xFF, 0x80}},
        {"signed ink-counting grey", SampleLayout::Grey8, {.whiteIsZero = true, .signedValues = true}, {0x80, 0x7F}, {0xFF, 0x00}},
        {"palette", SampleLayout::Rgb16, {.palette = {{0, 65535}, {1, 2}, {3, 4}}}, {1, 0, 7}, {65535, 2, 4, 0, 1, 3, 65535, 2, 4}},
        {"16-bit inks", SampleLayout::Cmyk8, {.perPixel = 5, .sixteen = true}, {0, 65535, 32767, 32768, 1234}, {0, 255, 127, 128}},
    };
    for (const Repacking &c : cases) {
        const bool sixteenOut = c.layout == SampleLayout::Grey16 || c.layout == SampleLayout::Rgb16;
        const std::vector<std::uint8_t> in = laidOut(c.in, c.stored.sixteen);
        std::vector<std::uint8_t> out(c.out.size() * (sixteenOut ? 2 : 1) + 1, 0xEE);
        const int width = int(c.in.size()) / c.stored.perPixel;
        repackRow(c.stored, c.layout, in.data(), out.data(), width);
        EXPECT_EQ(out.back(), 0xEE) << c.name << ": wrote past the row";
        out.pop_back();
        EXPECT_EQ(out, laidOut(c.out, sixteenOut)) << c.name;
    }
}

} // namespace
