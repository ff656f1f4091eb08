#pragma once

#include <string>
#include <vector>

#include "ui/control.h"
#include "ui/menu.h"

namespace ui {

class Application;
class Button;

// What kind of window a form is, as its frame shows it.
enum class BorderStyle {
    None,         // no frame, no caption (the splash)
    Single,       // a fixed-size window with a caption
    Sizeable,     // a resizable window with a caption
    ToolWindow,   // a fixed-size window with a small caption
    SizeToolWin,  // a resizable window with a small caption
};

// Where a window first appears.
enum class FormPosition { Designed, ScreenCenter };

struct BorderIcons {
    bool SystemMenu = true, Minimize = true, Maximize = true, Help = false;
};

// Outer sizes a user may resize the window to; 0 means no limit.
struct SizeConstraints {
    int MinWidth = 0, MinHeight = 0, MaxWidth = 0, MaxHeight = 0;
};

// What the frame adds to the client area: both side borders, and the caption, menu bar and
// borders above and below.
// The area the screens cover (the virtual desktop), in screen pixels.
struct ScreenArea {
    int left = 0, top = 0, width = 0, height = 0;
};

struct FrameExtent {
    int horizontal = 0, vertical = 0;
    friend bool operator==(const FrameExtent&, const FrameExtent&) = default;
};

// The frame of a window of this kind on a typical desktop, in design pixels: the estimate a
// form works with until a front-end reports the real one.
FrameExtent DesignFrame(BorderStyle style, bool menuBar);

// A window: its controls, the keyboard focus, the default button, the menu bar and the window
// events. Every window is created once and then shown and hidden.
class Form : public Object {
public:
    explicit Form(std::string name, std::string caption = {});
    ~Form() override;

    const std::string Name;
    int HelpContext = 0;
    int Tag = 0;
    // Screen pixels. Width and Height are the outer size, frame included; the client area is
    // what the frame leaves. Change them through the setters, which keep the two consistent.
    int Left = 0, Top = 0, Width = 0, Height = 0;
    int ClientWidth = 0, ClientHeight = 0;
    FrameExtent Frame;
    MenuItem Menu{"MainMenu"};  // the menu bar; its items are the menus

    // The window's kind and look, as a form file gives them.
    BorderStyle borderStyle = BorderStyle::Sizeable;
    FormPosition Position = FormPosition::Designed;
    BorderIcons borderIcons;
    SizeConstraints Constraints;
    ui::Font font{"Arial", 15};
    Color color = clBtnFace;
    bool TransparentColor = false;  // pixels of TransparentColorValue are see-through
    Color TransparentColorValue = clWhite;

    NotifyEvent OnCreate, OnShow, OnHide, OnActivate;
    CloseEvent OnClose;
    // The program whose help file F1 opens in this window; set when the program creates it.
    Application* HelpApplication = nullptr;

    void add(Control& control);
    void remove(Control& control);
    // In the order they were added: a later control lies over an earlier one.
    const std::vector<Control*>& Controls() const { return controls_; }
    // The order in which a front-end makes the controls: the group boxes first, so that each
    // control finds its parent made, then the others; each in the form's order.
    std::vector<Control*> CreationOrder() const;

    // The order of the Tab key, as the layout gives it; the focusable controls it leaves out
    // follow in the form's order.
    std::vector<Control*> TabOrder;
    // Every focusable control of the form, in the order of the Tab key.
    std::vector<Control*> TabSequence() const;
    // Where Tab (Shift+Tab: `backwards`) moves the focus from `from` (null: from before the
    // first): the next control in the sequence that can take the focus and is showing, going
    // round at the end; null when there is none.
    Control* NextInTabOrder(const Control* from, bool backwards) const;

    const std::string& Caption() const { return caption_; }
    void setCaption(const std::string& value);

    void setFrame(FrameExtent frame);
    void setClientSize(int width, int height);
    void setLeft(int value);
    void setTop(int value);
    void setWidth(int value);
    // The user moved or resized the window (screen pixels, outer size); nothing else runs.
    void userMoved(int left, int top);
    void userResized(int width, int height);
    bool Visible() const { return visible_; }
    bool Enabled() const { return enabled_; }
    void setEnabled(bool value);

    // Runs the creation handler; the program calls it once.
    void Create();
    void Show();
    void Hide();
    // Asks the window to close; the close handler may refuse (CloseAction::None). True when
    // the window closed.
    bool Close();
    // The window became the active window.
    void Activate();

    Control* ActiveControl() const { return active_; }
    // Moves the focus; the control that loses it runs its exit handler once. False when the
    // control cannot take the focus.
    bool focusControl(Control* control);
    // The control went away or can no longer hold the focus: it loses it without an exit.
    void dropFocus(Control& control);

    // The first visible, enabled button marked as default, or null.
    Button* DefaultButton() const;
    // The first visible, enabled button marked as cancel (Escape presses it), or null.
    Button* CancelButton() const;

    // A key pressed while this window is active. F1 while a menu item is highlighted opens that
    // item's help. Otherwise menu shortcuts come first (but not a text field's editing keys,
    // see IsEditingKey), then the focused control's key handlers; Enter not taken by them
    // presses the focused button or else the default button, Escape the cancel button, and F1
    // opens the window's help. Returns true when something took the key (a handler takes it by
    // setting it to 0); a front-end passes every other key on to the focused control.
    bool userKeyDown(std::uint16_t key, ShiftState shift = {});
    // The front-end reports the item of this window's menus that the user has highlighted
    // (a menu of the bar or a command in it), and null when the menu closes.
    void userHighlightedMenu(MenuItem* item) { highlighted_ = item; }
    MenuItem* HighlightedMenu() const { return highlighted_; }
    // The help topic F1 opens now: that of the highlighted item or of the nearest menu above
    // it that has one, else the window's own; 0 when there is none.
    int ActiveHelpContext() const;
    // The user closed the window (close box, Alt+F4).
    bool userClosed() { return Close(); }

    std::function<void()> viewChanged;

protected:
    void changed() const {
        if (viewChanged) viewChanged();
    }

private:
    std::string caption_;
    std::vector<Control*> controls_;
    bool showHelp() const;

    Control* active_ = nullptr;
    MenuItem* highlighted_ = nullptr;
    bool visible_ = false;
    bool enabled_ = true;
};

}  // namespace ui
