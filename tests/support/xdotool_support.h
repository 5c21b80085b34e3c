#pragma once
// A person's mouse on the Xvfb display, played by xdotool, for the end-to-end tests.
#include <QElapsedTimer>
#include <QPoint>
#include <QRect>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QThread>
#include <optional>

namespace xdotool_support {

// Runs xdotool and gives its standard output; nothing when it failed.
inline std::optional<QString> xdotool(const QStringList &args, int timeoutMs = 30000)
{
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), args);
    if (!tool.waitForFinished(timeoutMs) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(tool.readAllStandardOutput());
}

// The place and size of the visible window whose title holds text.
inline std::optional<QRect> windowGeometry(const QString &text)
{
    const QString ids = xdotool({"search", "--sync", "--onlyvisible", "--name", text}).value_or(QString());
    const QString id = ids.section(u'\n', 0, 0).trimmed();
    if (id.isEmpty())
        return std::nullopt;
    const QString shell = xdotool({"getwindowgeometry", "--shell", id}).value_or(QString());
    int x = -1, y = -1, w = 0, h = 0;
    for (const QString &line : shell.split(u'\n')) {
        if (line.startsWith(QLatin1String("X=")))
            x = line.mid(2).toInt();
        else if (line.startsWith(QLatin1String("Y=")))
            y = line.mid(2).toInt();
        else if (line.startsWith(QLatin1String("WIDTH=")))
            w = line.mid(6).toInt();
        else if (line.startsWith(QLatin1String("HEIGHT=")))
            h = line.mid(7).toInt();
    }
    if (x < 0 || y < 0)
        return std::nullopt;
    return QRect(x, y, w, h);
}

// Starts the program and waits for its visible window whose title holds
// text. About one start in ten of any Qt program on Xvfb fails to reach the
// display and shows no window: such a start is ended and the program started
// again, three times at most. The window's place and size, or nothing.
inline std::optional<QRect> startWithWindow(QProcess &process, const QString &program, const QStringList &args,
                                            const QString &text, int timeoutMs = 20000)
{
    for (int tries = 0; tries < 3; ++tries) {
        process.start(program, args);
        QElapsedTimer clock;
        clock.start();
        while (process.waitForStarted() && process.state() == QProcess::Running && clock.elapsed() < timeoutMs) {
            if (xdotool({"search", "--onlyvisible", "--name", text}).value_or(QString()).trimmed().size() > 0)
                return windowGeometry(text);
            QThread::msleep(100);
        }
        process.kill();
        process.waitForFinished();
    }
    return std::nullopt;
}

// The top-left corner of the visible window whose title holds text.
inline std::optional<QPoint> windowCorner(const QString &text)
{
    const std::optional<QRect> at = windowGeometry(text);
    return at ? std::optional<QPoint>(at->topLeft()) : std::nullopt;
}

// The main window's run button, from the window's corner: Pic_C 20 px down,
// Pic_1 8 px in, the button at (192, 404) in Pic_1 and 157 x 25 px large.
inline QPoint runButtonCentre(QPoint windowCorner)
{
    return windowCorner + QPoint(8 + 192 + 78, 20 + 8 + 404 + 12);
}

// Moves the pointer onto point, lets the button's hover probe see it, and clicks.
inline bool clickAt(QPoint point, void (*wait)(int ms))
{
    if (!xdotool({"mousemove", QString::number(point.x()), QString::number(point.y())}))
        return false;
    wait(300);
    return xdotool({"click", "1"}).has_value();
}

} // namespace xdotool_support
