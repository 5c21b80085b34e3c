#include "controls/command_accessible.h"

#include "controls/command.h"
#include "controls/command_properties.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace tess {

namespace {

class CommandInterface : public QAccessibleWidget {
public:
    explicit CommandInterface(Command *button) : QAccessibleWidget(button, QAccessible::Button) {}

    Command *button() const { return static_cast<Command *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        // An accessible name set by hand wins; otherwise what the face shows.
        if (t == QAccessible::Name && button()->accessibleName().isEmpty())
            return button()->Caption();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        // Tab still reaches a button that is off, as it does on screen.
        if (!button()->enabledFlag())
            s.disabled = true;
        return s;
    }
};

QAccessibleInterface *commandInterface(const QString &, QObject *object)
{
    if (auto *button = qobject_cast<Command *>(object))
        return new CommandInterface(button);
    return nullptr;
}

} // namespace

void makeAccessible(Command *button)
{
    static const bool installed = [] {
        QAccessible::installFactory(commandInterface);
        return true;
    }();
    (void)installed;
    // What a screen reader already announced is told when it changes.
    QObject::connect(button, &Command::propertyChanged, button, [button](const QString &key) {
        if (key == CommandKey::Caption) {
            QAccessibleEvent event(button, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&event);
        } else if (key == CommandKey::Enabled) {
            QAccessible::State changed;
            changed.disabled = true;
            QAccessibleStateChangeEvent event(button, changed);
            QAccessible::updateAccessibility(&event);
        }
    });
}

} // namespace tess
