#include "settings/ui/option_marks.h"

#include <QBitmap>
#include <QImage>

namespace tess {

QPixmap optionMarkPixmap(bool selected)
{
    const QImage image(selected ? QStringLiteral(":/assets/settings/option_on.bmp")
                                : QStringLiteral(":/assets/settings/option_off.bmp"));
    if (image.isNull())
        return {};
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setMask(QBitmap::fromImage(image.createMaskFromColor(qRgb(255, 0, 255), Qt::MaskInColor)));
    return pixmap;
}

} // namespace tess
