#pragma once

#include <QGroupBox>

#include "platform/qt/control_binding.h"
#include "ui/label.h"

namespace qtui {

// GroupBox -> QGroupBox with the caption; the controls that name it as Parent are its children.
class GroupBoxBinding final : public KindBinding<ui::GroupBox, QGroupBox> {
public:
    using KindBinding::KindBinding;

private:
    void pushState() override;
};

}  // namespace qtui
