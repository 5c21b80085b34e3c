// The window's run as the desktop sees it, on a session bus of the test's own
// (the program starts itself again inside dbus-run-session): the launcher
// entry's progress rising to 1, then cleared, and a notification after a long
// run that ended while the window was not the active one.
#include "support/app_test_support.h"
#include "app/run_announcer.h"
#include "chrome/window_animation.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QtTest>
#include <unistd.h>

using namespace tess;
using namespace tess::testing;

// Listens to the launcher entry and plays the desktop's notification service.
class Desktop : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QList<QDBusMessage> updates;
    QStringList notices; // icon, summary and body of each

public slots:
    void update(const QDBusMessage &message) { updates.append(message); }
    uint Notify(const QString &, uint, const QString &icon, const QString &summary, const QString &body,
                const QStringList &, const QVariantMap &, int)
    {
        notices.append(icon + u'|' + summary + u'|' + body);
        return 1;
    }
};

class RunAnnouncerTest : public QObject {
    Q_OBJECT
    QDBusConnection m_bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("desktop"));
    Desktop m_desktop;

private slots:
    void initTestCase()
    {
        setWindowAnimationsEnabled(false);
        QVERIFY(m_bus.connect(QString(), QString(), QStringLiteral("com.canonical.Unity.LauncherEntry"),
                              QStringLiteral("Update"), &m_desktop, SLOT(update(QDBusMessage))));
        QVERIFY(m_bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &m_desktop,
                                     QDBusConnection::ExportAllSlots));
        QVERIFY(m_bus.registerService(QStringLiteral("org.freedesktop.Notifications")));
    }
    void cleanup() { RunAnnouncer::setNoticeAfterMsForTesting(-1); }

    void aWindowRunIsSeenFromTheBus_data()
    {
        QTest::addColumn<int>("files");
        QTest::addColumn<bool>("windowActive");
        QTest::addColumn<int>("noticeAfterMs");
        QTest::addColumn<int>("updates"); // the start, one a percent, the clearing
        QTest::addColumn<QString>("middle"); // files done and still to do, half way through the signals
        QTest::addColumn<QStringList>("notices");
        const QString done = QStringLiteral("tessarolith|サムネイル作成が終わりました。|作成 %1 件、スキップ 0 件、失敗 0 件");
        QTest::newRow("active window") << 3 << true << 0 << 5 << "2 1" << QStringList();
        QTest::newRow("inactive window") << 3 << false << 0 << 5 << "2 1" << QStringList{done.arg(3)};
        QTest::newRow("inactive, short run") << 3 << false << 60000 << 5 << "2 1" << QStringList();
        QTest::newRow("250 files") << 250 << false << 0 << 102 << "128 122" << QStringList{done.arg(250)};
    }
    void aWindowRunIsSeenFromTheBus()
    {
        QFETCH(int, files);
        QFETCH(bool, windowActive);
        QFETCH(int, noticeAfterMs);
        QFETCH(int, updates);
        QFETCH(QString, middle);
        QFETCH(QStringList, notices);
        RunAnnouncer::setNoticeAfterMsForTesting(noticeAfterMs);
        m_desktop.updates.clear();
        m_desktop.notices.clear();
        ProgramFolder program;
        FakeDialogs dialogs;
        QTemporaryDir sources, output;
        for (int i = 0; i < files; ++i)
            QVERIFY(writeBmp(sources.filePath(QStringLiteral("p%1.bmp").arg(i)), quadrantPicture(8, 8)));
        ThumbSettings settings;
        std::unique_ptr<MainWindow> window = showMainWindow(settings);
        settings.SaveFolder = output.path();
        QVERIFY(listAndWait(*window, sources.path()));
        QWidget other;
        if (!windowActive) {
            other.show();
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
        }
        window->Cmd_Thumb_Click();
        QCOMPARE(window->isActiveWindow(), windowActive);

        QTRY_COMPARE(int(m_desktop.updates.size()), updates);
        QTest::qWait(200); // for anything sent after the clearing
        // Rising to 1, the files still to do counted down, then cleared.
        QStringList seen;
        for (const QDBusMessage &update : std::as_const(m_desktop.updates)) {
            const QVariantMap entry = qdbus_cast<QVariantMap>(update.arguments().at(1));
            seen.append(QStringLiteral("%1 %2 %3 %4 %5 %6").arg(update.path(), update.arguments().at(0).toString())
                            .arg(entry.value("progress").toDouble() * files).arg(entry.value("count").toLongLong())
                            .arg(entry.value("progress-visible").toBool()).arg(entry.value("count-visible").toBool()));
        }
        const QString entry = QStringLiteral("/com/canonical/unity/launcherentry/org_tessarolith_Tessarolith "
                                             "application://org.tessarolith.Tessarolith.desktop ");
        QCOMPARE(seen.first(), entry + QStringLiteral("0 %1 1 1").arg(files));
        QCOMPARE(seen[updates / 2], entry + middle + QStringLiteral(" 1 1"));
        QCOMPARE(seen[updates - 2], entry + QStringLiteral("%1 0 1 1").arg(files));
        QCOMPARE(seen.last(), entry + QStringLiteral("0 0 0 0"));
        QCOMPARE(m_desktop.notices, notices);
        QCOMPARE(dialogs.messages.size(), 1); // the window's own message still shows
    }
};

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("TESS_TEST_OWN_BUS")) {
        qputenv("TESS_TEST_OWN_BUS", "1");
        std::vector<char *> args{const_cast<char *>("dbus-run-session"), const_cast<char *>("--")};
        args.insert(args.end(), argv, argv + argc + 1);
        ::execvp(args[0], args.data());
        std::perror("dbus-run-session");
        return 1;
    }
    QApplication app(argc, argv);
    RunAnnouncerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "run_announcer_qtest.moc"
