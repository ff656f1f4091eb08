#include "platform/qt/edit_binding.h"

#include <QFocusEvent>

#include "platform/qt/conversions.h"

namespace qtui {

EditBinding::EditBinding(const BindingPlace& place, ui::Edit& edit) : KindBinding(place, edit) {
    // textEdited comes from the person only, never from setText.
    connect(view_, &QLineEdit::textEdited, this,
            [this](const QString& text) { user([&] { model_.userTyped(ToStdString(text)); }); });
}

void EditBinding::pushState() {
    const QString text = ToQString(model_.Text());
    // Leaves the cursor where it is while the model agrees with what was typed.
    if (view_->text() == text) return;
    view_->setText(text);
    // A text the program wrote shows from its start (setText leaves the cursor at the end,
    // which scrolls a long number to its tail); one typed into keeps the person's cursor.
    if (!view_->hasFocus()) view_->setCursorPosition(0);
}

bool EditBinding::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_ && event->type() == QEvent::FocusIn &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason)
        view_->selectAll();
    return ControlBinding::eventFilter(watched, event);
}

void EditBinding::adjustPalette(QPalette& palette) const {
    if (model_.color != ui::clWindow)
        palette.setColor(QPalette::Base, ColorIn(model_.color, palette));
}

}  // namespace qtui
