#pragma once
#include <QPoint>

class QWidget;

namespace tess {

// Where the mouse is and which widget lies under it (GetCursorPos and
// WindowFromPoint). Hover polling goes through this so tests can place a
// cursor without a real pointer.
class CursorProbe {
public:
    virtual ~CursorProbe() = default;
    // Screen coordinates.
    virtual QPoint cursorPos() const;
    // The innermost widget of this application at a screen point, or nullptr
    // (another application, the desktop).
    virtual QWidget *widgetAt(QPoint globalPos) const;
};

// The probe in use; the real cursor unless a test installed its own.
const CursorProbe &cursorProbe();
// Installs a probe (not owned); nullptr goes back to the real cursor.
void setCursorProbe(const CursorProbe *probe);

} // namespace tess
