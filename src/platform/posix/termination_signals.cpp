#include "platform/posix/termination_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace posix {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
volatile sig_atomic_t gWriteFd = -1;

void onSignal(int signal) {
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    // A full pipe already holds a request to end: this one may go.
    if (gWriteFd >= 0) (void)!::write(gWriteFd, &number, 1);
    errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(IFdWatcher& watcher, std::function<void(int)> onSignal)
    : watcher_(watcher), onSignal_(std::move(onSignal)) {
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) return;
    readFd_ = fds[0];
    gWriteFd = fds[1];
    watcher_.watch(readFd_, [this] { onReadable(); });
    struct sigaction action {};
    action.sa_handler = &posix::onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals) ::sigaction(signal, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
    if (readFd_ < 0) return;
    for (const int signal : kSignals) ::signal(signal, SIG_DFL);
    watcher_.unwatch(readFd_);
    ::close(readFd_);
    ::close(gWriteFd);
    gWriteFd = -1;
}

void TerminationSignals::onReadable() {
    unsigned char numbers[16];
    const ssize_t n = ::read(readFd_, numbers, sizeof numbers);
    if (n <= 0) return;
    // However many arrived, the program ends once.
    onSignal_(numbers[0]);
}

}  // namespace posix
