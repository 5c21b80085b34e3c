#pragma once
#include "platform/colour.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace tess {

// How a decoder's samples lie in one row, before they become our pixels.
// 16-bit samples are in the machine's own byte order.
enum class SampleLayout {
    Grey8,
    GreyAlpha8,
    Grey16,
    GreyAlpha16,
    Rgb8,
    Rgba8,
    Rgb16,
    Rgba16,
    Cmyk8,         // 0 = no ink
    InvertedCmyk8, // Adobe's JPEG ink values: 255 = no ink
};

int bytesPerPixel(SampleLayout layout);
bool hasAlpha(SampleLayout layout);

// The layout of grey (one colour sample) or RGB (three), with alpha or not,
// in 8- or 16-bit samples.
SampleLayout sampleLayoutOf(int colours, bool alpha, bool sixteen);

// Samples as a file stores them before they lie as a layout's: more of them
// a pixel than the layout takes, grey that counts ink, signed values, or
// palette indices.
struct StoredSamples {
    int perPixel = 1;           // the samples after the layout's are dropped
    bool sixteen = false;       // 16-bit samples, else 8
    bool whiteIsZero = false;   // grey counting ink: 0 is white
    bool signedValues = false;  // two's complement, offset so that the most negative is black
    std::vector<std::uint16_t> palette[3]; // when not empty: indices into 16-bit RGB, for Rgb16
};

// One row of stored samples as `layout` takes them; 16-bit inks come down to
// Cmyk8's 8 bits.
void repackRow(const StoredSamples &stored, SampleLayout layout, const void *in, void *out, int width);

// How the colours of a layout with alpha relate to it.
enum class AlphaForm {
    Straight,
    Premultiplied, // colours already multiplied by alpha, as some decoders hand them out
};

// Turns one row of samples into pixels (0x00BBGGRR, opaque): premultiplied
// colours divided back by alpha, through the picture's embedded ICC profile
// to sRGB when it has one that is not sRGB, 16-bit samples to 8, and
// transparent pixels laid over `matte` (or kept: kKeepAlpha). A picture
// without a profile, or with
// an sRGB one, keeps its samples exactly (ink values by the usual rule). A
// profile that can't be read or doesn't fit the samples is ignored.
class RowConverter {
public:
    RowConverter(SampleLayout layout, const QByteArray &iccProfile, Colour matte,
                 AlphaForm alphaForm = AlphaForm::Straight);
    ~RowConverter();
    RowConverter(const RowConverter &) = delete;
    RowConverter &operator=(const RowConverter &) = delete;

    SampleLayout layout() const { return m_layout; }
    // Whether colours go through a profile.
    bool managed() const { return m_transform != nullptr; }
    void convert(const void *samples, Colour *out, int width) const;

private:
    const SampleLayout m_layout;
    const Colour m_matte;
    const bool m_keepAlpha; // the matte was kKeepAlpha
    const bool m_premultiplied; // and the layout has alpha
    void *m_transform = nullptr; // lcms2's, to 8-bit RGBA
};

// Whether an ICC profile describes sRGB (by its description, as every
// producer names it), so its pictures need no conversion.
bool isSrgbProfile(const QByteArray &iccProfile);

} // namespace tess
