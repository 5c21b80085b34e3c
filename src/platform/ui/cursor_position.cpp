#include "platform/ui/cursor_position.h"

#include <QCursor>
#include <QGuiApplication>

namespace tess {

namespace {

std::optional<QPoint> systemCursor()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return std::nullopt;
    return QCursor::pos();
}

CursorSource &installedSource()
{
    static CursorSource source;
    return source;
}

} // namespace

std::optional<QPoint> cursorPosition()
{
    const CursorSource &source = installedSource();
    return source ? source() : systemCursor();
}

CursorSource setCursorSource(CursorSource source)
{
    CursorSource previous = std::move(installedSource());
    installedSource() = std::move(source);
    return previous;
}

} // namespace tess
