#include "platform/blit.h"

#include <algorithm>
#include <cstring>

namespace tess {

void bitBlt(Picture &dst, int dx, int dy, int w, int h, const Picture &src, int sx, int sy)
{
    // Clip against the source, then the destination, moving both origins together.
    if (sx < 0) { dx -= sx; w += sx; sx = 0; }
    if (sy < 0) { dy -= sy; h += sy; sy = 0; }
    if (dx < 0) { sx -= dx; w += dx; dx = 0; }
    if (dy < 0) { sy -= dy; h += dy; dy = 0; }
    w = std::min({w, src.width() - sx, dst.width() - dx});
    h = std::min({h, src.height() - sy, dst.height() - dy});
    if (w <= 0 || h <= 0)
        return;
    for (int y = 0; y < h; ++y)
        std::memmove(dst.row(dy + y) + dx, src.row(sy + y) + sx, std::size_t(w) * sizeof(Colour));
}

std::vector<int> stretchMap(int sourceLength, int destLength, StretchAxis axis)
{
    std::vector<int> map(std::max(0, destLength));
    if (destLength <= 0 || sourceLength <= 0)
        return map;
    long long s = sourceLength;
    const long long d = destLength;
    if (d == 1 && s > 1)
        --s;
    for (long long i = 0; i < d; ++i) {
        long long v;
        if (d >= s)
            v = ((2 * i + 1) * s - 1) / (2 * d);
        else if (axis == StretchAxis::Rows)
            v = (2 * i * s + d) / (2 * d);
        else
            v = ((2 * i + 2) * s + d) / (2 * d) - 1;
        map[std::size_t(i)] = int(v);
    }
    return map;
}

void stretchBlt(Picture &dst, int dx, int dy, int dw, int dh,
                const Picture &src, int sx, int sy, int sw, int sh)
{
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return;
    const std::vector<int> cols = stretchMap(sw, dw, StretchAxis::Columns);
    const std::vector<int> rows = stretchMap(sh, dh, StretchAxis::Rows);
    const int xBegin = std::max(0, -dx);
    const int xEnd = std::min(dw, dst.width() - dx);
    const int yBegin = std::max(0, -dy);
    const int yEnd = std::min(dh, dst.height() - dy);
    for (int y = yBegin; y < yEnd; ++y) {
        const int srcY = sy + rows[std::size_t(y)];
        if (srcY < 0 || srcY >= src.height())
            continue;
        const Colour *in = src.row(srcY);
        Colour *out = dst.row(dy + y);
        for (int x = xBegin; x < xEnd; ++x) {
            const int srcX = sx + cols[std::size_t(x)];
            if (srcX >= 0 && srcX < src.width())
                out[dx + x] = in[srcX];
        }
    }
}

} // namespace tess
