#pragma once

#include "platform/win32/windows_api.h"

#include "ui/form.h"

namespace win32 {

// The Windows styles of a kind of window, as the form kit names the kinds.
struct WindowStyles {
    DWORD style = 0, exStyle = 0;
};
WindowStyles StylesOf(ui::BorderStyle border, const ui::BorderIcons& icons);

// What the frame of such a window adds to its client area, measured by the system.
ui::FrameExtent MeasureFrame(ui::BorderStyle border, bool menuBar);

}  // namespace win32
