#pragma once
#include "platform/ui/artwork.h"
#include "platform/picture.h"

#include <QImage>

namespace tess {

// The pictures every window's chrome carries, compiled into the program.
enum class ChromeArt {
    TitleStrip,   // 500 x 22, shown stretched over the title strip
    CloseNormal,  // 15 x 15, the close image at rest
    ClosePressed, // 16 x 15, the close image while a button is down on it
    Texture,      // 1030 x 23, tiled over a window's panel
};

// The resource path, ":/assets/chrome/<name>.bmp".
QString chromeArtPath(ChromeArt art);
// A null image when the resource is missing (a broken build), never a crash.
QImage chromeImage(ChromeArt art);
// With its twin for dense screens.
Artwork chromeArtwork(ChromeArt art);
Picture chromePicture(ChromeArt art);

} // namespace tess
