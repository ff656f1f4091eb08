#pragma once

#include <string>
#include <vector>

#include "ui/control.h"

namespace ui {

// A drop-down list of fixed items. Selecting an entry from code fires nothing; an index
// outside the list leaves no selection (ItemIndex -1, empty Text).
class ComboBox : public Control {
public:
    explicit ComboBox(std::string name, std::vector<std::string> items = {}, int itemIndex = -1)
        : Control(std::move(name), true), items_(std::move(items)) {
        setItemIndex(itemIndex);
    }
    void accept(ControlVisitor& visitor) override { visitor.visit(*this); }

    NotifyEvent OnChange;

    const std::vector<std::string>& Items() const { return items_; }
    void setItems(std::vector<std::string> items);
    int ItemIndex() const { return index_; }
    void setItemIndex(int value);
    std::string Text() const { return index_ >= 0 ? items_[static_cast<size_t>(index_)] : ""; }

    // The user picked entry `value` from the list.
    void userSelected(int value);

private:
    std::vector<std::string> items_;
    int index_ = -1;
};

}  // namespace ui
