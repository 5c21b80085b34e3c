// Times one folder's run through the main window (with its live canvas and
// progress bar, on whatever display Qt has) against the same run through the
// engine alone, as tessarolith-batch drives it, and prints both.
//   window_run SETTINGS_FILE SOURCE_FOLDER [REPEATS]
#include "bench_window.h"
#include "thumbs/batch_engine.h"
#include "thumbs/source_listing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: window_run SETTINGS_FILE SOURCE_FOLDER [REPEATS]\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[2]);
    const int repeats = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    BenchWindow bench(argv[1], folder);
    tess::MainWindow &window = *bench.window;
    const tess::ThumbSettings &settings = bench.settings;
    window.SelectSourceFolder();
    while (window.scanning())
        app.processEvents();
    const QStringList entries = tess::ListSourceFolder(folder).names;

    std::vector<double> windowMs;
    std::vector<double> engineMs;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer clock;
        clock.start();
        window.Cmd_Thumb_Click();
        app.processEvents(); // what the run left to paint
        windowMs.push_back(double(clock.nsecsElapsed()) / 1e6);

        tess::BatchEngine engine;
        clock.restart();
        engine.run(tess::jobsForFolder(folder, entries), settings);
        engineMs.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    const double w = median(windowMs);
    const double e = median(engineMs);
    std::printf("%d pictures: window %.0f ms, engine alone %.0f ms, ratio %.2f\n", int(entries.size()), w, e, w / e);
    return 0;
}
