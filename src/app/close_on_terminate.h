#pragma once
#include <QObject>
#include <QPointer>
#include <QWidget>

class QSocketNotifier;

namespace tess {

// Turns SIGTERM and SIGHUP (the session ending, `kill`) into an ordinary close
// request of the window, so the settings are saved as on any other way of
// closing. The signal handler only writes a byte to a pipe; the close happens
// in the event loop.
class CloseOnTerminate : public QObject {
    Q_OBJECT
public:
    // One per process. It may be made before the window exists: a signal
    // that comes first is answered once the event loop runs.
    explicit CloseOnTerminate(QWidget *window = nullptr);
    ~CloseOnTerminate() override;

    // False when the pipe or the handlers could not be set up (the program then
    // simply ends on those signals, as it would without this).
    bool installed() const { return m_notifier != nullptr; }

    // The window to close; a signal that came while there was none closes
    // this one as soon as the event loop runs.
    void setWindow(QWidget *window);

private:
    void onSignal();

    QPointer<QWidget> m_window;
    bool m_pending = false;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace tess
