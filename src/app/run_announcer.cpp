#include "app/run_announcer.h"

#include <QDBusMessage>
#include <QFileInfo>
#include <QStringList>
#include <QVariantMap>

#include <atomic>
#include <QCoreApplication>

namespace tess {

namespace {

std::atomic<qint64> g_noticeAfterMs{RunAnnouncer::kNoticeAfterMs};

} // namespace

QString RunAnnouncer::desktopEntryId()
{
    return QStringLiteral("org.tessarolith.Tessarolith");
}

QString RunAnnouncer::iconName()
{
    return QStringLiteral("tessarolith");
}

QString RunAnnouncer::launcherEntryPath()
{
    // An object path takes letters, digits and '_' only.
    QString id = desktopEntryId();
    id.replace(u'.', u'_');
    return QStringLiteral("/com/canonical/unity/launcherentry/") + id;
}

QDBusConnection RunAnnouncer::sessionBusIfAny()
{
    // Without an address libdbus would try to launch a bus of its own for the
    // display; the user's bus, when there is one, is named or at its usual place.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")
        && (runtime.isEmpty() || !QFileInfo(runtime + QStringLiteral("/bus")).exists()))
        return QDBusConnection(QStringLiteral("tessarolith-no-session-bus"));
    return QDBusConnection::sessionBus();
}

RunAnnouncer::RunAnnouncer(const QDBusConnection &bus) : m_bus(bus) {}

RunAnnouncer::~RunAnnouncer()
{
    if (m_shown)
        update(0.0, false, 0);
}

void RunAnnouncer::setNoticeAfterMsForTesting(qint64 ms)
{
    g_noticeAfterMs = ms < 0 ? kNoticeAfterMs : ms;
}

void RunAnnouncer::started(int files)
{
    m_clock.start();
    m_files = files;
    m_lastPercent = 0;
    update(0.0, true, files);
}

void RunAnnouncer::fileDone(int done)
{
    if (m_files <= 0)
        return;
    // A whole percent at a time: a folder of 20,000 pictures sends a hundred
    // signals, not 20,000, and the last file always reaches 1.
    const int percent = int(qint64(done) * 100 / m_files);
    if (percent == m_lastPercent && done != m_files)
        return;
    m_lastPercent = percent;
    update(double(done) / double(m_files), true, qint64(m_files) - done);
}

void RunAnnouncer::ended(const BatchResult &result, bool windowSeen)
{
    update(0.0, false, 0);
    if (windowSeen || !m_clock.isValid() || m_clock.nsecsElapsed() <= g_noticeAfterMs * 1000000 || !m_bus.isConnected())
        return;
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), desktopEntryId()}};
    notify << QStringLiteral("Tessarolith") << uint(0) << iconName() << noticeSummary(result) << noticeBody(result)
           << QStringList() << hints << int(-1);
    // Not waited for: without a notification service the bus answers with an
    // error nobody needs to hear.
    notify.setAutoStartService(true);
    m_bus.send(notify);
}

QString RunAnnouncer::noticeSummary(const BatchResult &result)
{
    switch (result.end) {
    case BatchEnd::Completed: return QCoreApplication::translate("RunAnnouncer", "サムネイル作成が終わりました。");
    case BatchEnd::Stopped: return QCoreApplication::translate("RunAnnouncer", "サムネイル作成を止めました。");
    case BatchEnd::Failed: break;
    }
    return QCoreApplication::translate("RunAnnouncer", "サムネイル作成を中断しました。");
}

QString RunAnnouncer::noticeBody(const BatchResult &result)
{
    // The file that ended a failed run counts among the failures.
    const int failed = result.failed + (result.end == BatchEnd::Failed ? 1 : 0);
    QString body = QCoreApplication::translate("RunAnnouncer", "作成 %1 件、スキップ %2 件、失敗 %3 件").arg(result.written).arg(result.skipped).arg(failed);
    if (result.end == BatchEnd::Failed && result.failure)
        body += QLatin1Char('\n') + result.failure->text();
    return body;
}

void RunAnnouncer::update(double progress, bool visible, qint64 count)
{
    m_shown = visible;
    if (!m_bus.isConnected())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(launcherEntryPath(), QStringLiteral("com.canonical.Unity.LauncherEntry"),
                                                     QStringLiteral("Update"));
    const QVariantMap properties{
        {QStringLiteral("progress"), progress},
        {QStringLiteral("progress-visible"), visible},
        {QStringLiteral("count"), count},
        {QStringLiteral("count-visible"), visible},
    };
    signal << QStringLiteral("application://") + desktopEntryId() + QStringLiteral(".desktop") << properties;
    m_bus.send(signal);
}

} // namespace tess
