#pragma once

#include <QObject>
#include <deque>
#include <mutex>

#include "ui/message_loop.h"

namespace qtui {

// The UI thread's message queue on Qt's event loop. post() may be called from any thread (the
// sound device's thread posts its notifications); the messages are dispatched in the order they
// were posted, on the thread that owns this object, between the person's events.
class QtMessageLoop final : public QObject, public ui::IMessageLoop {
public:
    QtMessageLoop();
    ~QtMessageLoop() override;

    void post(const ui::Message& message) override;
    // Dispatches the queued messages and processes Qt's pending events.
    void processMessages() override;
    void forget(const ui::MessageTarget* target) override;

    std::size_t pending() const;

protected:
    void customEvent(QEvent* event) override;

private:
    void dispatchQueued();

    mutable std::mutex mutex_;
    std::deque<ui::Message> queue_;
    bool wakePosted_ = false;
};

}  // namespace qtui
