// The run as the desktop sees it, on a session bus of the test's own: the
// launcher entry's progress rising to 1 and cleared, and a notification after
// a long run that ended while the window was not the active one.
#include "support/app_test_support.h"
#include "support/session_bus_support.h"
#include "app/main_window.h"
#include "app/run_announcer.h"
#include "chrome/window_animation.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace tess;
using namespace tess::testing;

namespace {

// What a run's launcher-entry signals carried, seen from a connection of
// the test's own.
struct LauncherUpdate {
    QString path;
    QString appUri;
    QVariantMap properties;
};

class LauncherEntryWatcher : public QObject {
    Q_OBJECT
public:
    explicit LauncherEntryWatcher(const QDBusConnection &bus) : m_bus(bus)
    {
        m_bus.connect(QString(), QString(), QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"),
                      this, SLOT(seen(QDBusMessage)));
    }
    std::vector<LauncherUpdate> updates;

private slots:
    void seen(const QDBusMessage &message)
    {
        const QList<QVariant> args = message.arguments();
        if (args.size() == 2)
            updates.push_back({message.path(), args[0].toString(), qdbus_cast<QVariantMap>(args[1])});
    }

private:
    QDBusConnection m_bus;
};

// Plays the desktop's notification service on the test's bus and keeps what
// it was asked to show.
struct Notice {
    QString appName;
    QString icon;
    QString summary;
    QString body;
    QVariantMap hints;
};

class NotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    explicit NotificationService(const QDBusConnection &bus) : m_bus(bus)
    {
        registered = m_bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                          QDBusConnection::ExportAllSlots)
                     && m_bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }
    bool registered = false;
    std::vector<Notice> notices;

public slots:
    uint Notify(const QString &appName, uint, const QString &icon, const QString &summary, const QString &body,
                const QStringList &, const QVariantMap &hints, int)
    {
        notices.push_back({appName, icon, summary, body, hints});
        return uint(notices.size());
    }

private:
    QDBusConnection m_bus;
};


} // namespace

class RunAnnouncerTest : public QObject {
    Q_OBJECT

    QDBusConnection m_observer = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("observer"));
    std::unique_ptr<LauncherEntryWatcher> m_launcher;
    std::unique_ptr<NotificationService> m_notifications;

    // Waits for the entry to be cleared, then a moment for anything sent after it.
    bool waitForTheEnd()
    {
        const auto cleared = [this] {
            return !m_launcher->updates.empty()
                   && !m_launcher->updates.back().properties.value(QStringLiteral("progress-visible")).toBool();
        };
        QElapsedTimer clock;
        clock.start();
        while (!cleared() && clock.elapsed() < 10000)
            QTest::qWait(20);
        QTest::qWait(200);
        return cleared();
    }

