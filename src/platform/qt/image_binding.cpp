#include "platform/qt/image_binding.h"

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

ImageBinding::ImageBinding(const BindingPlace& place, ui::Image& image)
    : KindBinding(place, image) {
    forwardClicks();
}

void ImageBinding::pushState() {
    const QSize size = scaledRect().size();
    if (!size.isEmpty() && view_->picture().size() != size)
        view_->setPicture(Picture(model_.Picture, size));
}

}  // namespace qtui
