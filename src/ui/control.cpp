#include "ui/control.h"

#include <algorithm>

#include "ui/form.h"

namespace ui {

PixelRect DockedRect(const Control& c, PixelRect area, const std::function<int(int)>& scale) {
    if (c.DocksBottom) {
        area.top = std::max(area.top, area.bottom - scale(c.Height));
        return area;
    }
    if (!c.FillsParent || !c.form()) return area;
    for (const Control* other : c.form()->Controls())
        if (other != &c && other->DocksBottom && other->Parent == c.Parent && other->Visible())
            area.bottom = std::max(area.top, area.bottom - scale(other->Height));
    return area;
}

Control::Control(std::string name, bool focusable) : Name(std::move(name)), focusable_(focusable) {}

Control::~Control() {
    if (form_) form_->remove(*this);
}

void Control::setEnabled(bool value) {
    if (enabled_ == value) return;
    enabled_ = value;
    // A control that cannot take the focus loses it silently, as a disabled window does.
    if (!value && form_) form_->dropFocus(*this);
    changed();
}

void Control::setVisible(bool value) {
    if (visible_ == value) return;
    visible_ = value;
    if (!value && form_) form_->dropFocus(*this);
    changed();
}

bool Control::Showing() const {
    for (const Control* c = this; c; c = c->Parent)
        if (!c->visible_) return false;
    return true;
}

void Control::setBounds(int left, int top, int width, int height) {
    Left = left;
    Top = top;
    Width = width;
    Height = height;
    changed();
}

Font Control::ShownFont() const {
    Font f = font;
    if (form_) {
        if (f.Name.empty()) f.Name = form_->font.Name;
        if (f.Height == 0) f.Height = form_->font.Height;
    }
    return f;
}

bool Control::Focused() const {
    return form_ && form_->ActiveControl() == this;
}

bool Control::CanFocus() const {
    return focusable_ && enabled_ && visible_ && form_;
}

bool Control::SetFocus() {
    return form_ && form_->focusControl(this);
}

void Control::userFocused() {
    if (CanFocus()) SetFocus();
}

void Control::userMouseDown(MouseButton button, ShiftState shift) {
    if (!enabled_ || !visible_) return;
    userFocused();
    if (OnMouseDown) OnMouseDown(this, button, shift);
}

void Control::userMouseUp(MouseButton button, ShiftState shift) {
    if (!enabled_ || !visible_) return;
    if (OnMouseUp) OnMouseUp(this, button, shift);
}

void Control::userClicked() {
    if (!enabled_ || !visible_) return;
    userMouseDown();
    userMouseUp();
    if (enabled_ && visible_) clickAction();
}

}  // namespace ui
