#include "platform/qt/edit_binding.h"

#include <QFocusEvent>

#include "platform/qt/conversions.h"

namespace qtui {

EditBinding::EditBinding(ui::Edit& edit, QWidget* parent, const ui::Form& form,
                         const ui::Application& app)
    : ControlBinding(edit, new QLineEdit(parent), form, app),
      edit_(edit),
      line_(static_cast<QLineEdit*>(widget())) {
    // textEdited comes from the person only, never from setText.
    connect(line_, &QLineEdit::textEdited, this,
            [this](const QString& text) { user([&] { edit_.userTyped(ToStdString(text)); }); });
}

void EditBinding::pushState() {
    const QString text = ToQString(edit_.Text());
    // Leaves the cursor where it is while the model agrees with what was typed.
    if (line_->text() == text) return;
    line_->setText(text);
    // A text the program wrote shows from its start (setText leaves the cursor at the end,
    // which scrolls a long number to its tail); one typed into keeps the person's cursor.
    if (!line_->hasFocus()) line_->setCursorPosition(0);
}

bool EditBinding::eventFilter(QObject* watched, QEvent* event) {
    if (watched == line_ && event->type() == QEvent::FocusIn &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason)
        line_->selectAll();
    return ControlBinding::eventFilter(watched, event);
}

void EditBinding::adjustPalette(QPalette& palette) const {
    if (edit_.color != ui::clWindow)
        palette.setColor(QPalette::Base, ColorIn(edit_.color, palette));
}

}  // namespace qtui
