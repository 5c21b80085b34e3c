#include "chrome/window_animation.h"

#include "chrome/chrome_art.h"
#include "platform/ui/cursor_position.h"
#include "platform/ui/window_system.h"
#include "chrome/twips.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QRegion>
#include <QThread>
#include <QWidget>
#include <array>
#include <cstdint>

namespace tess {

namespace {

struct OpenPointSlot {
    std::int16_t x = 0;
    std::int16_t y = 0;
};
std::array<OpenPointSlot, kOpenPointSlots> g_openPoints;
bool g_animationsEnabled = true;

bool validSlot(int slot) { return slot >= 0 && slot < kOpenPointSlots; }

QRect pointRect(int slot)
{
    const OpenPointSlot &p = g_openPoints[std::size_t(slot)];
    return QRect(QPoint(p.x, p.y), QSize(0, 0));
}

constexpr int kFrames = 8;
constexpr int kFrameMs = 25;
constexpr int kCaptionHeight = 22;
constexpr int kOutline = 2;

// The zooming caption: a band of the title strip's picture on top of a thin
// outline, shaped by a mask so no compositor is needed for the see-through middle.
class ZoomOutline : public QWidget {
public:
    ZoomOutline()
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                               | Qt::X11BypassWindowManagerHint | Qt::WindowTransparentForInput
                               | Qt::WindowDoesNotAcceptFocus)
        , m_strip(chromeImage(ChromeArt::TitleStrip))
    {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_NoSystemBackground);
    }

    void showFrame(const QRect &rect)
    {
        const QRect r = rect.normalized().adjusted(0, 0, rect.width() < 1 ? 1 : 0, rect.height() < 1 ? 1 : 0);
        setGeometry(r);
        const QRect local(QPoint(0, 0), r.size());
        QRegion shape(local);
        const QRect inner = local.adjusted(kOutline, captionHeight(), -kOutline, -kOutline);
        if (inner.isValid())
            shape -= QRegion(inner);
        setMask(shape);
        if (!isVisible())
            show();
        repaint();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QRect local = rect();
        painter.fillRect(local, QColor(120, 150, 192)); // the outline, light enough to show on dark desktops
        const QRect band(0, 0, local.width(), captionHeight());
        if (!m_strip.isNull())
            painter.drawImage(band, m_strip);
    }

private:
    int captionHeight() const { return std::min(height(), kCaptionHeight); }

    QImage m_strip;
};

bool canDraw()
{
    if (!g_animationsEnabled || !qobject_cast<QApplication *>(QCoreApplication::instance()))
        return false;
    // The outline is a window of its own placed at screen positions, which a
    // Wayland compositor does not allow: there the windows open and close plain.
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal")
           && windowsPlaceThemselves();
}

QRect lerp(const QRect &a, const QRect &b, double t)
{
    auto mix = [t](int p, int q) { return int(roundHalfEven(p + (q - p) * t)); };
    return QRect(QPoint(mix(a.left(), b.left()), mix(a.top(), b.top())),
                 QSize(mix(a.width(), b.width()), mix(a.height(), b.height())));
}

void playZoom(const ZoomRects &zoom)
{
    if (!canDraw())
        return;
    ZoomOutline outline;
    QElapsedTimer clock;
    clock.start();
    for (int frame = 1; frame <= kFrames; ++frame) {
        outline.showFrame(lerp(zoom.from, zoom.to, double(frame) / kFrames));
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        const qint64 due = qint64(frame) * kFrameMs;
        const qint64 left = due - clock.elapsed();
        if (left > 0)
            QThread::msleep(static_cast<unsigned long>(left));
    }
    outline.hide();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QRect windowRect(QWidget *window)
{
    return window->window()->frameGeometry();
}

} // namespace

bool setOpenPoint(int slot, QPoint point)
{
    if (!validSlot(slot))
        return false;
    OpenPointSlot &p = g_openPoints[std::size_t(slot)];
    if (const auto x = toInt16(point.x()))
        p.x = *x;
    if (const auto y = toInt16(point.y()))
        p.y = *y;
    return true;
}

bool recordOpenPoint(int slot)
{
    return setOpenPoint(slot, cursorPosition().value_or(QPoint(0, 0)));
}

std::optional<QPoint> openPoint(int slot)
{
    if (!validSlot(slot))
        return std::nullopt;
    const OpenPointSlot &p = g_openPoints[std::size_t(slot)];
    return QPoint(p.x, p.y);
}

std::optional<ZoomRects> openZoomRects(const QRect &window, int slot)
{
    if (!validSlot(slot))
        return std::nullopt;
    return ZoomRects{pointRect(slot), window};
}

std::optional<ZoomRects> closeZoomRects(const QRect &window, int slot)
{
    if (!validSlot(slot))
        return std::nullopt;
    return ZoomRects{window, pointRect(slot)};
}

std::optional<ZoomRects> animateOpen(QWidget *window, int slot)
{
    if (!window)
        return std::nullopt;
    const auto zoom = openZoomRects(windowRect(window), slot);
    if (zoom)
        playZoom(*zoom);
    return zoom;
}

std::optional<ZoomRects> animateClose(QWidget *window, int slot)
{
    if (!window)
        return std::nullopt;
    const auto zoom = closeZoomRects(windowRect(window), slot);
    if (zoom)
        playZoom(*zoom);
    return zoom;
}

void setWindowAnimationsEnabled(bool enabled) { g_animationsEnabled = enabled; }

} // namespace tess
