#include "apps/vpg-render/output_file.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <random>

namespace render {

namespace {

std::string reason(int error) {
    return std::strerror(error);
}

// --- The temporary's removal on a signal -----------------------------------------------------
// The handler may only use async-signal-safe calls: the path is prepared in a fixed buffer
// before the file exists, and the handler unlinks it and lets the signal end the process.

// Every signal whose default action ends the process (SIGPIPE and SIGXFSZ, which main ignores,
// stay ignored below). The real-time signals end it too; their range is known at run time.
constexpr int kStandardSignals[] = {SIGINT,  SIGTERM, SIGHUP,    SIGQUIT,  SIGUSR1, SIGUSR2,
                                    SIGALRM, SIGPIPE, SIGVTALRM, SIGPROF,  SIGIO,   SIGXCPU,
                                    SIGXFSZ, SIGPWR,  SIGSYS,    SIGTRAP,  SIGABRT, SIGBUS,
                                    SIGFPE,  SIGILL,  SIGSEGV,   SIGSTKFLT};
constexpr std::size_t kSignalCapacity = sizeof kStandardSignals / sizeof kStandardSignals[0] + 64;
int gSignals[kSignalCapacity];
std::size_t gSignalCount = 0;

void listSignals() {
    if (gSignalCount != 0) return;
    for (const int s : kStandardSignals) gSignals[gSignalCount++] = s;
    for (int s = SIGRTMIN; s <= SIGRTMAX && gSignalCount < kSignalCapacity; ++s)
        gSignals[gSignalCount++] = s;
}
char gTemporary[PATH_MAX + 1];
volatile std::sig_atomic_t gArmed = 0;
struct sigaction gPrevious[kSignalCapacity];
bool gReplaced[kSignalCapacity];
bool gInUse = false;

extern "C" void removeTemporaryAndEnd(int signal) {
    const int saved = errno;
    if (gArmed) ::unlink(gTemporary);
    // SA_RESETHAND gave the signal its default action back; raised again, it ends the
    // process as soon as this handler returns.
    ::raise(signal);
    errno = saved;
}

sigset_t ourSignals() {
    listSignals();
    sigset_t set;
    sigemptyset(&set);
    for (std::size_t i = 0; i < gSignalCount; ++i) sigaddset(&set, gSignals[i]);
    return set;
}

// Blocks the three signals for its lifetime, so that the temporary and the handler's
// knowledge of it change together.
class SignalsHeld {
public:
    SignalsHeld() {
        const sigset_t set = ourSignals();
        ::sigprocmask(SIG_BLOCK, &set, &previous_);
    }
    ~SignalsHeld() { ::sigprocmask(SIG_SETMASK, &previous_, nullptr); }

private:
    sigset_t previous_;
};

void installHandlers() {
    listSignals();
    for (std::size_t i = 0; i < gSignalCount; ++i) {
        gReplaced[i] = false;
        if (::sigaction(gSignals[i], nullptr, &gPrevious[i]) != 0) continue;
        // A signal the caller ignores (nohup) stays ignored.
        if (gPrevious[i].sa_handler == SIG_IGN) continue;
        struct sigaction ours {};
        ours.sa_handler = removeTemporaryAndEnd;
        ours.sa_mask = ourSignals();
        ours.sa_flags = SA_RESETHAND;
        gReplaced[i] = ::sigaction(gSignals[i], &ours, nullptr) == 0;
    }
}

void restoreHandlers() {
    for (std::size_t i = 0; i < gSignalCount; ++i)
        if (gReplaced[i]) ::sigaction(gSignals[i], &gPrevious[i], nullptr);
}

// --- Judging the output path -----------------------------------------------------------------

std::string notARegularFile(mode_t mode) {
    const char* kind = S_ISCHR(mode)    ? "a character device, "
                       : S_ISBLK(mode)  ? "a block device, "
                       : S_ISFIFO(mode) ? "a FIFO, "
                       : S_ISSOCK(mode) ? "a socket, "
                                        : "";
    return std::string("it is ") + kind + "not a regular file";
}

void split(const std::string& path, std::string& folder, std::string& name) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        folder = ".";
        name = path;
    } else {
        folder = slash == 0 ? "/" : path.substr(0, slash);
        name = path.substr(slash + 1);
    }
}

std::string randomSuffix(std::mt19937& random) {
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::uniform_int_distribution<int> pick(0, sizeof kChars - 2);
    std::string s(8, 'x');
    for (char& c : s) c = kChars[pick(random)];
    return s;
}

// The kernel's rule for links in shared folders (fs.protected_symlinks), kept whatever the
// machine's setting: in a sticky folder that everybody may write to, a link is followed only
// when it belongs to us or to the folder's owner. Another user's link there may point at any
// file of ours, which the render would then replace.
bool mayFollow(const std::string& path, const struct stat& link, std::string& error) {
    std::string folder, name;
    split(path, folder, name);
    struct stat f {};
    if (::stat(folder.c_str(), &f) != 0) return true;  // the follow itself will fail then
    const bool shared = (f.st_mode & S_ISVTX) && (f.st_mode & S_IWOTH);
    if (!shared || link.st_uid == ::geteuid() || link.st_uid == f.st_uid) return true;
    error = "it is a symbolic link of another user's in the shared folder " + folder +
            ", which is not followed";
    return false;
}

}  // namespace

