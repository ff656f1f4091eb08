#pragma once

#include "platform/qt/qt_views.h"
#include "shell/startup.h"

namespace qtui {

// The splash's fades with Qt: real sleeps, Qt's pending events, the window's opacity.
class QtSplashTiming final : public vpg::ISplashTiming {
public:
    explicit QtSplashTiming(ui::IMessageLoop& loop) : loop_(loop) {}
    // The views whose windows fade; the program's views exist only after the program.
    void setViews(const QtViews& views) { views_ = &views; }

    void Sleep(int milliseconds) override;
    void ProcessMessages() override;
    void SetOpacity(ui::Form& window, int alpha) override;
    void Repaint(ui::Form& window) override;

private:
    const QtViews* views_ = nullptr;
    ui::IMessageLoop& loop_;
};

}  // namespace qtui
