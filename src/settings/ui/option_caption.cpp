#include "settings/ui/option_caption.h"

#include <QMouseEvent>

namespace tess {

OptionCaption::OptionCaption(const QString &text, QWidget *parent) : QLabel(text, parent) {}

void OptionCaption::mousePressEvent(QMouseEvent *event)
{
    if (m_click.press(event))
        emit pressed();
}

void OptionCaption::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_click.release(event, rect()))
        emit clicked();
}

} // namespace tess
