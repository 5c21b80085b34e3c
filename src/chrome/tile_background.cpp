#include "chrome/tile_background.h"

#include "platform/blit.h"

namespace tess {

std::vector<QPoint> tileBackground(Picture &panel, const Picture &texture)
{
    std::vector<QPoint> laid;
    const int tw = texture.width();
    const int th = texture.height();
    if (tw <= 0 || th <= 0)
        return laid;
    const int pw = panel.width();
    const int ph = panel.height();
    int x = 0;
    int y = 0;
    for (;;) {
        bitBlt(panel, x, y, tw, th, texture, 0, 0);
        laid.emplace_back(x, y);
        if (y > ph) {
            if (x > pw)
                break;
            x += tw;
            y = 0;
        } else {
            y += th;
        }
    }
    return laid;
}

} // namespace tess
