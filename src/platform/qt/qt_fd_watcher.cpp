#include "platform/qt/qt_fd_watcher.h"

#include <QSocketNotifier>

namespace qtui {

namespace {

QSocketNotifier* notify(QObject& owner, int fd, QSocketNotifier::Type type,
                        std::function<void()> callback) {
    auto* notifier = new QSocketNotifier(fd, type, &owner);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [callback = std::move(callback)] { callback(); });
    return notifier;
}

void drop(std::map<int, QSocketNotifier*>& notifiers, int fd) {
    const auto it = notifiers.find(fd);
    if (it == notifiers.end()) return;
    // It may be the notifier whose signal is running now: silence it at once, delete it later.
    it->second->setEnabled(false);
    it->second->deleteLater();
    notifiers.erase(it);
}

}  // namespace

void QtFdWatcher::watch(int fd, std::function<void()> onReadable) {
    unwatch(fd);
    notifiers_[fd] = notify(owner_, fd, QSocketNotifier::Read, std::move(onReadable));
}

void QtFdWatcher::unwatch(int fd) {
    drop(notifiers_, fd);
}

void QtFdWatcher::watchWritable(int fd, std::function<void()> onWritable) {
    unwatchWritable(fd);
    writers_[fd] = notify(owner_, fd, QSocketNotifier::Write, std::move(onWritable));
}

void QtFdWatcher::unwatchWritable(int fd) {
    drop(writers_, fd);
}

}  // namespace qtui