private slots:
    void initTestCase()
    {
        setWindowAnimationsEnabled(false);
        QVERIFY2(m_observer.isConnected(), "no session bus");
        QVERIFY(RunAnnouncer::sessionBusIfAny().isConnected());
        m_notifications = std::make_unique<NotificationService>(m_observer);
        QVERIFY(m_notifications->registered);
    }
    void init()
    {
        m_launcher = std::make_unique<LauncherEntryWatcher>(m_observer);
        m_notifications->notices.clear();
    }
    void cleanup() { RunAnnouncer::setNoticeAfterMsForTesting(-1); }

    // The names the signal and the notice use are those of the real desktop entry.
    void namesAreThoseOfTheDesktopEntry()
    {
        QFile entry(QStringLiteral(TESS_SOURCE_DIR "/data/") + RunAnnouncer::desktopEntryId() + QStringLiteral(".desktop"));
        QVERIFY2(entry.open(QIODevice::ReadOnly), qPrintable(entry.fileName()));
        const QByteArray text = entry.readAll();
        QVERIFY(text.contains("\nIcon=" + RunAnnouncer::iconName().toUtf8() + "\n"));
    }

    void aWindowRunIsSeenFromTheBus_data()
    {
        QTest::addColumn<int>("files");
        QTest::addColumn<bool>("badSecondFile");
        QTest::addColumn<bool>("windowActive");
        QTest::addColumn<int>("noticeAfterMs");
        QTest::addColumn<int>("updates"); // launcher-entry signals, the clearing one included
        QTest::addColumn<QString>("summary"); // empty: no notification
        QTest::addColumn<QString>("body");
        QTest::newRow("active window") << 3 << false << true << 0 << 5 << QString() << QString();
        QTest::newRow("inactive window") << 3 << false << false << 0 << 5 << "サムネイル作成が終わりました。"
                                         << "作成 3 件、スキップ 0 件、失敗 0 件";
        QTest::newRow("inactive, short run") << 3 << false << false << 60000 << 5 << QString() << QString();
        // A percent at a time: the start, 1 % to 100 %, the clearing.
        QTest::newRow("250 files") << 250 << false << false << 0 << 102 << "サムネイル作成が終わりました。"
                                   << "作成 250 件、スキップ 0 件、失敗 0 件";
        QTest::newRow("failed run") << 3 << true << false << 0 << 3 << "サムネイル作成を中断しました。"
                                    << "作成 1 件、スキップ 0 件、失敗 1 件";
    }
    void aWindowRunIsSeenFromTheBus()
    {
        QFETCH(int, files);
        QFETCH(bool, badSecondFile);
        QFETCH(bool, windowActive);
        QFETCH(int, noticeAfterMs);
        QFETCH(int, updates);
        QFETCH(QString, summary);
        QFETCH(QString, body);
        RunAnnouncer::setNoticeAfterMsForTesting(noticeAfterMs);

        ProgramFolder program;
        FakeDialogs dialogs;
        QTemporaryDir sources, output;
        for (int i = 0; i < files; ++i) {
            const QString name = sources.filePath(QStringLiteral("p%1.bmp").arg(i, 3, 10, QLatin1Char('0')));
            QVERIFY(i == 1 && badSecondFile ? writeGarbage(name) : writeBmp(name, quadrantPicture(8, 8)));
        }
        ThumbSettings settings;
        std::unique_ptr<MainWindow> window = showMainWindow(settings);
        settings.Width = 16;
        settings.Height = 16;
        settings.FileType = FileTypeBitmap;
        settings.SaveFolder = output.path();
        QVERIFY(window->ListFolder(sources.path()));
        QWidget other;
        if (!windowActive) {
            other.show();
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
        }
        QCOMPARE(window->isActiveWindow(), windowActive);

        window->Cmd_Thumb_Click();
        QCOMPARE(window->isActiveWindow(), windowActive);
        QVERIFY(waitForTheEnd());

        const std::vector<LauncherUpdate> &seen = m_launcher->updates;
        QCOMPARE(int(seen.size()), updates);
        double last = -1.0;
        qint64 lastCount = files + 1;
        for (std::size_t i = 0; i + 1 < seen.size(); ++i) {
            QCOMPARE(seen[i].path, RunAnnouncer::launcherEntryPath());
            QCOMPARE(seen[i].appUri, QStringLiteral("application://org.tessarolith.Tessarolith.desktop"));
            const double progress = seen[i].properties.value(QStringLiteral("progress")).toDouble();
            const qint64 count = seen[i].properties.value(QStringLiteral("count")).toLongLong();
            QVERIFY2(progress > last && count < lastCount, qPrintable(QString::number(i)));
            QVERIFY(seen[i].properties.value(QStringLiteral("progress-visible")).toBool());
            QVERIFY(seen[i].properties.value(QStringLiteral("count-visible")).toBool());
            // Files still to do, counted down with the progress.
            QCOMPARE(count, qint64(std::llround((1.0 - progress) * files)));
            last = progress;
            lastCount = count;
        }
        QCOMPARE(seen.front().properties.value(QStringLiteral("progress")).toDouble(), 0.0);
        QCOMPARE(last, badSecondFile ? 1.0 / files : 1.0);
        QVERIFY(!seen.back().properties.value(QStringLiteral("count-visible")).toBool());

        if (summary.isEmpty()) {
            QCOMPARE(int(m_notifications->notices.size()), 0);
            return;
        }
        QCOMPARE(int(m_notifications->notices.size()), 1);
        const Notice &notice = m_notifications->notices.front();
        QCOMPARE(notice.appName, QStringLiteral("Tessarolith"));
        QCOMPARE(notice.icon, QStringLiteral("tessarolith"));
        QCOMPARE(notice.summary, summary);
        QVERIFY2(notice.body.startsWith(body), qPrintable(notice.body));
        if (badSecondFile)
            QVERIFY2(notice.body.contains(QStringLiteral("p001.bmp")), qPrintable(notice.body));
        QCOMPARE(notice.hints.value(QStringLiteral("desktop-entry")).toString(), RunAnnouncer::desktopEntryId());
        // The window's own message box still shows.
        QCOMPARE(dialogs.messages.size(), 1);
    }

    // No bus: nothing is sent and nothing fails.
    void withoutASessionBusNothingIsSent()
    {
        const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        QTemporaryDir emptyRuntime;
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(emptyRuntime.path()));
        const QDBusConnection none = RunAnnouncer::sessionBusIfAny();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        qputenv("XDG_RUNTIME_DIR", runtime);
        QVERIFY(!none.isConnected());

        RunAnnouncer::setNoticeAfterMsForTesting(0);
        {
            RunAnnouncer announcer(none);
            announcer.started(2);
            announcer.fileDone(1);
            announcer.fileDone(2);
            BatchResult result;
            result.written = 2;
            announcer.ended(result, false);
        }
        QTest::qWait(300);
        QCOMPARE(int(m_launcher->updates.size()), 0);
        QCOMPARE(int(m_notifications->notices.size()), 0);
    }

    // A run that never reached its end (an announcer dropped half way) still
    // clears the entry, and the same announcer on the bus says it did.
    void anAnnouncerLeftHalfWayClearsTheEntry()
    {
        {
            RunAnnouncer announcer;
            announcer.started(4);
            announcer.fileDone(1);
        }
        QVERIFY(waitForTheEnd());
        QCOMPARE(int(m_launcher->updates.size()), 3);
        QCOMPARE(m_launcher->updates[1].properties.value(QStringLiteral("progress")).toDouble(), 0.25);
        QCOMPARE(m_launcher->updates[1].properties.value(QStringLiteral("count")).toLongLong(), 3);
    }
};

int main(int argc, char **argv)
{
    if (const int failed = session_bus::enterPrivateBus(argc, argv))
        return failed;
    QApplication app(argc, argv);
    RunAnnouncerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "run_announcer_qtest.moc"
