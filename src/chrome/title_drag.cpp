#include "chrome/title_drag.h"

#include "platform/ui/cursor_position.h"
#include "chrome/twips.h"

#include <QWidget>

namespace tess {

namespace {

class WidgetPlacement : public WindowPlacement {
public:
    explicit WidgetPlacement(QWidget *window) : m_window(window) {}

    double leftTwips() const override { return m_window->window()->pos().x() * twipsPerPixelX(); }
    double topTwips() const override { return m_window->window()->pos().y() * twipsPerPixelY(); }
    void setTopTwips(double twips) override
    {
        QWidget *w = m_window->window();
        w->move(w->pos().x(), toPixels(twips, twipsPerPixelY()));
    }
    void setLeftTwips(double twips) override
    {
        QWidget *w = m_window->window();
        w->move(toPixels(twips, twipsPerPixelX()), w->pos().y());
    }
    double twipsPerPixelX() const override { return tess::twipsPerPixelX(); }
    double twipsPerPixelY() const override { return tess::twipsPerPixelY(); }

private:
    QWidget *m_window;
};

} // namespace

std::unique_ptr<WindowPlacement> widgetPlacement(QWidget *window)
{
    return std::make_unique<WidgetPlacement>(window);
}

TitleDrag::TitleDrag(std::unique_ptr<WindowPlacement> placement)
    : m_placement(std::move(placement))
{
}

void TitleDrag::press(Qt::MouseButton button)
{
    if (button != Qt::LeftButton || !m_placement)
        return;
    // Without a cursor position, or with an offset too large to hold, a drag
    // would throw the window to a stale place; no drag starts instead.
    const auto cursor = cursorPosition();
    if (!cursor)
        return;
    const auto offsetX = toInt16(cursor->x() * m_placement->twipsPerPixelX() - m_placement->leftTwips());
    const auto offsetY = toInt16(cursor->y() * m_placement->twipsPerPixelY() - m_placement->topTwips());
    if (!offsetX || !offsetY)
        return;
    m_grabOffsetX = *offsetX;
    m_grabOffsetY = *offsetY;
    m_dragging = 1;
}

void TitleDrag::move()
{
    if (m_dragging != 1 || !m_placement)
        return;
    const auto cursor = cursorPosition();
    if (!cursor)
        return;
    m_placement->setTopTwips(cursor->y() * m_placement->twipsPerPixelY() - m_grabOffsetY);
    m_placement->setLeftTwips(cursor->x() * m_placement->twipsPerPixelX() - m_grabOffsetX);
}

void TitleDrag::release()
{
    m_dragging = 0;
}

} // namespace tess
