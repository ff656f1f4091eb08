#pragma once

#include <QObject>
#include <functional>
#include <map>

#include "platform/posix/fd_watcher.h"

class QSocketNotifier;

namespace qtui {

// Watches file descriptors from Qt's event loop (QSocketNotifier), so that socket code runs on
// the UI thread between the user's events.
class QtFdWatcher final : public posix::IFdWatcher {
public:
    QtFdWatcher() = default;
    QtFdWatcher(const QtFdWatcher&) = delete;
    QtFdWatcher& operator=(const QtFdWatcher&) = delete;

    void watch(int fd, std::function<void()> onReadable) override;
    void unwatch(int fd) override;
    void watchWritable(int fd, std::function<void()> onWritable) override;
    void unwatchWritable(int fd) override;

private:
    QObject owner_;  // parent of every notifier: none outlives the watcher
    std::map<int, QSocketNotifier*> notifiers_;
    std::map<int, QSocketNotifier*> writers_;
};

}  // namespace qtui
