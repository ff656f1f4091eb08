#include "ui/edit.h"

namespace ui {

void Edit::setText(const std::string& value) {
    if (value == text_) return;
    text_ = value;
    changed();
    if (OnChange) OnChange(this);
}

void Edit::setColor(Color value) {
    if (color == value) return;
    color = value;
    changed();
}

void Edit::userTyped(const std::string& value) {
    if (!Enabled() || !Visible()) return;
    userFocused();
    setText(value);
}

}  // namespace ui
