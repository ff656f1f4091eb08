#include "platform/posix/file_registry.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/posix/safe_replace.h"

namespace posix {

namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A temporary of a save: "<name>.tmp-<pid>" or "<name>.tmp-<pid>-<suffix>". Gives the pid.
bool temporaryOf(const std::string& entry, const std::string& name, long& pid) {
    const std::string prefix = name + ".tmp-";
    if (entry.size() <= prefix.size() || entry.compare(0, prefix.size(), prefix) != 0) return false;
    pid = 0;
    std::size_t i = prefix.size();
    for (; i < entry.size() && entry[i] >= '0' && entry[i] <= '9'; ++i) {
        if (pid > 99999999) return false;
        pid = pid * 10 + (entry[i] - '0');
    }
    return i > prefix.size() && (i == entry.size() || entry[i] == '-');
}

// Temporaries that saves killed on the way left beside `path`: those of processes that no
// longer run (and our own, since this process saves one file at a time). A save running in
// another process keeps its own.
void removeStaleTemporaries(const std::string& path) {
    const std::string folder = folderOf(path), name = nameOf(path);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir)) {
        long pid = 0;
        if (!temporaryOf(entry->d_name, name, pid)) continue;
        const bool gone = pid == ::getpid() || pid == 0 ||
                          (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH);
        if (gone) ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

// The first name beside `file` that no earlier copy holds (lstat: whatever lies there, even a
// broken link counts); empty when a thousand are taken.
std::string freeAsideName(const std::string& file) {
    struct stat st {};
    for (int n = 1; n <= 1000; ++n) {
        const std::string aside =
            file + ".unreadable" + (n == 1 ? std::string() : "-" + std::to_string(n));
        if (::lstat(aside.c_str(), &st) != 0 && errno == ENOENT) return aside;
    }
    return {};
}

// Copies `text` to a new file `aside` of mode 0600; false when it exists or cannot be written.
bool writeCopy(const std::string& aside, const std::string& text) {
    const int fd =
        ::open(aside.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written) {
        ::unlink(aside.c_str());
        return false;
    }
    return true;
}

std::string lineList(const std::vector<int>& lines) {
    std::string out;
    for (std::size_t i = 0; i < lines.size() && i < 10; ++i)
        out += (i ? ", " : "") + std::to_string(lines[i]);
    if (lines.size() > 10) out += ", …";
    return out;
}

}  // namespace

std::string FollowLinks(const std::string& path, int& error) {
    error = 0;
    std::string p = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0) {
            if (errno != ENOENT) error = errno;
            return p;
        }
        if (!S_ISLNK(st.st_mode)) return p;
        std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(p.c_str(), target.data(), target.size());
        if (n < 0) {
            error = errno;
            return p;
        }
        if (static_cast<std::size_t>(n) >= target.size()) {
            error = ENAMETOOLONG;  // the link changed while we read it
            return p;
        }
        target.resize(static_cast<std::size_t>(n));
        p = (target.front() == '/' || p.find('/') == std::string::npos)
                ? target
                : folderOf(p) + "/" + target;
    }
    error = ELOOP;
    return p;
}

bool AtomicFileReplacer::replace(const std::string& path, const std::string& content) {
    // A settings path that is a link is written through: the link stays.
    std::string error;
    ReplaceTarget target;
    if (!JudgeReplaceTarget(path, target, error)) return false;
    std::error_code ec;
    if (target.file.find('/') != std::string::npos)
        std::filesystem::create_directories(target.folder, ec);
    removeStaleTemporaries(target.file);
    // Named so that removeStaleTemporaries knows whose it is; private until it takes the
    // place of a file whose mode it then gets.
    return ReplaceFileWith(target, content, ".tmp-" + std::to_string(::getpid()) + "-", 0600,
                           error);
}

std::string DefaultSettingsPath() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    // Only an absolute XDG_CONFIG_HOME counts; without HOME the current folder stands in.
    std::string path = (xdg && *xdg == '/') ? std::string(xdg)
                       : (home && *home)    ? std::string(home).append("/.config")
                                            : std::string(1, '.');
    path.append("/halvane/vimbrel-pulse-generator.reg");
    return path;
}

FileRegistry::FileRegistry(std::string path, FileReplacer* replacer)
    : path_(std::move(path)), replacer_(replacer ? *replacer : atomic_) {}

FileRegistry::Read FileRegistry::readFile(std::string& text) const {
    // Only a regular file of sane size is read; opened without blocking, so that a FIFO
    // or a device put at the path cannot hold the start-up.
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0) return errno == ENOENT ? Read::Missing : Read::Unreadable;
    if (!S_ISREG(st.st_mode) || st.st_size > static_cast<off_t>(kMaxFileBytes))
        return Read::Unreadable;
    const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? Read::Missing : Read::Unreadable;
    Read result = Read::Unreadable;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        st.st_size <= static_cast<off_t>(kMaxFileBytes)) {
        text.reserve(static_cast<std::size_t>(st.st_size));
        char chunk[8192];
        for (;;) {
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) break;
            if (n == 0) {
                result = Read::Read;
                break;
            }
            text.append(chunk, static_cast<std::size_t>(n));
            if (text.size() > kMaxFileBytes) break;  // it grew since the fstat
        }
    }
    ::close(fd);
    return result;
}

