#pragma once

#include <functional>
#include <string>
#include <vector>

#include "shell/startup.h"
#include "ui/message_loop.h"

namespace doubles {

// The splash's timing on a virtual clock: sleeping advances it, processing messages dispatches
// the loop and runs the test's hook (a click at some moment, say).
class VirtualTiming final : public vpg::ISplashTiming {
public:
    explicit VirtualTiming(ui::IMessageLoop& loop) : loop_(loop) {}

    void Sleep(int milliseconds) override {
        now += milliseconds;
        log.push_back("sleep " + std::to_string(milliseconds));
    }
    void ProcessMessages() override {
        loop_.processMessages();
        if (onProcessMessages) onProcessMessages(now);
    }
    void SetOpacity(ui::Form&, int alpha) override {
        opacity.push_back(alpha);
        log.push_back("opacity " + std::to_string(alpha));
    }
    void Repaint(ui::Form&) override { log.push_back("repaint"); }

    long now = 0;  // milliseconds
    std::vector<int> opacity;
    std::vector<std::string> log;
    std::function<void(long now)> onProcessMessages;

private:
    ui::IMessageLoop& loop_;
};

}  // namespace doubles
