#include "platform/win32/control_views.h"

#include "ui/view_maker.h"

namespace win32 {

std::unique_ptr<ControlView> MakeView(FormWindow& form, ui::Control& control) {
    return ui::MakeView<ViewOf, ControlView>(control, form);
}

bool RegisterViewClasses(HINSTANCE instance) {
    // Painted by their views (through the subclass); the class only gives them a window.
    for (const wchar_t* name : {LabelView::kClass, LampView::kClass, PictureView::kClass}) {
        WNDCLASSEXW c{};
        if (::GetClassInfoExW(instance, name, &c)) continue;
        c.cbSize = sizeof c;
        c.lpfnWndProc = ::DefWindowProcW;
        c.hInstance = instance;
        c.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        c.lpszClassName = name;
        if (::RegisterClassExW(&c) == 0) return false;
    }
    return true;
}

}  // namespace win32
