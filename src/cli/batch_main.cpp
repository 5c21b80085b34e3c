// tessarolith-batch: the thumbnail run of the program, from the command line.
// It reads the settings file but never writes it.
#include "cli/batch_help.h"
#include "cli/batch_listing.h"
#include "cli/batch_options.h"
#include "cli/batch_progress.h"
#include "cli/batch_settings_check.h"
#include "cli/batch_shard.h"
#include "cli/batch_signals.h"
#include "platform/app_locations.h"
#include "platform/file_names.h"
#include "platform/file_services.h"
#include "platform/program_folder.h"
#include "platform/ui_language.h"
#include "platform/writes_in_flight.h"
#include "settings/settings_file.h"
#include "settings/thumb_settings.h"
#include "thumbs/batch_engine.h"
#include "thumbs/cache_filler.h"
#include "thumbs/output_writer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <optional>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tess;

namespace {

int usageError(const QString &problem)
{
    printText(stderr, QStringLiteral("tessarolith-batch: ") + problem + QLatin1Char('\n'));
    std::fputs(kBatchUsage, stderr);
    return 2;
}

// Why an explicitly named settings file can't be read, or nothing.
std::optional<QString> settingsFileProblem(const QString &path)
{
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return systemErrorText(errno);
    struct stat st {};
    const bool isDirectory = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
    ::close(fd);
    if (isDirectory)
        return QCoreApplication::translate("Batch", "フォルダです。");
    return std::nullopt;
}

QString absoluteFolder(const QString &path)
{
    return QDir::cleanPath(path.startsWith(QLatin1Char('/')) ? path : currentFolder() + QLatin1Char('/') + path);
}

// What the run has done so far, readable from the signal thread.
struct Tally {
    int sizes = 1;
    std::atomic<int> pictures{0}; // with a thumbnail written or skipped
    std::atomic<int> written{0};
    std::atomic<int> skipped{0};
    std::atomic<int> failed{0};
    QElapsedTimer clock;
};

// Whoever prints the summary first: the end of main, or a second signal.
std::atomic<bool> g_summaryClaimed{false};

void printSummary(const Tally &tally, bool stopped)
{
    const double seconds = double(tally.clock.nsecsElapsed()) / 1e9;
    const int pictures = tally.pictures;
    const double msPerPicture = pictures > 0 ? seconds * 1000.0 / pictures : 0.0;
    // Several sizes: written and skipped count files, failed counts pictures.
    const QString counts = tally.sizes > 1 ? QStringLiteral("pictures %1, files ").arg(pictures) : QString();
    printText(stdout, counts + QStringLiteral("written %1, skipped %2, failed %3, %4 s, %5 ms/picture%6\n")
                          .arg(tally.written.load())
                          .arg(tally.skipped.load())
                          .arg(tally.failed.load())
                          .arg(seconds, 0, 'f', 3)
                          .arg(msPerPicture, 0, 'f', 1)
                          .arg(stopped ? QStringLiteral(", stopped") : QString()));
    std::fflush(stdout);
}

// SIGINT or SIGTERM: the first asks `stop` to end the run after the picture
// in hand; a second ends the process at once with the summary, leaving no
// temporary file and no thumbnail half written.
void watchStopSignals(StopSignals &stops, const Tally &tally, bool stderrIsTerminal, std::function<void()> stop)
{
    stops.watch(
        [&stops, &tally, stderrIsTerminal](int) {
            abandonWritesInFlight();
            // When the run has ended already, main prints the summary and exits.
            if (g_summaryClaimed.exchange(true))
                return;
            if (stderrIsTerminal)
                std::fputs("\r\x1b[K", stderr);
            printSummary(tally, true);
            ::_exit(128 + stops.received());
        },
        std::move(stop));
}

// The summary at the run's end, unless a second signal is printing it; then
// the status a stop gives, or nothing.
std::optional<int> summarise(BatchProgress &progress, const Tally &tally, const StopSignals &stops)
{
    progress.finish();
    if (g_summaryClaimed.exchange(true)) {
        for (;;) // a second signal is ending the process
            ::pause();
    }
    printSummary(tally, stops.received() != 0);
    if (stops.received())
        return 128 + stops.received();
    return std::nullopt;
}

// The desktop's thumbnail cache filled for the folder's pictures: the same
// listing, progress, summary, signals and exit statuses as a thumbnail run.
int fillThumbnailCache(const BatchOptions &options, const QString &folder)
{
    const QByteArray root = cacheRoot();
    if (root.isEmpty())
        return usageError(QStringLiteral("--thumbnail-cache: ") + QCoreApplication::translate("Batch", "キャッシュのフォルダがわかりません。"));
    const QString rootName = absoluteFolder(nameFromNative(root));
    // Thumbnails are never taken for pictures.
    if (folder == rootName || folder.startsWith(rootName + QLatin1Char('/')))
        return usageError(QStringLiteral("--thumbnail-cache: キャッシュのフォルダは対象にできません。"));
    const BatchListing listing = shardOf(listBatchFolders(folder, options.recursive, rootName), options.shard);

    static Tally tally;
    tally.clock.start();
    const bool stderrIsTerminal = ::isatty(STDERR_FILENO) == 1;
    BatchProgress progress(progressStyleFor(options.quiet, stderrIsTerminal, ::isatty(STDOUT_FILENO) == 1),
                           listing.pictureCount());
    for (const Failure &failure : listing.failures) {
        ++tally.failed;
        progress.fileFailed(failure);
    }
    static CacheFiller filler(nativePath(rootName), *options.thumbnailCache, "tessarolith-" TESS_VERSION,
                              options.jobs);
    static StopSignals stopSignals;
    watchStopSignals(stopSignals, tally, stderrIsTerminal, [] { filler.requestStop(); });

    std::vector<QByteArray> pictures;
    QStringList shown;
    for (const BatchFolder &part : listing.folders) {
        const QString source = part.relative.isEmpty() ? folder : folder + QLatin1Char('/') + part.relative;
        const QString prefix = part.relative.isEmpty() ? QString() : part.relative + QLatin1Char('/');
        for (const QString &name : part.names) {
            pictures.push_back(nativePath(source + QLatin1Char('/') + name));
            shown.append(prefix + name);
        }
    }
    CacheCallbacks callbacks;
    callbacks.done = [&](int index, bool written) {
        ++tally.pictures;
        ++(written ? tally.written : tally.skipped);
        progress.fileDone(shown[index], written);
    };
    callbacks.failed = [&](int, const Failure &failure) {
        ++tally.failed;
        progress.fileFailed(failure);
    };
    if (!stopSignals.received())
        filler.run(pictures, callbacks);

    if (const std::optional<int> stopped = summarise(progress, tally, stopSignals))
        return *stopped;
    return tally.failed > 0 ? 1 : 0;
}

} // namespace

