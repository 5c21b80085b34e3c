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
    setImages(chromeImage(ChromeArt::CloseNormal), chromeImage(ChromeArt::ClosePressed));
}

void CloseImage::setImages(const QImage &normal, const QImage &pressed)
{
    m_normalImage = normal;
    m_pressedImage = pressed;
    showPicture(m_pressed);
}

void CloseImage::showPicture(bool pressed)
{
    m_pressed = pressed;
    const QImage &image = shownImage();
    if (!image.isNull())
        resize(image.size());
    update();
}

void CloseImage::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, shownImage());
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
