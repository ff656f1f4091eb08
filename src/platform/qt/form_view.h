#pragma once

#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/qt/control_binding.h"
#include "platform/qt/menu_binding.h"
#include "ui/application.h"
#include "ui/form.h"

class QKeyEvent;

namespace qtui {

// The window of one form, built the same way for every form from its controls and its layout
// data: group boxes first, then each control inside its group box (or the client area) at its
// design rectangle scaled to the screen, the Tab key going through them in the layout's order. The
// window's kind follows the form's: a form with a menu bar is a QMainWindow (menu bar over a client
// area of ClientWidth x ClientHeight), a tool window is a Qt::Tool, a form without a border is
// frameless with its transparent colour cut out. Caption, enabled state, showing, placement and
// size follow the model; the person's keys go to Form::userKeyDown first, and closing, moving,
// resizing and activating the window are the form's user actions.
class FormView final : public QObject {
public:
    FormView(ui::Form& form, ui::Application& app);
    ~FormView() override;
    FormView(const FormView&) = delete;
    FormView& operator=(const FormView&) = delete;

    ui::Form& form() const { return form_; }
    QWidget* window() const { return window_; }
    // The client area the controls are placed in.
    QWidget* clientArea() const { return client_; }
    QWidget* widgetOf(const ui::Control& control) const;
    ControlBinding* bindingOf(const ui::Control& control) const;
    MenuBinding* menuBar() const { return menu_.get(); }

    // Pushes the window's and every control's state.
    void refresh();
    void pushForm();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void bind(ui::Control& control);
    // The Tab key's chain through the widgets, in the order the layout gives.
    void orderTabs();
    QWidget* parentWidgetOf(const ui::Control& control);
    void pushTitle();
    void pushGeometry();
    void placeCentred();
    void show();
    void cutOutTransparentColor();
    bool keyPressed(QObject* watched, QKeyEvent* event);
    void resized(QObject* watched);
    // The window manager's frame: measured once the window is on the screen, the model's
    // estimate before.
    QMargins frame() const;
    bool sizeable() const;
    void focusChanged(QWidget* now);

    ui::Form& form_;
    ui::Application& app_;
    QWidget* window_ = nullptr;  // owned; deleted with everything in it
    QWidget* client_ = nullptr;
    std::unique_ptr<MenuBinding> menu_;
    std::vector<std::unique_ptr<ControlBinding>> bindings_;
    std::unordered_map<const ui::Control*, ControlBinding*> byControl_;
    std::unordered_map<const QWidget*, ControlBinding*> byWidget_;
    QMetaObject::Connection focusConnection_;
    // Moves and resizes are the person's only once the window is on the screen with its
    // real frame; until then they are the builder's own.
    bool onScreen_ = false;
    // The frame's width the window was last sized for: a frame that the window manager
    // reports later sizes it again, so that its outer width stays the model's.
    int sizedForFrame_ = -1;
};

}  // namespace qtui
