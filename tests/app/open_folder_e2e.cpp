// The real program started with a folder, as a file manager's "Open with"
// starts it: the folder is listed and the run button works at once. A person's
// mouse is played by xdotool on the Xvfb display.
#include "support/xdotool_support.h"
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
using namespace xdotool_support;

namespace {

constexpr int kTimeoutMs = 30000;

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
        const std::optional<QRect> shown = startWithWindow(tessarolith, program, {source}, QStringLiteral("Tessarolith"));
        QVERIFY2(shown, "the main window did not show");
        const QPoint corner = shown->topLeft();
        QTest::qWait(500); // the open animation and the listing

        QVERIFY(clickAt(runButtonCentre(corner), [](int ms) { QTest::qWait(ms); }));

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
