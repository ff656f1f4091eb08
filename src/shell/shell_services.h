#pragma once

#include <string>

namespace ui {
class Form;
}

namespace shell {

// How the opened program's window first appears: as it chooses (Show) or restored to its
// normal size and place (ShowNormal).
enum class ShowMode { Show, ShowNormal };

// Hands work to other programs: a web address or a program to open, a help topic to show.
class IShell {
public:
    virtual ~IShell() = default;
    // Opens `file` (an address or a program) with `verb` on behalf of the window `owner` (null:
    // none, and then no working folder either). False when the system could not open it.
    virtual bool ShellExecute(const ui::Form* owner, const std::string& verb,
                              const std::string& file, ShowMode show) = 0;
    // Shows topic `context` of the help file.
    virtual void ShowHelp(const std::string& helpFile, int context) = 0;
};

}  // namespace shell
