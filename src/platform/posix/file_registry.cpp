#include "platform/posix/file_registry.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace posix {

namespace fs = std::filesystem;

namespace {

bool writeAll(int fd, const std::string& content) {
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool AtomicFileReplacer::replace(const std::string& path, const std::string& content) {
    const fs::path target(path);
    std::error_code ec;
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    const std::string temp = path + ".tmp-" + std::to_string(::getpid());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool written = writeAll(fd, content) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    // Make the rename itself durable.
    const std::string dir = target.has_parent_path() ? target.parent_path().string() : ".";
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
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

void FileRegistry::load() {
    std::ifstream in(path_, std::ios::binary);
    if (!in) {
        file_ = {};
        unreadable_ = false;
        return;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (auto parsed = persistence::ParseRegFile(text.str())) {
        file_ = std::move(*parsed);
        unreadable_ = false;
    } else {
        file_ = {};
        unreadable_ = true;
    }
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
    if (v == k->second.end()) return std::nullopt;
    return v->second.value;
}

bool FileRegistry::SetValue(persistence::RegKey key, const std::string& name,
                            const persistence::RegistryValue& value) {
    const auto h = handles_.find(key);
    if (h == handles_.end()) return false;
    if (unreadable_) {
        // Keep what the user had before replacing it: under a name no earlier copy holds.
        std::string aside = path_ + ".unreadable";
        for (int n = 2; fs::exists(aside); ++n) aside = path_ + ".unreadable-" + std::to_string(n);
        if (std::rename(path_.c_str(), aside.c_str()) != 0) return false;
        keptAside_ = aside;
        unreadable_ = false;
    }
    persistence::RegFile next = file_;
    next.keys[h->second][name] = persistence::RegFile::Value{value, {}};
    if (!replacer_.replace(path_, persistence::SerializeRegFile(next))) return false;
    file_ = std::move(next);
    return true;
}

void FileRegistry::CloseKey(persistence::RegKey key) {
    handles_.erase(key);
}

}  // namespace posix
