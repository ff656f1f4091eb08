#pragma once

#include <string>

namespace shell {

// Hands work to other programs: a web address or a program to open, a help topic to show.
class IShell {
public:
    virtual ~IShell() = default;
    // Opens `file` (an address or a program) with the system's "open" verb; results ignored.
    virtual void ShellExecute(const std::string& verb, const std::string& file) = 0;
    // Shows topic `context` of the help file.
    virtual void ShowHelp(const std::string& helpFile, int context) = 0;
};

}  // namespace shell
