#include "TarnwickApplication.h"

#include "Error.h"
#include "MessageBoxes.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tarnwick {

namespace {
int signalPipe[2] = {-1, -1};

extern "C" void onTerminationSignal(int)
{
    // Only async-signal-safe work here: wake the event loop.
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}
} // namespace

TarnwickApplication::TarnwickApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) == 0) {
        m_signalNotifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
        connect(m_signalNotifier, &QSocketNotifier::activated, this, &TarnwickApplication::terminationSignalled);
        struct sigaction sa = {};
        sa.sa_handler = onTerminationSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        ::sigaction(SIGTERM, &sa, nullptr);
        ::sigaction(SIGINT, &sa, nullptr);
        ::sigaction(SIGHUP, &sa, nullptr);
    }
}

TarnwickApplication::~TarnwickApplication()
{
    struct sigaction sa = {};
    sa.sa_handler = SIG_DFL;
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGHUP, &sa, nullptr);
}

void TarnwickApplication::terminationSignalled()
{
    char buffer[16];
    while (::read(signalPipe[0], buffer, sizeof buffer) > 0) {
    }
    if (m_terminate)
        m_terminate();
    else
        quit();
}

bool TarnwickApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        MessageBoxes::showGeneralError(messageOf(e));
    } catch (...) {
        MessageBoxes::showGeneralError(QStringLiteral("Unknown error"));
    }
    return false;
}

} // namespace tarnwick
