#include "codecs/row_converter.h"

#include <lcms2.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tess {

namespace {

struct LayoutInfo {
    int channels;   // including alpha
    int sampleBytes;
    bool alpha;
    cmsUInt32Number lcmsType;
    cmsColorSpaceSignature space;
};

LayoutInfo infoOf(SampleLayout layout)
{
    switch (layout) {
    case SampleLayout::Grey8: return {1, 1, false, TYPE_GRAY_8, cmsSigGrayData};
    case SampleLayout::GreyAlpha8: return {2, 1, true, TYPE_GRAYA_8, cmsSigGrayData};
    case SampleLayout::Grey16: return {1, 2, false, TYPE_GRAY_16, cmsSigGrayData};
    case SampleLayout::GreyAlpha16: return {2, 2, true, TYPE_GRAYA_16, cmsSigGrayData};
    case SampleLayout::Rgb8: return {3, 1, false, TYPE_RGB_8, cmsSigRgbData};
    case SampleLayout::Rgba8: return {4, 1, true, TYPE_RGBA_8, cmsSigRgbData};
    case SampleLayout::Rgb16: return {3, 2, false, TYPE_RGB_16, cmsSigRgbData};
    case SampleLayout::Rgba16: return {4, 2, true, TYPE_RGBA_16, cmsSigRgbData};
    case SampleLayout::Cmyk8: return {4, 1, false, TYPE_CMYK_8, cmsSigCmykData};
    case SampleLayout::InvertedCmyk8: return {4, 1, false, TYPE_CMYK_8_REV, cmsSigCmykData};
    }
    return {3, 1, false, TYPE_RGB_8, cmsSigRgbData};
}

// 16 bits to 8, to the nearest value.
inline unsigned to8(std::uint16_t v) { return (unsigned(v) * 255u + 32767u) / 65535u; }

inline Colour greyPixel(unsigned v) { return Colour(v) * 0x010101u; }

inline unsigned over(unsigned value, unsigned alpha, unsigned matte)
{
    return (value * alpha + matte * (255u - alpha) + 127u) / 255u;
}

inline Colour composed(unsigned r, unsigned g, unsigned b, unsigned a, Colour matte)
{
    if (a == 255u)
        return rgb(int(r), int(g), int(b));
    return rgb(int(over(r, a, unsigned(redOf(matte)))), int(over(g, a, unsigned(greenOf(matte)))),
               int(over(b, a, unsigned(blueOf(matte)))));
}

// One loop per layout, each a plain pass over the row that the compiler can
// unroll and vectorise; the matte is only looked at where there is alpha.
using Bytes = const std::uint8_t *__restrict;
using Words = const std::uint16_t *__restrict;
using Pixels = Colour *__restrict;

void grey8Row(Bytes in, Pixels out, int width)
{
    for (int x = 0; x < width; ++x)
        out[x] = greyPixel(in[x]);
}

void greyAlpha8Row(Bytes in, Pixels out, int width, Colour matte)
{
    for (int x = 0; x < width; ++x) {
        const unsigned v = in[2 * x];
        out[x] = composed(v, v, v, in[2 * x + 1], matte);
    }
}

void grey16Row(Words in, Pixels out, int width)
{
    for (int x = 0; x < width; ++x)
        out[x] = greyPixel(to8(in[x]));
}

void greyAlpha16Row(Words in, Pixels out, int width, Colour matte)
{
    for (int x = 0; x < width; ++x) {
        const unsigned v = to8(in[2 * x]);
        out[x] = composed(v, v, v, to8(in[2 * x + 1]), matte);
    }
}

void rgb8Row(Bytes in, Pixels out, int width)
{
    int x = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // A pixel's three bytes and the next one's red read as one word, the
        // red masked off; the last pixel is left to the loop below so that the
        // row is never read past its end.
        for (; x + 1 < width; ++x) {
            std::uint32_t word;
            std::memcpy(&word, in + 3 * std::size_t(x), sizeof word);
            out[x] = word & 0xFFFFFFu;
        }
    }
    for (; x < width; ++x)
        out[x] = rgb(in[3 * x], in[3 * x + 1], in[3 * x + 2]);
}

