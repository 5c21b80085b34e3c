#include "chrome/sine_gradient.h"

#include "chrome/twips.h"

#include <cmath>
#include <cstdint>

namespace tess {

std::vector<Colour> sineGradientRows(int height)
{
    std::vector<Colour> rows;
    if (height <= 0)
        return rows;
    const double step = double(height) / 3.142;
    // The row count is held in 16 bits; a taller panel could not be drawn anyway.
    const int n = toInt16(double(height)).value_or(INT16_MAX);
    rows.reserve(std::size_t(n) + 1);
    for (int i = 0; i <= n; ++i) {
        const int v = int(roundHalfEven(std::fabs(std::sin(double(i) / step) * 220.0)));
        rows.push_back(rgb(v, v, v + 30));
    }
    return rows;
}

int paintSineGradient(Picture &panel)
{
    const std::vector<Colour> rows = sineGradientRows(panel.height());
    for (std::size_t i = 0; i < rows.size(); ++i)
        panel.fillBox(0, int(i), panel.width(), 1, rows[i]);
    return int(rows.size());
}

} // namespace tess
