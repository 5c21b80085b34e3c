// tessarolith-batch: the thumbnail run of the program, from the command line.
// It reads the settings file but never writes it.
#include "platform/program_folder.h"
#include "settings/settings_file.h"
#include "settings/thumb_settings.h"
#include "thumbs/batch_engine.h"
#include "thumbs/source_listing.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>

namespace {

const char kUsage[] = "usage: tessarolith-batch [--settings FILE] [--jobs N] [--quiet] SOURCE_FOLDER\n";

const char kHelp[] =
    "Makes a thumbnail of every .bmp and .jpg picture of SOURCE_FOLDER, as the\n"
    "Tessarolith window does, with the settings of its settings file.\n"
    "\n"
    "  --settings FILE  settings file to read (default: Tessarolith.ini beside this program);\n"
    "                   it is only read, never written\n"
    "  --jobs N         threads that decode pictures ahead of the one in hand\n"
    "                   (default: one per core)\n"
    "  --quiet          print only the summary line\n"
    "  --help           this text\n"
    "\n"
    "Prints one line per picture: the thumbnail's name, or the name followed by\n"
    "(スキップ) when it already existed and the settings say skip; then a summary.\n"
    "Exit status: 0 the run completed, 1 it ended at a file that failed (the reason\n"
    "on stderr), 2 bad arguments or a missing folder.\n";

void print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
}

int usageError(const QString &problem)
{
    print(stderr, QStringLiteral("tessarolith-batch: ") + problem + QLatin1Char('\n'));
    std::fputs(kUsage, stderr);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();

    QString settingsPath = tess::programFolder() + QStringLiteral("/Tessarolith.ini");
    int jobs = tess::defaultDecodeThreads();
    bool quiet = false;
    QString folder;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            std::fputs(kUsage, stdout);
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (arg == QLatin1String("--quiet")) {
            quiet = true;
        } else if (arg == QLatin1String("--settings") || arg == QLatin1String("--jobs")) {
            if (i + 1 >= args.size())
                return usageError(arg + QStringLiteral(" needs a value"));
            const QString value = args[++i];
            if (arg == QLatin1String("--settings")) {
                settingsPath = value;
            } else {
                bool ok = false;
                jobs = value.toInt(&ok);
                if (!ok || jobs < 1 || jobs > 256)
                    return usageError(QStringLiteral("--jobs takes a number from 1 to 256"));
            }
        } else if (arg.startsWith(QLatin1String("--"))) {
            return usageError(QStringLiteral("unknown option ") + arg);
        } else if (folder.isEmpty()) {
            folder = arg;
        } else {
            return usageError(QStringLiteral("only one SOURCE_FOLDER"));
        }
    }
    if (folder.isEmpty())
        return usageError(QStringLiteral("no SOURCE_FOLDER"));
    if (!QFileInfo(folder).isDir())
        return usageError(QStringLiteral("フォルダが見つかりません: ") + folder);
    folder = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());

    tess::ThumbSettings settings;
    tess::LoadSettings(settings, settingsPath, tess::programFolder());

    const tess::SourceListing listing = tess::ListSourceFolder(folder);
    if (listing.failure) {
        print(stderr, listing.failure->text() + QLatin1Char('\n'));
        return 1;
    }

    tess::BatchEngine engine(settings, jobs);
    tess::Picture canvas;
    tess::BatchCallbacks callbacks;
    if (!quiet) {
        callbacks.fileDone = [](int, const QString &outputName, bool written) {
            print(stdout, written ? outputName + QLatin1Char('\n')
                                  : outputName + QStringLiteral(" (スキップ)\n"));
            std::fflush(stdout);
        };
    }
    QElapsedTimer clock;
    clock.start();
    tess::BatchResult result;
    try {
        result = engine.run(listing.names, folder, canvas, callbacks);
    } catch (...) {
        result.end = tess::BatchEnd::Failed;
        result.failure = tess::Failure{folder, tess::exceptionMessage(std::current_exception())};
    }
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    const int pictures = result.written + result.skipped;
    const double msPerPicture = pictures > 0 ? seconds * 1000.0 / pictures : 0.0;
    print(stdout, QStringLiteral("written %1, skipped %2, %3 s, %4 ms/picture\n")
                      .arg(result.written)
                      .arg(result.skipped)
                      .arg(seconds, 0, 'f', 3)
                      .arg(msPerPicture, 0, 'f', 1));
    if (result.end == tess::BatchEnd::Failed) {
        print(stderr, (result.failure ? result.failure->text() : QStringLiteral("失敗しました。"))
                          + QLatin1Char('\n'));
        return 1;
    }
    return 0;
}
