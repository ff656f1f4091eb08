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
class ShapeBinding final : public ControlBinding {
public:
    ShapeBinding(ui::Shape& shape, QWidget* parent, const ui::Form& form,
                 const ui::Application& app);

private:
    void pushState() override;

    ui::Shape& shape_;
    LampWidget* widget_;
};

}  // namespace qtui
