#include "thumbs/compose_geometry.h"

#include "platform/blit.h"
#include "thumbs/rounding.h"

#include <QCoreApplication>

#include <algorithm>

namespace tess {

namespace {

Failure failureOf(const char *message)
{
    return Failure{QString(), QCoreApplication::translate("Thumbnails", message)};
}

const char kBadRatioMode[] = QT_TRANSLATE_NOOP("Thumbnails", "比率構成の値が正しくありません。");
const char kBadSize[] = QT_TRANSLATE_NOOP("Thumbnails", "サムネイルの幅または高さの値が正しくありません。");
const char kTooLarge[] = QT_TRANSLATE_NOOP("Thumbnails", "サムネイルが大きすぎます。");
const char kEmptySource[] = QT_TRANSLATE_NOOP("Thumbnails", "画像の幅または高さが0です。");
const char kSourceTooLarge[] = QT_TRANSLATE_NOOP("Thumbnails", "画像が大きすぎます。");

bool sideSetting(int side) { return side >= 1 && side <= kMaxThumbnailSide; }

// other * fixed / fixedSourceSide in double, to the nearest pixel, at least one.
double freeSide(int other, int fixed, int fixedSourceSide)
{
    return std::max(1.0, roundHalfEven(double(other) * double(fixed) / double(fixedSourceSide)));
}

// The centred W : H crop of a sw x sh source as maps. The side that is cut is
// rounded as the stretch rounds its free side (at least one pixel, so that a
// one-pixel line still gives a picture), and the cut is shared out as the
// squares place their source: half each side, an odd pixel to the even offset.
// Integer products decide which side is cut, so equal proportions cut nothing.
void cropMaps(int sw, int sh, int W, int H, IntermediateMaps &maps)
{
    const long long wide = (long long)sw * H;
    const long long tall = (long long)sh * W;
    int cw = sw;
    int ch = sh;
    if (wide > tall)
        cw = int(std::max(1.0, roundHalfEven(double(sh) * W / H)));
    else if (wide < tall)
        ch = int(std::max(1.0, roundHalfEven(double(sw) * H / W)));
    const int left = int(roundHalfEven((double(sw) - cw) / 2.0));
    const int top = int(roundHalfEven((double(sh) - ch) / 2.0));
    maps.columns.resize(std::size_t(cw));
    for (int x = 0; x < cw; ++x)
        maps.columns[std::size_t(x)] = left + x;
    maps.rows.resize(std::size_t(ch));
    for (int y = 0; y < ch; ++y)
        maps.rows[std::size_t(y)] = top + y;
}

} // namespace

CanvasPlacement placeCanvas(int canvasWidth, int canvasHeight)
{
    CanvasPlacement p;
    p.left = canvasWidth > kPreviewCentredMax ? 0 : floorDiv(kPreviewFrameSide - canvasWidth, 2);
    p.top = canvasHeight > kPreviewCentredMax ? 0 : floorDiv(kPreviewFrameSide - canvasHeight, 2);
    return p;
}

ThumbnailLayout layoutThumbnail(const ThumbSettings &settings, int sw, int sh)
{
    ThumbnailLayout layout;
    const int W = settings.Width;
    const int H = settings.Height;
    if (sw <= 0 || sh <= 0) {
        layout.failure = failureOf(kEmptySource);
        return layout;
    }
    double cw = 0.0;
    double ch = 0.0;
    bool settingsOk = false;
    switch (settings.RatioMode) {
    case KeepRatioByWidth:
        settingsOk = sideSetting(W);
        cw = W;
        ch = settingsOk ? freeSide(sh, W, sw) : 0.0;
        break;
    case KeepRatioByHeight:
        settingsOk = sideSetting(H);
        cw = settingsOk ? freeSide(sw, H, sh) : 0.0;
        ch = H;
        break;
    case KeepRatioWithinBoth:
    case StretchToBoth:
    case CropToFill:
        settingsOk = sideSetting(W) && sideSetting(H);
        cw = W;
        ch = H;
        break;
    case NoStretchByWidth:
        settingsOk = sideSetting(W);
        cw = ch = W;
        break;
    case NoStretchByHeight:
        settingsOk = sideSetting(H);
        cw = ch = H;
        break;
    default:
        layout.failure = failureOf(kBadRatioMode);
        return layout;
    }
    if (!settingsOk) {
        layout.failure = failureOf(kBadSize);
        return layout;
    }
    if (cw > kMaxThumbnailSide || ch > kMaxThumbnailSide) {
        layout.failure = failureOf(kTooLarge);
        return layout;
    }
    layout.width = int(cw);
    layout.height = int(ch);
    return layout;
}

IntermediateMaps intermediateMaps(int sw, int sh, const ThumbSettings &settings)
{
    IntermediateMaps result;
    const int W = settings.Width;
    const int H = settings.Height;
    result.margin = Colour(settings.MarginColour) & 0xFFFFFF;
    if (settings.RatioMode < StretchToBoth || settings.RatioMode > CropToFill)
        return result; // the other modes draw the source itself
    result.used = true;
    if (sw <= 0 || sh <= 0) {
        result.failure = failureOf(kEmptySource);
        return result;
    }
    const bool stretch = settings.RatioMode == StretchToBoth;
    if ((settings.RatioMode != NoStretchByHeight && !sideSetting(W))
        || (settings.RatioMode != NoStretchByWidth && !sideSetting(H))) {
        result.failure = failureOf(kBadSize);
        return result;
    }
    if (settings.RatioMode == CropToFill) {
        cropMaps(sw, sh, W, H, result);
        return result;
    }
    // Stretch: one side of the source is kept, the other resized to give W : H.
    // Squares: the side of the source named by the mode.
    double iw = 0.0;
    double ih = 0.0;
    if (stretch) {
        iw = W < H ? double(sw) : roundHalfEven(double(sh) * W / H);
        ih = W < H ? roundHalfEven(double(sw) * H / W) : double(sh);
    } else {
        iw = ih = settings.RatioMode == NoStretchByWidth ? sw : sh;
    }
    if (iw > kMaxIntermediateSide || ih > kMaxIntermediateSide) {
        result.failure = failureOf(kSourceTooLarge);
        return result;
    }

    if (stretch) {
        result.columns = stretchMap(sw, int(iw), StretchAxis::Columns);
        result.rows = stretchMap(sh, int(ih), StretchAxis::Rows);
    } else {
        // The source's top-left corner on the square, halves to even; the copy
        // is clipped to the square, margin colour where the source is not.
        const int left = settings.RatioMode == NoStretchByHeight ? int(roundHalfEven((double(sh) - sw) / 2.0)) : 0;
        const int top = settings.RatioMode == NoStretchByWidth ? int(roundHalfEven((double(sw) - sh) / 2.0)) : 0;
        result.columns.resize(std::size_t(iw));
        for (int x = 0; x < int(iw); ++x) {
            const int sx = x - left;
            result.columns[std::size_t(x)] = sx >= 0 && sx < sw ? sx : -1;
        }
        result.rows.resize(std::size_t(ih));
        for (int y = 0; y < int(ih); ++y) {
            const int sy = y - top;
            result.rows[std::size_t(y)] = sy >= 0 && sy < sh ? sy : -1;
        }
    }
    return result;
}

} // namespace tess
