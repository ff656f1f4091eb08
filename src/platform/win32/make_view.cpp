#include "platform/win32/control_views.h"

namespace win32 {

std::unique_ptr<ControlView> MakeView(FormWindow& form, ui::Control& control) {
    if (auto* c = dynamic_cast<ui::Edit*>(&control)) return std::make_unique<EditView>(form, *c);
    if (auto* c = dynamic_cast<ui::TrackBar*>(&control))
        return std::make_unique<TrackBarView>(form, *c);
    if (auto* c = dynamic_cast<ui::Button*>(&control))
        return std::make_unique<ButtonView>(form, *c);
    if (auto* c = dynamic_cast<ui::CheckBox*>(&control))
        return std::make_unique<CheckView>(form, *c);
    if (auto* c = dynamic_cast<ui::RadioButton*>(&control))
        return std::make_unique<CheckView>(form, *c);
    if (auto* c = dynamic_cast<ui::GroupBox*>(&control))
        return std::make_unique<GroupBoxView>(form, *c);
    if (auto* c = dynamic_cast<ui::ComboBox*>(&control))
        return std::make_unique<ComboBoxView>(form, *c);
    if (auto* c = dynamic_cast<ui::Label*>(&control)) return std::make_unique<LabelView>(form, *c);
    if (auto* c = dynamic_cast<ui::Shape*>(&control)) return std::make_unique<LampView>(form, *c);
    if (auto* c = dynamic_cast<ui::Image*>(&control))
        return std::make_unique<PictureView>(form, *c);
    return nullptr;
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
