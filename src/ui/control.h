#pragma once

#include <functional>
#include <string>

#include "ui/control_kinds.h"
#include "ui/types.h"

namespace ui {

class Form;
class MenuItem;

// The part every control shares: name, geometry, enabled and visible state, focus and the
// mouse and keyboard events. A view (Qt widget, Win32 control) subscribes through viewChanged
// and never holds state of its own; user actions come back through the user* methods, which
// apply the same rules as program changes so that handlers cannot tell a test from a person.
class Control : public Object {
public:
    Control(std::string name, bool focusable);
    ~Control() override;

    const std::string Name;
    std::string Hint;
    // Design pixels, relative to the parent's top-left corner (the window's client area when
    // there is no parent).
    int Left = 0, Top = 0, Width = 0, Height = 0;
    Control* Parent = nullptr;  // a group box holding this control
    bool FillsParent = false;   // follows its parent's (or the window's) client area
    // Spans its parent's (or the window's) client width along the bottom, its design height
    // tall; a control that fills the same parent leaves that strip to it.
    bool DocksBottom = false;
    ui::Font font;  // empty name / zero height: the window's font
    Cursor cursor = Cursor::Default;
    int Tag = 0;
    MenuItem* PopupMenu = nullptr;

    NotifyEvent OnEnter, OnExit, OnClick;
    MouseEvent OnMouseDown, OnMouseUp;
    KeyEvent OnKeyDown;
    KeyPressEvent OnKeyPress;

    // A hint that changes while the window is shown: the view shows the new text.
    void setHint(std::string value) {
        if (Hint == value) return;
        Hint = std::move(value);
        changed();
    }

    bool Enabled() const { return enabled_; }
    void setEnabled(bool value);
    bool Visible() const { return visible_; }
    void setVisible(bool value);
    // Visible here and in every group box above: what the screen shows.
    bool Showing() const;
    void setBounds(int left, int top, int width, int height);
    bool Focused() const;
    bool CanFocus() const;
    Form* form() const { return form_; }

    // SetFocus: moves the keyboard focus here; the control that loses it runs its exit handler.
    bool SetFocus();

    // User actions. A press of a mouse button focuses a focusable control first.
    void userFocused();
    void userMouseDown(MouseButton button = MouseButton::Left, ShiftState shift = {});
    void userMouseUp(MouseButton button = MouseButton::Left, ShiftState shift = {});
    // A complete left click: press, release, click.
    virtual void userClicked();

    // Calls the visitor's call for this control's kind.
    virtual void accept(ControlVisitor& visitor) = 0;
    // The font the control is drawn in, in design pixels: the window's name and height where
    // its own font gives none, and what its state adds (a bold button).
    virtual Font ShownFont() const;

    // The view's subscription: called after any change of the control's state.
    std::function<void()> viewChanged;

protected:
    void changed() const {
        if (viewChanged) viewChanged();
    }
    // What a click does to the control's own state before OnClick runs.
    virtual void clickAction() {
        if (OnClick) OnClick(this);
    }

private:
    friend class Form;
    Form* form_ = nullptr;
    const bool focusable_;
    bool enabled_ = true;
    bool visible_ = true;
};

// A rectangle in screen pixels, right and bottom exclusive.
struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Where a control that fills its parent or docks at its bottom lies within the parent's client
// rectangle `area`; `scale` turns design pixels into screen pixels. Other controls: `area`.
PixelRect DockedRect(const Control& c, PixelRect area, const std::function<int(int)>& scale);

}  // namespace ui
