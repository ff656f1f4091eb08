#include "ui/button.h"
#include "ui/label.h"

namespace ui {

void Button::setCaption(const std::string& value) {
    if (value == caption_) return;
    caption_ = value;
    changed();
}

void Button::setDefault(bool value) {
    if (value == default_) return;
    default_ = value;
    changed();
}

void Button::setBold(bool value) {
    if (value == bold_) return;
    bold_ = value;
    changed();
}

void Label::setCaption(const std::string& value) {
    if (value == caption_) return;
    caption_ = value;
    changed();
}

void Shape::setBrush(Color value) {
    if (value == brush_) return;
    brush_ = value;
    changed();
}

}  // namespace ui
