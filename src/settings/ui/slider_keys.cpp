#include "settings/ui/slider_keys.h"

#include <QEvent>
#include <QKeyEvent>
#include <QScrollBar>

namespace tess {

namespace {

class ScrollBarKeys final : public QObject {
public:
    explicit ScrollBarKeys(QScrollBar *bar) : QObject(bar), m_bar(bar) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_bar || event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() & ~Qt::KeypadModifier)
            return false;
        QAbstractSlider::SliderAction action = QAbstractSlider::SliderNoAction;
        switch (key->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up: action = QAbstractSlider::SliderSingleStepSub; break;
        case Qt::Key_Right:
        case Qt::Key_Down: action = QAbstractSlider::SliderSingleStepAdd; break;
        case Qt::Key_PageUp: action = QAbstractSlider::SliderPageStepSub; break;
        case Qt::Key_PageDown: action = QAbstractSlider::SliderPageStepAdd; break;
        case Qt::Key_Home: action = QAbstractSlider::SliderToMinimum; break;
        case Qt::Key_End: action = QAbstractSlider::SliderToMaximum; break;
        default: return false;
        }
        m_bar->triggerAction(action);
        return true;
    }

private:
    QScrollBar *m_bar;
};

} // namespace

void takeKeysAsScrollBar(QScrollBar *bar)
{
    bar->setFocusPolicy(Qt::StrongFocus);
    bar->installEventFilter(new ScrollBarKeys(bar));
}

} // namespace tess
