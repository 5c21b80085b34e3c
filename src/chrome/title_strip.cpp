#include "chrome/title_strip.h"

#include "chrome/chrome_art.h"
#include "platform/ui/window_system.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace tess {

TitleStrip::TitleStrip(QWidget *parent, std::unique_ptr<WindowPlacement> placement)
    : QWidget(parent)
    , m_art(chromeArtwork(ChromeArt::TitleStrip))
    , m_drag(placement ? std::move(placement) : widgetPlacement(this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (!windowsPlaceThemselves()) {
        m_systemMove = [this] {
            QWindow *handle = window()->windowHandle();
            return handle && handle->startSystemMove();
        };
    }
}

void TitleStrip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_art.isNull()) {
        painter.fillRect(rect(), QColor(16, 30, 62));
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), m_art.at(paintedPixelRatio(painter)));
}

void TitleStrip::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (m_systemMove) {
        // A click that does not move leaves the window where it is: the
        // compositor is only asked once the pointer has moved.
        if (event->button() == Qt::LeftButton)
            m_handOverFrom = event->position();
        return;
    }
    m_drag.press(event->button());
}

void TitleStrip::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    if (m_systemMove) {
        if (m_handOverFrom && (event->buttons() & Qt::LeftButton) && event->position() != *m_handOverFrom) {
            m_handOverFrom.reset();
            m_systemMove();
        }
        return;
    }
    m_drag.move();
}

void TitleStrip::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    m_handOverFrom.reset();
    m_drag.release();
}

} // namespace tess
