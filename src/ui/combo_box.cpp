#include "ui/combo_box.h"

namespace ui {

void ComboBox::setItems(std::vector<std::string> items) {
    items_ = std::move(items);
    index_ = -1;
    changed();
}

void ComboBox::setItemIndex(int value) {
    const int index = (value >= 0 && value < static_cast<int>(items_.size())) ? value : -1;
    if (index == index_) return;
    index_ = index;
    changed();
}

void ComboBox::userSelected(int value) {
    if (!Enabled() || !Visible()) return;
    if (value < 0 || value >= static_cast<int>(items_.size())) return;
    userFocused();
    index_ = value;
    changed();
    if (OnChange) OnChange(this);
}

}  // namespace ui