int main(int argc, char **argv)
{
    // Before any thread exists, so that every thread leaves the signals to the watcher.
    StopSignals::block();
    QCoreApplication app(argc, argv);
    // The engine's messages speak the desktop's language; the help is English whatever it is.
    tess::installProgramTranslation(&app, tess::desktopUiLanguage());
    // From argv itself: a folder named in bytes that are not UTF-8 must reach
    // the listing as those bytes.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(nameFromNative(QByteArray(argv[i])));

    const ParsedArguments parsed = parseBatchArguments(arguments);
    if (parsed.request == BatchRequest::Help) {
        std::fputs(kBatchUsage, stdout);
        std::fputs(kBatchHelp, stdout);
        return 0;
    }
    if (parsed.request == BatchRequest::Version) {
        std::fputs("tessarolith-batch " TESS_VERSION "\n", stdout);
        return 0;
    }
    if (parsed.error)
        return usageError(*parsed.error);
    const BatchOptions &options = parsed.options;

    const auto attributes = fileAttributes(options.folder);
    if (!attributes || (*attributes & AttributeDirectory) == 0)
        return usageError(QCoreApplication::translate("Batch", "フォルダが見つかりません: ") + displayName(options.folder));
    const QString folder = absoluteFolder(options.folder);
    if (options.thumbnailCache)
        return fillThumbnailCache(options, folder);

    const AppLocations locations = appLocations();
    const QString defaultSettingsPath = locations.settingsFile;
    if (options.settingsPath) {
        if (const auto problem = settingsFileProblem(*options.settingsPath))
            return usageError(QStringLiteral("--settings ") + *options.settingsPath + QStringLiteral(": ") + *problem);
    }
    // Read once: the settings and the warning about them come from the same bytes.
    const PrivateProfile settingsFile = readSettingsFile(options.settingsPath.value_or(defaultSettingsPath));
    if (options.settingsPath) {
        if (const auto warning = settingsKeysWarning(*options.settingsPath, settingsFileKeys(settingsFile)))
            printText(stderr, QStringLiteral("tessarolith-batch: ") + *warning + QLatin1Char('\n'));
    }
    ThumbSettings settings;
    LoadSettings(settings, settingsFile, locations.defaultSaveFolder);
    SettingsOverlay overlay = options.overlay;
    if (overlay.SaveFolder)
        overlay.SaveFolder = absoluteFolder(*overlay.SaveFolder);
    applyOverlay(settings, overlay);

    if (const auto problem = outputNamesProblem(settings))
        return usageError(problem->text());
    if (const auto problem = losslessProblem(settings, options.lossless))
        return usageError(*problem);

    const BatchListing listing = shardOf(listBatchFolders(folder, options.recursive, settings.SaveFolder), options.shard);
    if (!listing.failures.empty() && !options.keepGoing) {
        printText(stderr, listing.failures.front().text() + QLatin1Char('\n'));
        return 1;
    }
    if (overlay.SaveFolder && !makeFolderPath(*overlay.SaveFolder))
        return usageError(QStringLiteral("--out ") + *overlay.SaveFolder + QCoreApplication::translate("Batch", ": 保存フォルダを作れません。"));

    static Tally tally;
    tally.sizes = std::max<int>(1, int(options.sizes.size()));
    tally.clock.start();
    const bool stderrIsTerminal = ::isatty(STDERR_FILENO) == 1;
    BatchProgress progress(progressStyleFor(options.quiet, stderrIsTerminal, ::isatty(STDOUT_FILENO) == 1),
                           listing.pictureCount() * tally.sizes);
    for (const Failure &failure : listing.failures) {
        ++tally.failed;
        progress.fileFailed(failure);
    }

    // Static, as the signal thread's stop request may come as main returns.
    static BatchEngine engine(options.jobs);
    engine.setKeepGoing(options.keepGoing);
    engine.setRawSource(options.raw);
    engine.setSizes(options.sizes);
    engine.setEncodeOptions(EncodeOptions{options.lossless});
    static StopSignals stopSignals;
    watchStopSignals(stopSignals, tally, stderrIsTerminal, [] { engine.requestStop(); });

    // One run over every folder, so the workers look ahead across folders.
    std::vector<ThumbnailJob> jobs;
    QStringList shownPrefixes; // each job's folder as the progress lines show it
    for (const BatchFolder &part : listing.folders) {
        const QString source = part.relative.isEmpty() ? folder : folder + QLatin1Char('/') + part.relative;
        for (ThumbnailJob &job : jobsForFolder(source, part.names, part.relative)) {
            jobs.push_back(std::move(job));
            shownPrefixes.append(part.relative.isEmpty() ? QString() : part.relative + QLatin1Char('/'));
        }
    }
    BatchCallbacks callbacks;
    int lastPicture = -1;
    callbacks.fileDone = [&](int index, const QString &outputName, bool written) {
        if (index != lastPicture) {
            lastPicture = index;
            ++tally.pictures;
        }
        ++(written ? tally.written : tally.skipped);
        // Several sizes: "WxH/" comes first, as the folders lie.
        const qsizetype slash = tally.sizes > 1 ? outputName.indexOf(QLatin1Char('/')) + 1 : 0;
        progress.fileDone(outputName.left(slash) + shownPrefixes[index] + outputName.mid(slash), written);
    };
    callbacks.fileFailed = [&](int, const Failure &fileFailure) {
        ++tally.failed;
        progress.fileFailed(fileFailure);
    };
    std::optional<Failure> failure;
    if (!stopSignals.received()) {
        const BatchResult result = engine.run(jobs, settings, callbacks);
        if (result.end == BatchEnd::Failed)
            failure = result.failure.value_or(Failure{folder, QCoreApplication::translate("Batch", "失敗しました。")});
    }

    if (const std::optional<int> stopped = summarise(progress, tally, stopSignals))
        return *stopped;
    if (failure) {
        printText(stderr, failure->text() + QLatin1Char('\n'));
        return 1;
    }
    return tally.failed > 0 ? 1 : 0;
}
