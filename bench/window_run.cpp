// Times one folder's run through the main window (with its live canvas and
// progress bar, on whatever display Qt has) against the same run through the
// engine alone, as tessarolith-batch drives it, and prints both.
//   window_run SETTINGS_FILE SOURCE_FOLDER [REPEATS]
#include "app/main_window.h"
#include "chrome/window_animation.h"
#include "platform/program_folder.h"
#include "platform/ui/dialogs.h"
#include "settings/thumb_settings.h"
#include "thumbs/batch_engine.h"
#include "thumbs/source_listing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Answers the folder picker with the bench's folder; messages are swallowed.
class BenchDialogs final : public tess::Dialogs {
public:
    explicit BenchDialogs(QString folder) : m_folder(std::move(folder)) {}
    std::optional<QString> pickFolder(QWidget *, const QString &) override { return m_folder; }
    std::int32_t pickColour(QWidget *, std::int32_t) override { return -1; }
    void message(QWidget *, const QString &, const QString &) override {}

private:
    QString m_folder;
};

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
    QTemporaryDir program;
    QFile::copy(QString::fromLocal8Bit(argv[1]), program.filePath(QStringLiteral("Tessarolith.ini")));
    tess::setProgramFolderForTesting(program.path());
    BenchDialogs dialogs(folder);
    tess::setDialogsForTesting(&dialogs);
    tess::setWindowAnimationsEnabled(false);

    tess::ThumbSettings settings;
    tess::MainWindow window(settings);
    window.show();
    app.processEvents();
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
    tess::setDialogsForTesting(nullptr);
    return 0;
}
