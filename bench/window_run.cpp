// Times the window's run of one folder, started by a real click on its run
// button, against tessarolith-batch on the same folder and settings, and
// prints both. Run it on an X display (Xvfb) with xdotool.
//   window_run BIN_DIR SETTINGS_FILE SOURCE_FOLDER [REPEATS]
// The window's time runs from the click to the last thumbnail's arrival in
// the save folder (watched with inotify); the batch's is its whole process.
#include "support/xdotool_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <sys/inotify.h>
#include <unistd.h>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void pause(int ms)
{
    QThread::msleep(ms);
}

// Blocks until `folder` holds `count` files, woken by the folder's own changes.
bool waitForFiles(const QString &folder, int count, int timeoutMs)
{
    const int watch = ::inotify_init1(IN_CLOEXEC);
    ::inotify_add_watch(watch, QFile::encodeName(folder).constData(), IN_MOVED_TO | IN_CLOSE_WRITE);
    QElapsedTimer clock;
    clock.start();
    char events[4096];
    bool done = false;
    while (!(done = QDir(folder).entryList(QDir::Files).size() >= count) && clock.elapsed() < timeoutMs) {
        if (::read(watch, events, sizeof events) < 0)
            break;
    }
    ::close(watch);
    return done;
}

void emptyFolder(const QString &folder)
{
    for (const QString &name : QDir(folder).entryList(QDir::Files))
        QFile::remove(folder + QLatin1Char('/') + name);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: window_run BIN_DIR SETTINGS_FILE SOURCE_FOLDER [REPEATS]\n");
        return 2;
    }
    const QString bin = QString::fromLocal8Bit(argv[1]);
    const QString settings = QString::fromLocal8Bit(argv[2]);
    const QString folder = QString::fromLocal8Bit(argv[3]);
    const int repeats = argc > 4 ? std::max(1, std::atoi(argv[4])) : 3;
    const int pictures = int(QDir(folder).entryList(QDir::Files).size());
    // The save folder the settings name: the bench's scripts make it "out"
    // beside the settings file.
    const QString out = QFileInfo(settings).dir().filePath(QStringLiteral("out"));

    // A program folder of its own: the window reads the settings beside itself.
    QTemporaryDir program;
    const QString copy = program.filePath(QStringLiteral("tessarolith"));
    if (!QFile::copy(bin + QStringLiteral("/tessarolith"), copy) || !QFile::copy(settings, program.filePath(QStringLiteral("Tessarolith.ini")))
        || !QFile::setPermissions(copy, QFile::permissions(copy) | QFileDevice::ExeOwner)) {
        std::fprintf(stderr, "window_run: cannot copy the program\n");
        return 1;
    }

    std::vector<double> windowMs;
    std::vector<double> batchMs;
    for (int i = 0; i < repeats; ++i) {
        emptyFolder(out);
        QProcess window;
        const std::optional<QRect> shown =
            xdotool_support::startWithWindow(window, copy, {folder}, QStringLiteral("Tessarolith　Ver"));
        if (!shown) {
            std::fprintf(stderr, "window_run: no window\n");
            return 1;
        }
        pause(1500); // the listing and the first preview
        const QPoint button = xdotool_support::runButtonCentre(shown->topLeft());
        xdotool_support::xdotool({"mousemove", QString::number(button.x()), QString::number(button.y())});
        pause(300);
        QElapsedTimer clock;
        clock.start();
        xdotool_support::xdotool({"click", "1"});
        if (!waitForFiles(out, pictures, 120000)) {
            std::fprintf(stderr, "window_run: the window's run did not finish\n");
            return 1;
        }
        windowMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        ::kill(pid_t(window.processId()), SIGTERM);
        window.waitForFinished();

        emptyFolder(out);
        QProcess batch;
        batch.setProgram(bin + QStringLiteral("/tessarolith-batch"));
        batch.setArguments({QStringLiteral("--quiet"), QStringLiteral("--settings"), settings, folder});
        clock.restart();
        batch.start();
        batch.waitForFinished(120000);
        batchMs.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    const double w = median(windowMs);
    const double b = median(batchMs);
    std::printf("%d pictures: window (real click) %.0f ms, tessarolith-batch %.0f ms, ratio %.2f\n", pictures, w, b,
                w / b);
    return 0;
}
