#include "platform/qt/button_binding.h"

#include <QContextMenuEvent>
#include <QStyle>
#include <QStyleOptionButton>

#include "platform/qt/conversions.h"

namespace qtui {

ButtonBinding::ButtonBinding(const BindingPlace& place, ui::Button& button)
    : KindBinding(place, button) {
    // Enter belongs to the form, which presses the focused or the default button.
    view_->setAutoDefault(false);
    forwardMouseButtons();
    connect(view_, &QPushButton::clicked, this, [this] { user([&] { model_.Click(); }); });
}

ButtonBinding::~ButtonBinding() {
    popupBinding_.reset();
}

QMenu* ButtonBinding::popupMenu() {
    if (!model_.PopupMenu) return nullptr;
    if (!popup_) {
        popup_ = std::make_unique<QMenu>();
        popupBinding_ = std::make_unique<MenuBinding>(*model_.PopupMenu, popup_.get(),
                                                      ToQFont(form_.font, app_));
    }
    return popup_.get();
}

void ButtonBinding::pushState() {
    // A caption longer than the button loses its end to "…" rather than both edges.
    QStyleOptionButton option;
    option.initFrom(view_);
    const int room =
        view_->style()->subElementRect(QStyle::SE_PushButtonContents, &option, view_).width();
    const QString caption = ToQString(model_.Caption());
    view_->setText(room > 0 ? view_->fontMetrics().elidedText(caption, Qt::ElideRight, room)
                            : caption);
    // Only the look: the form decides what Enter presses.
    view_->setDefault(model_.Default());
}

bool ButtonBinding::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_ && event->type() == QEvent::ContextMenu) {
        if (QMenu* menu = popupMenu()) {
            menu->exec(static_cast<QContextMenuEvent*>(event)->globalPos());
            // A command of the menu may have moved the focus (Rename opens its field) while
            // the popup held the keyboard: the model's focus is shown again now.
            if (const ui::Form* form = model_.form())
                if (ui::Control* focused = form->ActiveControl(); focused && focused->viewChanged)
                    focused->viewChanged();
            return true;
        }
    }
    return ControlBinding::eventFilter(watched, event);
}

}  // namespace qtui
