// vpg-render: what the generator plays, written to a WAV file without a window or sound card.
#include <iostream>
#include <string>
#include <vector>

#include "apps/vpg-render/render_options.h"
#include "apps/vpg-render/renderer.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const render::ParseResult parsed = render::Parse(args);
    if (std::holds_alternative<render::ShowHelp>(parsed)) {
        std::cout << render::HelpText();
        return 0;
    }
    if (const auto* error = std::get_if<render::UsageError>(&parsed)) {
        std::cerr << "vpg-render: " << error->message << '\n';
        return 2;
    }
    return render::Render(std::get<render::Options>(parsed), std::cerr);
}
