#include "platform/ui/artwork.h"

#include <QPaintEngine>
#include <QPainter>

namespace tess {

int artDensity(qreal devicePixelRatio)
{
    // Ratios a hair above 1 come from rounding a logical DPI, not from a scale.
    return devicePixelRatio > 1.01 ? 2 : 1;
}

qreal paintedPixelRatio(const QPainter &painter)
{
    // A widget's painter names the widget as its device even while it draws
    // into another picture; the engine knows the picture.
    if (const QPaintEngine *engine = painter.paintEngine(); engine && engine->paintDevice())
        return engine->paintDevice()->devicePixelRatioF();
    return painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
}

QString artPathAt(const QString &path, int density)
{
    if (density <= 1)
        return path;
    const qsizetype dot = path.lastIndexOf(u'.');
    const QString suffix = QStringLiteral("@%1x").arg(density);
    return dot < 0 ? path + suffix : path.left(dot) + suffix + path.mid(dot);
}

Artwork Artwork::fromResource(const QString &path)
{
    Artwork art{QImage(path)};
    QImage dense(artPathAt(path, 2));
    if (!dense.isNull() && dense.size() == art.m_normal.size() * 2) {
        dense.setDevicePixelRatio(2);
        art.m_dense = std::move(dense);
    }
    return art;
}

const QImage &Artwork::at(qreal devicePixelRatio) const
{
    return artDensity(devicePixelRatio) > 1 && !m_dense.isNull() ? m_dense : m_normal;
}

} // namespace tess
