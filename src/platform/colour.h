#pragma once
#include <cstdint>

namespace tess {

// A Windows colour value: red in bits 0-7, green in 8-15, blue in 16-23, top byte 0.
// Pictures store their pixels in this form, so on a little-endian machine a row is
// the byte sequence R, G, B, 0 that libjpeg (JCS_EXT_RGBX) and QImage::Format_RGBX8888 use.
using Colour = std::uint32_t;

inline constexpr Colour kInvalidColour = 0xFFFFFFFFu; // CLR_INVALID: a point outside the picture

// A matte no colour value can be: readers handed it lay transparent pixels
// over black (their colours premultiplied) and keep each pixel's alpha in its
// top byte, 255 where the picture is opaque, for a thumbnail that stays
// transparent.
inline constexpr Colour kKeepAlpha = 0xFF000000u;
constexpr int alphaOf(Colour c) { return int(c >> 24); }

constexpr Colour rgb(int r, int g, int b)
{
    return Colour(r & 0xFF) | (Colour(g & 0xFF) << 8) | (Colour(b & 0xFF) << 16);
}
constexpr int redOf(Colour c) { return int(c & 0xFF); }
constexpr int greenOf(Colour c) { return int((c >> 8) & 0xFF); }
constexpr int blueOf(Colour c) { return int((c >> 16) & 0xFF); }

} // namespace tess
