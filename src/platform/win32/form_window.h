#pragma once

#include "platform/win32/windows_api.h"

#include <map>
#include <memory>
#include <vector>

#include "platform/win32/control_view.h"
#include "platform/win32/menu_view.h"
#include "ui/form.h"

namespace win32 {

class Views;
class PictureView;

// The builder and the window of one form, the same for every form: it walks the form's
// controls and layout data and makes a top-level window of the form's kind (class "T" + the
// form's name, so the main window's is TfrmGenerator) with a native control per control,
// group boxes first and every control at its place scaled from 120 ppi, the group boxes being
// siblings under their controls. The form's caption, size, place, enabled state and visibility
// follow the model; the window's events go back to it: activation, moves and sizes, the close
// box (refused when the model refuses), keys (Form::userKeyDown before the control sees them),
// the highlighted menu. Each control's hint shows as its tooltip, from the window's one tooltip
// control. Messages 1024..1049, 1100 and WM_HOTKEY go to the form's message target (the main
// window's WndProc) before DefWindowProc.
class FormWindow {
public:
    FormWindow(Views& views, ui::Form& form, HWND owner);
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;
    ~FormWindow();

    HWND hwnd() const { return hwnd_; }
    ui::Form& form() const { return form_; }
    Views& views() const { return views_; }
    // The tooltip control that shows the controls' hints (TOOLTIPS_CLASS), or null.
    HWND tooltip() const { return tooltip_; }

    // The model's state into the window and all its controls.
    void push();
    // Pushing into the window or a control: their notifications are the program's, not the
    // person's, and are ignored.
    bool pushing() const { return pushing_ > 0; }
    class PushScope {
    public:
        explicit PushScope(FormWindow& w) : w_(w) { ++w_.pushing_; }
        ~PushScope() { --w_.pushing_; }
        PushScope(const PushScope&) = delete;
        PushScope& operator=(const PushScope&) = delete;

    private:
        FormWindow& w_;
    };

    ControlView* viewOf(const ui::Control* control) const;
    ControlView* viewOf(HWND control) const;
    // A control's rectangle in the window's client pixels, its group boxes' offsets added.
    RECT placementOf(const ui::Control& control) const;
    int scale(int designPixels) const;

    // A key pressed in the window or one of its controls, before the control sees it; true
    // when the model (or the Tab key's move) took it.
    bool routeKey(HWND from, UINT msg, WPARAM key);
    // A picture that paintUnder draws, from its making to the window's end.
    void addPicture(const PictureView& picture);
    // Paints what lies under a transparent control at `r` (client pixels) into `dc`, whose
    // origin is the control's top-left corner: the window's colour and any picture there.
    void paintUnder(HDC dc, const RECT& r) const;
    // Whether the model's focused control should take the native focus now.
    bool active() const;

    // Messages the model's window procedure handles: the program's own and WM_HOTKEY.
    static bool IsModelMessage(UINT msg);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void build();
    void pushWindow();
    void reportPlace();
    void centre();
    void focusFromModel();
    void moveFocus(bool backwards);
    ATOM registerClass() const;

    Views& views_;
    ui::Form& form_;
    HWND hwnd_ = nullptr;
    HWND tooltip_ = nullptr;
    std::vector<std::unique_ptr<ControlView>> views_list_;
    std::map<HWND, ControlView*> byWindow_;
    std::vector<const PictureView*> pictures_;
    std::unique_ptr<MenuBarView> menu_;
    int pushing_ = 0;
    bool placed_ = false;  // a centred window is centred when it is first shown
    // The time of the F1 press the model answered: the WM_HELP the system makes of the same
    // press opens nothing a second time.
    LONG f1Answered_ = -1;
};

}  // namespace win32
