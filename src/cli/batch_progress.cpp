#include "cli/batch_progress.h"

#include "platform/file_names.h"

#include <algorithm>
#include <cmath>
#include <QCoreApplication>

namespace tess {

namespace {
// A terminal needs no more than ten redraws a second.
constexpr qint64 kRedrawMs = 100;
const char kClearLine[] = "\r\x1b[K";
} // namespace

void printText(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
}

QString clockText(double seconds)
{
    const qint64 whole = std::llround(std::max(0.0, seconds));
    const qint64 hours = whole / 3600, minutes = whole / 60 % 60, secs = whole % 60;
    const QChar zero(u'0');
    if (hours > 0)
        return QStringLiteral("%1:%2:%3").arg(hours).arg(minutes, 2, 10, zero).arg(secs, 2, 10, zero);
    return QStringLiteral("%1:%2").arg(minutes).arg(secs, 2, 10, zero);
}

QString progressLine(int done, int total, double seconds)
{
    const double rate = done > 0 && seconds > 0 ? done / seconds : 0.0;
    const QString left = rate > 0 ? clockText((total - done) / rate) : QStringLiteral("--:--");
    return QStringLiteral("%1/%2 files, %3 pictures/s, %4 left").arg(done).arg(total).arg(rate, 0, 'f', 1).arg(left);
}

ProgressStyle progressStyleFor(bool quiet, bool stderrIsTerminal, bool stdoutIsTerminal)
{
    if (quiet)
        return {};
    ProgressStyle style;
    style.statusLine = stderrIsTerminal;
    style.fileLines = !(stderrIsTerminal && stdoutIsTerminal);
    return style;
}

BatchProgress::BatchProgress(ProgressStyle style, int total)
    : m_style(style)
    , m_total(total)
{
    m_clock.start();
    redraw(true);
}

void BatchProgress::fileDone(const QString &shownName, bool written)
{
    ++m_done;
    if (m_style.fileLines) {
        // Escaped: one line per file, whatever bytes the name holds.
        const QString shown = displayName(shownName);
        printText(stdout, written ? shown + QLatin1Char('\n') : shown + QCoreApplication::translate("Batch", " (スキップ)\n"));
        std::fflush(stdout);
    }
    redraw(m_done == m_total);
}

void BatchProgress::fileFailed(const Failure &failure)
{
    ++m_done;
    clearStatus();
    printText(stderr, failure.file.isEmpty() ? failure.message + QLatin1Char('\n')
                                             : displayName(failure.file) + QStringLiteral(": ") + failure.message
                                                   + QLatin1Char('\n'));
    std::fflush(stderr);
    redraw(true);
}

void BatchProgress::finish()
{
    clearStatus();
}

void BatchProgress::redraw(bool now)
{
    if (!m_style.statusLine)
        return;
    const qint64 elapsed = m_clock.elapsed();
    if (!now && m_lastDrawn >= 0 && elapsed - m_lastDrawn < kRedrawMs)
        return;
    m_lastDrawn = elapsed;
    std::fputs(kClearLine, stderr);
    printText(stderr, progressLine(m_done, m_total, double(elapsed) / 1000.0));
    std::fflush(stderr);
    m_statusShown = true;
}

void BatchProgress::clearStatus()
{
    if (!m_statusShown)
        return;
    std::fputs(kClearLine, stderr);
    std::fflush(stderr);
    m_statusShown = false;
}

} // namespace tess
