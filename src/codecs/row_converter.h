#pragma once
#include "platform/colour.h"

#include <QByteArray>
#include <QString>
#include <memory>

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

// How the colours of a layout with alpha relate to it.
enum class AlphaForm {
    Straight,
    Premultiplied, // colours already multiplied by alpha, as some decoders hand them out
};

// Turns one row of samples into pixels (0x00BBGGRR, opaque): premultiplied
// colours divided back by alpha, through the picture's embedded ICC profile
// to sRGB when it has one that is not sRGB, 16-bit samples to 8, and
// transparent pixels laid over `matte`. A picture without a profile, or with
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
    const bool m_premultiplied; // and the layout has alpha
    void *m_transform = nullptr; // lcms2's, to 8-bit RGBA
};

// Whether an ICC profile describes sRGB (by its description, as every
// producer names it), so its pictures need no conversion.
bool isSrgbProfile(const QByteArray &iccProfile);

} // namespace tess
