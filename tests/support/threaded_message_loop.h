#pragma once

// A message loop that other threads may post to, as the desktop's event loop is: a device thread
// posts, the test's thread dispatches. pumpUntil waits for what a test expects with a generous
// deadline, so a test never depends on how fast a thread happens to run.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>

#include "ui/message_loop.h"

namespace testing_support {

class ThreadedMessageLoop final : public ui::IMessageLoop {
public:
    using Duration = std::chrono::steady_clock::duration;
    static constexpr Duration kPatience = std::chrono::seconds(20);

    void post(const ui::Message& message) override {
        {
            std::lock_guard lock(mutex_);
            queue_.push_back(message);
        }
        posted_.notify_all();
    }

    void processMessages() override {
        ui::Message message;
        while (take(message, Duration::zero())) dispatch(message);
    }

    void forget(const ui::MessageTarget* target) override {
        std::lock_guard lock(mutex_);
        std::erase_if(queue_, [target](const ui::Message& m) { return m.target == target; });
    }

    // Dispatches messages as they arrive until `done()` holds or `patience` has passed;
    // returns done().
    template <class Predicate>
    bool pumpUntil(Predicate done, Duration patience = kPatience) {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        while (!done()) {
            const auto now = std::chrono::steady_clock::now();
            if (now >= deadline) return done();
            ui::Message message;
            if (take(message, deadline - now)) dispatch(message);
        }
        return true;
    }

    // Dispatches whatever arrives during `time`: for the checks that something does not come.
    void pumpFor(Duration time) {
        pumpUntil([] { return false; }, time);
    }

    std::size_t pending() {
        std::lock_guard lock(mutex_);
        return queue_.size();
    }

private:
    bool take(ui::Message& message, Duration wait) {
        std::unique_lock lock(mutex_);
        if (!posted_.wait_for(lock, wait, [this] { return !queue_.empty(); })) return false;
        message = queue_.front();
        queue_.pop_front();
        return true;
    }

    static void dispatch(const ui::Message& message) {
        if (message.target != nullptr) message.target->handleMessage(message);
    }

    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<ui::Message> queue_;
};

}  // namespace testing_support
