#pragma once

#include <sys/types.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/posix/safe_replace.h"

namespace render {

// The WAV file vpg-render writes. What lies at the output path is judged before anything is
// rendered; the file then grows under a temporary name of its own beside the file it becomes
// and takes that place only once it is complete and on disk (posix::SafeReplacement, whose
// rules for links it follows). The temporary is removed on every failure, and on every signal
// whose default action ends the process, so nothing is left at the output path unless the
// whole file was written. One output file at a time per process.
class OutputFile {
public:
    // Judges `path` and creates the temporary file. Returns nothing, and says why in `error`
    // (one line, with the system's reason), when the path cannot take the file; then nothing
    // was created.
    static std::unique_ptr<OutputFile> Create(const std::string& path, std::string& error);
    ~OutputFile();  // removes the temporary unless the file was put in place
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // A stream onto the temporary, for the WAV device, which closes it; null when out of
    // descriptors.
    std::FILE* OpenStream();
    const std::string& temporaryPath() const;
    // The file the output path stands for: the path itself, or the file its link points to.
    const std::string& targetPath() const { return target_; }

    enum class Commit { Done, NotOnDisk, NotInPlace };
    // Puts the complete file in place: its data to disk, the permission bits of the file it
    // replaces, the rename, the folder to disk. On failure the temporary is removed and
    // `error` says why.
    Commit Put(std::string& error);

private:
    OutputFile() = default;
    void discard();

    std::string target_;
    std::unique_ptr<posix::SafeReplacement> file_;
};

}  // namespace render
