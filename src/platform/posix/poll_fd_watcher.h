#pragma once

#include <functional>
#include <map>

#include "platform/posix/fd_watcher.h"

namespace posix {

// The simplest event loop for the watcher: one poll() over every watched fd per step.
class PollFdWatcher final : public IFdWatcher {
public:
    void watch(int fd, std::function<void()> onReadable) override;
    void unwatch(int fd) override;
    void watchWritable(int fd, std::function<void()> onWritable) override;
    void unwatchWritable(int fd) override;

    // Waits up to `timeoutMs` (-1: no limit) for a watched fd to become readable and calls the
    // callbacks of those that are. Returns how many callbacks ran.
    int runOnce(int timeoutMs);
    std::size_t watchedCount() const { return callbacks_.size() + writable_.size(); }
    bool watching(int fd) const { return callbacks_.count(fd) != 0; }

private:
    std::map<int, std::function<void()>> callbacks_;
    std::map<int, std::function<void()>> writable_;
};

}  // namespace posix
