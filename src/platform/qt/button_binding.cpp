#include "platform/qt/button_binding.h"

#include <QContextMenuEvent>
#include <QStyle>
#include <QStyleOptionButton>

#include "platform/qt/conversions.h"

namespace qtui {

ButtonBinding::ButtonBinding(ui::Button& button, QWidget* parent, const ui::Form& form,
                             const ui::Application& app)
    : ControlBinding(button, new QPushButton(parent), form, app),
      button_(button),
      widget_(static_cast<QPushButton*>(widget())) {
    // Enter belongs to the form, which presses the focused or the default button.
    widget_->setAutoDefault(false);
    forwardMouseButtons();
    connect(widget_, &QPushButton::clicked, this, [this] { user([&] { button_.Click(); }); });
}

ButtonBinding::~ButtonBinding() {
    popupBinding_.reset();
}

QMenu* ButtonBinding::popupMenu() {
    if (!button_.PopupMenu) return nullptr;
    if (!popup_) {
        popup_ = std::make_unique<QMenu>();
        popupBinding_ = std::make_unique<MenuBinding>(*button_.PopupMenu, popup_.get(),
                                                      FontOf({}, form_.font, app_));
    }
    return popup_.get();
}

void ButtonBinding::pushState() {
    // A caption longer than the button loses its end to "…" rather than both edges.
    QStyleOptionButton option;
    option.initFrom(widget_);
    const int room =
        widget_->style()->subElementRect(QStyle::SE_PushButtonContents, &option, widget_).width();
    const QString caption = ToQString(button_.Caption());
    widget_->setText(room > 0 ? widget_->fontMetrics().elidedText(caption, Qt::ElideRight, room)
                              : caption);
    // Only the look: the form decides what Enter presses.
    widget_->setDefault(button_.Default());
}

void ButtonBinding::adjustFont(QFont& font) const {
    if (button_.Bold()) font.setBold(true);
}

bool ButtonBinding::eventFilter(QObject* watched, QEvent* event) {
    if (watched == widget_ && event->type() == QEvent::ContextMenu) {
        if (QMenu* menu = popupMenu()) {
            menu->exec(static_cast<QContextMenuEvent*>(event)->globalPos());
            // A command of the menu may have moved the focus (Rename opens its field) while
            // the popup held the keyboard: the model's focus is shown again now.
            if (const ui::Form* form = button_.form())
                if (ui::Control* focused = form->ActiveControl(); focused && focused->viewChanged)
                    focused->viewChanged();
            return true;
        }
    }
    return ControlBinding::eventFilter(watched, event);
}

}  // namespace qtui
