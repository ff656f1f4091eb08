// The program's message queue on the Windows UI thread: order, forget, messages posted while
// dispatching, the wake through a Windows message, and WM_QUIT left for the main loop.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/win32_message_loop.h"
#include "win32_test_support.h"

namespace {

using win32::Win32MessageLoop;

// Writes "<name><msg>" into a shared log for every message; may run an action on one.
class LoggingTarget final : public ui::MessageTarget {
public:
    LoggingTarget(std::string name, std::vector<std::string>& log)
        : name_(std::move(name)), log_(log) {}
    void handleMessage(const ui::Message& message) override {
        log_.push_back(name_ + std::to_string(message.msg));
        if (onMessage) onMessage(message);
    }
    std::function<void(const ui::Message&)> onMessage;

private:
    std::string name_;
    std::vector<std::string>& log_;
};

// Leaves nothing of one test in the thread's queue for the next.
void DrainThreadQueue() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) ::DispatchMessageW(&msg);
    }
}

class Win32MessageLoopTest : public ::testing::Test {
protected:
    void TearDown() override { DrainThreadQueue(); }

    std::vector<std::string> log;
    LoggingTarget a{"a", log};
    LoggingTarget b{"b", log};
};

TEST_F(Win32MessageLoopTest, DispatchesInPostingOrderAndNeverInsidePost) {
    Win32MessageLoop loop(2);  // a small ring, so that it has to grow on the way
    loop.post({&a, 1, 0, 0});
    loop.post({&b, 2, 0, 0});
    loop.post({&a, 3, 0, 0});
    loop.post({&b, 4, 0, 0});
    loop.post({&a, 5, 0, 0});
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(loop.pending(), 5u);
    loop.processMessages();
    EXPECT_EQ(log, (std::vector<std::string>{"a1", "b2", "a3", "b4", "a5"}));
    EXPECT_EQ(loop.pending(), 0u);
}

TEST_F(Win32MessageLoopTest, CarriesBothParametersUnchanged) {
    Win32MessageLoop loop;
    std::vector<ui::Message> got;
    a.onMessage = [&](const ui::Message& m) { got.push_back(m); };
    const std::uintptr_t wide = static_cast<std::uintptr_t>(-2);
    loop.post({&a, 0x3BD, wide, -5});
    loop.processMessages();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].target, &a);
    EXPECT_EQ(got[0].wParam, wide);
    EXPECT_EQ(got[0].lParam, -5);
}

TEST_F(Win32MessageLoopTest, ForgetDropsOnlyThatTargetsMessagesAndKeepsTheOrder) {
    Win32MessageLoop loop;
    loop.post({&a, 1, 0, 0});
    loop.post({&b, 2, 0, 0});
    loop.post({&a, 3, 0, 0});
    loop.post({&b, 4, 0, 0});
    loop.forget(&a);
    EXPECT_EQ(loop.pending(), 2u);
    loop.processMessages();
    EXPECT_EQ(log, (std::vector<std::string>{"b2", "b4"}));
}

TEST_F(Win32MessageLoopTest, MessagesPostedWhileDispatchingFollowInOrder) {
    Win32MessageLoop loop;
    a.onMessage = [&](const ui::Message& m) {
        if (m.msg == 1) loop.post({&b, 10, 0, 0});
    };
    loop.post({&a, 1, 0, 0});
    loop.post({&a, 2, 0, 0});
    loop.processMessages();
    EXPECT_EQ(log, (std::vector<std::string>{"a1", "a2", "b10"}));
}

TEST_F(Win32MessageLoopTest, ATargetForgottenByAHandlerGetsNothingMore) {
    Win32MessageLoop loop;
    a.onMessage = [&](const ui::Message&) { loop.forget(&b); };
    loop.post({&a, 1, 0, 0});
    loop.post({&b, 2, 0, 0});
    loop.post({&a, 3, 0, 0});
    loop.processMessages();
    EXPECT_EQ(log, (std::vector<std::string>{"a1", "a3"}));
}

// The dispatch runs in the hidden window's procedure, so any Windows loop delivers the program's
// messages: here the plain GetMessage loop, ended by a handler's PostQuitMessage.
TEST_F(Win32MessageLoopTest, ThePlainWindowsLoopDispatchesThemThroughTheHiddenWindow) {
    Win32MessageLoop loop;
    a.onMessage = [&](const ui::Message& m) {
        if (m.msg == 2) ::PostQuitMessage(7);
    };
    loop.post({&a, 1, 0, 0});
    loop.post({&b, 9, 0, 0});
    loop.post({&a, 2, 0, 0});
    EXPECT_EQ(Win32MessageLoop::Run(), 7);
    EXPECT_EQ(log, (std::vector<std::string>{"a1", "b9", "a2"}));
}

TEST_F(Win32MessageLoopTest, OneWindowsMessageWakesTheLoopForEveryQueuedMessage) {
    Win32MessageLoop loop;
    loop.post({&a, 1, 0, 0});
    loop.post({&a, 2, 0, 0});
    loop.post({&b, 3, 0, 0});
    int wakes = 0;
    MSG msg;
    while (::PeekMessageW(&msg, loop.window(), Win32MessageLoop::kWakeMessage,
                          Win32MessageLoop::kWakeMessage, PM_REMOVE))
        ++wakes;
    EXPECT_EQ(wakes, 1);
    // Even with its wake taken away, nothing posted is lost.
    loop.processMessages();
    EXPECT_EQ(log, (std::vector<std::string>{"a1", "a2", "b3"}));
}

TEST_F(Win32MessageLoopTest, ProcessMessagesLeavesWmQuitForTheMainLoop) {
    Win32MessageLoop loop;
    loop.post({&a, 1, 0, 0});
    ::PostQuitMessage(3);
    loop.processMessages();
    EXPECT_EQ(log, (std::vector<std::string>{"a1"}));
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(Win32MessageLoopTest, TwoLoopsOnOneThreadKeepTheirMessagesApart) {
    Win32MessageLoop first;
    Win32MessageLoop second;
    first.post({&a, 1, 0, 0});
    second.post({&b, 2, 0, 0});
    first.forget(&b);  // not first's: nothing to drop
    second.forget(&a);
    EXPECT_EQ(first.pending(), 1u);
    EXPECT_EQ(second.pending(), 1u);
    first.processMessages();  // pumps the thread, so both are dispatched
    EXPECT_EQ(log, (std::vector<std::string>{"a1", "b2"}));
}

}  // namespace
