#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

#include "support/child_process.h"

namespace testing_support {

// A folder of the running test's own under the system's temporary folder, empty at the start
// and gone at the end, whatever the test left in it.
struct TempFolder {
    explicit TempFolder(const std::string& prefix) {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '_');  // parameterised tests' names
        path = std::filesystem::temp_directory_path() /
               (prefix + "-" + std::to_string(::getpid()) + "-" + name);
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string operator/(const std::string& name) const { return (path / name).string(); }
    std::filesystem::path path;
};

// A file's bytes ("" when it cannot be read).
inline std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteFileText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A symbolic link in a folder open to all with the sticky bit, planted by another user or by
// ourselves: only our own may be followed.
struct PlantedLink {
    const char* name;
    uid_t owner;
    bool followed;
};
inline constexpr PlantedLink kPlantedLinks[] = {
    {"another user's link", kOrdinaryUser, false},
    {"our own link", 0, true},
};

// `folder`/shared, open to all with the sticky bit.
inline std::string MakeSharedStickyFolder(const TempFolder& folder) {
    const std::string shared = folder / "shared";
    std::filesystem::create_directory(shared);
    ::chmod(shared.c_str(), 01777);
    return shared;
}

// `link` made anew, pointing at `target`, owned by `c.owner`.
inline void Plant(const PlantedLink& c, const std::string& target, const std::string& link) {
    std::filesystem::remove(link);
    std::filesystem::create_symlink(target, link);
    ASSERT_EQ(::lchown(link.c_str(), c.owner, c.owner), 0);
}

}  // namespace testing_support
