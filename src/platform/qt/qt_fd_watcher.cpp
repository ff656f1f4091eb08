#include "platform/qt/qt_fd_watcher.h"

#include <QSocketNotifier>

namespace qtui {

void QtFdWatcher::watch(int fd, std::function<void()> onReadable) {
    unwatch(fd);
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, &owner_);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [callback = std::move(onReadable)] { callback(); });
    notifiers_[fd] = notifier;
}

void QtFdWatcher::unwatch(int fd) {
    const auto it = notifiers_.find(fd);
    if (it == notifiers_.end()) return;
    // It may be the notifier whose signal is running now: silence it at once, delete it later.
    it->second->setEnabled(false);
    it->second->deleteLater();
    notifiers_.erase(it);
}

}  // namespace qtui
