#include "chrome/title_strip.h"

#include "chrome/chrome_art.h"
#include "platform/ui/window_system.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

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
    // Where the window system keeps window positions to itself, it moves the
    // window for us: the drag is handed over at the press.
    if (event->button() == Qt::LeftButton && !windowsPlaceThemselves()) {
        if (QWindow *handle = window()->windowHandle(); handle && handle->startSystemMove()) {
            event->accept();
            return;
        }
    }
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
