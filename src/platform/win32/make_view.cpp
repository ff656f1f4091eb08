#include "platform/win32/control_views.h"

#include "ui/view_maker.h"

namespace win32 {

namespace {

// One view for each kind of control; CheckView shows both check boxes and radio buttons.
using Views = ui::ViewSet<ControlView, EditView, TrackBarView, CheckView, ComboBoxView, ButtonView,
                          LabelView, GroupBoxView, PictureView, LampView>;

}  // namespace

std::unique_ptr<ControlView> MakeView(FormWindow& form, ui::Control& control) {
    return Views::make(control, form);
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
