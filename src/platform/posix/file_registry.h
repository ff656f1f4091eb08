#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>

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
// written through to the file it points to; the link stays, and the new file keeps the mode
// (and, where we may, the owner) of the one it replaces. Temporaries that killed saves left
// beside the target are removed.
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
// kind). Every write replaces the file atomically; the writes of a batch replace it once.
// Only a regular file of sane size is read. A line that cannot be read costs its value alone:
// the rest is read, and a copy of the file as it was is kept beside it at once. A file that
// exists but is not a settings file at all, or anything else at the path, reads as a missing
// key and is kept aside under another name before the first write replaces it; when it cannot
// be moved, it stays untouched and the write fails. Either is said once in TakeReadNotice.
// Temporaries that killed saves left behind are removed at the next opening. No file system
// failure throws.
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
    void BeginBatch(persistence::RegKey key) override;
    bool CommitBatch(persistence::RegKey key) override;
    std::string TakeReadNotice() override;

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
    bool replaceWith(const persistence::RegFile& next);
    persistence::RegKey handleFor(const std::string& keyPath);

    std::string path_;
    AtomicFileReplacer atomic_;
    FileReplacer& replacer_;
    persistence::RegFile file_;
    // Values whose line could not be read: they read as a kind the program does not take.
    std::set<std::pair<std::string, std::string>> broken_;
    bool unreadable_ = false;
    std::string keptAside_;
    std::string notice_;
    bool noticeGiven_ = false;
    persistence::RegKey batchKey_ = 0;  // the key whose writes are gathered in batch_
    persistence::RegFile batch_;
    std::map<persistence::RegKey, std::string> handles_;
    persistence::RegKey next_ = 1;
};

}  // namespace posix
