#include "app/close_on_terminate.h"

#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tess {

namespace {

int g_pipe[2] = {-1, -1};

extern "C" void onTerminateSignal(int)
{
    const char byte = 1;
    // Only async-signal-safe calls here; a full pipe already has a close pending.
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[0], &byte, 1);
}

bool installHandler(int signal)
{
    struct sigaction action = {};
    action.sa_handler = onTerminateSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(signal, &action, nullptr) == 0;
}

void restoreDefault(int signal)
{
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
}

} // namespace

CloseOnTerminate::CloseOnTerminate(QWidget *window) : m_window(window)
{
    if (g_pipe[0] != -1 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0)
        return;
    for (int fd : g_pipe)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    m_notifier = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CloseOnTerminate::onSignal);
    if (!installHandler(SIGTERM) || !installHandler(SIGHUP)) {
        restoreDefault(SIGTERM);
        restoreDefault(SIGHUP);
        delete m_notifier;
        m_notifier = nullptr;
        ::close(g_pipe[0]);
        ::close(g_pipe[1]);
        g_pipe[0] = g_pipe[1] = -1;
    }
}

CloseOnTerminate::~CloseOnTerminate()
{
    if (!m_notifier)
        return;
    restoreDefault(SIGTERM);
    restoreDefault(SIGHUP);
    delete m_notifier;
    m_notifier = nullptr;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void CloseOnTerminate::onSignal()
{
    char buffer[64];
    while (::read(g_pipe[1], buffer, sizeof buffer) > 0) {
    }
    if (m_window)
        m_window->close();
    else
        m_pending = true;
}

void CloseOnTerminate::setWindow(QWidget *window)
{
    m_window = window;
    if (m_pending && window) {
        m_pending = false;
        QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
    }
}

} // namespace tess
