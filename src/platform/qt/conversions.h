#pragma once

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QString>
#include <cstdint>
#include <string>

#include "ui/application.h"
#include "ui/types.h"

// What the form kit says in its own terms (virtual keys, design pixels, its colours and fonts),
// said in Qt's.
namespace qtui {

inline QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}
inline std::string ToStdString(const QString& text) {
    return text.toStdString();
}

// The virtual-key code of a Qt key, 0 for keys the form kit has no code for.
std::uint16_t VirtualKey(int qtKey);
// The Qt key of a virtual-key code, 0 when there is none.
int QtKey(std::uint16_t virtualKey);
ui::ShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers);
ui::MouseButton MouseButtonOf(Qt::MouseButton button);
// "Ctrl+C", "Shift+F5", "Ctrl+Ins": a menu entry's shortcut as the menu shows it.
QString ShortCutText(const ui::ShortCut& shortCut);

// A colour that is not a system colour.
inline QColor ToQColor(const ui::Color& color) {
    return QColor(color.r, color.g, color.b);
}
QCursor CursorOf(ui::Cursor cursor);

// A control's font: the window's where the control gives no name or height, scaled from design
// pixels to the screen.
QFont FontOf(const ui::Font& font, const ui::Font& windowFont, const ui::Application& app);

}  // namespace qtui
