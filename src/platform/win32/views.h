#pragma once

#include "platform/win32/windows_api.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "ui/application.h"
#include "ui/form.h"

namespace win32 {

class FormWindow;

// The Windows front-end as a whole: one window per form of the program, the fonts and brushes
// they share, and the application window whose text is the program's title in the task bar
// (the forms are owned by it, so they do not show task-bar buttons of their own).
//
// Make it on the UI thread before the program creates its first form; it must outlive every
// FormWindow it made.
class Views {
public:
    explicit Views(ui::Application& application, HINSTANCE instance = ::GetModuleHandleW(nullptr));
    Views(const Views&) = delete;
    Views& operator=(const Views&) = delete;
    ~Views();

    // The program made a form (before it loads or shows anything) / is about to drop it.
    FormWindow& formCreated(ui::Form& form);
    void formDestroyed(ui::Form& form);

    // The window of a form, or null.
    HWND windowOf(const ui::Form* form) const;
    FormWindow* find(const ui::Form* form) const;
    // The form window that `window` (a form or one of its controls) belongs to, or null.
    FormWindow* owning(HWND window) const;

    // The screen's resolution, and the frame of each kind of window from the system itself, for
    // the application to size its windows with. Call before the program makes its windows.
    void measureScreen();

    ui::Application& application;
    const HINSTANCE instance;
    // Other programs' messages to the main window (the remote catalogue's span) go here, and what
    // it returns is their result; the program decides whether it acts. Unset: straight to the
    // form's window procedure.
    std::function<LRESULT(UINT message, WPARAM wParam, LPARAM lParam)> remoteMessage;

    HFONT font(const ui::Font& f);
    HBRUSH brush(COLORREF color);
    HWND applicationWindow() const { return appWindow_; }
    HWND mainWindow() const { return windowOf(application.MainForm); }

private:
    static LRESULT CALLBACK AppWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    void pushTitle();

    HWND appWindow_ = nullptr;
    std::map<const ui::Form*, std::unique_ptr<FormWindow>> forms_;
    using FontKey = std::tuple<std::string, int, bool, bool, bool>;
    std::map<FontKey, HFONT> fonts_;
    std::map<COLORREF, HBRUSH> brushes_;
};

// A colour of the form kit as Windows draws it: system colours from the system.
COLORREF ColorRef(ui::Color color);

}  // namespace win32
