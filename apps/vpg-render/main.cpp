// vpg-render: what the generator plays, written to a WAV file without a window or sound card.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "apps/vpg-render/render_options.h"
#include "apps/vpg-render/renderer.h"

int main(int argc, char** argv) {
    // A file size limit (ulimit -f) then fails a write, which is reported and cleaned up,
    // instead of ending the program with the temporary left behind.
    std::signal(SIGXFSZ, SIG_IGN);
    // A reader of the messages that went away (2>&1 | head -1) is no reason to stop: a write to
    // it fails, and the render goes on.
    std::signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const render::ParseResult parsed = render::Parse(args);
    if (std::holds_alternative<render::ShowHelp>(parsed)) {
        const std::string help = render::HelpText();
        errno = 0;
        if (std::fwrite(help.data(), 1, help.size(), stdout) != help.size() ||
            std::fflush(stdout) != 0) {
            const int error = errno;
            std::cerr << "vpg-render: cannot write the help text: "
                      << (error != 0 ? std::strerror(error) : "unknown reason") << '\n';
            return 1;
        }
        return 0;
    }
    if (const auto* error = std::get_if<render::UsageError>(&parsed)) {
        std::cerr << "vpg-render: " << error->message << '\n';
        return 2;
    }
    return render::Render(std::get<render::Options>(parsed), std::cerr);
}