std::unique_ptr<OutputFile> OutputFile::Create(const std::string& path, std::string& error) {
    if (gInUse) {
        error = "another output file is being written";
        return nullptr;
    }
    std::unique_ptr<OutputFile> out(new OutputFile);
    out->target_ = path;
    if (!path.empty() && path.back() == '/') {
        error = reason(EISDIR);
        return nullptr;
    }
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (S_ISLNK(st.st_mode) && !mayFollow(path, st, error)) return nullptr;
        if (S_ISLNK(st.st_mode)) {
            // The link stays and the file it points to is replaced, as writing to it would.
            char resolved[PATH_MAX];
            if (::realpath(path.c_str(), resolved) == nullptr) {
                const int e = errno;
                char link[PATH_MAX];
                const ssize_t n = ::readlink(path.c_str(), link, sizeof link - 1);
                error = e == ENOENT && n >= 0 ? "it is a symbolic link to '" +
                                                    std::string(link, static_cast<size_t>(n)) +
                                                    "', which does not exist"
                                              : reason(e);
                return nullptr;
            }
            out->target_ = resolved;
            if (::stat(resolved, &st) != 0) {
                error = reason(errno);
                return nullptr;
            }
        }
        if (S_ISDIR(st.st_mode)) {
            error = reason(EISDIR);
            return nullptr;
        }
        if (!S_ISREG(st.st_mode)) {
            error = notARegularFile(st.st_mode);
            return nullptr;
        }
        // The rename would replace a file we may not write: refuse it now, not after the
        // render.
        if (::faccessat(AT_FDCWD, out->target_.c_str(), W_OK, AT_EACCESS) != 0) {
            error = reason(errno);
            return nullptr;
        }
        out->replaces_ = true;
        out->mode_ = st.st_mode & 07777;
        out->uid_ = st.st_uid;
        out->gid_ = st.st_gid;
    } else if (errno != ENOENT) {
        error = reason(errno);
        return nullptr;
    }

    std::string name;
    split(out->target_, out->folder_, name);
    if (out->replaces_ && ::geteuid() != 0) {
        // In a folder with the sticky bit only the owners may replace a file.
        struct stat folder {};
        if (::stat(out->folder_.c_str(), &folder) == 0 && (folder.st_mode & S_ISVTX) &&
            out->uid_ != ::geteuid() && folder.st_uid != ::geteuid()) {
            error = reason(EPERM);
            return nullptr;
        }
    }

    std::random_device seed;
    std::mt19937 random(seed());
    gInUse = true;
    SignalsHeld held;
    installHandlers();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary = (out->folder_ == "/" ? "" : out->folder_) + "/" + name + "." +
                                      randomSuffix(random) + ".part";
        if (temporary.size() >= sizeof gTemporary) {
            error = reason(ENAMETOOLONG);
            break;
        }
        // Exclusive: a name someone else holds, or a planted link, is never opened.
        const int fd =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) {
            error = reason(errno);
            break;
        }
        std::memcpy(gTemporary, temporary.c_str(), temporary.size() + 1);
        gArmed = 1;
        out->fd_ = fd;
        out->temporary_ = temporary;
        return out;
    }
    if (error.empty()) error = reason(EEXIST);
    restoreHandlers();
    gInUse = false;
    out->target_.clear();
    return nullptr;
}

OutputFile::~OutputFile() {
    if (fd_ >= 0 || !temporary_.empty()) discard();
}

std::FILE* OutputFile::OpenStream() {
    if (fd_ < 0) return nullptr;
    const int copy = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) return nullptr;
    std::FILE* stream = ::fdopen(copy, "wb");
    if (stream == nullptr) ::close(copy);
    return stream;
}

void OutputFile::discard() {
    {
        SignalsHeld held;
        if (!temporary_.empty()) ::unlink(temporary_.c_str());
        gArmed = 0;
        restoreHandlers();
    }
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    temporary_.clear();
    gInUse = false;
}

OutputFile::Commit OutputFile::Put(std::string& error) {
    error.clear();
    if (fd_ < 0) {
        error = reason(EBADF);
        return Commit::NotOnDisk;
    }
    // On disk before the rename, so that a crash leaves the old file or the whole new one.
    if (::fsync(fd_) != 0) {
        error = reason(errno);
        discard();
        return Commit::NotOnDisk;
    }
    if (replaces_) {
        // The owner only where we may give it (as root); the permission bits always.
        struct stat st {};
        if (::fstat(fd_, &st) == 0 && (st.st_uid != uid_ || st.st_gid != gid_))
            (void)!::fchown(fd_, uid_, gid_);
        if (::fchmod(fd_, mode_) != 0) {
            error = reason(errno);
            discard();
            return Commit::NotInPlace;
        }
    }
    const int closed = ::close(fd_);
    const int closeError = errno;
    fd_ = -1;
    if (closed != 0) {
        error = reason(closeError);
        discard();
        return Commit::NotOnDisk;
    }
    {
        SignalsHeld held;
        if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
            error = reason(errno);
            ::unlink(temporary_.c_str());
        }
        gArmed = 0;
        temporary_.clear();
        restoreHandlers();
    }
    gInUse = false;
    if (!error.empty()) return Commit::NotInPlace;
    // The rename itself lasts only once the folder is on disk.
    const int folder = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return Commit::Done;
}

}  // namespace render
