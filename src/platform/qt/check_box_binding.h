#pragma once

#include <QCheckBox>
#include <QRadioButton>

#include "platform/qt/control_binding.h"
#include "ui/check_box.h"

namespace qtui {

// CheckBox -> QCheckBox; a click (mouse or Space) is the model's userClicked.
class CheckBoxBinding final : public ControlBinding {
public:
    CheckBoxBinding(ui::CheckBox& box, QWidget* parent, const ui::Form& form,
                    const ui::Application& app);

private:
    void pushState() override;

    ui::CheckBox& box_;
    QCheckBox* widget_;
};

// RadioButton -> QRadioButton. The model unchecks the partner, so Qt's own grouping is off.
class RadioButtonBinding final : public ControlBinding {
public:
    RadioButtonBinding(ui::RadioButton& radio, QWidget* parent, const ui::Form& form,
                       const ui::Application& app);

private:
    void pushState() override;

    ui::RadioButton& radio_;
    QRadioButton* widget_;
};

}  // namespace qtui
