// vpg-send's road on Linux and other POSIX systems: the generator's per-user local socket.
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "apps/vpg-send/transport.h"
#include "platform/posix/remote_control.h"

namespace sender {

namespace {

struct Socket {
    int fd = -1;
    ~Socket() {
        if (fd >= 0) ::close(fd);
    }
};

Delivery notDelivered(std::string problem) {
    return {kNotDelivered, std::move(problem)};
}

}  // namespace

Delivery Deliver(const vpg::RemoteMessage& message, int timeoutMs) {
    const posix::SocketLocation location = posix::RemoteControlSocket(false);
    if (!location.ok()) return notDelivered(location.error);
    const std::string& path = location.path;
    const std::string nobody =
        "no Vimbrel Pulse Generator is running (nothing listens at " + path + ")";

    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return notDelivered("socket path too long: " + path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    Socket socket{::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)};
    if (socket.fd < 0)
        return notDelivered(std::string("cannot create a socket: ") + strerror(errno));
    // A program too busy to accept must not hold us forever: connect and send give up after
    // the timeout too.
    const timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    ::setsockopt(socket.fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    if (::connect(socket.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno == ENOENT || errno == ECONNREFUSED) return notDelivered(nobody);
        if (errno == EAGAIN || errno == EINPROGRESS)
            return notDelivered("the generator at " + path + " accepts no connection in time");
        return notDelivered("cannot connect to " + path + ": " + strerror(errno));
    }
    // Only the user's own generator gets the message.
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(socket.fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 ||
        peer.uid != ::getuid())
        return notDelivered("the program listening at " + path + " belongs to another user");

    const std::string line = vpg::FormatRemoteLine(message) + "\n";
    const bool sent = ::send(socket.fd, line.data(), line.size(), MSG_NOSIGNAL) ==
                      static_cast<ssize_t>(line.size());
    const int sendError = sent ? 0 : errno;
    const std::string sendProblem = "cannot send to " + path + ": " + strerror(sendError);
    // A program that hung up may have said why: read that; anything else ends here.
    if (!sent && sendError != EPIPE && sendError != ECONNRESET) return notDelivered(sendProblem);

    // The answer is one short line: "ok", "busy" or "error: <reason>".
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string answer;
    while (answer.find('\n') == std::string::npos && answer.size() < 512) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd p{socket.fd, POLLIN, 0};
        const int ready = left.count() > 0 ? ::poll(&p, 1, static_cast<int>(left.count())) : 0;
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0)
            return notDelivered(std::string("cannot wait for the answer: ") + strerror(errno));
        if (ready == 0)
            return {kNoAnswer, "no answer from the generator within " +
                                   std::to_string(timeoutMs / 1000) +
                                   " s; it may still act on the message"};
        char chunk[256];
        const ssize_t n = ::read(socket.fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            return notDelivered(answer.empty() && !sent
                                    ? sendProblem
                                    : "the generator closed the connection without answering");
        answer.append(chunk, static_cast<std::size_t>(n));
    }
    answer = answer.substr(0, answer.find('\n'));
    if (answer == "ok") return {kDelivered, {}};
    if (answer == "busy")
        return {kNoAnswer,
                "the generator is busy (a message box or window of it is open, or it is "
                "starting up) and did not act on the message; send it again later"};
    if (answer.rfind("error: ", 0) == 0)
        return notDelivered("the generator refused the message: " + answer.substr(7));
    return notDelivered("unexpected answer from " + path);
}

}  // namespace sender
