#pragma once

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "shell/shell_services.h"

namespace doubles {

// Records what would be handed to other programs.
class RecordedShell final : public shell::IShell {
public:
    struct Execution {
        const ui::Form* owner;
        std::string verb, file;
        shell::ShowMode show;
        friend bool operator==(const Execution&, const Execution&) = default;
    };

    bool ShellExecute(const ui::Form* owner, const std::string& verb, const std::string& file,
                      shell::ShowMode show) override {
        opened.push_back({owner, verb, file, show});
        return std::find(absent.begin(), absent.end(), file) == absent.end();
    }
    void ShowHelp(const std::string& helpFile, int context) override {
        help.emplace_back(helpFile, context);
    }
    std::vector<Execution> opened;
    // What the system would fail to open (a program that is not installed).
    std::vector<std::string> absent;
    std::vector<std::pair<std::string, int>> help;
};

}  // namespace doubles
