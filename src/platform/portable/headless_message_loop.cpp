#include "platform/portable/headless_message_loop.h"

namespace portable {

HeadlessMessageLoop::HeadlessMessageLoop(std::size_t capacity) : ring_(capacity ? capacity : 1) {}

void HeadlessMessageLoop::post(const ui::Message& message) {
    if (count_ == ring_.size()) grow();
    ring_[(head_ + count_) % ring_.size()] = message;
    ++count_;
}

void HeadlessMessageLoop::grow() {
    std::vector<ui::Message> bigger(ring_.size() * 2);
    for (std::size_t i = 0; i < count_; ++i) bigger[i] = ring_[(head_ + i) % ring_.size()];
    ring_.swap(bigger);
    head_ = 0;
}

bool HeadlessMessageLoop::pumpOne() {
    if (count_ == 0) return false;
    const ui::Message message = ring_[head_];
    head_ = (head_ + 1) % ring_.size();
    --count_;
    if (message.target) message.target->handleMessage(message);
    return true;
}

std::size_t HeadlessMessageLoop::pumpAll(std::size_t limit) {
    std::size_t n = 0;
    while (n < limit && pumpOne()) ++n;
    return n;
}

void HeadlessMessageLoop::processMessages() {
    pumpAll();
}

void HeadlessMessageLoop::forget(const ui::MessageTarget* target) {
    // Compact the ring in place, keeping the order of the messages that stay.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < count_; ++i) {
        const ui::Message m = ring_[(head_ + i) % ring_.size()];
        if (m.target != target) ring_[(head_ + kept++) % ring_.size()] = m;
    }
    count_ = kept;
}

}  // namespace portable
