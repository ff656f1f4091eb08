#include "platform/qt/check_box_binding.h"

#include "platform/qt/conversions.h"

namespace qtui {

CheckBoxBinding::CheckBoxBinding(ui::CheckBox& box, QWidget* parent, const ui::Form& form,
                                 const ui::Application& app)
    : ControlBinding(box, new QCheckBox(parent), form, app),
      box_(box),
      widget_(static_cast<QCheckBox*>(widget())) {
    // clicked comes from the person only, never from setChecked.
    connect(widget_, &QCheckBox::clicked, this, [this] { user([&] { box_.userClicked(); }); });
}

void CheckBoxBinding::pushState() {
    widget_->setText(ToQString(box_.Caption));
    widget_->setChecked(box_.Checked());
}

RadioButtonBinding::RadioButtonBinding(ui::RadioButton& radio, QWidget* parent,
                                       const ui::Form& form, const ui::Application& app)
    : ControlBinding(radio, new QRadioButton(parent), form, app),
      radio_(radio),
      widget_(static_cast<QRadioButton*>(widget())) {
    widget_->setAutoExclusive(false);
    connect(widget_, &QRadioButton::clicked, this, [this] { user([&] { radio_.userClicked(); }); });
}

void RadioButtonBinding::pushState() {
    widget_->setText(ToQString(radio_.Caption));
    widget_->setChecked(radio_.Checked());
}

}  // namespace qtui
