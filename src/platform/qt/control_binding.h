#pragma once

#include <QObject>
#include <QPalette>
#include <QWidget>

#include "ui/application.h"
#include "ui/control.h"
#include "ui/form.h"

namespace qtui {

// What every binding shares: it draws one control of the form kit in one widget. The model is
// the only state: refresh() pushes all of it into the widget with the widget's signals blocked,
// so a push never comes back as a user action; the person's actions go to the model's user*
// calls, and the binding then shows what the model made of them (which may differ from what
// the widget did by itself, a click on a disabled check box say).
class ControlBinding : public QObject {
public:
    ControlBinding(ui::Control& control, QWidget* widget, const ui::Form& form,
                   const ui::Application& app);
    ~ControlBinding() override;
    ControlBinding(const ControlBinding&) = delete;
    ControlBinding& operator=(const ControlBinding&) = delete;

    ui::Control& control() const { return control_; }
    QWidget* widget() const { return widget_; }
    // The control's rectangle on the screen, relative to its parent widget.
    QRect scaledRect() const;

    void refresh();

protected:
    // The kind's own state, pushed with the signals already blocked.
    virtual void pushState() {}
    virtual void adjustPalette(QPalette&) const {}

    // Runs the person's action on the model, then shows the model's answer.
    template <typename Action>
    void user(Action&& action) {
        action();
        refresh();
    }
    // Mouse presses and releases on the widget become userMouseDown / userMouseUp.
    void forwardMouseButtons() { forwardMouse_ = true; }
    // A left button released over the widget becomes userClicked (a label, a picture).
    void forwardClicks() { forwardClicks_ = true; }
    bool eventFilter(QObject* watched, QEvent* event) override;

    const ui::Form& form_;
    const ui::Application& app_;

private:
    ui::Control& control_;
    QWidget* widget_;
    bool forwardMouse_ = false;
    bool forwardClicks_ = false;
};

// Where a binding's widget goes: its parent widget, in which window of which program.
struct BindingPlace {
    QWidget* parent;
    const ui::Form& form;
    const ui::Application& app;
};

// The binding of one kind of control: `Model` drawn in a `Widget` of its own making.
template <typename Model, typename Widget>
class KindBinding : public ControlBinding {
public:
    KindBinding(const BindingPlace& place, Model& model)
        : ControlBinding(model, new Widget(place.parent), place.form, place.app),
          model_(model),
          view_(static_cast<Widget*>(widget())) {}

protected:
    Model& model_;
    Widget* const view_;
};

// The colour a system colour stands for in the widget's palette.
QColor SystemColor(const ui::Color& color, const QPalette& palette);
inline QColor ColorIn(const ui::Color& color, const QPalette& palette) {
    return color.system ? SystemColor(color, palette) : QColor(color.r, color.g, color.b);
}

}  // namespace qtui
