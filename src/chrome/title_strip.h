#pragma once
#include "platform/ui/artwork.h"
#include "chrome/title_drag.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <optional>

namespace tess {

// `Image1`: the title strip picture, stretched over the whole widget, which drags
// its top-level window. It keeps receiving moves while a button is held, even
// outside itself, so fast moves still drag the window.
class TitleStrip : public QWidget {
    Q_OBJECT
public:
    // The strip drags the widget's top-level window unless a placement is given.
    explicit TitleStrip(QWidget *parent = nullptr, std::unique_ptr<WindowPlacement> placement = {});

    // Where the window system moves windows itself (Wayland), a drag is handed
    // to it through this call once the pointer moves with the left button held;
    // it returns whether the window system took the drag. Empty where windows
    // place themselves: the strip then drags the window itself.
    using SystemMove = std::function<bool()>;
    void setSystemMove(SystemMove move) { m_systemMove = std::move(move); }

    TitleDrag &drag() { return m_drag; }
    const TitleDrag &drag() const { return m_drag; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    Artwork m_art;
    TitleDrag m_drag;
    SystemMove m_systemMove;
    // A left press on the strip waiting for the pointer to move before the
    // window system is asked to move the window.
    std::optional<QPointF> m_handOverFrom;
};

} // namespace tess
