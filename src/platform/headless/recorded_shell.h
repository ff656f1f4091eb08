#pragma once

#include <string>
#include <utility>
#include <vector>

#include "shell/shell_services.h"

namespace headless {

// Records what would be handed to other programs.
class RecordedShell final : public shell::IShell {
public:
    struct Execution {
        const ui::Form* owner;
        std::string verb, file;
        shell::ShowMode show;
        friend bool operator==(const Execution&, const Execution&) = default;
    };

    void ShellExecute(const ui::Form* owner, const std::string& verb, const std::string& file,
                      shell::ShowMode show) override {
        opened.push_back({owner, verb, file, show});
    }
    void ShowHelp(const std::string& helpFile, int context) override {
        help.emplace_back(helpFile, context);
    }
    std::vector<Execution> opened;
    std::vector<std::pair<std::string, int>> help;
};

}  // namespace headless
