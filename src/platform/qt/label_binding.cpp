#include "platform/qt/label_binding.h"

#include "platform/qt/conversions.h"

namespace qtui {

LabelBinding::LabelBinding(const BindingPlace& place, ui::Label& label)
    : KindBinding(place, label) {
    view_->setTextFormat(Qt::PlainText);
    forwardClicks();
}

void LabelBinding::pushState() {
    view_->setText(ToQString(model_.Caption()));
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (model_.alignment == ui::Alignment::Right) horizontal = Qt::AlignRight;
    if (model_.alignment == ui::Alignment::Center) horizontal = Qt::AlignHCenter;
    view_->setAlignment(horizontal | Qt::AlignTop);
    view_->setWordWrap(model_.WordWrap);
    view_->setAutoFillBackground(!model_.Transparent);
}

void LabelBinding::adjustPalette(QPalette& palette) const {
    if (!model_.Transparent) palette.setColor(QPalette::Window, ColorIn(model_.color, palette));
}

}  // namespace qtui
