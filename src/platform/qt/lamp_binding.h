#pragma once

#include <QColor>
#include <QWidget>

#include "platform/qt/control_binding.h"
#include "ui/label.h"

namespace qtui {

// A round lamp painted in one colour.
class LampWidget final : public QWidget {
public:
    explicit LampWidget(QWidget* parent) : QWidget(parent) {}
    QColor brush() const { return brush_; }
    void setBrush(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor brush_ = Qt::white;
};

// Shape -> LampWidget in the shape's brush colour.
class ShapeBinding final : public KindBinding<ui::Shape, LampWidget> {
public:
    using KindBinding::KindBinding;

private:
    void pushState() override;
};

}  // namespace qtui
