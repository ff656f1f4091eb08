#pragma once

#include <functional>

#include "platform/posix/fd_watcher.h"

namespace posix {

// Turns SIGTERM, SIGHUP and SIGINT into a call on the watcher's loop, so that a logout, a
// shutdown or a service manager ends the program the way its own Exit does. The handler only
// writes the signal's number into a pipe; `onSignal` runs later, on the loop's thread. One
// instance per process.
class TerminationSignals {
public:
    TerminationSignals(IFdWatcher& watcher, std::function<void(int signal)> onSignal);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // False when the pipe could not be made; the signals then keep their default action.
    bool installed() const { return readFd_ >= 0; }

private:
    void onReadable();

    IFdWatcher& watcher_;
    std::function<void(int)> onSignal_;
    int readFd_ = -1;
};

}  // namespace posix
