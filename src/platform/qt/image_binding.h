#pragma once

#include <QPixmap>
#include <QWidget>

#include "platform/qt/control_binding.h"
#include "ui/label.h"

namespace qtui {

// A picture stretched over the widget.
class PictureWidget final : public QWidget {
public:
    explicit PictureWidget(QWidget* parent) : QWidget(parent) {}
    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
};

// Image -> the picture it names; a click on it is the model's userClicked.
class ImageBinding final : public KindBinding<ui::Image, PictureWidget> {
public:
    ImageBinding(const BindingPlace& place, ui::Image& image);

private:
    void pushState() override;
};

}  // namespace qtui
