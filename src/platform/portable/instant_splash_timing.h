#pragma once

#include "shell/startup.h"
#include "ui/message_loop.h"

namespace portable {

// The splash of a program without a screen: no picture to fade and no one to wait for, so the
// pauses take no time; the messages posted meanwhile are still dispatched.
class InstantSplashTiming final : public vpg::ISplashTiming {
public:
    explicit InstantSplashTiming(ui::IMessageLoop& loop) : loop_(loop) {}

    void Sleep(int) override {}
    void ProcessMessages() override { loop_.processMessages(); }
    void SetOpacity(ui::Form&, int) override {}
    void Repaint(ui::Form&) override {}

private:
    ui::IMessageLoop& loop_;
};

}  // namespace portable