void rgba8Row(Bytes in, Pixels out, int width, Colour matte)
{
    for (int x = 0; x < width; ++x) {
        const std::uint8_t *p = in + 4 * std::size_t(x);
        out[x] = composed(p[0], p[1], p[2], p[3], matte);
    }
}

void rgb16Row(Words in, Pixels out, int width)
{
    for (int x = 0; x < width; ++x) {
        const std::uint16_t *p = in + 3 * std::size_t(x);
        out[x] = rgb(int(to8(p[0])), int(to8(p[1])), int(to8(p[2])));
    }
}

void rgba16Row(Words in, Pixels out, int width, Colour matte)
{
    for (int x = 0; x < width; ++x) {
        const std::uint16_t *p = in + 4 * std::size_t(x);
        out[x] = composed(to8(p[0]), to8(p[1]), to8(p[2]), to8(p[3]), matte);
    }
}

// The light each ink lets through, darkened by the black.
void cmyk8Row(Bytes in, Pixels out, int width)
{
    for (int x = 0; x < width; ++x) {
        const std::uint8_t *p = in + 4 * std::size_t(x);
        const unsigned k = 255u - p[3];
        out[x] = rgb(int(((255u - p[0]) * k + 127u) / 255u), int(((255u - p[1]) * k + 127u) / 255u),
                     int(((255u - p[2]) * k + 127u) / 255u));
    }
}

void invertedCmyk8Row(Bytes in, Pixels out, int width)
{
    for (int x = 0; x < width; ++x) {
        const std::uint8_t *p = in + 4 * std::size_t(x);
        const unsigned k = p[3];
        out[x] = rgb(int((p[0] * k + 127u) / 255u), int((p[1] * k + 127u) / 255u), int((p[2] * k + 127u) / 255u));
    }
}

// Samples straight to pixels, no profile.
// The samples' alpha, 255 for a layout without, as the top bytes of
// `alphas`, for a matte of kKeepAlpha. Taken before the row is converted: a
// reader may convert its samples where they lie.
void alphasOf(SampleLayout layout, const void *samples, std::vector<Colour> &alphas, int width)
{
    const auto *b8 = static_cast<const std::uint8_t *>(samples);
    const auto *b16 = static_cast<const std::uint16_t *>(samples);
    alphas.resize(std::size_t(width));
    switch (layout) {
    case SampleLayout::GreyAlpha8:
        for (int x = 0; x < width; ++x)
            alphas[std::size_t(x)] = Colour(b8[2 * x + 1]) << 24;
        return;
    case SampleLayout::GreyAlpha16:
        for (int x = 0; x < width; ++x)
            alphas[std::size_t(x)] = Colour(to8(b16[2 * x + 1])) << 24;
        return;
    case SampleLayout::Rgba8:
        for (int x = 0; x < width; ++x)
            alphas[std::size_t(x)] = Colour(b8[4 * x + 3]) << 24;
        return;
    case SampleLayout::Rgba16:
        for (int x = 0; x < width; ++x)
            alphas[std::size_t(x)] = Colour(to8(b16[4 * x + 3])) << 24;
        return;
    default: std::fill(alphas.begin(), alphas.end(), kKeepAlpha); return;
    }
}

void convertPlain(SampleLayout layout, const void *samples, Colour *out, int width, Colour matte)
{
    const auto *b8 = static_cast<const std::uint8_t *>(samples);
    const auto *b16 = static_cast<const std::uint16_t *>(samples);
    switch (layout) {
    case SampleLayout::Grey8: grey8Row(b8, out, width); return;
    case SampleLayout::GreyAlpha8: greyAlpha8Row(b8, out, width, matte); return;
    case SampleLayout::Grey16: grey16Row(b16, out, width); return;
    case SampleLayout::GreyAlpha16: greyAlpha16Row(b16, out, width, matte); return;
    case SampleLayout::Rgb8: rgb8Row(b8, out, width); return;
    case SampleLayout::Rgba8: rgba8Row(b8, out, width, matte); return;
    case SampleLayout::Rgb16: rgb16Row(b16, out, width); return;
    case SampleLayout::Rgba16: rgba16Row(b16, out, width, matte); return;
    case SampleLayout::Cmyk8: cmyk8Row(b8, out, width); return;
    case SampleLayout::InvertedCmyk8: invertedCmyk8Row(b8, out, width); return;
    }
}

