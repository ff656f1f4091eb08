#include "platform/qt/group_box_binding.h"

#include "platform/qt/conversions.h"

namespace qtui {

GroupBoxBinding::GroupBoxBinding(ui::GroupBox& box, QWidget* parent, const ui::Form& form,
                                 const ui::Application& app)
    : ControlBinding(box, new QGroupBox(parent), form, app),
      box_(box),
      widget_(static_cast<QGroupBox*>(widget())) {}

void GroupBoxBinding::pushState() {
    widget_->setTitle(ToQString(box_.Caption));
}

}  // namespace qtui
