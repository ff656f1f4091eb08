#pragma once

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// The user the permission tests run as when the suite runs as root ("nobody").
inline constexpr uid_t kOrdinaryUser = 65534;

// Lets the ordinary user write into `path` (a folder of the test's own), when we are root.
inline void GiveToOrdinaryUser(const std::string& path) {
    if (::geteuid() == 0) (void)!::chown(path.c_str(), kOrdinaryUser, kOrdinaryUser);
}

// The id of a process that has ended and been reaped: what a stale file of a killed run
// carries.
inline pid_t EndedProcessId() {
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    return gone;
}

struct ChildOptions {
    bool ordinaryUser = false;  // give up root first (nothing to give up when not root)
    unsigned timeoutSeconds = 30;
};

// Runs `check` in a child process and returns what it returned: empty when what it checks
// held, else what went wrong. A check that hangs is ended after the timeout, and one that
// cannot give up root fails: neither passes silently.
inline std::string InChild(const std::function<std::string()>& check, ChildOptions options = {}) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return "no pipe";
    const pid_t pid = ::fork();
    if (pid < 0) return "no fork";
    if (pid == 0) {
        ::close(pipeFds[0]);
        std::string result;
        ::alarm(options.timeoutSeconds);
        if (options.ordinaryUser && ::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kOrdinaryUser) != 0 ||
             ::setuid(kOrdinaryUser) != 0))
            result = std::string("cannot become an ordinary user: ") + std::strerror(errno);
        else if (options.ordinaryUser && ::geteuid() == 0)
            result = "still root";
        else
            result = check();
        std::size_t done = 0;
        while (done < result.size()) {
            const ssize_t n = ::write(pipeFds[1], result.data() + done, result.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string out;
    char chunk[512];
    ssize_t n = 0;
    while ((n = ::read(pipeFds[0], chunk, sizeof chunk)) > 0) out.append(chunk, n);
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        out += "the check ended abnormally (" +
               (WIFSIGNALED(status) ? "signal " + std::to_string(WTERMSIG(status))
                                    : "status " + std::to_string(WEXITSTATUS(status))) +
               ")";
    return out;
}

// A program started with its standard output and error going to files.
struct Spawned {
    pid_t pid = -1;
    // Waits for it; the raw wait status.
    int wait() const {
        int status = 0;
        ::waitpid(pid, &status, 0);
        return status;
    }
};

// Starts `argv` with stdout to `out` and stderr to `err` (paths, "" for /dev/null); `inChild`
// runs in the child before the program, e.g. to lower a limit.
inline Spawned Spawn(const std::vector<std::string>& argv, const std::string& out,
                     const std::string& err, const std::function<void()>& inChild = {}) {
    Spawned s;
    s.pid = ::fork();
    if (s.pid != 0) return s;
    const auto redirect = [](const std::string& path, int fd) {
        const int f = ::open(path.empty() ? "/dev/null" : path.c_str(),
                             O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (f >= 0) ::dup2(f, fd);
    };
    redirect(out, 1);
    redirect(err, 2);
    // The program starts with the default signal actions, whatever the test runner set.
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ}) ::signal(sig, SIG_DFL);
    if (inChild) inChild();
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
}

}  // namespace testing_support
