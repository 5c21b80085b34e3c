#include "chrome/chrome_art.h"

namespace tess {

QString chromeArtPath(ChromeArt art)
{
    switch (art) {
    case ChromeArt::TitleStrip:
        return QStringLiteral(":/assets/chrome/title_strip.bmp");
    case ChromeArt::CloseNormal:
        return QStringLiteral(":/assets/chrome/close_normal.bmp");
    case ChromeArt::ClosePressed:
        return QStringLiteral(":/assets/chrome/close_pressed.bmp");
    case ChromeArt::Texture:
        return QStringLiteral(":/assets/chrome/texture.bmp");
    }
    return {};
}

QImage chromeImage(ChromeArt art)
{
    return QImage(chromeArtPath(art));
}

Artwork chromeArtwork(ChromeArt art)
{
    return Artwork::fromResource(chromeArtPath(art));
}

Picture chromePicture(ChromeArt art)
{
    return Picture::fromImage(chromeImage(art));
}

} // namespace tess
