// vpg-send: one window message to the running generator, from a script or a terminal.
#include <iostream>
#include <string>
#include <vector>

#include "apps/vpg-send/send_options.h"
#include "apps/vpg-send/transport.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const sender::ParseResult parsed = sender::Parse(args);
    if (std::holds_alternative<sender::ShowHelp>(parsed)) {
        std::cout << sender::HelpText();
        return 0;
    }
    if (const auto* error = std::get_if<sender::UsageError>(&parsed)) {
        std::cerr << "vpg-send: " << error->message << '\n';
        return sender::kNotDelivered;
    }
    const sender::Delivery delivery = sender::Deliver(std::get<vpg::RemoteMessage>(parsed), 5000);
    if (delivery.status != sender::kDelivered)
        std::cerr << "vpg-send: " << delivery.problem << '\n';
    return delivery.status;
}
