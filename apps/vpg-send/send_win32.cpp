// vpg-send.exe: sends one window message to the running generator, whose main window other
// programs find by its class name, TfrmGenerator.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "send_command_line.h"

int main(int argc, char** argv) {
    const remote::ParseResult parsed =
        remote::ParseCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
    if (std::holds_alternative<remote::ShowHelp>(parsed)) {
        std::fputs(remote::kUsage, stdout);
        return 0;
    }
    if (const auto* error = std::get_if<remote::UsageError>(&parsed)) {
        std::fprintf(stderr, "vpg-send: %s\n%s", error->text.c_str(), remote::kUsage);
        return 2;
    }
    const remote::Message& m = std::get<remote::Message>(parsed);
    const HWND generator = ::FindWindowW(L"TfrmGenerator", nullptr);
    if (generator == nullptr) {
        std::fputs(
            "vpg-send: no Vimbrel Pulse Generator is running (no window of class "
            "TfrmGenerator)\n",
            stderr);
        return 2;
    }
    // Sent, not posted: the call returns once the generator's window procedure has handled it.
    ::SendMessageW(generator, m.number, static_cast<WPARAM>(m.wParam),
                   static_cast<LPARAM>(m.lParam));
    return 0;
}
