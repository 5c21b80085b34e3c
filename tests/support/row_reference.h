#pragma once
// The row converter's arithmetic written out a pixel and a sample at a time,
// as plainly as it can be, for tests of its faster row loops.
#include "codecs/row_converter.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tess::testing {

// Written out apart from the converter's own tables, so that a slip in those
// shows; in the order of SampleLayout.
struct LayoutFacts {
    const char *name;
    int channels;
    bool sixteen;
};
inline constexpr LayoutFacts kLayoutFacts[] = {
    {"Grey8", 1, false}, {"GreyAlpha8", 2, false}, {"Grey16", 1, true}, {"GreyAlpha16", 2, true},
    {"Rgb8", 3, false},  {"Rgba8", 4, false},      {"Rgb16", 3, true},  {"Rgba16", 4, true},
    {"Cmyk8", 4, false}, {"InvertedCmyk8", 4, false},
};
inline const LayoutFacts &factsOf(SampleLayout layout) { return kLayoutFacts[int(layout)]; }
inline unsigned maxSample(SampleLayout layout) { return factsOf(layout).sixteen ? 65535u : 255u; }

// One pixel's samples (as wide as the layout's), without a profile.
inline Colour referencePixel(SampleLayout layout, const unsigned *s, Colour matte)
{
    if (layout == SampleLayout::Cmyk8 || layout == SampleLayout::InvertedCmyk8) {
        const auto light = [&](int c) { return layout == SampleLayout::InvertedCmyk8 ? s[c] : 255u - s[c]; };
        const auto ink = [&](int c) { return int((light(c) * light(3) + 127u) / 255u); };
        return rgb(ink(0), ink(1), ink(2));
    }
    const auto eight = [&](unsigned v) { return factsOf(layout).sixteen ? (v * 255u + 32767u) / 65535u : v; };
    const int channels = factsOf(layout).channels;
    const unsigned r = eight(s[0]), g = eight(s[channels <= 2 ? 0 : 1]), b = eight(s[channels <= 2 ? 0 : 2]);
    const unsigned a = hasAlpha(layout) ? eight(s[channels - 1]) : 255u;
    const auto over = [&](unsigned v, int m) { return int((v * a + unsigned(m) * (255u - a) + 127u) / 255u); };
    return rgb(over(r, redOf(matte)), over(g, greenOf(matte)), over(b, blueOf(matte)));
}

// A row of samples given one value per sample, laid out as the converter
// takes it (16-bit samples in the machine's order).
inline std::vector<std::uint8_t> sampleBytes(SampleLayout layout, const std::vector<unsigned> &values)
{
    if (!factsOf(layout).sixteen)
        return std::vector<std::uint8_t>(values.begin(), values.end());
    const std::vector<std::uint16_t> wide(values.begin(), values.end());
    std::vector<std::uint8_t> bytes(wide.size() * 2);
    std::memcpy(bytes.data(), wide.data(), bytes.size());
    return bytes;
}

inline std::vector<Colour> referenceRow(SampleLayout layout, const std::vector<unsigned> &values, Colour matte)
{
    const std::size_t channels = std::size_t(factsOf(layout).channels);
    std::vector<Colour> row(values.size() / channels);
    for (std::size_t x = 0; x < row.size(); ++x)
        row[x] = referencePixel(layout, values.data() + x * channels, matte);
    return row;
}

// Premultiplied colours made straight: each colour times the largest sample
// over alpha, to the nearest, clipped; nothing where alpha is 0.
inline std::vector<unsigned> straightened(SampleLayout layout, std::vector<unsigned> values)
{
    const unsigned max = maxSample(layout);
    const std::size_t channels = std::size_t(factsOf(layout).channels);
    for (std::size_t i = 0; i < values.size(); i += channels) {
        const unsigned a = values[i + channels - 1];
        for (std::size_t c = 0; c + 1 < channels; ++c)
            values[i + c] = a == 0 ? 0 : std::min(max, (values[i + c] * max + a / 2) / a);
    }
    return values;
}

} // namespace tess::testing
