#pragma once

#include "platform/win32/windows_api.h"

#include "ui/control.h"

namespace win32 {

class FormWindow;

// One control of a form on the screen: the native window and the model it shows. The view
// subscribes to the model's viewChanged and pushes the model's state into the native control;
// while it pushes, the form ignores the control's notifications, so a model update never comes
// back as a user action. What the person does becomes the form kit's user* calls. The view
// keeps no state of its own beyond the native window.
class ControlView {
public:
    ControlView(FormWindow& form, ui::Control& model);
    ControlView(const ControlView&) = delete;
    ControlView& operator=(const ControlView&) = delete;
    virtual ~ControlView();

    HWND hwnd() const { return hwnd_; }
    ui::Control& model() const { return model_; }
    FormWindow& form() const { return form_; }

    // Makes the native control (the builder calls it once) and pushes the model into it.
    void create();
    // The model's whole state into the control: place, font, hint, enabled, shown, focus, and
    // what the kind adds. The control's notifications are ignored meanwhile.
    void push();
    // Where the layout places the control, in the window's client pixels.
    RECT placement() const;

    // Notifications the window receives about this control.
    virtual void command(WORD /*code*/) {}
    virtual void scroll(WORD /*request*/) {}
    // WM_CTLCOLOR*: the brush to paint the control's background with, or null for the default.
    virtual HBRUSH colors(HDC /*dc*/) { return nullptr; }

protected:
    // The native window's class, styles and text at creation.
    virtual const wchar_t* className() const = 0;
    virtual DWORD style() const = 0;
    virtual DWORD exStyle() const { return 0; }
    // The kind's own state into the control.
    virtual void pushState() {}
    // The native window's height, where it differs from the layout's (a drop-down list).
    virtual int nativeHeight(const RECT& r) const { return r.bottom - r.top; }
    // Messages of the control itself, before the native procedure. Set `handled` to keep them
    // from it.
    virtual LRESULT message(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    // Whether the view turns mouse presses into userMouseDown/Up (buttons, sliders, pictures).
    virtual bool reportsMouse() const { return true; }
    // The control's font, resolved against the window's, scaled to the screen.
    HFONT font() const;
    bool ignoring() const;

    FormWindow& form_;
    ui::Control& model_;
    HWND hwnd_ = nullptr;

private:
    // The hint as the control's tool in the form's tooltip control: added, its text replaced,
    // or removed when the hint is empty.
    void pushHint();
    static LRESULT CALLBACK SubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR data);
};

// The shift keys held now, as the form kit counts them.
ui::ShiftState CurrentShiftState();

}  // namespace win32
