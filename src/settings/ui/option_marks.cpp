#include "settings/ui/option_marks.h"

#include "platform/ui/artwork.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QImage>

namespace tess {

QPixmap optionMarkPixmap(bool selected)
{
    return optionMarkPixmap(selected, qGuiApp ? qGuiApp->devicePixelRatio() : 1.0);
}

QPixmap optionMarkPixmap(bool selected, qreal devicePixelRatio)
{
    const Artwork art = Artwork::fromResource(selected ? QStringLiteral(":/assets/settings/option_on.bmp")
                                                       : QStringLiteral(":/assets/settings/option_off.bmp"));
    const QImage &image = art.at(devicePixelRatio);
    if (image.isNull())
        return {};
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setMask(QBitmap::fromImage(image.createMaskFromColor(qRgb(255, 0, 255), Qt::MaskInColor)));
    pixmap.setDevicePixelRatio(image.devicePixelRatio());
    return pixmap;
}

} // namespace tess
