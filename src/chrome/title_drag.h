#pragma once
#include <Qt>
#include <cstdint>
#include <memory>

class QWidget;

namespace tess {

// Where a drag reads and sets its window's position, in twips. The drag sets the
// top before the left, as two separate moves.
class WindowPlacement {
public:
    virtual ~WindowPlacement() = default;
    virtual double leftTwips() const = 0;
    virtual double topTwips() const = 0;
    virtual void setTopTwips(double twips) = 0;
    virtual void setLeftTwips(double twips) = 0;
    virtual double twipsPerPixelX() const = 0;
    virtual double twipsPerPixelY() const = 0;
};

// The real thing: a top-level widget's frame position at the screen's resolution.
std::unique_ptr<WindowPlacement> widgetPlacement(QWidget *window);

// The drag of a window by its title strip. Positions come from the cursor seam
// (cursorPosition()), not from the mouse events, so the grabbed point of the strip
// stays under the cursor however the window moves under it.
class TitleDrag {
public:
    explicit TitleDrag(std::unique_ptr<WindowPlacement> placement);

    // Only the left button starts a drag; it grabs the cursor's offset from the
    // window's top-left corner in twips.
    void press(Qt::MouseButton button);
    // Whatever the buttons: while dragging, puts the window where the grab point
    // meets the cursor (top first, then left).
    void move();
    // Any button's release ends the drag.
    void release();

    bool dragging() const { return m_dragging != 0; }
    std::int16_t grabOffsetX() const { return m_grabOffsetX; }
    std::int16_t grabOffsetY() const { return m_grabOffsetY; }
    // As when a window loads: no drag in progress.
    void reset() { m_dragging = 0; }

private:
    std::unique_ptr<WindowPlacement> m_placement;
    std::int16_t m_dragging = 0;
    std::int16_t m_grabOffsetX = 0;
    std::int16_t m_grabOffsetY = 0;
};

} // namespace tess
