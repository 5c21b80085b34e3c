#include "controls/command_face.h"

#include "controls/command_skins.h"
#include "platform/blit.h"
#include "platform/gradient_fill.h"

#include <algorithm>
#include <cmath>

namespace tess {

namespace {

constexpr int kTwipsPerPixel = 15;

int twipsToPixels(double twips)
{
    return int(std::nearbyint(twips / kTwipsPerPixel)); // default rounding: halves to even
}

} // namespace

void fillFaceGradient(Picture &face, bool reversed)
{
    GradientColour top = GradientColour::fromColour(kFaceLight);
    GradientColour bottom = GradientColour::fromColour(kFaceShade);
    if (reversed)
        std::swap(top, bottom);
    gradientFillVertical(face, 0, 0, top, face.width() - 1, face.height() - 1, bottom);
}

void drawSkinFrame(Picture &face, const Picture &skin, int density)
{
    const int c = kSkinCorner * density;
    const int sw = (kSkinWidth - 2 * kSkinCorner) * density;  // 56 at 1x
    const int sh = (kSkinHeight - 2 * kSkinCorner) * density; // 17 at 1x
    const int right = (kSkinWidth - kSkinCorner) * density;   // 60 at 1x
    const int bottom = (kSkinHeight - kSkinCorner) * density; // 21 at 1x
    const int w = face.width();
    const int h = face.height();
    const int midW = std::max(0, w - 2 * c);
    const int midH = std::max(0, h - 2 * c);
    struct Piece { int sx, sy, sw, sh, dx, dy, dw, dh; };
    const Piece pieces[] = {
        {0, 0, c, c, 0, 0, c, c},                 // top-left corner
        {c, 0, sw, c, c, 0, midW, c},             // top edge
        {right, 0, c, c, w - c, 0, c, c},         // top-right corner
        {right, c, c, sh, w - c, c, c, midH},     // right edge
        {right, bottom, c, c, w - c, h - c, c, c}, // bottom-right corner
        {c, bottom, sw, c, c, h - c, midW, c},    // bottom edge
        {0, bottom, c, c, 0, h - c, c, c},        // bottom-left corner
        {0, c, c, sh, 0, c, c, midH},             // left edge
    };
    for (const Piece &p : pieces)
        stretchBlt(face, p.dx, p.dy, p.dw, p.dh, skin, p.sx, p.sy, p.sw, p.sh);
}

int captionTop(int faceHeight, int labelHeight)
{
    const double twips = (double(faceHeight) * kTwipsPerPixel - double(labelHeight) * kTwipsPerPixel - 20) / 2;
    return twipsToPixels(twips);
}

} // namespace tess
