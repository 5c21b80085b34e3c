// The real program started with a folder, as a file manager's "Open with"
// starts it: the folder is listed and the run button works at once. A person's
// mouse is played by xdotool on the Xvfb display.
#include "app/single_instance.h"
#include "settings/settings_file.h"
#include "settings/thumb_settings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

using namespace tess;

namespace {

constexpr int kTimeoutMs = 30000;

// Runs xdotool and gives its standard output; nothing when it failed.
std::optional<QString> xdotool(const QStringList &args)
{
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), args);
    if (!tool.waitForFinished(kTimeoutMs) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(tool.readAllStandardOutput());
}

// The top-left corner of the visible window whose title holds text.
std::optional<QPoint> windowCorner(const QString &text)
{
    const QString ids = xdotool({"search", "--sync", "--onlyvisible", "--name", text}).value_or(QString());
    const QString id = ids.section(u'\n', 0, 0).trimmed();
    if (id.isEmpty())
        return std::nullopt;
    const QString shell = xdotool({"getwindowgeometry", "--shell", id}).value_or(QString());
    int x = -1, y = -1;
    for (const QString &line : shell.split(u'\n')) {
        if (line.startsWith(QLatin1String("X=")))
            x = line.mid(2).toInt();
        else if (line.startsWith(QLatin1String("Y=")))
            y = line.mid(2).toInt();
    }
    if (x < 0 || y < 0)
        return std::nullopt;
    return QPoint(x, y);
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

} // namespace

class OpenFolderEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void startedWithAFolderListsItAndRuns()
    {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty(), "xdotool is missing");
        QTemporaryDir scratch;
        const QString programFolder = scratch.filePath(QStringLiteral("program"));
        const QString source = scratch.filePath(QStringLiteral("source with space"));
        const QString out = scratch.filePath(QStringLiteral("out"));
        for (const QString &folder : {programFolder, source, out})
            QVERIFY(QDir().mkpath(folder));
        const QString program = programFolder + QStringLiteral("/tessarolith");
        QVERIFY(QFile::copy(QStringLiteral(TESS_BIN_DIR "/tessarolith"), program));
        QVERIFY(QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner));
        QVERIFY(QFile::copy(QStringLiteral(TESS_CORPUS_DIR "/bmpsuite/g/pal4.bmp"), source + QStringLiteral("/pal4.bmp")));
        QVERIFY(QFile::copy(QStringLiteral(TESS_CORPUS_DIR "/jpeg/good/libjpeg-turbo/testimgcrop.jpg"),
                            source + QStringLiteral("/crop.jpg")));
        ThumbSettings chosen = defaultSettings(out);
        chosen.Prefix = QStringLiteral("T_");
        QVERIFY(SaveSettings(chosen, programFolder + QStringLiteral("/Tessarolith.ini")));

        QProcess tessarolith;
        tessarolith.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        tessarolith.start(program, {source});
        QVERIFY(tessarolith.waitForStarted());
        const std::optional<QPoint> corner = windowCorner(QStringLiteral("Tessarolith"));
        QVERIFY2(corner, "the main window did not show");
        QTest::qWait(500); // the open animation and the listing

        // The run button's centre: Pic_C 20 px down, Pic_1 8 px in, the button
        // at (192, 404) in Pic_1 and 157 x 25 px large.
        const QPoint runButton = *corner + QPoint(8 + 192 + 78, 20 + 8 + 404 + 12);
        QVERIFY(xdotool({"mousemove", QString::number(runButton.x()), QString::number(runButton.y())}).has_value());
        QTest::qWait(300); // the button's hover probe sees the pointer
        QVERIFY(xdotool({"click", "1"}).has_value());

        QElapsedTimer clock;
        clock.start();
        while (filesIn(out).size() < 2 && clock.elapsed() < kTimeoutMs)
            QTest::qWait(50);
        QCOMPARE(filesIn(out), (QStringList{"T_crop.jpg", "T_pal4.jpg"}));

        // The run ends with its message box; the window still closes on request.
        ::kill(pid_t(tessarolith.processId()), SIGTERM);
        QVERIFY(tessarolith.waitForFinished(kTimeoutMs));
        QCOMPARE(tessarolith.exitCode(), 0);
    }
};

QTEST_MAIN(OpenFolderEndToEnd)
#include "open_folder_e2e.moc"
