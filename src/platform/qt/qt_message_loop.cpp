#include "platform/qt/qt_message_loop.h"

#include <QCoreApplication>
#include <QEvent>
#include <algorithm>

namespace qtui {

namespace {
const QEvent::Type kWake = static_cast<QEvent::Type>(QEvent::registerEventType());
}

QtMessageLoop::QtMessageLoop() = default;

QtMessageLoop::~QtMessageLoop() {
    QCoreApplication::removePostedEvents(this);
}

void QtMessageLoop::post(const ui::Message& message) {
    bool wake = false;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(message);
        wake = !wakePosted_;
        wakePosted_ = true;
    }
    // postEvent is safe from any thread; one wake-up carries every message queued before it.
    if (wake) QCoreApplication::postEvent(this, new QEvent(kWake));
}

void QtMessageLoop::customEvent(QEvent* event) {
    if (event->type() == kWake) dispatchQueued();
}

void QtMessageLoop::dispatchQueued() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        wakePosted_ = false;
    }
    // One message at a time: a handler may open a modal dialog, whose event loop dispatches
    // the messages posted meanwhile, still in order.
    for (;;) {
        ui::Message message;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (queue_.empty()) return;
            message = queue_.front();
            queue_.pop_front();
        }
        if (message.target) message.target->handleMessage(message);
    }
}

void QtMessageLoop::processMessages() {
    dispatchQueued();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtMessageLoop::forget(const ui::MessageTarget* target) {
    const std::lock_guard<std::mutex> lock(mutex_);
    queue_.erase(std::remove_if(queue_.begin(), queue_.end(),
                                [target](const ui::Message& m) { return m.target == target; }),
                 queue_.end());
}

std::size_t QtMessageLoop::pending() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return queue_.size();
}

}  // namespace qtui
