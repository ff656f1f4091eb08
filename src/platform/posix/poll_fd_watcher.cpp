#include "platform/posix/poll_fd_watcher.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace posix {

void PollFdWatcher::watch(int fd, std::function<void()> onReadable) {
    callbacks_[fd] = std::move(onReadable);
}

void PollFdWatcher::unwatch(int fd) {
    callbacks_.erase(fd);
}

void PollFdWatcher::watchWritable(int fd, std::function<void()> onWritable) {
    writable_[fd] = std::move(onWritable);
}

void PollFdWatcher::unwatchWritable(int fd) {
    writable_.erase(fd);
}

int PollFdWatcher::runOnce(int timeoutMs) {
    std::vector<pollfd> fds;
    fds.reserve(callbacks_.size() + writable_.size());
    for (const auto& entry : callbacks_) fds.push_back({entry.first, POLLIN, 0});
    for (const auto& entry : writable_) {
        const auto same = std::find_if(fds.begin(), fds.end(),
                                       [&](const pollfd& p) { return p.fd == entry.first; });
        if (same != fds.end())
            same->events |= POLLOUT;
        else
            fds.push_back({entry.first, POLLOUT, 0});
    }
    if (fds.empty()) return 0;
    if (::poll(fds.data(), fds.size(), timeoutMs) <= 0) return 0;
    int ran = 0;
    // A callback may unwatch any fd, its own included, or watch new ones: look each one up
    // again and run a copy, so that erasing the stored callback cannot pull it from under us.
    const auto run = [&ran](std::map<int, std::function<void()>>& from, int fd) {
        const auto it = from.find(fd);
        if (it == from.end()) return;
        const auto callback = it->second;
        callback();
        ++ran;
    };
    for (const pollfd& p : fds) {
        if (p.revents == 0) continue;
        const bool error = (p.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
        if ((p.revents & POLLIN) || (error && (p.events & POLLIN))) run(callbacks_, p.fd);
        if ((p.revents & POLLOUT) || (error && (p.events & POLLOUT))) run(writable_, p.fd);
    }
    return ran;
}

}  // namespace posix
