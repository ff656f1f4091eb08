#pragma once

#include "platform/win32/windows_api.h"

#include <functional>

#include "shell/startup.h"
#include "ui/message_loop.h"

namespace win32 {

// The splash's timing on Windows: Sleep, the thread's pending messages, the layered window's
// alpha (white stays the see-through colour), UpdateWindow.
class Win32SplashTiming final : public vpg::ISplashTiming {
public:
    Win32SplashTiming(ui::IMessageLoop& loop, std::function<HWND(const ui::Form*)> windowOf)
        : loop_(loop), windowOf_(std::move(windowOf)) {}

    void Sleep(int milliseconds) override;
    void ProcessMessages() override;
    void SetOpacity(ui::Form& window, int alpha) override;
    void Repaint(ui::Form& window) override;

private:
    ui::IMessageLoop& loop_;
    std::function<HWND(const ui::Form*)> windowOf_;
};

}  // namespace win32
