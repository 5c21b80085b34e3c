#pragma once
#include <QMouseEvent>
#include <QRect>

namespace tess {

// The mouse rule an option's image and its caption share: any button going
// down is a press; a left press that comes up again over the same control is
// a click.
class OptionClick {
public:
    void press(const QMouseEvent *event)
    {
        if (event->button() == Qt::LeftButton)
            m_leftDown = true;
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
