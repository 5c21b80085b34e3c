// An installed copy (cmake --install into a scratch prefix) keeps its files in
// the user's folders, whoever runs it; a portable copy keeps them beside itself.
#include "app/single_instance.h"
#include "settings/settings_file.h"
#include "settings/thumb_settings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

using namespace tess;

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
        QCOMPARE(filesIn(m_prefix + QStringLiteral("/bin")), (QStringList{"tessarolith", "tessarolith-batch"}));
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
        LoadSettings(saved, xdgSettings(), QStringLiteral("/nowhere"));
        // The default save folder is the user's pictures folder.
        QCOMPARE(saved, defaultSettings(home(QStringLiteral("Pictures"))));
        QCOMPARE(filesIn(m_prefix + QStringLiteral("/bin")), (QStringList{"tessarolith", "tessarolith-batch"}));
        QCOMPARE(filesIn(m_prefix + QStringLiteral("/share/tessarolith")), QStringList{"installed"});
    }

    void batchReadsTheSameSettingsFileByDefault()
    {
        ThumbSettings chosen = defaultSettings(QString());
        chosen.Prefix = QStringLiteral("Inst_");
        chosen.SaveFolder = QString(); // the default: the pictures folder
        QVERIFY(QDir().mkpath(home(QStringLiteral(".config/tessarolith"))));
        QVERIFY(SaveSettings(chosen, xdgSettings()));
        const QByteArray before = [&] {
            QFile f(xdgSettings());
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();

        QCOMPARE(runBatch(m_prefix + QStringLiteral("/bin/tessarolith-batch"), {sourceFolder()}), 0);
        QCOMPARE(filesIn(home(QStringLiteral("Pictures"))), (QStringList{"Inst_crop.jpg", "Inst_pal4.jpg"}));
        QCOMPARE(filesIn(m_prefix + QStringLiteral("/bin")), (QStringList{"tessarolith", "tessarolith-batch"}));
        QFile after(xdgSettings());
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), before);
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
