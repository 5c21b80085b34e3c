#pragma once
#include <QPoint>
#include <QRect>
#include <optional>

class QWidget;

namespace tess {

// Open points: one program-wide slot per window, the cursor position (screen
// pixels, 16-bit) when that window loaded. Both animations of a window zoom from
// and back to its point.
inline constexpr int kMainWindowSlot = 0;
inline constexpr int kSettingsWindowSlot = 1;
inline constexpr int kOpenPointSlots = 2;

// Stores the cursor position in the slot, or (0, 0) when the cursor cannot be
// read; a coordinate that does not fit 16 bits keeps the slot's previous value.
// False for a slot outside the array (nothing is stored).
bool recordOpenPoint(int slot);
bool setOpenPoint(int slot, QPoint point);
std::optional<QPoint> openPoint(int slot);

// The two rectangles of a zoom, in screen pixels. The point's rectangle is empty
// (zero width and height) at the open point.
struct ZoomRects {
    QRect from;
    QRect to;
};
std::optional<ZoomRects> openZoomRects(const QRect &window, int slot);
std::optional<ZoomRects> closeZoomRects(const QRect &window, int slot);

// The open and close animations: an outline with a caption band zooming from the
// window's open point to its rectangle on the screen (open) or back (close). They
// run synchronously for about 200 ms. Where there is no display to draw on (the
// offscreen platform, no application object) or animations are switched off,
// nothing is drawn but the rectangles are still worked out and returned.
// nullopt means an error the caller passes over: no window, or a slot outside
// the array.
std::optional<ZoomRects> animateOpen(QWidget *window, int slot);
std::optional<ZoomRects> animateClose(QWidget *window, int slot);

// Switches the drawing off (program-wide), e.g. for tests that drive real windows.
void setWindowAnimationsEnabled(bool enabled);

} // namespace tess
