#pragma once
#include <QObject>

class QSocketNotifier;
class QWidget;

namespace tess {

// Turns SIGTERM and SIGHUP (the session ending, `kill`) into an ordinary close
// request of the window, so the settings are saved as on any other way of
// closing. The signal handler only writes a byte to a pipe; the close happens
// in the event loop.
class CloseOnTerminate : public QObject {
    Q_OBJECT
public:
    // One per process; the window must outlive it.
    explicit CloseOnTerminate(QWidget *window);
    ~CloseOnTerminate() override;

    // False when the pipe or the handlers could not be set up (the program then
    // simply ends on those signals, as it would without this).
    bool installed() const { return m_notifier != nullptr; }

private:
    void onSignal();

    QWidget *m_window;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace tess
