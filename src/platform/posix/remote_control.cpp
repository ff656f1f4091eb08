#include "platform/posix/remote_control.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>

#include "shell/remote_message.h"

namespace posix {

namespace {

constexpr std::size_t kReadBudget = 64 * 1024;  // per wake-up, so one sender cannot hog the loop
constexpr int kBacklog = 16;

std::string octal(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

// Sends all of `text` or reports false; never waits.
bool sendNow(int fd, const std::string& text) {
    ssize_t n;
    do {
        n = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    } while (n < 0 && errno == EINTR);
    return n == static_cast<ssize_t>(text.size());
}

bool fillAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

}  // namespace

SocketLocation RemoteControlSocket(bool createFolder) {
    const char* state = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    const std::string stateBase = (state && state[0] == '/') ? std::string(state)
                                  : (home && home[0] == '/') ? std::string(home) + "/.local/state"
                                                             : std::string();
    return RemoteControlSocket(createFolder, std::getenv("XDG_RUNTIME_DIR"), stateBase, "/tmp");
}

SocketLocation RemoteControlSocket(bool createFolder, const char* runtimeDir,
                                   const std::string& tempRoot) {
    return RemoteControlSocket(createFolder, runtimeDir, std::string(), tempRoot);
}

namespace {

// A folder of this user's alone for the socket: a real folder, not a link, owned by us, mode
// 0700. Made with that mode when `create` is true and it is missing. Empty when fit, else why
// not; `missing` tells that it does not exist (and was not to be made).
std::string privateFolder(const std::string& folder, bool create, bool& missing) {
    const uid_t uid = ::getuid();
    missing = false;
    struct stat st {};
    bool created = false;
    if (::lstat(folder.c_str(), &st) != 0) {
        if (errno != ENOENT) return std::strerror(errno);
        if (!create) {
            missing = true;
            return {};
        }
        if (::mkdir(folder.c_str(), 0700) == 0)
            created = true;
        else if (errno != EEXIST)
            return std::string("cannot create it: ") + std::strerror(errno);
        if (::lstat(folder.c_str(), &st) != 0) return std::strerror(errno);
    }
    if (S_ISLNK(st.st_mode)) return "it is a symbolic link";
    if (!S_ISDIR(st.st_mode)) return "it is not a folder";
    if (st.st_uid != uid) return "it belongs to another user";
    if ((st.st_mode & 07777) != 0700) {
        // Only a folder this call made is put right (a umask may have narrowed it).
        if (!created) return "its mode is " + octal(st.st_mode) + ", not 0700";
        if (::chmod(folder.c_str(), 0700) != 0) return std::strerror(errno);
    }
    return {};
}

}  // namespace

SocketLocation RemoteControlSocket(bool createFolder, const char* runtimeDir,
                                   const std::string& stateBase, const std::string& tempRoot) {
    const uid_t uid = ::getuid();
    struct stat st {};
    if (runtimeDir && runtimeDir[0] == '/' && ::stat(runtimeDir, &st) == 0 && S_ISDIR(st.st_mode) &&
        st.st_uid == uid && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0)
        return {std::string(runtimeDir) + "/vimbrel-pulse-generator.sock", {}};

    // Next a folder in the user's own home, where nobody else can make the name first; the
    // shared temporary folder only when that fails.
    std::string homeProblem;
    if (!stateBase.empty()) {
        const std::string folder = stateBase + "/vimbrel-pulse-generator";
        const std::string path = folder + "/vpg.sock";
        std::error_code ec;
        if (createFolder) std::filesystem::create_directories(stateBase, ec);
        bool missing = false;
        homeProblem = privateFolder(folder, createFolder, missing);
        // vpg-send: the generator may have had to fall back to the temporary folder.
        const bool listening = ::lstat(path.c_str(), &st) == 0;
        if (homeProblem.empty() && !missing && (createFolder || listening)) return {path, {}};
        if (!homeProblem.empty()) homeProblem = folder + ": " + homeProblem + "; ";
    }

    const std::string folder = tempRoot + "/vimbrel-pulse-generator-" + std::to_string(uid);
    const std::string path = folder + "/vpg.sock";
    bool missing = false;
    const std::string problem = privateFolder(folder, createFolder, missing);
    if (!problem.empty())
        return SocketLocation{
            {}, homeProblem + "refusing " + folder + " for the remote-control socket: " + problem};
    return {path, {}};
}

RemoteControlServer::RemoteControlServer(IFdWatcher& watcher, Handler handler, Limits limits)
    : watcher_(watcher), handler_(std::move(handler)), limits_(limits) {}

RemoteControlServer::~RemoteControlServer() {
    *alive_ = false;
    while (!clients_.empty()) closeClient(clients_.begin()->first);
    if (timerFd_ >= 0) {
        watcher_.unwatch(timerFd_);
        ::close(timerFd_);
    }
    if (listenFd_ < 0) return;
    watcher_.unwatch(listenFd_);
    ::close(listenFd_);
    // Remove the file only while it is still ours.
    struct stat st {};
    if (::lstat(path_.c_str(), &st) == 0 && st.st_dev == socketDevice_ && st.st_ino == socketInode_)
        ::unlink(path_.c_str());
}

bool RemoteControlServer::fail(std::string reason) {
    error_ = std::move(reason);
    return false;
}

bool RemoteControlServer::listen() {
    const SocketLocation location = RemoteControlSocket(true);
    if (!location.ok()) return fail(location.error);
    return listen(location.path);
}

bool RemoteControlServer::listen(const std::string& path) {
    if (listenFd_ >= 0) return fail("already listening at " + path_);
    sockaddr_un address;
    if (!fillAddress(path, address)) return fail("the socket path is too long: " + path);
    const auto bindTo = [&](int fd) {
        return ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    };
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return fail(std::string("cannot create a socket: ") + std::strerror(errno));
    const auto failClosing = [&](std::string reason) {
        ::close(fd);
        return fail(std::move(reason));
    };

    if (!bindTo(fd)) {
        if (errno != EADDRINUSE)
            return failClosing("cannot create the socket " + path + ": " + std::strerror(errno));
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode) || st.st_uid != ::getuid())
            return failClosing(path + " is in the way and is not a socket of this user's");
        // A program that answers keeps its socket; only a file nobody listens on is replaced.
        const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (probe < 0) return failClosing(std::string("cannot probe ") + path);
        const bool answered =
            ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        const int probeError = errno;
        ::close(probe);
        if (answered || probeError == EAGAIN)
            return failClosing("another Vimbrel Pulse Generator already listens at " + path);
        if (probeError != ECONNREFUSED)
            return failClosing("cannot probe " + path + ": " + std::strerror(probeError));
        if (::unlink(path.c_str()) != 0 || !bindTo(fd))
            return failClosing("cannot replace the stale socket " + path + ": " +
                               std::strerror(errno));
    }
    // Nobody can connect before listen(), so the file is never open wider than 0600.
    struct stat st {};
    if (::chmod(path.c_str(), 0600) != 0 || ::lstat(path.c_str(), &st) != 0 ||
        ::listen(fd, kBacklog) != 0) {
        const std::string reason =
            "cannot listen at " + path + ": " + std::string(std::strerror(errno));
        ::unlink(path.c_str());
        return failClosing(reason);
    }
    // The clock of the deadlines and of the pause in accepting.
    timerFd_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (timerFd_ < 0) {
        const std::string reason = std::string("cannot make a timer: ") + std::strerror(errno);
        ::unlink(path.c_str());
        return failClosing(reason);
    }
    watcher_.watch(timerFd_, [this] { onTimer(); });
    listenFd_ = fd;
    path_ = path;
    socketDevice_ = st.st_dev;
    socketInode_ = st.st_ino;
    error_.clear();
    watcher_.watch(listenFd_, [this] { onListenReadable(); });
    return true;
}