// Premultiplied colours divided back by alpha (the last sample of a pixel),
// to the nearest value; a colour above its alpha is clipped.
template <typename Sample>
void unpremultiplyRow(const Sample *in, Sample *out, int width, int channels)
{
    constexpr unsigned kMax = sizeof(Sample) == 1 ? 255u : 65535u;
    for (std::size_t i = 0, end = std::size_t(width) * std::size_t(channels); i < end; i += std::size_t(channels)) {
        const unsigned a = in[i + std::size_t(channels) - 1];
        for (std::size_t c = 0; c + 1 < std::size_t(channels); ++c)
            out[i + c] = Sample(a == 0 ? 0u : std::min(kMax, (unsigned(in[i + c]) * kMax + a / 2) / a));
        out[i + std::size_t(channels) - 1] = Sample(a);
    }
}

// Extra samples dropped, ink-counting grey turned, signed samples offset.
template <typename Sample>
void repackSamples(const StoredSamples &s, SampleLayout layout, const Sample *in, void *outBytes, int width)
{
    constexpr unsigned kMax = sizeof(Sample) == 1 ? 255u : 65535u;
    if (!s.palette[0].empty()) {
        auto *out = static_cast<std::uint16_t *>(outBytes);
        const std::size_t last = s.palette[0].size() - 1;
        for (int x = 0; x < width; ++x) {
            const std::size_t i = std::min<std::size_t>(in[x], last);
            for (int c = 0; c < 3; ++c)
                out[3 * x + c] = s.palette[c][i];
        }
        return;
    }
    const LayoutInfo info = infoOf(layout);
    if (info.space == cmsSigCmykData && sizeof(Sample) == 2) {
        auto *out = static_cast<std::uint8_t *>(outBytes);
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 4; ++c)
                out[4 * x + c] = std::uint8_t(to8(std::uint16_t(in[std::size_t(x) * s.perPixel + c])));
        return;
    }
    auto *out = static_cast<Sample *>(outBytes);
    const int colours = info.channels - (info.alpha ? 1 : 0);
    for (int x = 0; x < width; ++x) {
        const Sample *p = in + std::size_t(x) * s.perPixel;
        Sample *q = out + std::size_t(x) * info.channels;
        for (int c = 0; c < colours; ++c) {
            const unsigned v = s.signedValues ? p[c] ^ (kMax / 2 + 1) : p[c];
            q[c] = Sample(s.whiteIsZero ? kMax - v : v);
        }
        if (info.alpha)
            q[colours] = p[colours];
    }
}

QByteArray profileDescription(cmsHPROFILE profile)
{
    char text[256] = {};
    cmsGetProfileInfoASCII(profile, cmsInfoDescription, "en", "US", text, sizeof text);
    return QByteArray(text);
}

} // namespace

int bytesPerPixel(SampleLayout layout)
{
    const LayoutInfo info = infoOf(layout);
    return info.channels * info.sampleBytes;
}

bool hasAlpha(SampleLayout layout) { return infoOf(layout).alpha; }

SampleLayout sampleLayoutOf(int colours, bool alpha, bool sixteen)
{
    if (colours == 1)
        return alpha ? (sixteen ? SampleLayout::GreyAlpha16 : SampleLayout::GreyAlpha8)
                     : (sixteen ? SampleLayout::Grey16 : SampleLayout::Grey8);
    return alpha ? (sixteen ? SampleLayout::Rgba16 : SampleLayout::Rgba8)
                 : (sixteen ? SampleLayout::Rgb16 : SampleLayout::Rgb8);
}

