#pragma once

#include <cstddef>
#include <vector>

#include "ui/message_loop.h"

namespace portable {

// A message loop that tests and vpg-render pump step by step. The queue is a ring whose memory
// is reserved up front, so posting and dispatching allocate nothing in the steady state.
class HeadlessMessageLoop final : public ui::IMessageLoop {
public:
    explicit HeadlessMessageLoop(std::size_t capacity = 256);

    void post(const ui::Message& message) override;
    void processMessages() override;
    void forget(const ui::MessageTarget* target) override;

    // Dispatches the oldest pending message; false when none was pending.
    bool pumpOne();
    // Dispatches messages until none is pending or `limit` were dispatched; returns the count.
    std::size_t pumpAll(std::size_t limit = static_cast<std::size_t>(-1));
    std::size_t pending() const { return count_; }
    // The oldest pending message (valid only while pending() > 0).
    const ui::Message& front() const { return ring_[head_]; }

private:
    void grow();

    std::vector<ui::Message> ring_;
    std::size_t head_ = 0;
    std::size_t count_ = 0;
};

}  // namespace portable
