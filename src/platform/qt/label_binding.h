#pragma once

#include <QLabel>

#include "platform/qt/control_binding.h"
#include "ui/label.h"

namespace qtui {

// Label -> QLabel: alignment, word wrap, its own background unless transparent, its font; a
// click on it is the model's userClicked.
class LabelBinding final : public ControlBinding {
public:
    LabelBinding(ui::Label& label, QWidget* parent, const ui::Form& form,
                 const ui::Application& app);

private:
    void pushState() override;
    void adjustPalette(QPalette& palette) const override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    ui::Label& label_;
    QLabel* widget_;
};

}  // namespace qtui
