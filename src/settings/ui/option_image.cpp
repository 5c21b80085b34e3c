#include "settings/ui/option_image.h"

#include "settings/ui/option_accessible.h"

#include <QMouseEvent>
#include <QPainter>

namespace tess {

OptionImage::OptionImage(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    makeAccessible(this);
}

void OptionImage::setMark(Mark mark, const QPixmap &picture)
{
    const bool changed = mark != m_mark;
    m_mark = mark;
    if (changed)
        announceMarkChanged(this);
    m_picture = picture;
    if (!picture.isNull())
        resize(picture.deviceIndependentSize().toSize());
    update();
}

void OptionImage::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    // A dense mark is scaled down between 100 % and 200 %.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(0, 0, m_picture);
}

void OptionImage::mousePressEvent(QMouseEvent *event)
{
    if (m_click.press(event))
        emit pressed();
}

void OptionImage::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_click.release(event, rect()))
        emit clicked();
}

} // namespace tess
