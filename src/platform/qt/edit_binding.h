#pragma once

#include <QLineEdit>

#include "platform/qt/control_binding.h"
#include "ui/edit.h"

namespace qtui {

// Edit -> QLineEdit. Text the person types reaches the model as userTyped, once per edit.
class EditBinding final : public ControlBinding {
public:
    EditBinding(ui::Edit& edit, QWidget* parent, const ui::Form& form, const ui::Application& app);

private:
    void pushState() override;
    void adjustPalette(QPalette& palette) const override;

    ui::Edit& edit_;
    QLineEdit* line_;
};

}  // namespace qtui
