#pragma once
#include <QImage>
#include <QString>

class QPainter;

namespace tess {

// Artwork comes at two densities: the bitmaps drawn pixel for pixel at 100 %,
// and twins named "<name>@2x.bmp" drawn with twice the detail. Every scale
// above 100 % draws the twin, scaled down between 100 % and 200 %: a picture
// scaled down stays sharp where one scaled up goes soft or blocky.
int artDensity(qreal devicePixelRatio);

// The pixel ratio of what a painter really draws on: the window's backing
// store, or the picture a widget is rendered into.
qreal paintedPixelRatio(const QPainter &painter);

// ":/assets/x/name.bmp" at density 2 is ":/assets/x/name@2x.bmp".
QString artPathAt(const QString &path, int density);

// A picture and, when it is artwork, its dense twin.
class Artwork {
public:
    Artwork() = default;
    // A picture with no twin: it is drawn scaled at every density.
    explicit Artwork(QImage image) : m_normal(std::move(image)) {}
    // Both densities from the resources; a missing twin falls back to the picture.
    static Artwork fromResource(const QString &path);

    bool isNull() const { return m_normal.isNull(); }
    // The size on the screen, in the windows' own pixels.
    QSize size() const { return m_normal.size(); }
    const QImage &normal() const { return m_normal; }
    // The picture to draw on a device with this pixel ratio; the twin carries
    // its own ratio, so a painter draws it at size().
    const QImage &at(qreal devicePixelRatio) const;

private:
    QImage m_normal;
    QImage m_dense;
};

} // namespace tess
