#pragma once
#include <cmath>

namespace tess {

// Float to integer as every geometry figure of the program is rounded: to the
// nearest integer, an exact half going to the even one (2.5 -> 2, 3.5 -> 4,
// -2.5 -> -2). Written out rather than relying on the current FPU rounding mode.
inline double roundHalfEven(double v)
{
    const double lower = std::floor(v);
    const double fraction = v - lower;
    if (fraction > 0.5)
        return lower + 1.0;
    if (fraction < 0.5)
        return lower;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

// Floor of a / b for b > 0 (integer division truncates toward zero instead).
constexpr int floorDiv(int a, int b)
{
    const int q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

} // namespace tess
