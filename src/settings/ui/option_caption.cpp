#include "settings/ui/option_caption.h"

#include <QMouseEvent>

namespace tess {

OptionCaption::OptionCaption(const QString &text, QWidget *parent) : QLabel(text, parent) {}

void OptionCaption::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_leftDown = true;
    emit pressed();
}

void OptionCaption::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const bool click = m_leftDown && rect().contains(event->position().toPoint());
    m_leftDown = false;
    if (click)
        emit clicked();
}

} // namespace tess
