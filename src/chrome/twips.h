#pragma once
#include <QPoint>
#include <QRect>
#include <cstdint>
#include <optional>

namespace tess {

// Window layouts are designed in twips (1/1440 inch); the screen decides how many
// twips make a pixel (15 at 96 dpi, 12 at 120 dpi).
inline constexpr double kDefaultTwipsPerPixel = 15.0;

// Nearest integer, an exact half going to the even neighbour (2.5 -> 2, 3.5 -> 4,
// -2.5 -> -2), as every float-to-integer conversion of the program rounds.
double roundHalfEven(double value);

// The rounded value when it fits a 16-bit signed integer; nullopt when it does not
// (or is not a number), so the caller can skip the assignment like an overflow.
std::optional<std::int16_t> toInt16(double value);

// 1440 / the primary screen's logical dpi; 15 when there is no screen to ask.
double twipsPerPixelX();
double twipsPerPixelY();

// Twips to whole pixels and back, rounding half to even.
int toPixels(double twips, double twipsPerPixel = kDefaultTwipsPerPixel);
int toTwips(double pixels, double twipsPerPixel = kDefaultTwipsPerPixel);

// A design rectangle (left, top, width, height in twips) in pixels at the
// screen's current resolution: what a window's layout code passes to setGeometry.
QRect twipsRect(double left, double top, double width, double height);

// Where a window of the given size (twips) goes on a screen of the given size
// (twips): left := (screen - window) \ 2, top := (screen - window) \ 3, each
// difference rounded to a whole number first and the division truncating toward
// zero (a difference of -5 gives -2). The result is in twips.
QPoint centredPositionTwips(double screenWidth, double screenHeight,
                            double windowWidth, double windowHeight);

} // namespace tess
