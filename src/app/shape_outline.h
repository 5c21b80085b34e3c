#pragma once
#include <QWidget>

namespace tess {

// A rectangle outline one pixel wide, in the window-text colour, with no fill:
// a frame drawn on its panel behind a heading. It never takes the mouse.
class ShapeOutline : public QWidget {
    Q_OBJECT
public:
    explicit ShapeOutline(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace tess
