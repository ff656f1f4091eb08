#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

namespace posix {

// What stands at a path that a new file is to replace, judged before anything is written.
struct ReplaceTarget {
    std::string file;     // the file replaced: the path itself, or the file its links name
    std::string folder;   // the folder of `file`, where the temporary goes
    bool exists = false;  // a regular file is there now; the new one takes its mode and owner
    mode_t mode = 0;
    uid_t uid = 0;
    gid_t gid = 0;
};

// Judges `path`. A symbolic link is written through and stays: the file it names is replaced,
// or created when the link dangles, so that neither the link nor what it names is lost. A link
// is not followed when it belongs to another user in a sticky folder that everybody may write
// to (someone may have planted it there to make us replace a file of ours). A folder, a device,
// a FIFO, a socket or a link loop is refused. On refusal returns false with a one-line reason.
bool JudgeReplaceTarget(const std::string& path, ReplaceTarget& target, std::string& error);

// A new file that grows under a temporary name of its own beside its target and takes the
// target's place only once it is complete and on disk. The temporary is removed on every
// failure and when the object goes without having been put in place.
class SafeReplacement {
public:
    // Creates the temporary exclusively (never an existing name, never through a link):
    // target.file + `infix` + eight random characters + `suffix`, of `createMode` (less the
    // umask). Null with the reason in `error` when no temporary can be made.
    static std::unique_ptr<SafeReplacement> Begin(const ReplaceTarget& target,
                                                  const std::string& infix,
                                                  const std::string& suffix, mode_t createMode,
                                                  std::string& error);
    ~SafeReplacement();
    SafeReplacement(const SafeReplacement&) = delete;
    SafeReplacement& operator=(const SafeReplacement&) = delete;

    int fd() const { return fd_; }
    const std::string& temporaryPath() const { return temporary_; }

    enum class Outcome { Done, NotOnDisk, NotInPlace };
    // The data to disk, the replaced file's mode (and its owner where we may give it), close.
    Outcome Finish(std::string& error);
    // After Finish: the rename, then the folder to disk.
    Outcome PutInPlace(std::string& error);
    // Removes the temporary now.
    void Discard();

private:
    SafeReplacement() = default;

    ReplaceTarget target_;
    std::string temporary_;
    int fd_ = -1;
};

// Writes all of `content` to `fd`, going on after an interrupted write; false on an error.
bool WriteAll(int fd, const std::string& content);

// The whole replacement of a judged target by `content`; false with the reason in `error`.
bool ReplaceFileWith(const ReplaceTarget& target, const std::string& content,
                     const std::string& infix, mode_t createMode, std::string& error);

}  // namespace posix
