#include "platform/qt/control_binding.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalBlocker>

#include "platform/qt/conversions.h"

namespace qtui {

QColor SystemColor(const ui::Color& color, const QPalette& palette) {
    if (color == ui::clWindow) return palette.color(QPalette::Base);
    if (color == ui::clBtnFace) return palette.color(QPalette::Window);
    if (color == ui::clGrayText) return palette.color(QPalette::Disabled, QPalette::WindowText);
    return palette.color(QPalette::WindowText);
}

ControlBinding::ControlBinding(ui::Control& control, QWidget* widget, const ui::Form& form,
                               const ui::Application& app)
    : form_(form), app_(app), control_(control), widget_(widget) {
    widget_->setObjectName(ToQString(control.Name));
    widget_->installEventFilter(this);
    control_.viewChanged = [this] { refresh(); };
}

ControlBinding::~ControlBinding() {
    control_.viewChanged = nullptr;
    if (widget_) widget_->removeEventFilter(this);
}

QRect ControlBinding::scaledRect() const {
    if ((control_.FillsParent || control_.DocksBottom) && widget_->parentWidget()) {
        const QRect area = widget_->parentWidget()->rect();
        const ui::PixelRect r =
            ui::DockedRect(control_, {area.left(), area.top(), area.right() + 1, area.bottom() + 1},
                           [this](int v) { return app_.Scale(v); });
        return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    // Edges are scaled, not sizes, so that controls that meet in the design meet on the screen.
    const int left = app_.Scale(control_.Left), top = app_.Scale(control_.Top);
    return QRect(left, top, app_.Scale(control_.Left + control_.Width) - left,
                 app_.Scale(control_.Top + control_.Height) - top);
}

void ControlBinding::refresh() {
    const QSignalBlocker blocker(widget_);
    widget_->setGeometry(scaledRect());
    widget_->setToolTip(ToQString(control_.Hint));
    widget_->setCursor(CursorOf(control_.cursor));

    widget_->setFont(ToQFont(control_.ShownFont(), app_));
    // Only the roles the model sets are resolved here; the rest comes from the window.
    QPalette palette;
    if (control_.font.color != ui::clWindowText) {
        const QColor text = ColorIn(control_.font.color, palette);
        for (QPalette::ColorRole role :
             {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            palette.setColor(role, text);
    }
    adjustPalette(palette);
    widget_->setPalette(palette);

    pushState();
    widget_->setEnabled(control_.Enabled());
    // Qt hides a widget whose group box is hidden, so the widget shows exactly when the
    // control is Showing().
    widget_->setVisible(control_.Visible());
    if (control_.Focused() && widget_->window()->focusWidget() != widget_)
        widget_->setFocus(Qt::OtherFocusReason);
}

bool ControlBinding::eventFilter(QObject* watched, QEvent* event) {
    if (watched != widget_) return false;
    if (forwardClicks_ && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            widget_->rect().contains(mouse->position().toPoint()))
            user([&] { control_.userClicked(); });
    }
    if (!forwardMouse_) return false;
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const ui::MouseButton button = MouseButtonOf(mouse->button());
        const ui::ShiftState shift = ShiftStateOf(mouse->modifiers());
        if (event->type() == QEvent::MouseButtonPress)
            user([&] { control_.userMouseDown(button, shift); });
        else
            user([&] { control_.userMouseUp(button, shift); });
    }
    return false;
}

}  // namespace qtui
