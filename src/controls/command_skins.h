#pragma once
#include "platform/picture.h"

#include <QString>

namespace tess {

// The six looks of a Command button; each is a 64 x 25 bitmap of which only
// the outer 4-pixel frame is drawn.
enum class CommandSkin { Normal, HighLight, Selected, Pressed, Disable, HighLightSelect };

inline constexpr int kSkinWidth = 64;
inline constexpr int kSkinHeight = 25;
inline constexpr int kSkinCorner = 4;

// ":/assets/controls/<name>.bmp"
QString commandSkinResource(CommandSkin skin);
// The decoded skin, loaded once; an empty picture when the artwork is missing,
// which leaves its pieces undrawn.
const Picture &commandSkin(CommandSkin skin);
// The skin drawn with twice the detail (128 x 50, an 8-pixel frame), for
// dense screens; empty when that artwork is missing.
const Picture &denseCommandSkin(CommandSkin skin);

} // namespace tess
