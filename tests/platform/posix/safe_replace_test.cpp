// The one way files are replaced on posix (the settings file, vpg-render's output): what
// stands at the path decides where the new file goes or why nothing is written, and nothing
// but the new file and what was kept is left behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>

#include "platform/posix/safe_replace.h"
#include "support/child_process.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

struct Folder : testing_support::TempFolder {
    Folder() : TempFolder("vpg-safe-replace") {}
};

void Spit(const std::string& path, const std::string& text, mode_t mode) {
    testing_support::WriteFileText(path, text);
    ::chmod(path.c_str(), mode);
}

// Every entry of a folder (recursively) with what it is: a link's target, a file's mode and
// text, or its kind.
std::map<std::string, std::string> Listing(const fs::path& folder) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        struct stat st {};
        ::lstat(e.path().c_str(), &st);
        const std::string name = e.path().lexically_relative(folder).string();
        if (S_ISLNK(st.st_mode))
            out[name] = "link to " + fs::read_symlink(e.path()).string();
        else if (S_ISREG(st.st_mode))
            out[name] = "file " + std::to_string(st.st_mode & 0777) + " '" +
                        testing_support::ReadFileText(e.path().string()) + "'";
        else
            out[name] = S_ISDIR(st.st_mode) ? "folder" : "other";
    }
    return out;
}

std::string Mode(mode_t m) {
    return std::to_string(m);
}

TEST(SafeReplace, WhatStandsAtThePathDecidesWhereTheFileGoes) {
    const mode_t umask = ::umask(022);
    struct Case {
        const char* name;
        std::function<void(const Folder&)> make;  // puts things around "at"
        std::string error;                        // empty: replaced
        std::map<std::string, std::string> after;
    };
    const std::string newText = "'new'";
    const std::vector<Case> cases = {
        {"a regular file keeps its mode",
         [](const Folder& f) { Spit(f / "at", "old", 0640); },
         "",
         {{"at", "file " + Mode(0640) + " " + newText}}},
        {"a missing file is created private",
         [](const Folder&) {},
         "",
         {{"at", "file " + Mode(0600) + " " + newText}}},
        {"a link to a file stays and the file is replaced with its mode",
         [](const Folder& f) {
             Spit(f / "real", "old", 0604);
             fs::create_symlink("real", f / "at");
         },
         "",
         {{"at", "link to real"}, {"real", "file " + Mode(0604) + " " + newText}}},
        {"a chain of links is followed to its end",
         [](const Folder& f) {
             fs::create_directory(f / "sub");
             Spit(f / "sub/real", "old", 0644);
             fs::create_symlink("sub/mid", f / "at");
             fs::create_symlink("real", f / "sub/mid");
         },
         "",
         {{"at", "link to sub/mid"},
          {"sub", "folder"},
          {"sub/mid", "link to real"},
          {"sub/real", "file " + Mode(0644) + " " + newText}}},
        {"a dangling link stays and the file it names is created",
         [](const Folder& f) { fs::create_symlink("missing", f / "at"); },
         "",
         {{"at", "link to missing"}, {"missing", "file " + Mode(0600) + " " + newText}}},
        {"a folder is refused",
         [](const Folder& f) { fs::create_directory(f / "at"); },
         "Is a directory",
         {{"at", "folder"}}},
        {"a link to a folder is refused",
         [](const Folder& f) {
             fs::create_directory(f / "dir");
             fs::create_symlink("dir", f / "at");
         },
         "Is a directory",
         {{"at", "link to dir"}, {"dir", "folder"}}},
        {"a FIFO is refused",
         [](const Folder& f) { ::mkfifo((f / "at").c_str(), 0600); },
         "it is a FIFO, not a regular file",
         {{"at", "other"}}},
        {"a link loop is refused",
         [](const Folder& f) { fs::create_symlink("at", f / "at"); },
         "Too many levels of symbolic links",
         {{"at", "link to at"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Folder folder;
        c.make(folder);
        posix::ReplaceTarget target;
        std::string error;
        bool ok = posix::JudgeReplaceTarget(folder / "at", target, error);
        if (ok) ok = posix::ReplaceFileWith(target, "new", ".tmp-", 0600, error);
        EXPECT_EQ(ok, c.error.empty()) << error;
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(Listing(folder.path), c.after);
    }
    ::umask(umask);
}

TEST(SafeReplace, InASharedStickyFolderOnlyOurOwnLinkIsFollowed) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to plant a link of another user's";
    Folder folder;
    const std::string shared = testing_support::MakeSharedStickyFolder(folder);
    const std::string link = folder / "shared/at";
    for (const auto& c : testing_support::kPlantedLinks) {
        SCOPED_TRACE(c.name);
        Spit(folder / "victim", "the victim's own file", 0644);
        testing_support::Plant(c, folder / "victim", link);
        posix::ReplaceTarget target;
        std::string error;
        bool ok = posix::JudgeReplaceTarget(link, target, error);
        if (ok) ok = posix::ReplaceFileWith(target, "new", ".tmp-", 0600, error);
        EXPECT_EQ(ok, c.followed);
        EXPECT_EQ(error, c.followed ? std::string()
                                    : "it is a symbolic link of another user's in the shared "
                                      "folder " +
                                          shared + ", which is not followed");
        EXPECT_EQ(testing_support::ReadFileText(folder / "victim"),
                  c.followed ? "new" : "the victim's own file");
        EXPECT_TRUE(fs::is_symlink(link));
    }
}

TEST(SafeReplace, AReplacementNotPutInPlaceLeavesNothingBehind) {
    Folder folder;
    Spit(folder / "at", "old", 0644);
    posix::ReplaceTarget target;
    std::string error;
    ASSERT_TRUE(posix::JudgeReplaceTarget(folder / "at", target, error)) << error;
    {
        const auto r = posix::SafeReplacement::Begin(target, ".", ".part", 0666, error);
        ASSERT_TRUE(r) << error;
        EXPECT_TRUE(fs::exists(r->temporaryPath()));
        EXPECT_EQ(r->temporaryPath().rfind(folder / "at.", 0), 0u);
        EXPECT_EQ(r->temporaryPath().substr(r->temporaryPath().size() - 5), ".part");
        ASSERT_EQ(::write(r->fd(), "half", 4), 4);
    }
    EXPECT_EQ(Listing(folder.path),
              (std::map<std::string, std::string>{{"at", "file " + Mode(0644) + " 'old'"}}));
}

}  // namespace
