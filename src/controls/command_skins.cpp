#include "controls/command_skins.h"

#include "platform/ui/artwork.h"

#include <QImage>

#include <array>

namespace tess {

QString commandSkinResource(CommandSkin skin)
{
    static const std::array<const char *, 6> names = {
        "normal", "highlight", "selected", "pressed", "disable", "highlightselect"};
    return QStringLiteral(":/assets/controls/%1.bmp").arg(QLatin1String(names[std::size_t(skin)]));
}

const Picture &commandSkin(CommandSkin skin)
{
    static const std::array<Picture, 6> skins = [] {
        std::array<Picture, 6> loaded;
        for (std::size_t i = 0; i < loaded.size(); ++i)
            loaded[i] = Picture::fromImage(QImage(commandSkinResource(CommandSkin(i))));
        return loaded;
    }();
    return skins[std::size_t(skin)];
}

const Picture &denseCommandSkin(CommandSkin skin)
{
    static const std::array<Picture, 6> skins = [] {
        std::array<Picture, 6> loaded;
        for (std::size_t i = 0; i < loaded.size(); ++i) {
            const QImage image(artPathAt(commandSkinResource(CommandSkin(i)), 2));
            if (image.size() == QSize(2 * kSkinWidth, 2 * kSkinHeight))
                loaded[i] = Picture::fromImage(image);
        }
        return loaded;
    }();
    return skins[std::size_t(skin)];
}

} // namespace tess
