// Replacing a file so that a crash or a failure leaves the old file or the whole new one, and
// no link planted by another user makes us replace something else of ours.
#include "platform/posix/safe_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

namespace posix {

namespace {

std::string reason(int error) {
    return std::strerror(error);
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string notARegularFile(mode_t mode) {
    const char* kind = S_ISCHR(mode)    ? "a character device, "
                       : S_ISBLK(mode)  ? "a block device, "
                       : S_ISFIFO(mode) ? "a FIFO, "
                       : S_ISSOCK(mode) ? "a socket, "
                                        : "";
    return std::string("it is ") + kind + "not a regular file";
}

// The kernel's rule for links in shared folders (fs.protected_symlinks), kept whatever the
// machine's setting: in a sticky folder that everybody may write to, a link is followed only
// when it belongs to us or to the folder's owner.
bool mayFollow(const std::string& link, const struct stat& st, std::string& error) {
    const std::string folder = folderOf(link);
    struct stat f {};
    if (::stat(folder.c_str(), &f) != 0) return true;  // the follow itself will fail then
    const bool shared = (f.st_mode & S_ISVTX) && (f.st_mode & S_IWOTH);
    if (!shared || st.st_uid == ::geteuid() || st.st_uid == f.st_uid) return true;
    error = "it is a symbolic link of another user's in the shared folder " + folder +
            ", which is not followed";
    return false;
}

std::string randomSuffix(std::mt19937& random) {
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::uniform_int_distribution<int> pick(0, sizeof kChars - 2);
    std::string s(8, 'x');
    for (char& c : s) c = kChars[pick(random)];
    return s;
}

}  // namespace

bool JudgeReplaceTarget(const std::string& path, ReplaceTarget& target, std::string& error) {
    target = {};
    if (path.empty() || path.back() == '/') {
        error = reason(path.empty() ? ENOENT : EISDIR);
        return false;
    }
    std::string p = path;
    for (int links = 0;; ++links) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0) {
            if (errno != ENOENT) {
                error = reason(errno);
                return false;
            }
            break;  // missing, or named by a dangling link: created
        }
        if (S_ISLNK(st.st_mode)) {
            if (links == 40) {
                error = reason(ELOOP);
                return false;
            }
            if (!mayFollow(p, st, error)) return false;
            std::string to(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
            const ssize_t n = ::readlink(p.c_str(), to.data(), to.size());
            if (n < 0 || static_cast<std::size_t>(n) >= to.size()) {
                error = reason(n < 0 ? errno : ENAMETOOLONG);  // or it changed as we read it
                return false;
            }
            to.resize(static_cast<std::size_t>(n));
            p = (to.front() == '/' || p.find('/') == std::string::npos) ? to
                                                                        : folderOf(p) + "/" + to;
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            error = reason(EISDIR);
            return false;
        }
        if (!S_ISREG(st.st_mode)) {
            error = notARegularFile(st.st_mode);
            return false;
        }
        target.exists = true;
        target.mode = st.st_mode & 07777;
        target.uid = st.st_uid;
        target.gid = st.st_gid;
        break;
    }
    target.file = p;
    target.folder = folderOf(p);
    return true;
}

std::unique_ptr<SafeReplacement> SafeReplacement::Begin(const ReplaceTarget& target,
                                                        const std::string& infix,
                                                        const std::string& suffix,
                                                        mode_t createMode, std::string& error) {
    std::unique_ptr<SafeReplacement> r(new SafeReplacement);
    r->target_ = target;
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary = target.file + infix + randomSuffix(random) + suffix;
        const int fd = ::open(temporary.c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, createMode);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) {
            error = reason(errno);
            return nullptr;
        }
        r->fd_ = fd;
        r->temporary_ = temporary;
        return r;
    }
    error = reason(EEXIST);
    return nullptr;
}

SafeReplacement::~SafeReplacement() {
    Discard();
}

void SafeReplacement::Discard() {
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

SafeReplacement::Outcome SafeReplacement::Finish(std::string& error) {
    error.clear();
    if (fd_ < 0) {
        error = reason(EBADF);
        return Outcome::NotOnDisk;
    }
    // On disk before the rename, so that a crash leaves the old file or the whole new one.
    if (::fsync(fd_) != 0) {
        error = reason(errno);
        Discard();
        return Outcome::NotOnDisk;
    }
    if (target_.exists) {
        // The owner only where we may give it (as root); the permission bits always.
        struct stat st {};
        if (::fstat(fd_, &st) == 0 && (st.st_uid != target_.uid || st.st_gid != target_.gid))
            (void)!::fchown(fd_, target_.uid, target_.gid);
        if (::fchmod(fd_, target_.mode) != 0) {
            error = reason(errno);
            Discard();
            return Outcome::NotInPlace;
        }
    }
    const int closed = ::close(fd_);
    const int closeError = errno;
    fd_ = -1;
    if (closed != 0) {
        error = reason(closeError);
        Discard();
        return Outcome::NotOnDisk;
    }
    return Outcome::Done;
}

SafeReplacement::Outcome SafeReplacement::PutInPlace(std::string& error) {
    error.clear();
    if (fd_ >= 0 || temporary_.empty()) {
        error = reason(EBADF);
        return Outcome::NotInPlace;
    }
    if (::rename(temporary_.c_str(), target_.file.c_str()) != 0) {
        error = reason(errno);
        Discard();
        return Outcome::NotInPlace;
    }
    temporary_.clear();
    // The rename itself lasts only once the folder is on disk.
    const int folder = ::open(target_.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return Outcome::Done;
}

bool WriteAll(int fd, const std::string& content) {
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool ReplaceFileWith(const ReplaceTarget& target, const std::string& content,
                     const std::string& infix, mode_t createMode, std::string& error) {
    const auto replacement = SafeReplacement::Begin(target, infix, "", createMode, error);
    if (!replacement) return false;
    if (!WriteAll(replacement->fd(), content)) {
        error = reason(errno);
        return false;
    }
    return replacement->Finish(error) == SafeReplacement::Outcome::Done &&
           replacement->PutInPlace(error) == SafeReplacement::Outcome::Done;
}

}  // namespace posix
