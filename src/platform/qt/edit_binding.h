#pragma once

#include <QLineEdit>

#include "platform/qt/control_binding.h"
#include "ui/edit.h"

namespace qtui {

// Edit -> QLineEdit. Text the person types reaches the model as userTyped, once per edit. A
// field entered other than by a click has its whole text selected, so that typing replaces it
// (a rename field opened with the preset's name, a field tabbed into), as on Windows. The
// field's own editing keys (undo, cut, copy, paste) reach it: the form leaves them to it.
class EditBinding final : public KindBinding<ui::Edit, QLineEdit> {
public:
    EditBinding(const BindingPlace& place, ui::Edit& edit);

private:
    void pushState() override;
    void adjustPalette(QPalette& palette) const override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace qtui
