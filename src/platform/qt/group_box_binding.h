#pragma once

#include <QGroupBox>

#include "platform/qt/control_binding.h"
#include "ui/label.h"

namespace qtui {

// GroupBox -> QGroupBox with the caption; the controls that name it as Parent are its children.
class GroupBoxBinding final : public ControlBinding {
public:
    GroupBoxBinding(ui::GroupBox& box, QWidget* parent, const ui::Form& form,
                    const ui::Application& app);

private:
    void pushState() override;

    ui::GroupBox& box_;
    QGroupBox* widget_;
};

}  // namespace qtui
