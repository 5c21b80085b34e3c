#include "platform/ui/window_system.h"

#include <QGuiApplication>

namespace tess {

QByteArray preferredPlatformPlugins(const QByteArray &qtQpaPlatform, const QByteArray &display,
                                    const QByteArray &waylandDisplay)
{
    if (!qtQpaPlatform.isEmpty())
        return {};
    if (!display.isEmpty())
        return waylandDisplay.isEmpty() ? QByteArrayLiteral("xcb") : QByteArrayLiteral("xcb;wayland");
    if (!waylandDisplay.isEmpty())
        return QByteArrayLiteral("wayland;xcb");
    return {};
}

void choosePlatformPlugin()
{
    const QByteArray plugins =
        preferredPlatformPlugins(qgetenv("QT_QPA_PLATFORM"), qgetenv("DISPLAY"), qgetenv("WAYLAND_DISPLAY"));
    if (!plugins.isEmpty())
        qputenv("QT_QPA_PLATFORM", plugins);
}

bool windowsPlaceThemselves()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace tess
