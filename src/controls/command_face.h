#pragma once
#include "platform/colour.h"
#include "platform/picture.h"

namespace tess {

// The face gradient's two colours, written in the control as "&HFFFFFF" and
// "&HC6C5D7" and read left to right as red, green, blue.
inline constexpr Colour kFaceLight = rgb(0xFF, 0xFF, 0xFF);
inline constexpr Colour kFaceShade = rgb(0xC6, 0xC5, 0xD7);
// What the face is cleared to before the gradient; the frame covers every
// pixel the gradient leaves out, so it only shows when a skin is missing.
inline constexpr Colour kFaceBackground = kFaceShade;

// Vertical gradient from (0, 0) to (W - 1, H - 1): light on top unless
// reversed. The last row and column keep what they had.
void fillFaceGradient(Picture &face, bool reversed);

// The eight frame pieces of a skin onto the face: corners at their own size,
// edge strips stretched (COLORONCOLOR) to the face's length. Faces narrower or
// lower than two corners get no middle strips on that axis. A dense skin
// (`density` times the size, for a face drawn at that density) has corners
// `density` times as large.
void drawSkinFrame(Picture &face, const Picture &skin, int density = 1);

// Top of the caption label in pixels: (H - h - 20 twips) / 2, worked in twips
// and rounded to the nearest pixel, halves to even.
int captionTop(int faceHeight, int labelHeight);

} // namespace tess
