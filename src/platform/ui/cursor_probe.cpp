#include "platform/ui/cursor_probe.h"

#include "platform/ui/cursor_position.h"

#include <QApplication>

namespace tess {

namespace {
const CursorProbe *g_installed = nullptr;
}

QPoint CursorProbe::cursorPos() const
{
    // The same cursor the window chrome reads, so one stand-in serves both.
    return cursorPosition().value_or(QPoint());
}

QWidget *CursorProbe::widgetAt(QPoint globalPos) const
{
    return QApplication::widgetAt(globalPos);
}

const CursorProbe &cursorProbe()
{
    static const CursorProbe real;
    return g_installed ? *g_installed : real;
}

void setCursorProbe(const CursorProbe *probe)
{
    g_installed = probe;
}

} // namespace tess
