#pragma once
// Reading what a Wayland compositor shows: a screenshot taken with
// weston-screenshooter, and the places in it where the windows' pictures lie.
// A client cannot learn where its window was put, so a window is found by a
// known pattern of its own. Everything is measured in the windows' logical
// pixels times the compositor's scale, which Qt fills by repeating each
// picture pixel over a scale x scale block.
#include "platform/picture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QList>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <functional>
#include <optional>

namespace tess::testing {

// The compositor's output scale as scripts/with_weston.sh set it.
inline int compositorScale()
{
    const int scale = qEnvironmentVariableIntValue("TESS_WESTON_SCALE");
    return scale > 0 ? scale : 1;
}

// The whole output as the compositor shows it; a null image when the
// screenshooter fails (a compositor started without --debug refuses it).
inline QImage takeScreenshot()
{
    QTemporaryDir folder;
    QProcess shooter;
    // It writes wayland-screenshot-<time>.png into its working folder.
    shooter.setWorkingDirectory(folder.path());
    shooter.start(QStringLiteral("weston-screenshooter"), {});
    if (!shooter.waitForFinished(10000) || shooter.exitStatus() != QProcess::NormalExit || shooter.exitCode() != 0)
        return {};
    const QStringList shots = QDir(folder.path()).entryList({QStringLiteral("wayland-screenshot-*.png")});
    if (shots.size() != 1)
        return {};
    return QImage(folder.filePath(shots.first())).convertToFormat(QImage::Format_RGB32);
}

inline int channelDifference(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

inline QRgb toRgb(Colour c) { return qRgb(redOf(c), greenOf(c), blueOf(c)); }

// The screen pixel showing logical pixel (x, y) of something drawn at `at`.
inline QRgb shownPixel(const QImage &screen, QPoint at, int x, int y, int scale)
{
    return screen.pixel(at.x() + x * scale, at.y() + y * scale);
}

// Where the top-left pixel of `pattern` lies on the screen, when every pixel of
// it is shown exactly; the first such place top to bottom that is not one of
// the places already known.
inline std::optional<QPoint> findExactly(const QImage &screen, const QImage &pattern, int scale,
                                         const QList<QPoint> &known = {})
{
    const int right = screen.width() - pattern.width() * scale;
    const int bottom = screen.height() - pattern.height() * scale;
    const QRgb first = pattern.pixel(0, 0) | 0xFF000000u;
    for (int y = 0; y <= bottom; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(screen.constScanLine(y));
        for (int x = 0; x <= right; ++x) {
            if ((line[x] | 0xFF000000u) != first || known.contains(QPoint(x, y)))
                continue;
            bool all = true;
            for (int py = 0; py < pattern.height() && all; ++py)
                for (int px = 0; px < pattern.width() && all; ++px)
                    all = channelDifference(shownPixel(screen, {x, y}, px, py, scale), pattern.pixel(px, py)) == 0;
            if (all)
                return QPoint(x, y);
        }
    }
    return std::nullopt;
}

// The mean of the largest channel difference over the pixels of `expected`
// against the screen at `at`; 255 where it does not fit on the screen.
inline double meanDifference(const QImage &screen, QPoint at, const QImage &expected, int scale)
{
    if (expected.isNull() || at.x() < 0 || at.y() < 0 || at.x() + expected.width() * scale > screen.width()
        || at.y() + expected.height() * scale > screen.height())
        return 255;
    double sum = 0;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            sum += channelDifference(shownPixel(screen, at, x, y, scale), expected.pixel(x, y));
    return sum / (double(expected.width()) * expected.height());
}

// How many logical pixels of the area at `at` satisfy the predicate.
inline int countShown(const QImage &screen, QPoint at, QSize size, int scale, const std::function<bool(QRgb)> &is)
{
    int count = 0;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const QPoint p(at.x() + x * scale, at.y() + y * scale);
            if (screen.rect().contains(p) && is(screen.pixel(p)))
                ++count;
        }
    return count;
}

// The picture as its own pixels say, not as its drawing code converts it.
inline QImage pictureImage(const Picture &picture)
{
    QImage image(picture.width(), picture.height(), QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            image.setPixel(x, y, toRgb(picture.pixel(x, y)));
    return image;
}

// Screenshots until `problem` finds none in one, or the time is up; the
// compositor shows a window's new frame some time after the client sent it.
// Returns the last problem found (empty when there was none) and keeps the
// last screenshot in `shot`.
inline QString waitForScreen(QImage &shot, const std::function<QString(const QImage &)> &problem,
                             int timeoutMs = 20000)
{
    QElapsedTimer clock;
    clock.start();
    QString found;
    do {
        // The screenshooter waits for the compositor's next frame; the window's
        // latest requests must have reached the compositor by then, and Qt only
        // sends them by itself when its event loop goes idle.
        QGuiApplication::sync();
        shot = takeScreenshot();
        found = shot.isNull() ? QStringLiteral("weston-screenshooter took no screenshot") : problem(shot);
        if (found.isEmpty())
            return found;
        QTest::qWait(50);
    } while (clock.elapsed() < timeoutMs);
    return found;
}

} // namespace tess::testing
