#include "platform/qt/conversions.h"

#include <algorithm>
#include <array>
#include <utility>

namespace qtui {

namespace {

// Keys whose codes are not letters, digits or function keys.
constexpr std::array<std::pair<int, std::uint16_t>, 16> kNamedKeys{{
    {Qt::Key_Return, ui::VK_RETURN},
    {Qt::Key_Enter, ui::VK_RETURN},
    {Qt::Key_Escape, ui::VK_ESCAPE},
    {Qt::Key_Tab, ui::VK_TAB},
    {Qt::Key_Backtab, ui::VK_TAB},
    {Qt::Key_Backspace, ui::VK_BACK},
    {Qt::Key_Space, ui::VK_SPACE},
    {Qt::Key_Insert, ui::VK_INSERT},
    {Qt::Key_Delete, ui::VK_DELETE},
    {Qt::Key_PageUp, 0x21},
    {Qt::Key_PageDown, 0x22},
    {Qt::Key_End, 0x23},
    {Qt::Key_Home, 0x24},
    {Qt::Key_Left, 0x25},
    {Qt::Key_Up, 0x26},
    {Qt::Key_Right, 0x27},
}};
constexpr std::uint16_t kDown = 0x28;

}  // namespace

std::uint16_t VirtualKey(int qtKey) {
    // Letters and digits have the same codes in both.
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return static_cast<std::uint16_t>(qtKey);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return static_cast<std::uint16_t>(ui::VK_F1 + (qtKey - Qt::Key_F1));
    if (qtKey == Qt::Key_Down) return kDown;
    for (const auto& [key, code] : kNamedKeys)
        if (key == qtKey) return code;
    return 0;
}

ui::ShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers) {
    return ui::ShiftState{modifiers.testFlag(Qt::ShiftModifier),
                          modifiers.testFlag(Qt::ControlModifier),
                          modifiers.testFlag(Qt::AltModifier)};
}

ui::MouseButton MouseButtonOf(Qt::MouseButton button) {
    switch (button) {
        case Qt::RightButton:
            return ui::MouseButton::Right;
        case Qt::MiddleButton:
            return ui::MouseButton::Middle;
        default:
            return ui::MouseButton::Left;
    }
}

QCursor CursorOf(ui::Cursor cursor) {
    return cursor == ui::Cursor::HandPoint ? QCursor(Qt::PointingHandCursor)
                                           : QCursor(Qt::ArrowCursor);
}

QFont ToQFont(const ui::Font& font, const ui::Application& app) {
    QFont f(ToQString(font.Name));
    f.setPixelSize(std::max(1, app.Scale(font.Height)));
    f.setBold(font.Bold);
    f.setItalic(font.Italic);
    f.setUnderline(font.Underline);
    return f;
}

}  // namespace qtui
