#include "thumbs/resample_window.h"

#include "thumbs/rounding.h"

#include <algorithm>

namespace tess {

ResampleFit fitPicture(int sw, int sh, int cw, int ch)
{
    ResampleFit fit;
    const double byWidth = double(cw) / double(sw);
    // Ties go to the height, as "smaller than" decides.
    fit.scale = byWidth * sh < ch ? float(byWidth) : float(double(ch) / double(sh));
    fit.width = std::max(1, int(roundHalfEven(double(fit.scale) * sw)));
    fit.height = std::max(1, int(roundHalfEven(double(fit.scale) * sh)));
    fit.x0 = int(roundHalfEven((cw - fit.width) / 2.0));
    fit.y0 = int(roundHalfEven((ch - fit.height) / 2.0));
    return fit;
}

int ResampleWindow::centre(int i) const
{
    return int(roundHalfEven(double(step) * i - double(half)));
}

ResampleWindow resampleWindow(float scale, int quality)
{
    ResampleWindow w;
    w.step = 1.0f / scale;
    w.half = w.step / 2.0f;
    w.radius = int(roundHalfEven(w.half));
    const float perQuality = w.step / float(quality);
    w.interval = std::max(1, int(roundHalfEven(perQuality)));
    return w;
}

} // namespace tess
