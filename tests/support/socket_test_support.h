#pragma once

// Temporary folders and plain client sockets for the remote-control tests.
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

namespace testsupport {

// A fresh folder under /tmp (mode 0700, ours), removed with everything in it.
struct TempFolder {
    TempFolder() {
        char name[] = "/tmp/vpg-test-XXXXXX";
        if (::mkdtemp(name) == nullptr) ADD_FAILURE() << "mkdtemp: " << std::strerror(errno);
        path = name;
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string path;
};

inline void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline sockaddr_un AddressOf(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    return address;
}

// A socket file with nobody behind it, as a killed program leaves it.
inline void LeaveStaleSocket(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = AddressOf(path);
    EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
}

// A client driven step by step from the same thread as the server: it never blocks.
struct ClientSocket {
    explicit ClientSocket(const std::string& path) {
        fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        const sockaddr_un address = AddressOf(path);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            ADD_FAILURE() << "connect " << path << ": " << std::strerror(errno);
            closed = true;
        }
    }
    ~ClientSocket() { ::close(fd); }
    ClientSocket(const ClientSocket&) = delete;
    ClientSocket& operator=(const ClientSocket&) = delete;

    // Writes what the socket takes of `out`, then reads what has arrived.
    void step() {
        if (closed) return;
        while (sent < out.size()) {
            const ssize_t n =
                ::send(fd, out.data() + sent, std::min<std::size_t>(out.size() - sent, 65536),
                       MSG_DONTWAIT | MSG_NOSIGNAL);
            if (n > 0) {
                sent += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) break;
            closed = true;  // the server hung up on us
            return;
        }
        if (sent == out.size()) {
            out.clear();
            sent = 0;
            if (shutdownAfterSending && !shutDown) shutDown = ::shutdown(fd, SHUT_WR) == 0;
        }
        if (!readAnswers) return;
        char chunk[4096];
        for (;;) {
            const ssize_t n = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
            if (n > 0) {
                in.append(chunk, static_cast<std::size_t>(n));
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
            closed = true;
            return;
        }
    }
    std::size_t answerCount() const {
        return static_cast<std::size_t>(std::count(in.begin(), in.end(), '\n'));
    }
    std::string takeAnswers() { return std::exchange(in, {}); }

    int fd = -1;
    std::string out;  // still to send
    std::size_t sent = 0;
    std::string in;  // answers received and not yet taken
    bool closed = false;
    bool readAnswers = true;
    bool shutdownAfterSending = false;
    bool shutDown = false;
};

// Blocking: connects, sends `text`, returns what comes back up to the first newline or the end
// of the connection ("(no connection)" when the connect fails).
inline std::string SendAndWait(const std::string& path, const std::string& text, int timeoutMs) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un address = AddressOf(path);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return "(no connection)";
    }
    // A refusal may come, and the connection close, before the send: read the answer anyway.
    (void)::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
    std::string answer;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (answer.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        char chunk[256];
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n <= 0) break;
        answer.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return answer;
}

}  // namespace testsupport
