#pragma once
#include <QElapsedTimer>

namespace tess {

// Lets a busy loop on the GUI thread repaint and serve the event loop once per
// frame of the screen, not once per step: more often never reaches the screen
// and only slows the loop.
class FramePacer {
public:
    // framesPerSecond <= 0: the primary screen's refresh rate (60 without one).
    explicit FramePacer(double framesPerSecond = 0.0);
    // True when a frame has passed since the last true; the first call is true.
    bool due();
    qint64 frameNanoseconds() const { return m_frame; }

private:
    QElapsedTimer m_clock;
    qint64 m_frame;
    qint64 m_last = -1;
};

} // namespace tess
