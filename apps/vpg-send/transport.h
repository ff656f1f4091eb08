#pragma once

#include <string>

#include "apps/vpg-send/send_options.h"
#include "shell/remote_message.h"

namespace sender {

struct Delivery {
    ExitStatus status = kNotDelivered;
    std::string problem;  // one line for stderr when not delivered, without the program name
};

// Hands `message` to the running program and waits up to `timeoutMs` for it to be handled.
// One implementation per platform: a local socket on POSIX systems.
Delivery Deliver(const vpg::RemoteMessage& message, int timeoutMs);

}  // namespace sender
