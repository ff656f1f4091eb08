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
ui::ShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers);
ui::MouseButton MouseButtonOf(Qt::MouseButton button);

// A colour that is not a system colour.
inline QColor ToQColor(const ui::Color& color) {
    return QColor(color.r, color.g, color.b);
}
QCursor CursorOf(ui::Cursor cursor);

// A font of the form kit (see Control::ShownFont), its height scaled from design pixels to the
// screen.
QFont ToQFont(const ui::Font& font, const ui::Application& app);

}  // namespace qtui
