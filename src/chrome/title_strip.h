#pragma once
#include "chrome/title_drag.h"

#include <QImage>
#include <QWidget>

namespace tess {

// `Image1`: the title strip picture, stretched over the whole widget, which drags
// its top-level window. It keeps receiving moves while a button is held, even
// outside itself, so fast moves still drag the window.
class TitleStrip : public QWidget {
    Q_OBJECT
public:
    // The strip drags the widget's top-level window unless a placement is given.
    explicit TitleStrip(QWidget *parent = nullptr, std::unique_ptr<WindowPlacement> placement = {});

    void setImage(const QImage &image);
    const QImage &image() const { return m_image; }

    TitleDrag &drag() { return m_drag; }
    const TitleDrag &drag() const { return m_drag; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QImage m_image;
    TitleDrag m_drag;
};

} // namespace tess
