#include "ui/check_box.h"

namespace ui {

void CheckBox::setChecked(bool value) {
    if (value == checked_) return;
    checked_ = value;
    changed();
    if (OnClick) OnClick(this);
}

void RadioButton::setChecked(bool value) {
    if (value == checked_) return;
    checked_ = value;
    if (value && partner_ && partner_->checked_) {
        partner_->checked_ = false;
        partner_->changed();
    }
    changed();
    if (value && OnClick) OnClick(this);
}

}  // namespace ui