void RemoteControlServer::onListenReadable() {
    // A bounded batch: connections beyond it wait for the next turn of the loop.
    for (int i = 0; i < kBacklog; ++i) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            if (errno == EMFILE || errno == ENFILE) {
                // The waiting connection would wake the loop again at once: pause a moment
                // instead of spinning until a descriptor is free.
                watcher_.unwatch(listenFd_);
                acceptPaused_ = true;
                resumeAccepting_ = Clock::now() + limits_.acceptPause;
                armTimer();
            }
            return;
        }
        ucred peer{};
        socklen_t size = sizeof peer;
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 ||
            peer.uid != ::getuid()) {
            sendNow(fd, "error: connections from another user are refused\n");
            ::close(fd);
            continue;
        }
        if (clients_.size() >= kMaxClients && !makeRoom()) {
            sendNow(fd, "error: too many connections\n");
            ::close(fd);
            continue;
        }
        auto client = std::make_unique<Client>();
        client->fd = fd;
        client->line.reserve(kMaxLine);
        client->idleSince = Clock::now();
        client->deadline = client->idleSince + limits_.lineDeadline;
        clients_[fd] = std::move(client);
        watcher_.watch(fd, [this, fd] { onClientReadable(fd); });
    }
    armTimer();
}

bool RemoteControlServer::makeRoom() {
    // The client idle the longest: nothing owed to it, no handler running for it.
    Client* oldest = nullptr;
    for (const auto& [fd, client] : clients_)
        if (!client->inHandler && client->out.empty() &&
            (!oldest || client->idleSince < oldest->idleSince))
            oldest = client.get();
    if (!oldest) return false;
    sendNow(oldest->fd, "error: too many connections; the idlest one is let go\n");
    closeClient(oldest->fd);
    return true;
}

