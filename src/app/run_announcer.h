#pragma once
#include "thumbs/batch_engine.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QString>

namespace tess {

// The run as the desktop around the window sees it, through the session bus:
//  - whole-run progress and the files still to do on the program's launcher
//    or task bar entry (the launcher-entry signal KDE's task manager and the
//    GNOME docks read), cleared when the run ends;
//  - a desktop notification when a run that lasted a while ends unseen.
// The window itself shows only the file in hand. Without a session bus every
// call does nothing.
class RunAnnouncer {
public:
    // How long a run must last before its end is worth a notification.
    static constexpr qint64 kNoticeAfterMs = 5000;
    // The desktop entry (data/) the launcher entry and the notice belong to.
    static QString desktopEntryId(); // "org.tessarolith.Tessarolith"
    static QString iconName();       // "tessarolith"
    static QString launcherEntryPath();

    // The session bus when the user has one, or an unconnected connection
    // (never a bus started on the fly for the purpose).
    static QDBusConnection sessionBusIfAny();

    explicit RunAnnouncer(const QDBusConnection &bus = sessionBusIfAny());
    // Clears the launcher entry when the run did not get to end().
    ~RunAnnouncer();
    RunAnnouncer(const RunAnnouncer &) = delete;
    RunAnnouncer &operator=(const RunAnnouncer &) = delete;

    // Tests make long runs short with this (negative: back to kNoticeAfterMs).
    static void setNoticeAfterMsForTesting(qint64 ms);

    void started(int files);
    // done files of the run are finished (written, skipped or failed).
    void fileDone(int done);
    // Clears the launcher entry; notifies when the run lasted longer than the
    // threshold and the user was not looking at the window.
    void ended(const BatchResult &result, bool windowSeen);

    // The notification's texts for a run's end, in short Japanese.
    static QString noticeSummary(const BatchResult &result);
    static QString noticeBody(const BatchResult &result);

private:
    void update(double progress, bool visible, qint64 count);

    QDBusConnection m_bus;
    QElapsedTimer m_clock;
    int m_files = 0;
    int m_lastPercent = -1;
    bool m_shown = false;
};

} // namespace tess
