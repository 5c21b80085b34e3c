#pragma once
#include <QByteArray>

namespace tess {

// The windows place themselves (centred at start, dragged by their title
// strip) and draw their animations at screen positions. X11 allows both;
// Wayland allows neither. So on a Wayland desktop the program asks for
// XWayland when there is one, and falls back to Wayland itself otherwise.

// The platform plugin list to ask Qt for, or empty to leave Qt's choice: a
// user's own QT_QPA_PLATFORM always wins; with an X display, X11 first; with
// only a Wayland display, Wayland first.
QByteArray preferredPlatformPlugins(const QByteArray &qtQpaPlatform, const QByteArray &display,
                                    const QByteArray &waylandDisplay);
// Applies that choice to this process's environment; call before the
// application object is made.
void choosePlatformPlugin();

// Whether the running window system lets a program place its own windows
// (false on Wayland, where the compositor places them and the title strip
// hands a drag over to it).
bool windowsPlaceThemselves();

} // namespace tess