void RemoteControlServer::onClientReadable(int fd) {
    const auto found = clients_.find(fd);
    if (found == clients_.end()) return;
    Client& client = *found->second;
    char chunk[4096];
    while (client.in.size() < kReadBudget) {
        const ssize_t n = ::read(fd, chunk, std::min(sizeof chunk, kReadBudget - client.in.size()));
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) break;
            closeClient(fd);
            armTimer();
            return;
        }
        if (n == 0) {
            client.ended = true;
            break;
        }
        client.in.append(chunk, static_cast<std::size_t>(n));
    }
    const std::shared_ptr<bool> alive = alive_;
    serve(fd);
    if (*alive) armTimer();
}

void RemoteControlServer::onClientWritable(int fd) {
    const auto found = clients_.find(fd);
    if (found == clients_.end()) return;
    if (!flush(*found->second)) {
        closeClient(fd);
        armTimer();
        return;
    }
    if (!found->second->out.empty()) return;  // still more to send: wait again
    const std::shared_ptr<bool> alive = alive_;
    serve(fd);
    if (*alive) armTimer();
}

void RemoteControlServer::serve(int fd) {
    const std::shared_ptr<bool> alive = alive_;
    const auto found = clients_.find(fd);
    if (found == clients_.end()) return;
    Client& client = *found->second;
    // The handler may run a nested event loop (a message box); this connection waits until
    // the line in hand is answered, so its callbacks never run inside themselves.
    watcher_.unwatch(fd);
    watcher_.unwatchWritable(fd);
    while (client.out.empty() && !client.in.empty()) {
        const std::size_t newline = client.in.find('\n');
        const std::size_t length = newline == std::string::npos ? client.in.size() : newline;
        if (!client.overlong) {
            if (client.line.size() + length > kMaxLine) {
                client.overlong = true;
                client.line.clear();
            } else {
                client.line.append(client.in, 0, length);
            }
        }
        client.in.erase(0, newline == std::string::npos ? length : length + 1);
        if (newline == std::string::npos) break;
        completeLine(client);
        if (!*alive) return;
        if (!flush(client)) return closeClient(fd);
    }
    if (!client.out.empty()) {
        // Backpressure: nothing more is read until the answers owed have been taken.
        watcher_.watchWritable(fd, [this, fd] { onClientWritable(fd); });
        return;
    }
    if (client.ended && client.in.empty()) {
        // The sender is done writing; a last line without its newline still counts.
        if (!client.line.empty() || client.overlong) {
            completeLine(client);
            if (!*alive) return;
            if (!flush(client)) return closeClient(fd);
            if (!client.out.empty()) {
                watcher_.watchWritable(fd, [this, fd] { onClientWritable(fd); });
                return;
            }
        }
        return closeClient(fd);
    }
    if (client.in.empty()) watcher_.watch(fd, [this, fd] { onClientReadable(fd); });
}

