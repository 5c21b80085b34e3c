#pragma once
#include <QPoint>
#include <functional>
#include <optional>

namespace tess {

// The mouse cursor's position on the screen, in pixels, or nullopt when it cannot
// be read. The chrome asks through this seam rather than the mouse event, so a
// drag follows the cursor even while the window moves under it, and tests can
// steer the cursor.
using CursorSource = std::function<std::optional<QPoint>()>;

std::optional<QPoint> cursorPosition();

// Replaces the program-wide source (an empty function restores the real cursor)
// and returns the previous one.
CursorSource setCursorSource(CursorSource source);

// Installs a source for the lifetime of a scope, then puts the old one back.
class ScopedCursorSource {
public:
    explicit ScopedCursorSource(CursorSource source) : m_previous(setCursorSource(std::move(source))) {}
    ~ScopedCursorSource() { setCursorSource(std::move(m_previous)); }
    ScopedCursorSource(const ScopedCursorSource &) = delete;
    ScopedCursorSource &operator=(const ScopedCursorSource &) = delete;

private:
    CursorSource m_previous;
};

} // namespace tess