void repackRow(const StoredSamples &stored, SampleLayout layout, const void *in, void *out, int width)
{
    if (stored.sixteen)
        repackSamples(stored, layout, static_cast<const std::uint16_t *>(in), out, width);
    else
        repackSamples(stored, layout, static_cast<const std::uint8_t *>(in), out, width);
}

bool isSrgbProfile(const QByteArray &iccProfile)
{
    cmsHPROFILE profile = cmsOpenProfileFromMem(iccProfile.constData(), cmsUInt32Number(iccProfile.size()));
    if (!profile)
        return false;
    const bool srgb = cmsGetColorSpace(profile) == cmsSigRgbData
        && profileDescription(profile).contains("sRGB");
    cmsCloseProfile(profile);
    return srgb;
}

RowConverter::RowConverter(SampleLayout layout, const QByteArray &iccProfile, Colour matte, AlphaForm alphaForm)
    : m_layout(layout), m_matte(matte == kKeepAlpha ? 0 : matte & 0xFFFFFF), m_keepAlpha(matte == kKeepAlpha),
      m_premultiplied(alphaForm == AlphaForm::Premultiplied && hasAlpha(layout))
{
    if (iccProfile.isEmpty() || isSrgbProfile(iccProfile))
        return;
    const LayoutInfo info = infoOf(layout);
    cmsHPROFILE in = cmsOpenProfileFromMem(iccProfile.constData(), cmsUInt32Number(iccProfile.size()));
    if (!in)
        return;
    if (cmsGetColorSpace(in) == info.space && cmsGetDeviceClass(in) != cmsSigLinkClass) {
        cmsHPROFILE srgb = cmsCreate_sRGBProfile();
        const cmsUInt32Number outType = info.alpha ? TYPE_RGBA_8 : TYPE_RGB_8;
        // A fine table keeps the shadows of linear and grey profiles; for
        // inks its four dimensions would cost a tenth of a second a picture.
        const cmsUInt32Number precision = info.space == cmsSigCmykData ? 0 : cmsFLAGS_HIGHRESPRECALC;
        m_transform = cmsCreateTransform(in, info.lcmsType, srgb, outType, INTENT_PERCEPTUAL,
                                         (info.alpha ? cmsFLAGS_COPY_ALPHA : 0) | precision);
        cmsCloseProfile(srgb);
    }
    cmsCloseProfile(in);
}

RowConverter::~RowConverter()
{
    if (m_transform)
        cmsDeleteTransform(static_cast<cmsHTRANSFORM>(m_transform));
}

void RowConverter::convert(const void *samples, Colour *out, int width) const
{
    if (width <= 0)
        return;
    if (m_premultiplied) {
        // Straight colours first: the profile and the matte both work on them.
        const LayoutInfo info = infoOf(m_layout);
        thread_local std::vector<std::uint16_t> straight; // 16-bit aligned for either sample size
        straight.resize((std::size_t(width) * std::size_t(info.channels * info.sampleBytes) + 1) / 2);
        if (info.sampleBytes == 2)
            unpremultiplyRow(static_cast<const std::uint16_t *>(samples), straight.data(), width, info.channels);
        else
            unpremultiplyRow(static_cast<const std::uint8_t *>(samples), reinterpret_cast<std::uint8_t *>(straight.data()),
                             width, info.channels);
        samples = straight.data();
    }
    thread_local std::vector<Colour> alphas;
    if (m_keepAlpha)
        alphasOf(m_layout, samples, alphas, width);
    if (!m_transform) {
        convertPlain(m_layout, samples, out, width, m_matte);
    } else {
        const bool alpha = hasAlpha(m_layout);
        thread_local std::vector<std::uint8_t> scratch;
        scratch.resize(std::size_t(width) * (alpha ? 4 : 3));
        cmsDoTransform(static_cast<cmsHTRANSFORM>(m_transform), samples, scratch.data(), cmsUInt32Number(width));
        convertPlain(alpha ? SampleLayout::Rgba8 : SampleLayout::Rgb8, scratch.data(), out, width, m_matte);
    }
    if (m_keepAlpha) {
        for (int x = 0; x < width; ++x)
            out[x] |= alphas[std::size_t(x)];
    }
}

} // namespace tess
