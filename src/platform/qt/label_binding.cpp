#include "platform/qt/label_binding.h"

#include <QMouseEvent>

#include "platform/qt/conversions.h"

namespace qtui {

LabelBinding::LabelBinding(ui::Label& label, QWidget* parent, const ui::Form& form,
                           const ui::Application& app)
    : ControlBinding(label, new QLabel(parent), form, app),
      label_(label),
      widget_(static_cast<QLabel*>(widget())) {
    widget_->setTextFormat(Qt::PlainText);
}

void LabelBinding::pushState() {
    widget_->setText(ToQString(label_.Caption()));
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (label_.alignment == ui::Alignment::Right) horizontal = Qt::AlignRight;
    if (label_.alignment == ui::Alignment::Center) horizontal = Qt::AlignHCenter;
    widget_->setAlignment(horizontal | Qt::AlignTop);
    widget_->setWordWrap(label_.WordWrap);
    widget_->setAutoFillBackground(!label_.Transparent);
}

void LabelBinding::adjustPalette(QPalette& palette) const {
    if (!label_.Transparent) palette.setColor(QPalette::Window, ColorIn(label_.color, palette));
}

bool LabelBinding::eventFilter(QObject* watched, QEvent* event) {
    if (watched == widget_ && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            widget_->rect().contains(mouse->position().toPoint()))
            user([&] { label_.userClicked(); });
    }
    return ControlBinding::eventFilter(watched, event);
}

}  // namespace qtui
