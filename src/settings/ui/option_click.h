#pragma once
#include <QMouseEvent>
#include <QRect>

namespace tess {

// The mouse rule an option's image and its caption share: the left, right or
// middle button going down is a press (a mouse's side buttons, back and
// forward, are not: they press nothing they hover); a left press that comes
// up again over the same control is a click.
class OptionClick {
public:
    // True when this is a press.
    bool press(const QMouseEvent *event)
    {
        constexpr Qt::MouseButtons kPressButtons = Qt::LeftButton | Qt::RightButton | Qt::MiddleButton;
        if (event->button() == Qt::LeftButton)
            m_leftDown = true;
        return (event->button() & kPressButtons) != 0;
    }

    // True when this release completes a click.
    bool release(const QMouseEvent *event, const QRect &area)
    {
        if (event->button() != Qt::LeftButton)
            return false;
        const bool click = m_leftDown && area.contains(event->position().toPoint());
        m_leftDown = false;
        return click;
    }

private:
    bool m_leftDown = false;
};

} // namespace tess
