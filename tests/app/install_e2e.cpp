// An installed copy (cmake --install into a scratch prefix) keeps its files in
// the user's folders, whoever runs it; a portable copy keeps them beside itself.
#include "support/xdotool_support.h"
#include "app/single_instance.h"
#include "settings/settings_file.h"
#include "settings/thumb_settings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
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
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

bool copyFile(const QString &from, const QString &to)
{
    QFile::remove(to);
    return QFile::copy(from, to);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray gunzip(const QString &path)
{
    QProcess gzip;
    gzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), path});
    if (!gzip.waitForFinished(kTimeoutMs) || gzip.exitStatus() != QProcess::NormalExit || gzip.exitCode() != 0)
        return QByteArray();
    return gzip.readAllStandardOutput();
}

} // namespace

class InstallEndToEnd : public QObject {
    Q_OBJECT

    QTemporaryDir m_scratch;
    QString m_prefix;
    QString m_home;

    QString home(const QString &relative) const { return m_home + u'/' + relative; }
    QString xdgSettings() const { return home(QStringLiteral(".config/tessarolith/Tessarolith.ini")); }

    // A user of the scratch home: no XDG_CONFIG_HOME of the machine's own.
    QProcessEnvironment userEnvironment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_home);
        env.remove(QStringLiteral("XDG_CONFIG_HOME"));
        env.remove(QStringLiteral("XDG_PICTURES_DIR"));
        return env;
    }

    QString sourceFolder() const
    {
        const QString folder = m_scratch.filePath(QStringLiteral("source"));
        QDir().mkpath(folder);
        copyFile(QStringLiteral(TESS_CORPUS_DIR "/bmpsuite/g/pal4.bmp"), folder + QStringLiteral("/pal4.bmp"));
        copyFile(QStringLiteral(TESS_CORPUS_DIR "/jpeg/good/libjpeg-turbo/testimgcrop.jpg"),
                 folder + QStringLiteral("/crop.jpg"));
        return folder;
    }

    int runBatch(const QString &program, const QStringList &args) const
    {
        QProcess batch;
        batch.setProcessEnvironment(userEnvironment());
        batch.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        batch.setStandardOutputFile(QProcess::nullDevice());
        batch.start(program, args);
        if (!batch.waitForFinished(kTimeoutMs) || batch.exitStatus() != QProcess::NormalExit)
            return -1;
        return batch.exitCode();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_scratch.isValid());
        m_prefix = m_scratch.filePath(QStringLiteral("prefix"));
        m_home = m_scratch.filePath(QStringLiteral("home"));
        QVERIFY(QDir().mkpath(home(QStringLiteral("Pictures"))));
        QProcess install;
        install.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        install.setStandardOutputFile(QProcess::nullDevice());
        install.start(QStringLiteral(TESS_CMAKE_COMMAND),
                      {QStringLiteral("--install"), QStringLiteral(TESS_BUILD_DIR), QStringLiteral("--prefix"), m_prefix});
        QVERIFY(install.waitForFinished(kTimeoutMs));
        QCOMPARE(install.exitCode(), 0);
        QCOMPARE(filesIn(m_prefix + QStringLiteral("/bin")), (QStringList{"tessarolith", "tessarolith-batch", "tessarolith-thumbnailer"}));
    }

    void documentsAreInstalledAsDebianShipsThem_data()
    {
        QTest::addColumn<QString>("installed");
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("gzipped");
        QTest::newRow("window's manual page") << "share/man/man1/tessarolith.1.gz" << "doc/man/tessarolith.1" << true;
        QTest::newRow("batch's manual page")
            << "share/man/man1/tessarolith-batch.1.gz" << "doc/man/tessarolith-batch.1" << true;
        QTest::newRow("thumbnailer's manual page")
            << "share/man/man1/tessarolith-thumbnailer.1.gz" << "doc/man/tessarolith-thumbnailer.1" << true;
        QTest::newRow("changelog") << "share/doc/tessarolith/changelog.gz" << "data/debian/changelog" << true;
        QTest::newRow("copyright") << "share/doc/tessarolith/copyright" << "data/debian/copyright" << false;
    }

    // Gzipped at the highest level with no name or time in the header, so
    // two builds of the same text give the same package.
    void documentsAreInstalledAsDebianShipsThem()
    {
        QFETCH(QString, installed);
        QFETCH(QString, source);
        QFETCH(bool, gzipped);
        const QString path = m_prefix + u'/' + installed;
        const QByteArray expected = readAll(QStringLiteral(TESS_SOURCE_DIR "/") + source);
        QVERIFY(!expected.isEmpty());
        if (!gzipped) {
            QCOMPARE(readAll(path), expected);
            return;
        }
        const QByteArray header = readAll(path).left(10);
        QCOMPARE(header.size(), 10);
        QCOMPARE(header.left(4), QByteArray("\x1f\x8b\x08\x00", 4)); // deflate, no file name
        QCOMPARE(header.mid(4, 4), QByteArray(4, '\0'));                // no time
        QCOMPARE(int(header[8]), 2);                                     // best compression
        QCOMPARE(gunzip(path), expected);
    }

    void windowSavesIntoTheUsersConfigurationFolder()
    {
        QFile::remove(xdgSettings());
        QProcess program;
        program.setProcessEnvironment(userEnvironment());
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(m_prefix + QStringLiteral("/bin/tessarolith"), {});
        QVERIFY(program.waitForStarted());

        // The lock follows the settings: it is named after the XDG folder.
        const QString lock = SingleInstance::lockPathFor(home(QStringLiteral(".config/tessarolith")));
        QElapsedTimer clock;
        clock.start();
        const QByteArray pid = QByteArray::number(program.processId());
        bool held = false;
        while (!held && clock.elapsed() < kTimeoutMs && program.state() == QProcess::Running) {
            QFile file(lock);
            held = file.open(QIODevice::ReadOnly) && file.readLine().trimmed() == pid;
            if (!held)
                QTest::qWait(20);
        }
        QVERIFY2(held, qPrintable(lock));
        QTest::qWait(300);

        ::kill(pid_t(program.processId()), SIGTERM);
        QVERIFY(program.waitForFinished(kTimeoutMs));
        QCOMPARE(program.exitCode(), 0);

        QVERIFY(QFile::exists(xdgSettings()));
        ThumbSettings saved;
        const QString ownFolder = home(QStringLiteral("Pictures/Tessarolith"));
        LoadSettings(saved, xdgSettings(), ownFolder);
        // The default save folder is a folder of its own in the pictures
        // folder, named in the file and not made before a thumbnail needs it.
        QCOMPARE(saved, defaultSettings(ownFolder));
        QCOMPARE(ReadIniValue(QStringLiteral("Section"), QString::fromUtf16(ini_key::SaveFolder), xdgSettings()), ownFolder);
        QVERIFY(!QFileInfo::exists(ownFolder));
        QCOMPARE(filesIn(m_prefix + QStringLiteral("/bin")), (QStringList{"tessarolith", "tessarolith-batch", "tessarolith-thumbnailer"}));
        QCOMPARE(filesIn(m_prefix + QStringLiteral("/share/tessarolith")), QStringList{"installed"});
    }

    void batchReadsTheSameSettingsFileByDefault()
    {
        ThumbSettings chosen = defaultSettings(QString());
        chosen.Prefix = QStringLiteral("Inst_");
        chosen.SaveFolder = QString(); // the default: its own folder in the pictures folder
        QVERIFY(QDir().mkpath(home(QStringLiteral(".config/tessarolith"))));
        QVERIFY(SaveSettings(chosen, xdgSettings()));
        const QByteArray before = [&] {
            QFile f(xdgSettings());
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();

        QCOMPARE(runBatch(m_prefix + QStringLiteral("/bin/tessarolith-batch"), {sourceFolder()}), 0);
        QCOMPARE(filesIn(home(QStringLiteral("Pictures/Tessarolith"))), (QStringList{"Inst_crop.jpg", "Inst_pal4.jpg"}));
        QCOMPARE(filesIn(home(QStringLiteral("Pictures"))), QStringList{});
        QCOMPARE(filesIn(m_prefix + QStringLiteral("/bin")), (QStringList{"tessarolith", "tessarolith-batch", "tessarolith-thumbnailer"}));
        QFile after(xdgSettings());
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), before);
    }

    // Started from the menu by a user whose home has no pictures folder yet:
    // the first run makes Pictures/Tessarolith and writes nothing into the home
    // folder itself.
    void firstRunInAFreshHomeWritesIntoPicturesTessarolith()
    {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty(), "xdotool is missing");
        const QString freshHome = m_scratch.filePath(QStringLiteral("fresh-home"));
        QVERIFY(QDir().mkpath(freshHome));
        QProcessEnvironment env = userEnvironment();
        env.insert(QStringLiteral("HOME"), freshHome);
        QProcess program;
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(m_prefix + QStringLiteral("/bin/tessarolith"), {sourceFolder()});
        QVERIFY(program.waitForStarted());
        const std::optional<QPoint> corner = windowCorner(QStringLiteral("Tessarolith"));
        QVERIFY2(corner, "the main window did not show");
        QTest::qWait(500); // the open animation and the listing
        const QString ownFolder = freshHome + QStringLiteral("/Pictures/Tessarolith");
        QVERIFY2(!QFileInfo::exists(ownFolder), "made before any thumbnail");

        QVERIFY(clickAt(runButtonCentre(*corner), [](int ms) { QTest::qWait(ms); }));
        QElapsedTimer clock;
        clock.start();
        while (filesIn(ownFolder).size() < 2 && clock.elapsed() < kTimeoutMs)
            QTest::qWait(50);
        QCOMPARE(filesIn(ownFolder), (QStringList{"Thumb_crop.jpg", "Thumb_pal4.jpg"}));

        ::kill(pid_t(program.processId()), SIGTERM);
        QVERIFY(program.waitForFinished(kTimeoutMs));
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(filesIn(freshHome), QStringList{});
        QCOMPARE(filesIn(freshHome + QStringLiteral("/Pictures")), QStringList{});
        QCOMPARE(QDir(freshHome).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name),
                 (QStringList{".config", "Pictures"}));
    }

    void portableCopyKeepsItsFilesBesideItself()
    {
        const QString folder = m_scratch.filePath(QStringLiteral("portable"));
        QVERIFY(QDir().mkpath(folder));
        const QString program = folder + QStringLiteral("/tessarolith-batch");
        QVERIFY(copyFile(QStringLiteral(TESS_BIN_DIR "/tessarolith-batch"), program));
        QVERIFY(QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner));
        ThumbSettings chosen = defaultSettings(QString());
        chosen.Prefix = QStringLiteral("Port_");
        QVERIFY(SaveSettings(chosen, folder + QStringLiteral("/Tessarolith.ini")));
        const QStringList picturesBefore = filesIn(home(QStringLiteral("Pictures")));

        QCOMPARE(runBatch(program, {sourceFolder()}), 0);
        QCOMPARE(filesIn(folder),
                 (QStringList{"Port_crop.jpg", "Port_pal4.jpg", "Tessarolith.ini", "tessarolith-batch"}));
        QCOMPARE(filesIn(home(QStringLiteral("Pictures"))), picturesBefore);
    }
};

QTEST_GUILESS_MAIN(InstallEndToEnd)
#include "install_e2e.moc"
