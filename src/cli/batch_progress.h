#pragma once
#include "platform/failure.h"

#include <QElapsedTimer>
#include <QString>
#include <cstdio>

namespace tess {

// "12/340 files, 8.3 pictures/s, 0:40 left": files done of all, the rate so
// far and the time the rest takes at that rate ("--:--" before the first file).
QString progressLine(int done, int total, double seconds);
// Seconds as "M:SS", or "H:MM:SS" from an hour up.
QString clockText(double seconds);

// How a run tells the terminal what it does.
struct ProgressStyle {
    bool statusLine = false; // one line on stderr, redrawn in place
    bool fileLines = false;  // one line per file on stdout
};
// --quiet prints neither. A status line needs stderr on a terminal; it stands
// for the per-file lines when stdout is that terminal too.
ProgressStyle progressStyleFor(bool quiet, bool stderrIsTerminal, bool stdoutIsTerminal);

class BatchProgress {
public:
    BatchProgress(ProgressStyle style, int total);

    void fileDone(const QString &shownName, bool written);
    // Named on stderr whatever the style: a keep-going run goes on after it.
    void fileFailed(const Failure &failure);
    // Takes the status line away before the summary.
    void finish();

private:
    void redraw(bool now);
    void clearStatus();

    const ProgressStyle m_style;
    const int m_total;
    int m_done = 0;
    bool m_statusShown = false;
    QElapsedTimer m_clock;
    qint64 m_lastDrawn = -1;
};

// Text as UTF-8 on a stream.
void printText(FILE *stream, const QString &text);

} // namespace tess
