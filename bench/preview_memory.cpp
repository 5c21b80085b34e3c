// How much the window's peak resident memory grows while it previews the first
// picture of a folder (list it, wait for the preview to be shown), in KB.
//   preview_memory SETTINGS_FILE SOURCE_FOLDER
#include "bench_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>

#include <cstdio>
#include <sys/resource.h>

namespace {

long peakKb()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: preview_memory SETTINGS_FILE SOURCE_FOLDER\n");
        return 2;
    }
    BenchWindow bench(argv[1], QString());
    tess::MainWindow &window = *bench.window;
    const long before = peakKb();

    QElapsedTimer clock;
    clock.start();
    window.ListFolder(QString::fromLocal8Bit(argv[2]));
    while (window.scanning() || window.previewing())
        app.processEvents(QEventLoop::WaitForMoreEvents, 50);
    app.processEvents();
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    std::printf("%ld KB more (picture %s, %.0f ms)\n", peakKb() - before,
                qPrintable(window.lbl_PreSize->text()), ms);
    return 0;
}
