#include "ui/form.h"

#include <algorithm>

#include "ui/application.h"
#include "ui/button.h"
#include "ui/edit.h"
#include "ui/label.h"

namespace ui {

FrameExtent DesignFrame(BorderStyle style, bool menuBar) {
    FrameExtent f;
    switch (style) {
        case BorderStyle::None:
            return f;
        case BorderStyle::Single:
            f = {16, 45};
            break;
        case BorderStyle::Sizeable:
            f = {20, 49};
            break;
        case BorderStyle::ToolWindow:
            f = {16, 38};
            break;
        case BorderStyle::SizeToolWin:
            f = {20, 42};
            break;
    }
    if (menuBar) f.vertical += 24;
    return f;
}

Form::Form(std::string name, std::string caption)
    : Name(std::move(name)), caption_(std::move(caption)) {}

Form::~Form() {
    for (Control* c : controls_) c->form_ = nullptr;
}

void Form::add(Control& control) {
    control.form_ = this;
    controls_.push_back(&control);
}

void Form::remove(Control& control) {
    dropFocus(control);
    controls_.erase(std::remove(controls_.begin(), controls_.end(), &control), controls_.end());
    control.form_ = nullptr;
}

std::vector<Control*> Form::CreationOrder() const {
    std::vector<Control*> order;
    for (Control* c : controls_)
        if (dynamic_cast<GroupBox*>(c)) order.push_back(c);
    for (Control* c : controls_)
        if (!dynamic_cast<GroupBox*>(c)) order.push_back(c);
    return order;
}

std::vector<Control*> Form::TabSequence() const {
    std::vector<Control*> sequence;
    const auto focusable = [this](const Control* c) { return c->focusable_ && c->form_ == this; };
    for (Control* c : TabOrder)
        if (focusable(c) && std::find(sequence.begin(), sequence.end(), c) == sequence.end())
            sequence.push_back(c);
    for (Control* c : controls_)
        if (focusable(c) && std::find(sequence.begin(), sequence.end(), c) == sequence.end())
            sequence.push_back(c);
    return sequence;
}

Control* Form::NextInTabOrder(const Control* from, bool backwards) const {
    const std::vector<Control*> sequence = TabSequence();
    const auto n = static_cast<std::ptrdiff_t>(sequence.size());
    const auto it = std::find(sequence.begin(), sequence.end(), from);
    // From outside the sequence, forwards starts at the first and backwards at the last.
    std::ptrdiff_t i = it == sequence.end() ? (backwards ? 0 : n - 1) : it - sequence.begin();
    for (std::ptrdiff_t step = 0; step < n; ++step) {
        i = (i + (backwards ? n - 1 : 1)) % n;
        Control* c = sequence[static_cast<std::size_t>(i)];
        if (c->CanFocus() && c->Showing()) return c;
    }
    return nullptr;
}

void Form::setCaption(const std::string& value) {
    if (value == caption_) return;
    caption_ = value;
    changed();
}

void Form::setFrame(FrameExtent frame) {
    if (frame == Frame) return;
    Frame = frame;
    // The client area is what the window is made for; the outer size follows the frame.
    Width = ClientWidth + Frame.horizontal;
    Height = ClientHeight + Frame.vertical;
    changed();
}

void Form::setClientSize(int width, int height) {
    ClientWidth = width;
    ClientHeight = height;
    Width = width + Frame.horizontal;
    Height = height + Frame.vertical;
    changed();
}

void Form::setLeft(int value) {
    if (value == Left) return;
    Left = value;
    changed();
}

void Form::setTop(int value) {
    if (value == Top) return;
    Top = value;
    changed();
}

void Form::setWidth(int value) {
    if (value == Width) return;
    Width = value;
    ClientWidth = value - Frame.horizontal;
    changed();
}

void Form::userMoved(int left, int top) {
    Left = left;
    Top = top;
}

void Form::userResized(int width, int height) {
    Width = width;
    Height = height;
    ClientWidth = width - Frame.horizontal;
    ClientHeight = height - Frame.vertical;
}

void Form::setEnabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    changed();
}

void Form::Create() {
    if (OnCreate) OnCreate(this);
}

void Form::Show() {
    if (visible_) return;
    visible_ = true;
    changed();
    if (OnShow) OnShow(this);
}

void Form::Hide() {
    if (!visible_) return;
    visible_ = false;
    changed();
    if (OnHide) OnHide(this);
}

bool Form::Close() {
    CloseAction action = CloseAction::Hide;
    if (OnClose) OnClose(this, action);
    if (action == CloseAction::None) return false;
    Hide();
    return true;
}

void Form::Activate() {
    if (OnActivate) OnActivate(this);
}

bool Form::focusControl(Control* control) {
    if (control == active_) return true;
    if (control && (control->form_ != this || !control->CanFocus())) return false;
    // The new control holds the focus by the time the old one's exit handler runs.
    Control* previous = active_;
    active_ = control;
    if (previous) {
        previous->changed();
        if (previous->OnExit) previous->OnExit(previous);
    }
    if (control && active_ == control) {
        control->changed();
        if (control->OnEnter) control->OnEnter(control);
    }
    return true;
}

void Form::dropFocus(Control& control) {
    if (active_ == &control) active_ = nullptr;
}

Button* Form::DefaultButton() const {
    for (Control* c : controls_) {
        auto* b = dynamic_cast<Button*>(c);
        if (b && b->Default() && b->Enabled() && b->Visible()) return b;
    }
    return nullptr;
}

Button* Form::CancelButton() const {
    for (Control* c : controls_) {
        auto* b = dynamic_cast<Button*>(c);
        if (b && b->Cancel() && b->Enabled() && b->Visible()) return b;
    }
    return nullptr;
}

int Form::ActiveHelpContext() const {
    for (const MenuItem* m = highlighted_; m; m = m->Parent())
        if (m->HelpContext != 0) return m->HelpContext;
    return HelpContext;
}

bool Form::showHelp() const {
    const int context = ActiveHelpContext();
    if (context == 0 || HelpApplication == nullptr) return false;
    HelpApplication->HelpContext(context);
    return true;
}

bool Form::userKeyDown(std::uint16_t key, ShiftState shift) {
    if (!enabled_) return false;
    const bool help = key == VK_F1 && shift == ShiftState{};
    // A highlighted menu has the keyboard: its help, not a shortcut of the window.
    if (help && highlighted_) return showHelp();
    Control* focused = active_;
    // In a text field its editing keys edit the text; a command on the same key waits until
    // the focus is elsewhere.
    const bool editing = dynamic_cast<Edit*>(focused) && IsEditingKey(ShortCut{key, shift});
    if (MenuItem* item = editing ? nullptr : Menu.findShortCut(ShortCut{key, shift});
        item && item->EffectivelyEnabled()) {
        item->Click();
        return true;
    }
    if (focused && focused->OnKeyDown) {
        focused->OnKeyDown(focused, key, shift);
        if (key == 0) return true;
    }
    if (help && showHelp()) return true;
    if (key == VK_RETURN || key == VK_ESCAPE) {
        char ch = static_cast<char>(key);
        if (focused && focused->OnKeyPress) {
            focused->OnKeyPress(focused, ch);
            if (ch == 0) return true;
        }
        Button* target = CancelButton();
        if (key == VK_RETURN) {
            target = dynamic_cast<Button*>(focused);
            if (!target) target = DefaultButton();
        }
        if (target) {
            target->Click();
            return true;
        }
        return false;
    }
    // A handler that saw the key and left it did not take it: the key goes on to the
    // control itself (a letter typed into a field that watches for Enter).
    return false;
}

}  // namespace ui
