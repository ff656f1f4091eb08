#pragma once

#include "platform/win32/windows_api.h"

#include <functional>

#include "ui/hot_key.h"

namespace win32 {

// The system-wide hot key through RegisterHotKey: the press reaches the window as WM_HOTKEY,
// whose procedure hands it to the model. A combination another program holds gives false,
// and nothing is shown.
class Win32HotKey final : public ui::IHotKey {
public:
    // `windowOf` finds the window of a message target (the main form's window).
    explicit Win32HotKey(std::function<HWND(ui::MessageTarget*)> windowOf)
        : windowOf_(std::move(windowOf)) {}

    bool RegisterHotKey(ui::MessageTarget* window, int id, ui::ShiftState modifiers,
                        std::uint16_t key) override;
    void UnregisterHotKey(ui::MessageTarget* window, int id) override;

    static UINT Modifiers(ui::ShiftState shift);

private:
    std::function<HWND(ui::MessageTarget*)> windowOf_;
};

}  // namespace win32
