// The message loop that vpg-render runs and the tests pump step by step.

#include "platform/portable/headless_message_loop.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/portable/instant_splash_timing.h"

namespace {

using portable::HeadlessMessageLoop;

// Writes down what reaches it, as "target number: message number".
struct Recorder final : ui::MessageTarget {
    Recorder(int id, std::vector<int>& into) : number(id), log(into) {}
    void handleMessage(const ui::Message& m) override {
        log.push_back(number * 1000 + static_cast<int>(m.msg));
        if (onMessage) onMessage(m);
    }
    int number;
    std::vector<int>& log;
    std::function<void(const ui::Message&)> onMessage;
};

ui::Message to(Recorder& target, std::uint32_t msg) {
    return ui::Message{&target, msg, 0, 0};
}

// Posting order survives the ring's wrap and its growth: the first capacities are the cases
// where the ring is full before, at and after the wrap.
TEST(HeadlessMessageLoop, DispatchesInPostingOrderAcrossWrapAndGrowth) {
    for (const std::size_t capacity : {1u, 2u, 3u, 4u, 7u}) {
        SCOPED_TRACE(capacity);
        std::vector<int> log;
        Recorder a(1, log);
        HeadlessMessageLoop loop(capacity);
        std::vector<int> expected;
        std::uint32_t next = 1;
        // Take two out before the burst, so that the burst wraps around the ring's end.
        for (int i = 0; i < 2; ++i, ++next) {
            loop.post(to(a, next));
            expected.push_back(1000 + static_cast<int>(next));
        }
        EXPECT_EQ(loop.pumpAll(1), 1u);
        for (int i = 0; i < 10; ++i, ++next) {
            loop.post(to(a, next));
            expected.push_back(1000 + static_cast<int>(next));
        }
        EXPECT_EQ(loop.pending(), 11u);
        EXPECT_EQ(loop.front().msg, 2u);
        EXPECT_EQ(loop.pumpAll(), 11u);
        EXPECT_EQ(log, expected);
        EXPECT_FALSE(loop.pumpOne());
    }
}

TEST(HeadlessMessageLoop, ForgetDropsOnlyThatTargetsMessagesAndKeepsTheOrder) {
    std::vector<int> log;
    Recorder a(1, log), b(2, log);
    HeadlessMessageLoop loop(8);
    // Three in and out first: the six below then lie across the ring's end, none grown.
    for (std::uint32_t m = 1; m <= 3; ++m) loop.post(to(a, m));
    loop.pumpAll();
    log.clear();
    for (std::uint32_t m = 1; m <= 6; ++m) loop.post(to(m % 2 ? a : b, m));
    loop.forget(&a);
    EXPECT_EQ(loop.pending(), 3u);
    loop.processMessages();
    EXPECT_EQ(log, (std::vector<int>{2002, 2004, 2006}));
}

TEST(HeadlessMessageLoop, APostDuringDispatchComesAfterWhatWasWaiting) {
    std::vector<int> log;
    Recorder a(1, log);
    HeadlessMessageLoop loop(2);
    HeadlessMessageLoop* running = &loop;
    a.onMessage = [&](const ui::Message& m) {
        if (m.msg == 1) running->post(to(a, 9));
    };
    loop.post(to(a, 1));
    loop.post(to(a, 2));
    EXPECT_EQ(loop.pumpAll(), 3u);
    EXPECT_EQ(log, (std::vector<int>{1001, 1002, 1009}));
}

// vpg-render's splash dispatches what start-up posted while it "waits", without waiting.
TEST(InstantSplashTiming, ProcessingDispatchesThePendingMessages) {
    std::vector<int> log;
    Recorder a(1, log);
    HeadlessMessageLoop loop;
    portable::InstantSplashTiming timing(loop);
    loop.post(to(a, 1));
    loop.post(to(a, 2));
    timing.Sleep(2000);
    EXPECT_EQ(loop.pending(), 2u);
    timing.ProcessMessages();
    EXPECT_EQ(loop.pending(), 0u);
    EXPECT_EQ(log, (std::vector<int>{1001, 1002}));
}

}  // namespace
