#pragma once

#include <QLabel>

#include "platform/qt/control_binding.h"
#include "ui/label.h"

namespace qtui {

// Label -> QLabel: plain text, alignment, word wrap, its own background unless transparent;
// a click on it is the model's userClicked.
class LabelBinding final : public KindBinding<ui::Label, QLabel> {
public:
    LabelBinding(const BindingPlace& place, ui::Label& label);

private:
    void pushState() override;
    void adjustPalette(QPalette& palette) const override;
};

}  // namespace qtui
