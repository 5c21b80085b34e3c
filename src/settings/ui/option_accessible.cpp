#include "settings/ui/option_accessible.h"

#include "settings/ui/option_image.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace tess {

namespace {

class OptionInterface : public QAccessibleWidget {
public:
    explicit OptionInterface(OptionImage *option) : QAccessibleWidget(option, QAccessible::RadioButton) {}

    OptionImage *option() const { return static_cast<OptionImage *>(widget()); }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = option()->mark() == OptionImage::Mark::Selected;
        return s;
    }
};

QAccessibleInterface *optionInterface(const QString &, QObject *object)
{
    if (auto *option = qobject_cast<OptionImage *>(object))
        return new OptionInterface(option);
    return nullptr;
}

} // namespace

void makeAccessible(OptionImage *)
{
    static const bool installed = [] {
        QAccessible::installFactory(optionInterface);
        return true;
    }();
    (void)installed;
}

void announceMarkChanged(OptionImage *option)
{
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(option, changed);
    QAccessible::updateAccessibility(&event);
}

} // namespace tess
