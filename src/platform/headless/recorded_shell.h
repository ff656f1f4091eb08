#pragma once

#include <string>
#include <utility>
#include <vector>

#include "shell/shell_services.h"

namespace headless {

// Records what would be handed to other programs.
class RecordedShell final : public shell::IShell {
public:
    void ShellExecute(const std::string& verb, const std::string& file) override {
        opened.emplace_back(verb, file);
    }
    void ShowHelp(const std::string& helpFile, int context) override {
        help.emplace_back(helpFile, context);
    }
    std::vector<std::pair<std::string, std::string>> opened;
    std::vector<std::pair<std::string, int>> help;
};

}  // namespace headless
