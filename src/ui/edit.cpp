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

bool IsEditingKey(ShortCut key) {
    const ShiftState ctrl{false, true, false}, shift{true, false, false}, alt{false, false, true};
    if (key.shift == ctrl)
        return key.key == 'Z' || key.key == 'Y' || key.key == 'X' || key.key == 'C' ||
               key.key == 'V' || key.key == 'A';
    if (key.shift == shift) return key.key == VK_DELETE || key.key == VK_INSERT;
    if (key.shift == alt) return key.key == VK_BACK;
    return false;
}

}  // namespace ui
