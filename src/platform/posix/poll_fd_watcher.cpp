#include "platform/posix/poll_fd_watcher.h"

#include <poll.h>

#include <cerrno>
#include <vector>

namespace posix {

void PollFdWatcher::watch(int fd, std::function<void()> onReadable) {
    callbacks_[fd] = std::move(onReadable);
}

void PollFdWatcher::unwatch(int fd) {
    callbacks_.erase(fd);
}

int PollFdWatcher::runOnce(int timeoutMs) {
    std::vector<pollfd> fds;
    fds.reserve(callbacks_.size());
    for (const auto& entry : callbacks_) fds.push_back({entry.first, POLLIN, 0});
    if (fds.empty()) return 0;
    if (::poll(fds.data(), fds.size(), timeoutMs) <= 0) return 0;
    int ran = 0;
    for (const pollfd& p : fds) {
        if (p.revents == 0) continue;
        // A callback may unwatch any fd, its own included, or watch new ones: look each one up
        // again and run a copy, so that erasing the stored callback cannot pull it from under us.
        const auto it = callbacks_.find(p.fd);
        if (it == callbacks_.end()) continue;
        const auto callback = it->second;
        callback();
        ++ran;
    }
    return ran;
}

}  // namespace posix
