#pragma once

#include <map>
#include <string>

#include "persistence/reg_file.h"
#include "persistence/registry.h"

namespace posix {

// Replaces a file's whole content so that a crash or a full disk leaves either the old file
// or the new one, never a mixture.
class FileReplacer {
public:
    virtual ~FileReplacer() = default;
    virtual bool replace(const std::string& path, const std::string& content) = 0;
};

// Writes a temporary file of its own beside the target (created exclusively, removed on every
// failure), flushes it to disk, then renames it over. A path that is a symbolic link is
// written through to the file it points to; the link stays. Temporaries that killed saves
// left beside the target are removed.
class AtomicFileReplacer final : public FileReplacer {
public:
    bool replace(const std::string& path, const std::string& content) override;
};

// $XDG_CONFIG_HOME (else ~/.config) + "/halvane/vimbrel-pulse-generator.reg".
std::string DefaultSettingsPath();

// Where `path` leads once its symbolic links are followed (the path itself when it is none,
// and the missing file a dangling link names); `error` is set on a loop or a failed read.
std::string FollowLinks(const std::string& path, int& error);

// The settings store as one text file per user (the ".reg" format, which keeps each value's
// kind). Every write replaces the file atomically. Only a regular file of sane size is read.
// A file that exists but cannot be read or parsed, or anything else at the path, reads as a
// missing key and is kept aside under another name before the first write replaces it; when
// it cannot be moved, it stays untouched and the write fails. No file system failure throws.
class FileRegistry final : public persistence::IRegistry {
public:
    explicit FileRegistry(std::string path, FileReplacer* replacer = nullptr);

    persistence::RegKey OpenKey(const std::string& path) override;
    persistence::RegKey CreateKey(const std::string& path) override;
    std::optional<persistence::RegistryValue> QueryValue(persistence::RegKey key,
                                                         const std::string& name) override;
    bool SetValue(persistence::RegKey key, const std::string& name,
                  const persistence::RegistryValue& value) override;
    void CloseKey(persistence::RegKey key) override;

    const std::string& path() const { return path_; }
    // Where an unreadable file was kept aside (empty when none was).
    const std::string& keptAside() const { return keptAside_; }

    // A settings file is a few kilobytes; anything larger is not ours.
    static constexpr std::size_t kMaxFileBytes = 1 << 20;

private:
    enum class Read { Read, Missing, Unreadable };
    Read readFile(std::string& text) const;
    void load();
    bool keepAside();
    persistence::RegKey handleFor(const std::string& keyPath);

    std::string path_;
    AtomicFileReplacer atomic_;
    FileReplacer& replacer_;
    persistence::RegFile file_;
    bool unreadable_ = false;
    std::string keptAside_;
    std::map<persistence::RegKey, std::string> handles_;
    persistence::RegKey next_ = 1;
};

}  // namespace posix
