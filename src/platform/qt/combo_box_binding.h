#pragma once

#include <QComboBox>

#include "platform/qt/control_binding.h"
#include "ui/combo_box.h"

namespace qtui {

// ComboBox -> a drop-down QComboBox of fixed items; the entry the person picks is the model's
// userSelected, whether or not it differs from the current one.
class ComboBoxBinding final : public KindBinding<ui::ComboBox, QComboBox> {
public:
    ComboBoxBinding(const BindingPlace& place, ui::ComboBox& combo);

private:
    void pushState() override;
};

}  // namespace qtui
