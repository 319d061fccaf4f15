#include "platform/signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace meru::platform {

namespace {

// The pipe's write end, the one thing the signal handler touches.
volatile std::sig_atomic_t g_write_fd = -1;

extern "C" void on_termination(int signal)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    if (g_write_fd >= 0) {
        const ssize_t n = ::write(g_write_fd, &byte, 1);
        (void)n;
    }
    errno = saved;
}

} // namespace

bool watch_termination_signals(std::function<void(int signal)> on_signal)
{
    int fds[2];
    if (::pipe(fds) != 0) return false;
    for (int fd : fds) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(fds[1], F_SETFL, O_NONBLOCK);
    g_write_fd = fds[1];

    auto* notifier = new QSocketNotifier(fds[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [fd = fds[0], on_signal] {
        unsigned char byte = 0;
        if (::read(fd, &byte, 1) == 1 && on_signal) on_signal(byte);
    });

    struct sigaction sa = {};
    sa.sa_handler = on_termination;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    bool ok = true;
    for (int s : {SIGTERM, SIGHUP, SIGINT}) ok = ::sigaction(s, &sa, nullptr) == 0 && ok;
    return ok;
}

std::string signal_name(int signal)
{
    switch (signal) {
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    case SIGINT: return "SIGINT";
    }
    return "signal " + std::to_string(signal);
}

} // namespace meru::platform
