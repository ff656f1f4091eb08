#pragma once

#include <string>

#include "ui/control.h"

namespace ui {

// A push button. The form's default button takes Enter when no other button has the focus; its
// cancel button takes Escape.
class Button : public Control {
public:
    explicit Button(std::string name, std::string caption = {})
        : Control(std::move(name), true), caption_(std::move(caption)) {}
    void accept(ControlVisitor& visitor) override { visitor.visit(*this); }

    const std::string& Caption() const { return caption_; }
    void setCaption(const std::string& value);
    bool Default() const { return default_; }
    void setDefault(bool value);
    bool Cancel() const { return cancel_; }
    void setCancel(bool value) { cancel_ = value; }
    // Bold on top of the button's font while the program says so (Pause while paused).
    bool Bold() const { return bold_; }
    void setBold(bool value);
    Font ShownFont() const override {
        Font f = Control::ShownFont();
        if (bold_) f.Bold = true;
        return f;
    }

    // Click from code or from the keyboard (Enter, Space): no mouse events, no focus change.
    void Click() {
        if (Enabled() && Visible()) clickAction();
    }

private:
    std::string caption_;
    bool default_ = false;
    bool cancel_ = false;
    bool bold_ = false;
};

}  // namespace ui
