#include "thumbs/resample_window.h"

#include "thumbs/rounding.h"

#include <algorithm>
#include <numeric>
#include <tuple>
#include <utility>

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

ResampleFit coverCanvas(int sw, int sh, int cw, int ch)
{
    ResampleFit fit;
    fit.scale = float(std::max(double(cw) / double(sw), double(ch) / double(sh)));
    fit.width = cw;
    fit.height = ch;
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

namespace {

// x with a * x = 1 (mod n), for a and n coprime, n >= 1.
std::int64_t inverseModulo(std::int64_t a, std::int64_t n)
{
    std::int64_t r0 = n, r1 = a % n, t0 = 0, t1 = 1;
    while (r1 != 0) {
        const std::int64_t q = r0 / r1;
        std::tie(r0, r1) = std::pair{r1, r0 - q * r1};
        std::tie(t0, t1) = std::pair{t1, t0 - q * t1};
    }
    t0 %= n;
    return t0 < 0 ? t0 + n : t0;
}

} // namespace

WindowSampler::WindowSampler(int radius, int interval)
    : m_side(2 * std::int64_t(radius) + 1), m_interval(std::max(1, interval))
{
    const std::int64_t s = m_side % m_interval;
    m_gcd = std::gcd(s, m_interval); // gcd(0, m) = m
    m_stride = m_interval / m_gcd;
    m_inverse = m_stride == 1 ? 0 : inverseModulo(s / m_gcd, m_stride);
}

WindowSampler::Columns WindowSampler::row(int b) const
{
    // a * side + b = 0 (mod m)  <=>  a * (s / g) = (-b / g) (mod m / g), when g divides b.
    Columns c;
    c.stride = m_stride;
    const std::int64_t target = (m_interval - b % m_interval) % m_interval;
    if (target % m_gcd != 0)
        return c;
    c.first = (target / m_gcd) % m_stride * m_inverse % m_stride;
    return c;
}

WindowSampler::Columns WindowSampler::rowsOfColumn(int a) const
{
    // a * side + b = 0 (mod m): one row in every m, from b = -a * side mod m.
    Columns c;
    c.stride = m_interval;
    c.first = (m_interval - (std::int64_t(a) % m_interval) * (m_side % m_interval) % m_interval) % m_interval;
    return c;
}

} // namespace tess