void FileRegistry::load() {
    file_ = {};
    broken_.clear();
    unreadable_ = false;
    batchKey_ = 0;
    {
        int error = 0;
        const std::string target = FollowLinks(path_, error);
        if (error == 0) removeStaleTemporaries(target);
    }
    std::string text;
    switch (readFile(text)) {
        case Read::Missing:
            return;
        case Read::Unreadable:
            unreadable_ = true;
            break;
        case Read::Read: {
            persistence::RegFileReading reading = persistence::ReadRegFile(text);
            if (!reading.file) {
                unreadable_ = true;
                break;
            }
            file_ = std::move(*reading.file);
            broken_.insert(reading.droppedValues.begin(), reading.droppedValues.end());
            // Said and copied once a run, however often the store is opened.
            if (reading.droppedLines.empty() || noticeGiven_) return;
            noticeGiven_ = true;
            // The next save drops what could not be read: the user keeps the file as it was.
            int error = 0;
            const std::string aside = freeAsideName(FollowLinks(path_, error));
            const bool copied = error == 0 && !aside.empty() && writeCopy(aside, text);
            if (copied) keptAside_ = aside;
            const std::size_t n = reading.droppedLines.size();
            notice_ = "Some settings could not be read from " + path_ + ": " + std::to_string(n) +
                      (n == 1 ? " line (line " : " lines (lines ") +
                      lineList(reading.droppedLines) +
                      ") could not be read, and those settings are back at their defaults. " +
                      (copied ? "The file as it was is kept as " + aside + "."
                              : "A copy of the file as it was could not be kept.");
            return;
        }
    }
    if (noticeGiven_) return;
    noticeGiven_ = true;
    int error = 0;
    const std::string aside = freeAsideName(FollowLinks(path_, error));
    notice_ = "The settings file " + path_ +
              " could not be read, and every setting is back at its default. " +
              (aside.empty() ? std::string("The file stays as it is.")
                             : "The file as it was will be kept as " + aside +
                                   " when the settings are next saved.");
}

bool FileRegistry::keepAside() {
    // The file a link points to goes aside beside itself, and the link stays for the new one;
    // anything else at the path (a FIFO, a link to a device, a link loop) goes aside itself.
    int error = 0;
    std::string moved = FollowLinks(path_, error);
    struct stat st {};
    if (error != 0 || moved == path_ || ::lstat(moved.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        moved = path_;
    const std::string aside = freeAsideName(moved);
    if (aside.empty() || std::rename(moved.c_str(), aside.c_str()) != 0) return false;
    keptAside_ = aside;
    return true;
}

persistence::RegKey FileRegistry::handleFor(const std::string& keyPath) {
    handles_[next_] = keyPath;
    return next_++;
}

persistence::RegKey FileRegistry::OpenKey(const std::string& keyPath) {
    load();
    if (!file_.keys.count(keyPath)) return 0;
    return handleFor(keyPath);
}

persistence::RegKey FileRegistry::CreateKey(const std::string& keyPath) {
    load();
    file_.keys[keyPath];
    return handleFor(keyPath);
}

std::optional<persistence::RegistryValue> FileRegistry::QueryValue(persistence::RegKey key,
                                                                   const std::string& name) {
    const auto h = handles_.find(key);
    if (h == handles_.end()) return std::nullopt;
    const auto k = file_.keys.find(h->second);
    if (k == file_.keys.end()) return std::nullopt;
    const auto v = k->second.find(name);
    if (v == k->second.end()) {
        if (broken_.count({h->second, name})) return persistence::RegistryValue{};
        return std::nullopt;
    }
    return v->second.value;
}

bool FileRegistry::replaceWith(const persistence::RegFile& next) {
    // Keep what the user had before replacing it; what cannot be kept aside is not replaced.
    if (unreadable_) {
        if (!keepAside()) return false;
        unreadable_ = false;
    }
    if (!replacer_.replace(path_, persistence::SerializeRegFile(next))) return false;
    file_ = next;
    return true;
}

bool FileRegistry::SetValue(persistence::RegKey key, const std::string& name,
                            const persistence::RegistryValue& value) {
    const auto h = handles_.find(key);
    if (h == handles_.end()) return false;
    if (key == batchKey_) {
        batch_.keys[h->second][name] = persistence::RegFile::Value{value, {}};
        return true;
    }
    persistence::RegFile next = file_;
    next.keys[h->second][name] = persistence::RegFile::Value{value, {}};
    return replaceWith(next);
}

void FileRegistry::BeginBatch(persistence::RegKey key) {
    if (!handles_.count(key)) return;
    batchKey_ = key;
    batch_ = file_;
}

bool FileRegistry::CommitBatch(persistence::RegKey key) {
    if (!handles_.count(key)) return false;
    if (key != batchKey_) return true;
    batchKey_ = 0;
    return replaceWith(batch_);
}

void FileRegistry::CloseKey(persistence::RegKey key) {
    // A batch that was not committed is dropped whole.
    if (key == batchKey_) batchKey_ = 0;
    handles_.erase(key);
}

std::string FileRegistry::TakeReadNotice() {
    return std::exchange(notice_, {});
}

}  // namespace posix
