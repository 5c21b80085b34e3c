#include "codecs/row_converter.h"

#include <lcms2.h>

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

// Samples straight to pixels, no profile.
void convertPlain(SampleLayout layout, const void *samples, Colour *out, int width, Colour matte)
{
    const auto *b8 = static_cast<const std::uint8_t *>(samples);
    const auto *b16 = static_cast<const std::uint16_t *>(samples);
    for (int x = 0; x < width; ++x) {
        switch (layout) {
        case SampleLayout::Grey8: out[x] = rgb(b8[x], b8[x], b8[x]); break;
        case SampleLayout::GreyAlpha8: {
            const unsigned v = b8[2 * x];
            out[x] = composed(v, v, v, b8[2 * x + 1], matte);
            break;
        }
        case SampleLayout::Grey16: {
            const int v = int(to8(b16[x]));
            out[x] = rgb(v, v, v);
            break;
        }
        case SampleLayout::GreyAlpha16: {
            const unsigned v = to8(b16[2 * x]);
            out[x] = composed(v, v, v, to8(b16[2 * x + 1]), matte);
            break;
        }
        case SampleLayout::Rgb8: out[x] = rgb(b8[3 * x], b8[3 * x + 1], b8[3 * x + 2]); break;
        case SampleLayout::Rgba8: {
            const std::uint8_t *p = b8 + 4 * x;
            out[x] = composed(p[0], p[1], p[2], p[3], matte);
            break;
        }
        case SampleLayout::Rgb16: {
            const std::uint16_t *p = b16 + 3 * x;
            out[x] = rgb(int(to8(p[0])), int(to8(p[1])), int(to8(p[2])));
            break;
        }
        case SampleLayout::Rgba16: {
            const std::uint16_t *p = b16 + 4 * x;
            out[x] = composed(to8(p[0]), to8(p[1]), to8(p[2]), to8(p[3]), matte);
            break;
        }
        case SampleLayout::Cmyk8: {
            // The light each ink lets through, darkened by the black.
            const std::uint8_t *p = b8 + 4 * x;
            const unsigned k = 255u - p[3];
            out[x] = rgb(int(((255u - p[0]) * k + 127u) / 255u), int(((255u - p[1]) * k + 127u) / 255u),
                         int(((255u - p[2]) * k + 127u) / 255u));
            break;
        }
        case SampleLayout::InvertedCmyk8: {
            const std::uint8_t *p = b8 + 4 * x;
            const unsigned k = p[3];
            out[x] = rgb(int((p[0] * k + 127u) / 255u), int((p[1] * k + 127u) / 255u), int((p[2] * k + 127u) / 255u));
            break;
        }
        }
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

RowConverter::RowConverter(SampleLayout layout, const QByteArray &iccProfile, Colour matte)
    : m_layout(layout), m_matte(matte & 0xFFFFFF)
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
    if (!m_transform) {
        convertPlain(m_layout, samples, out, width, m_matte);
        return;
    }
    const bool alpha = hasAlpha(m_layout);
    thread_local std::vector<std::uint8_t> scratch;
    scratch.resize(std::size_t(width) * (alpha ? 4 : 3));
    cmsDoTransform(static_cast<cmsHTRANSFORM>(m_transform), samples, scratch.data(), cmsUInt32Number(width));
    convertPlain(alpha ? SampleLayout::Rgba8 : SampleLayout::Rgb8, scratch.data(), out, width, m_matte);
}

} // namespace tess
