#include "app/frame_pacer.h"

#include <QGuiApplication>
#include <QScreen>

namespace tess {

namespace {

double screenRate()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double rate = screen ? screen->refreshRate() : 0.0;
    return rate >= 1.0 ? rate : 60.0;
}

} // namespace

FramePacer::FramePacer(double framesPerSecond)
    : m_frame(qint64(1e9 / (framesPerSecond > 0.0 ? framesPerSecond : screenRate())))
{
    m_clock.start();
}

bool FramePacer::due()
{
    const qint64 now = m_clock.nsecsElapsed();
    if (m_last >= 0 && now - m_last < m_frame)
        return false;
    m_last = now;
    return true;
}

} // namespace tess
