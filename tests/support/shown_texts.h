#pragma once
// Every text a window shows or tells a screen reader, read widget by widget,
// for the tests of the program's language.
#include "support/japanese_text.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QStringList>
#include <QWidget>

namespace tess::testing {

// One line a text: "<object name> <kind>: <text>", the window's own first,
// then its descendants in the order they were made. Empty texts are left out.
inline QStringList shownTexts(QWidget *window)
{
    QStringList lines;
    const auto add = [&lines](const QWidget *w, const char *kind, const QString &text) {
        if (!text.isEmpty())
            lines << w->objectName() + QLatin1Char(' ') + QLatin1String(kind) + QStringLiteral(": ") + text;
    };
    QList<QWidget *> widgets{window};
    widgets += window->findChildren<QWidget *>();
    for (QWidget *w : widgets) {
        if (w->isWindow())
            add(w, "title", w->windowTitle());
        add(w, "tooltip", w->toolTip());
        if (const auto *label = qobject_cast<QLabel *>(w))
            add(w, "text", label->text());
        if (const auto *button = qobject_cast<QAbstractButton *>(w))
            add(w, "text", button->text());
        if (QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w)) {
            add(w, "name", iface->text(QAccessible::Name));
            add(w, "description", iface->text(QAccessible::Description));
        }
    }
    return lines;
}

} // namespace tess::testing
