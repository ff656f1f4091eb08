#pragma once

#include <QComboBox>

#include "platform/qt/control_binding.h"
#include "ui/combo_box.h"

namespace qtui {

// ComboBox -> a drop-down QComboBox of fixed items; the entry the person picks is the model's
// userSelected, whether or not it differs from the current one.
class ComboBoxBinding final : public ControlBinding {
public:
    ComboBoxBinding(ui::ComboBox& combo, QWidget* parent, const ui::Form& form,
                    const ui::Application& app);

private:
    void pushState() override;

    ui::ComboBox& combo_;
    QComboBox* widget_;
};

}  // namespace qtui
