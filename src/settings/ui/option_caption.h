#pragma once
#include "settings/ui/option_click.h"

#include <QLabel>

namespace tess {

// The caption beside an option image; it reacts to the mouse exactly as its
// image does, so a press or click on the words chooses the option too.
class OptionCaption : public QLabel {
    Q_OBJECT
public:
    explicit OptionCaption(const QString &text, QWidget *parent = nullptr);

signals:
    // Any mouse button went down on the caption.
    void pressed();
    // The left button went down and came up again on the caption.
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    OptionClick m_click;
};

} // namespace tess
