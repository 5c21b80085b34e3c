// How much the window's peak resident memory grows while it previews the first
// picture of a folder (list it, wait for the preview to be shown), in KB.
//   preview_memory SETTINGS_FILE SOURCE_FOLDER
#include "app/main_window.h"
#include "chrome/window_animation.h"
#include "platform/program_folder.h"
#include "platform/ui/dialogs.h"
#include "settings/thumb_settings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

namespace {

// Messages are swallowed; the folder comes by ListFolder, not the picker.
class QuietDialogs final : public tess::Dialogs {
public:
    std::optional<QString> pickFolder(QWidget *, const QString &) override { return std::nullopt; }
    std::int32_t pickColour(QWidget *, std::int32_t) override { return -1; }
    void message(QWidget *, const QString &, const QString &) override {}
};

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
    QTemporaryDir program;
    QFile::copy(QString::fromLocal8Bit(argv[1]), program.filePath(QStringLiteral("Tessarolith.ini")));
    tess::setProgramFolderForTesting(program.path());
    QuietDialogs dialogs;
    tess::setDialogsForTesting(&dialogs);
    tess::setWindowAnimationsEnabled(false);

    tess::ThumbSettings settings;
    tess::MainWindow window(settings);
    window.show();
    app.processEvents();
    const long before = peakKb();

    QElapsedTimer clock;
    clock.start();
    window.ListFolder(QString::fromLocal8Bit(argv[2]));
    while (window.previewing())
        app.processEvents(QEventLoop::WaitForMoreEvents, 50);
    app.processEvents();
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    std::printf("%ld KB more (picture %s, %.0f ms)\n", peakKb() - before,
                qPrintable(window.lbl_PreSize->text()), ms);
    tess::setDialogsForTesting(nullptr);
    return 0;
}
