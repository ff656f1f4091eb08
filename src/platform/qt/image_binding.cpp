#include "platform/qt/image_binding.h"

#include <QMouseEvent>
#include <QPainter>

#include "platform/qt/picture.h"

namespace qtui {

void PictureWidget::setPicture(const QPixmap& picture) {
    picture_ = picture;
    update();
}

void PictureWidget::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) return;
    QPainter painter(this);
    painter.drawPixmap(rect(), picture_);
}

ImageBinding::ImageBinding(ui::Image& image, QWidget* parent, const ui::Form& form,
                           const ui::Application& app)
    : ControlBinding(image, new PictureWidget(parent), form, app),
      image_(image),
      widget_(static_cast<PictureWidget*>(widget())) {}

void ImageBinding::pushState() {
    const QSize size = scaledRect().size();
    if (!size.isEmpty() && widget_->picture().size() != size)
        widget_->setPicture(Picture(image_.Picture, size));
}

bool ImageBinding::eventFilter(QObject* watched, QEvent* event) {
    if (watched == widget_ && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            widget_->rect().contains(mouse->position().toPoint()))
            user([&] { image_.userClicked(); });
    }
    return ControlBinding::eventFilter(watched, event);
}

}  // namespace qtui
