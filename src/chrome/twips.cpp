#include "chrome/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>
#include <limits>

namespace tess {

double roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return value;
    const double floor = std::floor(value);
    const double fraction = value - floor;
    if (fraction < 0.5)
        return floor;
    if (fraction > 0.5)
        return floor + 1.0;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

std::optional<std::int16_t> toInt16(double value)
{
    const double rounded = roundHalfEven(value);
    if (!std::isfinite(rounded) || rounded < std::numeric_limits<std::int16_t>::min()
        || rounded > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(rounded);
}

namespace {

double twipsPerPixel(bool horizontal)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return kDefaultTwipsPerPixel;
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return kDefaultTwipsPerPixel;
    const double dpi = horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
    return dpi > 0 ? 1440.0 / dpi : kDefaultTwipsPerPixel;
}

} // namespace

double twipsPerPixelX() { return twipsPerPixel(true); }
double twipsPerPixelY() { return twipsPerPixel(false); }

int toPixels(double twips, double twipsPerPixel)
{
    return int(roundHalfEven(twips / twipsPerPixel));
}

int toTwips(double pixels, double twipsPerPixel)
{
    return int(roundHalfEven(pixels * twipsPerPixel));
}

QRect twipsRect(double left, double top, double width, double height)
{
    const double tx = twipsPerPixelX();
    const double ty = twipsPerPixelY();
    return QRect(toPixels(left, tx), toPixels(top, ty), toPixels(width, tx), toPixels(height, ty));
}

QPoint centredPositionTwips(double screenWidth, double screenHeight,
                            double windowWidth, double windowHeight)
{
    // The rounded differences divide as integers: toward zero, so a window
    // larger than the screen is placed as far off the left as off the right.
    const long long dx = static_cast<long long>(roundHalfEven(screenWidth - windowWidth));
    const long long dy = static_cast<long long>(roundHalfEven(screenHeight - windowHeight));
    return QPoint(int(dx / 2), int(dy / 3));
}

} // namespace tess
