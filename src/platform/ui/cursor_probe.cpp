#include "platform/ui/cursor_probe.h"

#include <QApplication>
#include <QCursor>

namespace tess {

namespace {
const CursorProbe *g_installed = nullptr;
}

QPoint CursorProbe::cursorPos() const
{
    return QCursor::pos();
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
