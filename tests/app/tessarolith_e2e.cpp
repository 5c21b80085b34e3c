// The real program on a real display: it starts, saves its settings when asked
// to end, lets only one copy run, and gets past the lock of a copy that crashed.
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
#include <memory>

using namespace tess;

namespace {

constexpr int kStartTimeoutMs = 20000;

// A program folder holding a copy of the program, so its settings file and
// its lock are the test's own.
class InstalledCopy {
public:
    InstalledCopy()
    {
        m_program = m_dir.filePath(QStringLiteral("tessarolith"));
        m_ok = QFile::copy(QStringLiteral(TESS_BIN_DIR "/tessarolith"), m_program)
               && QFile::setPermissions(m_program, QFile::permissions(m_program) | QFileDevice::ExeOwner);
    }
    bool ok() const { return m_ok; }
    QString folder() const { return QDir(m_dir.path()).canonicalPath(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    QString iniPath() const { return file(QStringLiteral("Tessarolith.ini")); }
    QString lockPath() const { return SingleInstance::lockPathFor(folder()); }

    std::unique_ptr<QProcess> start() const
    {
        auto process = std::make_unique<QProcess>();
        process->setProgram(m_program);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start();
        return process;
    }

    // The lock file names the process that holds it on its first line.
    bool waitForLockHeldBy(const QProcess &process) const
    {
        QElapsedTimer clock;
        clock.start();
        const QByteArray pid = QByteArray::number(process.processId());
        while (clock.elapsed() < kStartTimeoutMs) {
            QFile lock(lockPath());
            if (lock.open(QIODevice::ReadOnly) && lock.readLine().trimmed() == pid)
                return true;
            if (process.state() == QProcess::NotRunning)
                return false;
            QTest::qWait(20);
        }
        return false;
    }

private:
    QTemporaryDir m_dir;
    QString m_program;
    bool m_ok = false;
};

bool endNormally(QProcess &process)
{
    ::kill(pid_t(process.processId()), SIGTERM);
    return process.waitForFinished(kStartTimeoutMs) && process.exitStatus() == QProcess::NormalExit
           && process.exitCode() == 0;
}

} // namespace

class TessarolithEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void firstStartSavesDefaultsWhenAskedToEnd()
    {
        InstalledCopy copy;
        QVERIFY(copy.ok());
        auto program = copy.start();
        QVERIFY(program->waitForStarted());
        QVERIFY(copy.waitForLockHeldBy(*program));
        QTest::qWait(500); // let the window come up and settle
        QVERIFY(!QFile::exists(copy.iniPath()));

        QVERIFY(endNormally(*program));
        QVERIFY(QFile::exists(copy.iniPath()));
        ThumbSettings saved;
        LoadSettings(saved, copy.iniPath(), copy.folder());
        QCOMPARE(saved, defaultSettings(copy.folder()));
        // The file is Shift-JIS with CRLF lines under its one section.
        QFile ini(copy.iniPath());
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray bytes = ini.readAll();
        QVERIFY(bytes.startsWith("[Section]\r\n"));
        QVERIFY(!bytes.contains("\n\n"));
    }

    void secondStartEndsAtOnceAndTouchesNothing()
    {
        InstalledCopy copy;
        QVERIFY(copy.ok());
        auto first = copy.start();
        QVERIFY(first->waitForStarted());
        QVERIFY(copy.waitForLockHeldBy(*first));
        QFile dummy(copy.file(QStringLiteral("Dumy.bmp")));
        QVERIFY(dummy.open(QIODevice::WriteOnly));
        dummy.write("BM");
        dummy.close();

        auto second = copy.start();
        QVERIFY(second->waitForFinished(kStartTimeoutMs));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(QDir(copy.folder()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 (QStringList{"Dumy.bmp", "tessarolith"}));
        QCOMPARE(first->state(), QProcess::Running);

        // The first copy goes on and closes the ordinary way: settings saved,
        // the temporary picture removed.
        QVERIFY(endNormally(*first));
        QVERIFY(QFile::exists(copy.iniPath()));
        QVERIFY(!QFile::exists(copy.file(QStringLiteral("Dumy.bmp"))));
    }

    void lockOfACrashedCopyDoesNotBlock()
    {
        InstalledCopy copy;
        QVERIFY(copy.ok());
        auto crashed = copy.start();
        QVERIFY(crashed->waitForStarted());
        QVERIFY(copy.waitForLockHeldBy(*crashed));
        crashed->kill();
        QVERIFY(crashed->waitForFinished(kStartTimeoutMs));
        QVERIFY(QFile::exists(copy.lockPath()));
        QVERIFY(!QFile::exists(copy.iniPath()));

        auto next = copy.start();
        QVERIFY(next->waitForStarted());
        QVERIFY(copy.waitForLockHeldBy(*next));
        QVERIFY(endNormally(*next));
        QVERIFY(QFile::exists(copy.iniPath()));
    }
};

QTEST_MAIN(TessarolithEndToEnd)
#include "tessarolith_e2e.moc"
