#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/posix/fd_watcher.h"
#include "shell/remote_message.h"

namespace posix {

// Where the program listens for other programs' messages. `error` says why no safe place
// was found (then `path` is empty).
struct SocketLocation {
    std::string path;
    std::string error;
    bool ok() const { return error.empty(); }
};

// $XDG_RUNTIME_DIR/vimbrel-pulse-generator.sock when XDG_RUNTIME_DIR is an absolute path to a
// folder of this user's that nobody else may write to; otherwise a folder in the user's own
// home, $XDG_STATE_HOME (else ~/.local/state) + /vimbrel-pulse-generator/vpg.sock, where no other
// user can make the name first; and only when that fails
// /tmp/vimbrel-pulse-generator-<uid>/vpg.sock. A folder is made with mode 0700 when
// `createFolder` is true (the program) and left alone when false (vpg-send: a missing folder
// means nothing listens; the home folder counts only when a socket is in it). An existing
// folder must be a real folder, not a symbolic link, owned by this user and of mode 0700;
// anything else is refused, never repaired or followed.
SocketLocation RemoteControlSocket(bool createFolder);
// The same with the environment's values and the temporary folder given; `stateBase` empty:
// no folder in the home.
SocketLocation RemoteControlSocket(bool createFolder, const char* runtimeDir,
                                   const std::string& stateBase, const std::string& tempRoot);
SocketLocation RemoteControlSocket(bool createFolder, const char* runtimeDir,
                                   const std::string& tempRoot);

// Other programs' window messages over a local stream socket of this user's.
//
// Each message is one text line "MESSAGE [WPARAM [LPARAM]]\n" in decimal (see
// vpg::ParseRemoteLine). A well-formed line calls the handler, and once it has returned the
// answer is "ok\n" when the program acted on it, "error: <reason>\n" when it refused it and
// "busy\n" when it could not take it now; a malformed line is answered "error: <reason>\n". A line
// longer than kMaxLine bytes is answered as an error when its newline arrives, its bytes dropped as
// they come. Connections from another user are refused. Everything runs on the watcher's thread and
// nothing blocks:
// - a client whose answers cannot be sent yet is not read from until they are (no line is
//   dropped, and its memory stays bounded);
// - a client that completes no line, or takes no answer, within the line deadline is dropped;
// - when the table is full, the client that has been idle longest makes room for a new one;
// - when the process or the system runs out of descriptors, accepting pauses a moment.
class RemoteControlServer {
public:
    // Returns what the program did; a refusal puts its reason, one short line, in `reason`.
    using Handler = std::function<vpg::RemoteOutcome(std::uint32_t message, std::uint32_t wParam,
                                                     std::intptr_t lParam, std::string& reason)>;
    using Clock = std::chrono::steady_clock;

    struct Limits {
        std::chrono::milliseconds lineDeadline{3000};
        std::chrono::milliseconds acceptPause{250};
    };

    static constexpr std::size_t kMaxLine = 256;    // bytes before the newline
    static constexpr std::size_t kMaxClients = 64;  // connections open at once

    RemoteControlServer(IFdWatcher& watcher, Handler handler, Limits limits);
    RemoteControlServer(IFdWatcher& watcher, Handler handler)
        : RemoteControlServer(watcher, std::move(handler), Limits{}) {}
    // Closes every connection and removes the socket file, unless another one replaced it.
    ~RemoteControlServer();
    RemoteControlServer(const RemoteControlServer&) = delete;
    RemoteControlServer& operator=(const RemoteControlServer&) = delete;

    // Listens at `path`; a socket file left there by a program that is gone is replaced.
    // False, with the reason in error(), when another program already answers at `path` or
    // the socket cannot be made; the program then runs without remote control.
    bool listen(const std::string& path);
    // Listens at RemoteControlSocket(true).
    bool listen();

    const std::string& error() const { return error_; }
    const std::string& path() const { return path_; }
    bool listening() const { return listenFd_ >= 0; }
    // True while accepting pauses because descriptors ran out.
    bool acceptPaused() const { return acceptPaused_; }
    std::size_t clientCount() const { return clients_.size(); }

private:
    struct Client {
        int fd = -1;
        std::string in;         // read and not yet taken into a line
        std::string line;       // the line so far, never longer than kMaxLine
        bool overlong = false;  // the current line passed kMaxLine; dropped up to its newline
        std::string out;        // answers not yet taken by the socket
        bool ended = false;     // the sender has finished writing
        bool inHandler = false;
        Clock::time_point deadline;  // dropped when it makes no progress by then
        Clock::time_point idleSince;
    };

    void onListenReadable();
    void onClientReadable(int fd);
    void onClientWritable(int fd);
    void onTimer();
    // Answers the lines read so far until an answer cannot be sent; then watches the client
    // for what comes next. May destroy `this` through the handler.
    void serve(int fd);
    // Answers one complete line into client.out. May destroy `this`: the caller checks its
    // copy of alive_ first.
    void completeLine(Client& client);
    // Sends what the socket takes of client.out; false when the connection failed.
    bool flush(Client& client);
    void closeClient(int fd);
    bool makeRoom();
    void armTimer();
    bool fail(std::string reason);

    IFdWatcher& watcher_;
    Handler handler_;
    Limits limits_;
    int listenFd_ = -1;
    int timerFd_ = -1;
    bool acceptPaused_ = false;
    Clock::time_point resumeAccepting_;
    std::string path_;
    dev_t socketDevice_ = 0;
    ino_t socketInode_ = 0;
    std::string error_;
    std::map<int, std::unique_ptr<Client>> clients_;
    // Lets a callback learn that the handler it called destroyed the server.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace posix
