#pragma once
// The row converter's arithmetic written out a pixel and a sample at a time,
// as plainly as it can be, for tests of its faster row loops.
#include "codecs/row_converter.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tess::testing {

inline int channelsOf(SampleLayout layout)
{
    switch (layout) {
    case SampleLayout::Grey8:
    case SampleLayout::Grey16: return 1;
    case SampleLayout::GreyAlpha8:
    case SampleLayout::GreyAlpha16: return 2;
    case SampleLayout::Rgb8:
    case SampleLayout::Rgb16: return 3;
    default: return 4;
    }
}

inline bool isSixteenBit(SampleLayout layout)
{
    return layout == SampleLayout::Grey16 || layout == SampleLayout::GreyAlpha16 || layout == SampleLayout::Rgb16
        || layout == SampleLayout::Rgba16;
}

// One pixel's samples (as wide as the layout's), without a profile.
inline Colour referencePixel(SampleLayout layout, const unsigned *s, Colour matte)
{
    const auto eight = [&](unsigned v) { return isSixteenBit(layout) ? (v * 255u + 32767u) / 65535u : v; };
    unsigned r = 0, g = 0, b = 0, a = 255;
    switch (layout) {
    case SampleLayout::Cmyk8:
    case SampleLayout::InvertedCmyk8: {
        const bool inverted = layout == SampleLayout::InvertedCmyk8;
        const unsigned k = inverted ? s[3] : 255u - s[3];
        unsigned light[3];
        for (int c = 0; c < 3; ++c)
            light[c] = ((inverted ? s[c] : 255u - s[c]) * k + 127u) / 255u;
        return rgb(int(light[0]), int(light[1]), int(light[2]));
    }
    default: break;
    }
    const int channels = channelsOf(layout);
    if (channels <= 2) {
        r = g = b = eight(s[0]);
    } else {
        r = eight(s[0]);
        g = eight(s[1]);
        b = eight(s[2]);
    }
    if (hasAlpha(layout))
        a = eight(s[channels - 1]);
    const auto over = [&](unsigned v, int m) { return (v * a + unsigned(m) * (255u - a) + 127u) / 255u; };
    return rgb(int(over(r, redOf(matte))), int(over(g, greenOf(matte))), int(over(b, blueOf(matte))));
}

// A row of samples given one value per sample, laid out as the converter
// takes it (16-bit samples in the machine's order).
inline std::vector<std::uint8_t> sampleBytes(SampleLayout layout, const std::vector<unsigned> &values)
{
    const bool sixteen = isSixteenBit(layout);
    std::vector<std::uint8_t> bytes(values.size() * (sixteen ? 2 : 1));
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (sixteen) {
            const std::uint16_t v = std::uint16_t(values[i]);
            std::memcpy(bytes.data() + 2 * i, &v, 2);
        } else {
            bytes[i] = std::uint8_t(values[i]);
        }
    }
    return bytes;
}

inline std::vector<Colour> referenceRow(SampleLayout layout, const std::vector<unsigned> &values, Colour matte)
{
    const std::size_t channels = std::size_t(channelsOf(layout));
    std::vector<Colour> row(values.size() / channels);
    for (std::size_t x = 0; x < row.size(); ++x)
        row[x] = referencePixel(layout, values.data() + x * channels, matte);
    return row;
}

// Premultiplied colours made straight: each colour times the largest sample
// over alpha, to the nearest, clipped; nothing where alpha is 0.
inline std::vector<unsigned> straightened(SampleLayout layout, std::vector<unsigned> values)
{
    const unsigned max = isSixteenBit(layout) ? 65535u : 255u;
    const std::size_t channels = std::size_t(channelsOf(layout));
    for (std::size_t i = 0; i < values.size(); i += channels) {
        const unsigned a = values[i + channels - 1];
        for (std::size_t c = 0; c + 1 < channels; ++c)
            values[i + c] = a == 0 ? 0 : std::min(max, (values[i + c] * max + a / 2) / a);
    }
    return values;
}

} // namespace tess::testing
