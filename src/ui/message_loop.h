#pragma once

#include <cstdint>

namespace ui {

class MessageTarget;

// One window message: the target window, the message number and its two parameters.
struct Message {
    MessageTarget* target = nullptr;
    std::uint32_t msg = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

// Anything that receives posted messages: the main window, the audio callback window.
class MessageTarget {
public:
    virtual void handleMessage(const Message& message) = 0;
    // A message sent to the window, whose sender waits for the window procedure's answer.
    virtual std::intptr_t answerMessage(const Message& message) {
        handleMessage(message);
        return 0;
    }

protected:
    ~MessageTarget() = default;
};

// The user-interface thread's message queue. Everything that reaches the program from outside
// (device notifications, other programs' messages) is posted here and dispatched in order on
// the one UI thread, between user events.
class IMessageLoop {
public:
    virtual ~IMessageLoop() = default;
    // Queues a message; it is dispatched later, never inside this call.
    virtual void post(const Message& message) = 0;
    // Dispatches every pending message, including those posted while doing so.
    virtual void processMessages() = 0;
    // Drops the queued messages of a target that is going away.
    virtual void forget(const MessageTarget* target) = 0;
};

}  // namespace ui