void RemoteControlServer::completeLine(Client& client) {
    const auto progress = [this, &client] {
        client.idleSince = Clock::now();
        client.deadline = client.idleSince + limits_.lineDeadline;
    };
    progress();
    if (client.overlong) {
        client.overlong = false;
        client.out += "error: line too long (more than " + std::to_string(kMaxLine) + " bytes)\n";
        return;
    }
    std::string_view text = client.line;
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    std::string reason;
    const auto message = vpg::ParseRemoteLine(text, &reason);
    client.line.clear();
    if (!message) {
        client.out += "error: " + reason + "\n";
        return;
    }
    // Copies, because the handler may destroy the server and with it handler_.
    const std::shared_ptr<bool> alive = alive_;
    const Handler handler = handler_;
    client.inHandler = true;
    std::string refusal;
    const vpg::RemoteOutcome outcome =
        handler(message->message, message->wParam, message->lParam, refusal);
    if (!*alive) return;
    client.inHandler = false;
    progress();
    switch (outcome) {
        case vpg::RemoteOutcome::Acted:
            client.out += "ok\n";
            return;
        case vpg::RemoteOutcome::Busy:
            client.out += "busy\n";
            return;
        case vpg::RemoteOutcome::Refused:
            break;
    }
    for (char& ch : refusal)
        if (ch == '\n' || ch == '\r') ch = ' ';
    client.out += "error: " + (refusal.empty() ? std::string("refused") : refusal) + "\n";
}

bool RemoteControlServer::flush(Client& client) {
    while (!client.out.empty()) {
        const ssize_t n =
            ::send(client.fd, client.out.data(), client.out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        if (n <= 0) return false;
        client.out.erase(0, static_cast<std::size_t>(n));
        client.deadline = Clock::now() + limits_.lineDeadline;
    }
    return true;
}

void RemoteControlServer::onTimer() {
    std::uint64_t expirations = 0;
    (void)!::read(timerFd_, &expirations, sizeof expirations);
    const Clock::time_point now = Clock::now();
    std::vector<int> late;
    for (const auto& [fd, client] : clients_)
        if (!client->inHandler && client->deadline <= now) late.push_back(fd);
    for (const int fd : late) closeClient(fd);
    if (acceptPaused_ && resumeAccepting_ <= now) {
        acceptPaused_ = false;
        watcher_.watch(listenFd_, [this] { onListenReadable(); });
    }
    armTimer();
}

void RemoteControlServer::armTimer() {
    if (timerFd_ < 0) return;
    std::optional<Clock::time_point> next;
    if (acceptPaused_) next = resumeAccepting_;
    for (const auto& [fd, client] : clients_)
        if (!client->inHandler && (!next || client->deadline < *next)) next = client->deadline;
    itimerspec when{};
    if (next) {
        // steady_clock is CLOCK_MONOTONIC; a zero time would disarm, so at least 1 ns.
        const auto ns =
            std::chrono::duration_cast<std::chrono::nanoseconds>(next->time_since_epoch()).count();
        when.it_value.tv_sec = static_cast<time_t>(ns / 1000000000);
        when.it_value.tv_nsec = static_cast<long>(ns % 1000000000);
        if (when.it_value.tv_sec == 0 && when.it_value.tv_nsec == 0) when.it_value.tv_nsec = 1;
    }
    ::timerfd_settime(timerFd_, TFD_TIMER_ABSTIME, &when, nullptr);
}

void RemoteControlServer::closeClient(int fd) {
    watcher_.unwatch(fd);
    watcher_.unwatchWritable(fd);
    ::close(fd);
    clients_.erase(fd);
}

}  // namespace posix
