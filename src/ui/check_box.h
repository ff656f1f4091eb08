#pragma once

#include "ui/control.h"

namespace ui {

// A check box fires its click event on every change of its state, by the user or the program.
class CheckBox : public Control {
public:
    explicit CheckBox(std::string name, std::string caption = {}, bool checked = false)
        : Control(std::move(name), true), Caption(std::move(caption)), checked_(checked) {}
    void accept(ControlVisitor& visitor) override { visitor.visit(*this); }

    std::string Caption;

    bool Checked() const { return checked_; }
    void setChecked(bool value);

protected:
    void clickAction() override { setChecked(!checked_); }

private:
    bool checked_;
};

// A radio button fires its click event only when it becomes checked; checking it unchecks its
// partner silently. Unchecking fires nothing.
class RadioButton : public Control {
public:
    explicit RadioButton(std::string name, std::string caption = {}, bool checked = false)
        : Control(std::move(name), true), Caption(std::move(caption)), checked_(checked) {}
    void accept(ControlVisitor& visitor) override { visitor.visit(*this); }

    std::string Caption;

    bool Checked() const { return checked_; }
    void setChecked(bool value);
    void setPartner(RadioButton& other) {
        partner_ = &other;
        other.partner_ = this;
    }

protected:
    void clickAction() override { setChecked(true); }

private:
    bool checked_;
    RadioButton* partner_ = nullptr;
};

}  // namespace ui
