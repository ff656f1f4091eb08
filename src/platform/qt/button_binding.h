#pragma once

#include <QMenu>
#include <QPushButton>
#include <memory>

#include "platform/qt/control_binding.h"
#include "platform/qt/menu_binding.h"
#include "ui/button.h"

namespace qtui {

// Button -> QPushButton. A mouse click reaches the model as the person made it: the press is
// userMouseDown, the release userMouseUp, and the click that follows the button's Click (its
// own click path, so the press is not counted twice); Space, with nothing in between, is Click
// alone. The right button opens the control's PopupMenu.
class ButtonBinding final : public KindBinding<ui::Button, QPushButton> {
public:
    ButtonBinding(const BindingPlace& place, ui::Button& button);
    ~ButtonBinding() override;

    // The right-click menu, made when the button first needs it (null when it has none).
    QMenu* popupMenu();

private:
    void pushState() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    std::unique_ptr<QMenu> popup_;
    std::unique_ptr<MenuBinding> popupBinding_;
};

}  // namespace qtui
