#pragma once
// Helpers shared by the resampler and composition tests: test pictures, a
// deliberately plain averaging resampler written straight from the rules (every
// window position visited, l tested against m, pixels read with bounds checks),
// and the composer fed a decoded picture.
#include "platform/blit.h"
#include "platform/colour.h"
#include "platform/picture.h"
#include "codecs/picture_reader.h"
#include "thumbs/compose.h"

#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "support/test_pictures.h"

namespace tess::testing {

// The default settings with a thumbnail's ratio mode, size, quality and margin.
inline ThumbSettings thumbSettings(int mode, int width, int height, int quality, Colour margin)
{
    ThumbSettings s = defaultSettings(QString());
    s.RatioMode = std::int16_t(mode);
    s.Width = std::int16_t(width);
    s.Height = std::int16_t(height);
    s.Quality = std::int16_t(quality);
    s.MarginColour = std::int32_t(margin);
    return s;
}

inline int columnOf(Colour c) { return redOf(c) | (greenOf(c) << 8); }

// The nearest integer, halves to even (the default floating-point rounding mode).
inline long long bankers(double v) { return std::llrint(v); }

// The averaging drawing as the rules word it, for quality >= 1, onto a fresh
// cw x ch canvas of the given background; quality <= 0 uses stretchBlt.
inline Picture referenceResample(const Picture &src, int cw, int ch, int quality, Colour background)
{
    Picture canvas(cw, ch, background);
    const int sw = src.width();
    const int sh = src.height();
    float scale;
    if (double(cw) / sw * sh < ch)
        scale = float(double(cw) / sw);
    else
        scale = float(double(ch) / sh);
    long long sw2 = bankers(double(scale) * sw);
    long long sh2 = bankers(double(scale) * sh);
    if (sw2 < 1) sw2 = 1;
    if (sh2 < 1) sh2 = 1;
    const int x0 = int(bankers((cw - sw2) / 2.0));
    const int y0 = int(bankers((ch - sh2) / 2.0));
    if (quality <= 0) {
        stretchBlt(canvas, x0, y0, int(sw2), int(sh2), src, 0, 0, sw, sh);
        return canvas;
    }
    const float step = 1.0f / scale;
    const float half = step / 2.0f;
    const long long R = bankers(half);
    long long m = bankers(step / float(quality));
    if (m == 0)
        m = 1;
    for (int y = 0; y < sh2; ++y) {
        for (int x = 0; x < sw2; ++x) {
            const long long cx = bankers(double(step) * x - double(half));
            const long long cy = bankers(double(step) * y - double(half));
            long long red = 0, green = 0, blue = 0, k = 0, l = 0;
            for (long long dx = -R; dx <= R; ++dx) {
                for (long long dy = -R; dy <= R; ++dy) {
                    if (l % m == 0) {
                        const Colour c = src.pixel(int(cx + dx), int(cy + dy));
                        if (c != kInvalidColour) {
                            red += c & 0xFF;
                            green += (c >> 8) & 0xFF;
                            blue += (c >> 16) & 0xFF;
                            ++k;
                        }
                    }
                    ++l;
                }
            }
            if (k > 0)
                canvas.setPixel(x0 + x, y0 + y,
                                rgb(int(bankers(double(red) / k)), int(bankers(double(green) / k)),
                                    int(bankers(double(blue) / k))));
        }
    }
    return canvas;
}

// The first (x, y) where two pictures differ, for failure messages.
inline std::string firstDifference(const Picture &a, const Picture &b)
{
    if (a.width() != b.width() || a.height() != b.height())
        return "sizes differ: " + std::to_string(a.width()) + "x" + std::to_string(a.height()) + " vs "
            + std::to_string(b.width()) + "x" + std::to_string(b.height());
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return "first difference at (" + std::to_string(x) + ", " + std::to_string(y) + ")";
    return "equal";
}

// The thumbnail of a stream, planned and composed as the engine does it.
inline std::optional<Failure> composeRows(RowStream &rows, Picture &canvas, const ThumbSettings &settings,
                                          const ResampleProgress &progress = {},
                                          const std::function<void()> &sized = {}, int bandRows = kStreamBandRows)
{
    const PicturePlan plan = planPicture(rows, settings, QString(), bandRows);
    return ComposeThumbnail(rows, canvas, plan, progress, sized);
}

// The thumbnail of a picture already decoded, read as the engine reads one.
inline std::optional<Failure> composePicture(const Picture &source, Picture &canvas, const ThumbSettings &settings,
                                             const ResampleProgress &progress = {},
                                             const std::function<void()> &sized = {},
                                             int bandRows = kStreamBandRows)
{
    return composeRows(*pictureRows(source), canvas, settings, progress, sized, bandRows);
}

// A decoded picture's rows, by pointer.
class PictureRows final : public ResampleRows {
public:
    explicit PictureRows(const Picture &picture) : m_picture(picture) {}
    const Colour *row(int y) override { return m_picture.row(y); }
    const Colour *resident(int y) override { return m_picture.row(y); }

private:
    const Picture &m_picture;
};

// A decoded picture drawn into the canvas at that quality, fitted and centred.
inline bool resamplePicture(const Picture &source, Picture &canvas, int quality, const ResampleProgress &progress = {})
{
    PictureRows rows(source);
    const ResampleInput input{source.width(), source.height(), &rows, nullptr, 0};
    return ResamplePicture(input, canvas,
                           planResample(source.width(), source.height(), canvas.width(), canvas.height(), quality),
                           progress);
}

} // namespace tess::testing
