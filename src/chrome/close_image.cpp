#include "chrome/close_image.h"

#include "chrome/chrome_art.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace tess {

CloseImage::CloseImage(QWidget *parent)
    : QWidget(parent)
{
    setArtwork(chromeArtwork(ChromeArt::CloseNormal), chromeArtwork(ChromeArt::ClosePressed));
}

void CloseImage::setImages(const QImage &normal, const QImage &pressed)
{
    setArtwork(Artwork(normal), Artwork(pressed));
}

void CloseImage::setArtwork(Artwork normal, Artwork pressed)
{
    m_normalArt = std::move(normal);
    m_pressedArt = std::move(pressed);
    showPicture(m_pressed);
}

void CloseImage::showPicture(bool pressed)
{
    m_pressed = pressed;
    if (!shownArt().isNull())
        resize(shownArt().size());
    update();
}

void CloseImage::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QImage &image = shownArt().at(paintedPixelRatio(painter));
    // Between 100 % and 200 % the twin is scaled down, which wants filtering.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(QPointF(0, 0), QSizeF(shownArt().size())), image);
}

void CloseImage::mousePressEvent(QMouseEvent *event)
{
    showPicture(true);
    event->accept();
}

void CloseImage::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    showPicture(false);
    QPointer<CloseImage> self(this);
    if (m_processEvents) {
        repaint();
        QCoreApplication::processEvents();
        if (!self)
            return;
    }
    emit closeClicked();
    if (self)
        window()->close();
}

} // namespace tess
