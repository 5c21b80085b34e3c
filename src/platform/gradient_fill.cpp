#include "platform/gradient_fill.h"

#include <algorithm>
#include <utility>

namespace tess {

void gradientFillVertical(Picture &picture, int x0, int y0, GradientColour c0,
                          int x1, int y1, GradientColour c1)
{
    if (y0 > y1) {
        std::swap(y0, y1);
        std::swap(c0, c1);
    }
    const long long span = y1 - y0;
    if (span <= 0)
        return;
    const int left = std::max(0, std::min(x0, x1));
    const int right = std::min(picture.width(), std::max(x0, x1));
    const auto channel = [span](long long a, long long b, long long p) {
        return int((a * (span - p) + b * p) / (256 * span));
    };
    for (int y = std::max(0, y0); y < std::min(y1, picture.height()); ++y) {
        const long long p = y - y0;
        const Colour colour = rgb(channel(c0.red, c1.red, p), channel(c0.green, c1.green, p),
                                  channel(c0.blue, c1.blue, p));
        if (left < right)
            std::fill(picture.row(y) + left, picture.row(y) + right, colour);
    }
}

} // namespace tess
