#pragma once

#include <QPixmap>
#include <QSize>
#include <string>

namespace qtui {

// The picture an Image names ("splash"), at `size`: the artwork when it is built in, else one
// drawn here (a sine over a pulse train on a dark panel; white around it is the splash's
// see-through colour).
QPixmap Picture(const std::string& name, QSize size);
// The program's icon, drawn the same way.
QPixmap ProgramIcon(int size);

}  // namespace qtui
