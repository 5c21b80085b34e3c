#include "chrome/title_strip.h"

#include "chrome/chrome_art.h"

#include <QMouseEvent>
#include <QPainter>

namespace tess {

TitleStrip::TitleStrip(QWidget *parent, std::unique_ptr<WindowPlacement> placement)
    : QWidget(parent)
    , m_image(chromeImage(ChromeArt::TitleStrip))
    , m_drag(placement ? std::move(placement) : widgetPlacement(this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TitleStrip::setImage(const QImage &image)
{
    m_image = image;
    update();
}

void TitleStrip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_image.isNull()) {
        painter.fillRect(rect(), QColor(16, 30, 62));
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), m_image);
}

void TitleStrip::mousePressEvent(QMouseEvent *event)
{
    m_drag.press(event->button());
    event->accept();
}

void TitleStrip::mouseMoveEvent(QMouseEvent *event)
{
    m_drag.move();
    event->accept();
}

void TitleStrip::mouseReleaseEvent(QMouseEvent *event)
{
    m_drag.release();
    event->accept();
}

} // namespace tess
