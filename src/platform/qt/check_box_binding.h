#pragma once

#include <QCheckBox>
#include <QRadioButton>

#include "platform/qt/control_binding.h"
#include "platform/qt/conversions.h"
#include "ui/check_box.h"

namespace qtui {

// CheckBox -> QCheckBox, RadioButton -> QRadioButton: caption and check mark; a click (mouse
// or Space) is the model's userClicked. The model unchecks a radio's partner, so Qt's own
// grouping is off.
template <typename Model, typename Widget>
class CheckBinding final : public KindBinding<Model, Widget> {
public:
    CheckBinding(const BindingPlace& place, Model& model)
        : KindBinding<Model, Widget>(place, model) {
        this->view_->setAutoExclusive(false);
        // clicked comes from the person only, never from setChecked.
        this->connect(this->view_, &Widget::clicked, this,
                      [this] { this->user([this] { this->model_.userClicked(); }); });
    }

private:
    void pushState() override {
        this->view_->setText(ToQString(this->model_.Caption));
        this->view_->setChecked(this->model_.Checked());
    }
};

using CheckBoxBinding = CheckBinding<ui::CheckBox, QCheckBox>;
using RadioButtonBinding = CheckBinding<ui::RadioButton, QRadioButton>;
}  // namespace qtui
