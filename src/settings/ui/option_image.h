#pragma once
#include "settings/ui/option_click.h"

#include <QPixmap>
#include <QWidget>

namespace tess {

// An option of the settings window: an image showing the selected or the
// unselected mark, or nothing until the window fills it. Like an unstretched
// image it takes the size of the picture it is given.
class OptionImage : public QWidget {
    Q_OBJECT
public:
    enum class Mark { None, Selected, Unselected };

    explicit OptionImage(QWidget *parent = nullptr);

    void setMark(Mark mark, const QPixmap &picture);
    Mark mark() const { return m_mark; }

signals:
    // Any mouse button went down on the image.
    void pressed();
    // The left button went down and came up again on the image.
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    Mark m_mark = Mark::None;
    QPixmap m_picture;
    OptionClick m_click;
};

} // namespace tess
