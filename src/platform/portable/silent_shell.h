#pragma once

#include <string>

#include "shell/shell_services.h"

namespace portable {

// The shell of a program without a desktop: there is no browser or help viewer to hand an
// address or a topic to, so nothing opens.
class SilentShell final : public shell::IShell {
public:
    bool ShellExecute(const ui::Form*, const std::string&, const std::string&,
                      shell::ShowMode) override {
        return false;
    }
    void ShowHelp(const std::string&, int) override {}
};

}  // namespace portable
