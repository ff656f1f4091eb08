#include "apps/vpg-render/output_file.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "platform/posix/safe_replace.h"

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

}  // namespace

std::unique_ptr<OutputFile> OutputFile::Create(const std::string& path, std::string& error) {
    if (gInUse) {
        error = "another output file is being written";
        return nullptr;
    }
    std::unique_ptr<OutputFile> out(new OutputFile);
    posix::ReplaceTarget target;
    if (!posix::JudgeReplaceTarget(path, target, error)) return nullptr;
    if (target.exists) {
        // The rename would replace a file we may not write: refuse it now, not after the
        // render.
        if (::faccessat(AT_FDCWD, target.file.c_str(), W_OK, AT_EACCESS) != 0) {
            error = reason(errno);
            return nullptr;
        }
        // In a folder with the sticky bit only the owners may replace a file.
        struct stat folder {};
        if (::geteuid() != 0 && ::stat(target.folder.c_str(), &folder) == 0 &&
            (folder.st_mode & S_ISVTX) && target.uid != ::geteuid() &&
            folder.st_uid != ::geteuid()) {
            error = reason(EPERM);
            return nullptr;
        }
    }
    out->target_ = target.file;

    gInUse = true;
    SignalsHeld held;
    installHandlers();
    out->file_ = posix::SafeReplacement::Begin(target, ".", ".part", 0666, error);
    if (out->file_ && out->file_->temporaryPath().size() >= sizeof gTemporary) {
        out->file_.reset();
        error = reason(ENAMETOOLONG);
    }
    if (!out->file_) {
        restoreHandlers();
        gInUse = false;
        return nullptr;
    }
    std::memcpy(gTemporary, out->file_->temporaryPath().c_str(),
                out->file_->temporaryPath().size() + 1);
    gArmed = 1;
    return out;
}

OutputFile::~OutputFile() {
    if (file_) discard();
}

const std::string& OutputFile::temporaryPath() const {
    static const std::string kNone;
    return file_ ? file_->temporaryPath() : kNone;
}

std::FILE* OutputFile::OpenStream() {
    if (!file_ || file_->fd() < 0) return nullptr;
    const int copy = ::fcntl(file_->fd(), F_DUPFD_CLOEXEC, 0);
    if (copy < 0) return nullptr;
    std::FILE* stream = ::fdopen(copy, "wb");
    if (stream == nullptr) ::close(copy);
    return stream;
}

void OutputFile::discard() {
    SignalsHeld held;
    file_.reset();  // removes the temporary
    gArmed = 0;
    restoreHandlers();
    gInUse = false;
}

OutputFile::Commit OutputFile::Put(std::string& error) {
    using Outcome = posix::SafeReplacement::Outcome;
    error.clear();
    if (!file_) {
        error = reason(EBADF);
        return Commit::NotOnDisk;
    }
    Outcome outcome = file_->Finish(error);
    if (outcome == Outcome::Done) {
        SignalsHeld held;
        outcome = file_->PutInPlace(error);
        gArmed = 0;
    }
    discard();
    return outcome == Outcome::Done        ? Commit::Done
           : outcome == Outcome::NotOnDisk ? Commit::NotOnDisk
                                           : Commit::NotInPlace;
}

}  // namespace render
