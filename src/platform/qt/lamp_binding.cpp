#include "platform/qt/lamp_binding.h"

#include <QPainter>
#include <algorithm>

namespace qtui {

void LampWidget::setBrush(const QColor& color) {
    if (color == brush_) return;
    brush_ = color;
    update();
}

void LampWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int diameter = std::min(width(), height()) - 2;
    if (diameter <= 0) return;
    const QRectF circle((width() - diameter) / 2.0, (height() - diameter) / 2.0, diameter,
                        diameter);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(brush_);
    painter.drawEllipse(circle);
}

void ShapeBinding::pushState() {
    view_->setBrush(ColorIn(model_.Brush(), view_->palette()));
}

}  // namespace qtui
