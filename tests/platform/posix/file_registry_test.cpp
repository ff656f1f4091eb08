// The settings file that stands in for the registry on Linux.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "persistence/reg_file.h"
#include "persistence/settings_store.h"
#include "platform/posix/file_registry.h"
#include "support/child_process.h"
#include "support/headless_program.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using persistence::RegistryValue;
using persistence::ValueKind;
using testing_support::ChildOptions;
using testing_support::InChild;
using testing_support::ReadFileText;
using testing_support::WriteFileText;

const std::string kKey = "\\Software\\Halvane\\Vimbrel Pulse Generator";

struct TempDir : testing_support::TempFolder {
    TempDir() : TempFolder("vpg-reg") {}
    std::string file(const std::string& name) const { return *this / name; }
};

TEST(RegFile, KeepsEveryKindAcrossARoundTrip) {
    persistence::RegFile file;
    auto& key = file.keys[kKey];
    key["fInitLeft"] = {RegistryValue::Text("440,5"), {}};
    key["Quote \"and\" slash\\"] = {RegistryValue::Text("a \"b\" c\\d\nline"), {}};
    key["Empty"] = {RegistryValue::Text(""), {}};
    key["FormX"] = {RegistryValue::Integer(-100), {}};
    key["Big"] = {RegistryValue::Integer(INT32_MIN), {}};
    key["Unicode"] = {RegistryValue::Text("Grüße ♪"), {}};
    key["Blob"] = {{ValueKind::Other, {}, 0}, "hex:01,02,ff"};
    const std::string text = persistence::SerializeRegFile(file);
    EXPECT_NE(text.find("\"FormX\"=dword:ffffff9c"), std::string::npos);
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Software\\Halvane\\Vimbrel Pulse Generator]"),
              std::string::npos);
    const auto back = persistence::ParseRegFile(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, file);
}

TEST(RegFile, EveryEscapedCharacterAndTheNulSurviveARoundTrip) {
    struct Case {
        std::string text;     // as the control holds it
        std::string written;  // between the quotes in the file
    };
    using namespace std::string_literals;
    const Case cases[] = {
        {"\\", "\\\\"},
        {"\"", "\\\""},
        {"\n", "\\n"},
        {"\r", "\\r"},
        {"\0"s, "\\0"},
        {"a\0b\0"s, "a\\0b\\0"},
        {"\r\n", "\\r\\n"},
        {"\\0", "\\\\0"},  // a backslash before a zero is not a NUL
        {"\\n\"\\", "\\\\n\\\"\\\\"},
        {"tab\tand ;", "tab\tand ;"},  // written as they are
        {"ends with a blank ", "ends with a blank "},
        {"\"=\"", "\\\"=\\\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        persistence::RegFile file;
        file.keys[kKey]["Value"] = {RegistryValue::Text(c.text), {}};
        file.keys[kKey][c.text] = {RegistryValue::Text("named so"), {}};
        const std::string text = persistence::SerializeRegFile(file);
        EXPECT_NE(text.find("\"Value\"=\"" + c.written + "\"\n"), std::string::npos) << text;
        EXPECT_NE(text.find("\"" + c.written + "\"=\"named so\"\n"), std::string::npos) << text;
        const auto back = persistence::ParseRegFile(text);
        ASSERT_TRUE(back);
        EXPECT_EQ(*back, file);
    }
}

TEST(RegFile, RefusesWhatIsNotWellFormed) {
    const std::string header = "Windows Registry Editor Version 5.00\n";
    const std::string section = "[HKEY_LOCAL_MACHINE\\Software\\X]\n";
    const char* bad[] = {
        "",
        "garbage",
        "REGEDIT4\n",
        "Windows Registry Editor Version 5.00\n\"v\"=\"no section\"\n",
        "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\Software\\X\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\X]\n",
    };
    for (const char* text : bad) EXPECT_FALSE(persistence::ParseRegFile(text)) << text;
    const char* badValues[] = {"\"v\"=\"unterminated\n",
                               "\"v\"=dword:123\n",
                               "\"v\"=dword:1234567g\n",
                               "\"v\"=42\n",
                               "\"v\"\n",
                               "\"v\"=\"a\\q\"\n",
                               "v=\"x\"\n",
                               "\"v\"=\"x\" trailing\n"};
    for (const char* v : badValues)
        EXPECT_FALSE(persistence::ParseRegFile(header + section + v)) << v;
    EXPECT_TRUE(persistence::ParseRegFile(header + section + "; a comment\r\n\"v\"=\"x\"\r\n"));
}

TEST(FileRegistry, AFirstStartHasNoKeyAndASaveCreatesTheFile) {
    TempDir dir;
    const std::string path = dir.file("sub/dir/settings.reg");
    posix::FileRegistry reg(path);
    EXPECT_EQ(reg.OpenKey(kKey), 0u);
    const auto key = reg.CreateKey(kKey);
    ASSERT_NE(key, 0u);
    EXPECT_TRUE(reg.SetValue(key, "Duration", RegistryValue::Text("10")));
    EXPECT_TRUE(reg.SetValue(key, "FormY", RegistryValue::Integer(-5)));
    reg.CloseKey(key);

    posix::FileRegistry again(path);
    const auto k2 = again.OpenKey(kKey);
    ASSERT_NE(k2, 0u);
    EXPECT_EQ(again.QueryValue(k2, "Duration"), RegistryValue::Text("10"));
    EXPECT_EQ(again.QueryValue(k2, "FormY"), RegistryValue::Integer(-5));
    EXPECT_FALSE(again.QueryValue(k2, "Missing"));
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::others_read, fs::perms::none);
}

TEST(FileRegistry, AnUnreadableFileLoadsAsMissingAndIsKeptAsideBeforeTheNextSave) {
    TempDir dir;
    const std::string path = dir.file("settings.reg");
    const std::string junk = "this is not a settings file \x01\x02";
    WriteFileText(path, junk);
    posix::FileRegistry reg(path);
    EXPECT_EQ(reg.OpenKey(kKey), 0u);
    EXPECT_EQ(ReadFileText(path), junk);  // reading alone changes nothing
    const auto key = reg.CreateKey(kKey);
    ASSERT_TRUE(reg.SetValue(key, "Loop", RegistryValue::Integer(1)));
    ASSERT_FALSE(reg.keptAside().empty());
    EXPECT_EQ(ReadFileText(reg.keptAside()), junk);
    EXPECT_TRUE(persistence::ParseRegFile(ReadFileText(path)));

    // A second unreadable file does not overwrite the first copy.
    WriteFileText(path, "junk again");
    posix::FileRegistry reg2(path);
    const auto k2 = reg2.CreateKey(kKey);
    ASSERT_TRUE(reg2.SetValue(k2, "Loop", RegistryValue::Integer(0)));
    EXPECT_NE(reg2.keptAside(), reg.keptAside());
    EXPECT_EQ(ReadFileText(reg.keptAside()), junk);
    EXPECT_EQ(ReadFileText(reg2.keptAside()), "junk again");
}

// Fails every replacement after the first `allowed`, leaving a half-written temporary file
// behind as a crash would.
class FailingReplacer final : public posix::FileReplacer {
public:
    explicit FailingReplacer(int allowed) : allowed_(allowed) {}
    bool replace(const std::string& path, const std::string& content) override {
        if (allowed_-- > 0) return real_.replace(path, content);
        WriteFileText(path + ".tmp-crash", content.substr(0, content.size() / 2));
        return false;
    }

private:
    int allowed_;
    posix::AtomicFileReplacer real_;
};

TEST(FileRegistry, ASaveInterruptedAfterNValuesLeavesAFileWithThoseNValues) {
    for (int n : {0, 1, 5}) {
        TempDir dir;
        const std::string path = dir.file("settings.reg");
        {
            posix::FileRegistry before(path);
            const auto k = before.CreateKey(kKey);
            ASSERT_TRUE(before.SetValue(k, "Old", RegistryValue::Text("kept")));
        }
        FailingReplacer replacer(n);
        posix::FileRegistry reg(path, &replacer);
        const auto key = reg.CreateKey(kKey);
        int written = 0;
        for (int i = 0; i < 10; ++i) {
            if (!reg.SetValue(key, "V" + std::to_string(i), RegistryValue::Integer(i))) break;
            ++written;
        }
        EXPECT_EQ(written, n);
        posix::FileRegistry after(path);
        const auto k = after.OpenKey(kKey);
        ASSERT_NE(k, 0u) << n;
        EXPECT_EQ(after.QueryValue(k, "Old"), RegistryValue::Text("kept"));
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(after.QueryValue(k, "V" + std::to_string(i)).has_value(), i < n) << n << i;
    }
}

TEST(FileRegistry, TheStoreReadRulesApplyToTheFile) {
    TempDir dir;
    const std::string path = dir.file("settings.reg");
    WriteFileText(path, "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE" + kKey +
                            "]\n\"Loop\"=\"1\"\n\"Fs\"=dword:00000003\n");
    posix::FileRegistry reg(path);
    const auto key = reg.OpenKey(kKey);
    EXPECT_THROW(persistence::ReadFlag(reg, key, "Loop"), persistence::ESettingsReadError);
    EXPECT_EQ(persistence::ReadInteger(reg, key, "Fs"), 3);
    EXPECT_THROW(persistence::ReadText(reg, key, "Fs"), persistence::ESettingsReadError);
    EXPECT_EQ(persistence::ReadText(reg, key, "Nothing"), "");
}

TEST(FileRegistry, TheFileLivesInTheXdgConfigurationFolder) {
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = oldXdg ? oldXdg : "";
    setenv("XDG_CONFIG_HOME", "/tmp/xdg-test", 1);
    EXPECT_EQ(posix::DefaultSettingsPath(), "/tmp/xdg-test/halvane/vimbrel-pulse-generator.reg");
    setenv("XDG_CONFIG_HOME", "relative/ignored", 1);  // only absolute paths count
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    if (!home.empty()) {
        EXPECT_EQ(posix::DefaultSettingsPath(),
                  home + "/.config/halvane/vimbrel-pulse-generator.reg");
    }
    if (oldXdg) {
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
}

// ---------------------------------------------------------------------------------------------
// Whatever lies at the settings path

// Pads a well-formed settings file with comment lines to exactly `bytes`.
std::string settingsOfSize(std::size_t bytes) {
    std::string text = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE" + kKey +
                       "]\n\"Duration\"=\"7\"\n";
    while (text.size() < bytes) {
        const std::size_t room = bytes - text.size();
        text +=
            room >= 2 ? ";" + std::string(std::min<std::size_t>(room - 2, 1000), 'x') + "\n" : "\n";
    }
    return text;
}

// What a load and a save of the registry at `path` did: whether the key opened, and whether
// the save went through.
struct LoadAndSave {
    bool opened = false;
    bool saved = false;
    std::string keptAside;
};

LoadAndSave loadAndSave(const std::string& path) {
    LoadAndSave r;
    posix::FileRegistry reg(path);
    const auto k = reg.OpenKey(kKey);
    r.opened = k != 0;
    if (k) reg.CloseKey(k);
    const auto key = reg.CreateKey(kKey);
    r.saved = reg.SetValue(key, "Loop", RegistryValue::Integer(1));
    reg.CloseKey(key);
    r.keptAside = reg.keptAside();
    return r;
}

std::string kindAt(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return "nothing";
    if (S_ISLNK(st.st_mode)) return "link to " + fs::read_symlink(path).string();
    if (S_ISREG(st.st_mode)) return "file";
    if (S_ISDIR(st.st_mode)) return "folder";
    if (S_ISFIFO(st.st_mode)) return "FIFO";
    return "other";
}

TEST(RegFile, ABrokenLineCostsItsValueAlone) {
    const std::string header = "Windows Registry Editor Version 5.00\n\n";
    const std::string section = "[HKEY_LOCAL_MACHINE" + kKey + "]\n";
    const std::string before = "\"Duration\"=\"5\"\n";
    const std::string after = "\"FormX\"=dword:00000064\n";
    struct Case {
        const char* line;
        std::vector<std::string> lost;  // the values that do not come back
    };
    const Case cases[] = {
        {"\"fInitLeft\"=\"250\n", {"fInitLeft"}},  // the closing quote is missing
        {"\"Loop\"=dword:1\n", {"Loop"}},
        {"\"Loop\"=dword:0000000g\n", {"Loop"}},
        {"\"Loop\"=42\n", {"Loop"}},
        {"\"Loop\n", {"Loop"}},
        {"Loop=dword:00000001\n", {"Loop"}},
        {"\"PhaseEdit\"=\"4\\q5\"\n", {"PhaseEdit"}},
        {"\"PhaseEdit\"=\"45\" trailing\n", {"PhaseEdit"}},
        {"\x01\x02 line noise\n", {}},
        // A key line that cannot be read: the values under it belong nowhere.
        {"[HKEY_LOCAL_MACHINE\\Software\\Halvane\n\"Other\"=\"1\"\n", {"FormX"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const auto reading = persistence::ReadRegFile(header + section + before + c.line + after);
        ASSERT_TRUE(reading.file);
        EXPECT_FALSE(reading.droppedLines.empty());
        EXPECT_EQ(reading.droppedLines.front(), 5);  // counted from 1, blank lines included
        const auto& key = reading.file->keys.at(kKey);
        EXPECT_EQ(key.at("Duration").value, RegistryValue::Text("5"));
        const bool formXLost = std::find(c.lost.begin(), c.lost.end(), "FormX") != c.lost.end();
        EXPECT_EQ(key.count("FormX"), formXLost ? 0u : 1u);
        for (const std::string& name : c.lost) EXPECT_EQ(key.count(name), 0u) << name;
        EXPECT_FALSE(persistence::ParseRegFile(header + section + before + c.line + after));
    }
    // Without the header it is not a settings file at all.
    EXPECT_FALSE(persistence::ReadRegFile(section + before).file);
    const auto clean = persistence::ReadRegFile(header + section + before + after);
    EXPECT_TRUE(clean.droppedLines.empty());
}

TEST(FileRegistry, ABrokenLineIsSaidOnceAndTheFileAsItWasIsKeptBesideIt) {
    TempDir dir;
    const std::string path = dir.file("settings.reg");
    const std::string text = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE" + kKey +
                             "]\n\"fInitLeft\"=\"250\n\"Duration\"=\"5\"\n";
    WriteFileText(path, text);
    posix::FileRegistry reg(path);
    const auto key = reg.OpenKey(kKey);
    ASSERT_NE(key, 0u);
    EXPECT_EQ(reg.QueryValue(key, "Duration"), RegistryValue::Text("5"));
    // Not missing, which would read as an empty text: a kind the store does not take.
    EXPECT_EQ(reg.QueryValue(key, "fInitLeft"), RegistryValue{});
    EXPECT_FALSE(reg.QueryValue(key, "Missing"));
    reg.CloseKey(key);
    const std::string aside = path + ".unreadable";
    EXPECT_EQ(reg.keptAside(), aside);
    EXPECT_EQ(ReadFileText(aside), text);
    EXPECT_EQ(ReadFileText(path), text);  // untouched until the next save
    EXPECT_EQ(reg.TakeReadNotice(),
              "Some settings could not be read from " + path +
                  ": 1 line (line 4) could not be read, and those settings are back at their "
                  "defaults. The file as it was is kept as " +
                  aside + ".");
    EXPECT_EQ(reg.TakeReadNotice(), "");
    // Opening again neither copies again nor says it again.
    reg.CloseKey(reg.OpenKey(kKey));
    EXPECT_EQ(reg.TakeReadNotice(), "");
    EXPECT_FALSE(fs::exists(path + ".unreadable-2"));
}

TEST(FileRegistry, AFileThatIsNoSettingsFileIsSaidWithWhereItWillGo) {
    TempDir dir;
    const std::string path = dir.file("settings.reg");
    WriteFileText(path, "junk");
    posix::FileRegistry reg(path);
    EXPECT_EQ(reg.OpenKey(kKey), 0u);
    EXPECT_EQ(reg.TakeReadNotice(), "The settings file " + path +
                                        " could not be read, and every setting is back at its "
                                        "default. The file as it was will be kept as " +
                                        path + ".unreadable when the settings are next saved.");
}

TEST(FileRegistry, ABatchReplacesTheFileOnceAndADroppedBatchNotAtAll) {
    struct Counting final : posix::FileReplacer {
        bool replace(const std::string& path, const std::string& content) override {
            ++count;
            return real.replace(path, content);
        }
        int count = 0;
        posix::AtomicFileReplacer real;
    };
    TempDir dir;
    const std::string path = dir.file("settings.reg");
    Counting counting;
    posix::FileRegistry reg(path, &counting);
    auto key = reg.CreateKey(kKey);
    reg.BeginBatch(key);
    for (int i = 0; i < 27; ++i)
        ASSERT_TRUE(reg.SetValue(key, "V" + std::to_string(i), RegistryValue::Integer(i)));
    EXPECT_EQ(counting.count, 0);
    EXPECT_FALSE(fs::exists(path));
    ASSERT_TRUE(reg.CommitBatch(key));
    EXPECT_EQ(counting.count, 1);
    reg.CloseKey(key);
    // Outside a batch each write replaces the file, as the notices' flags need.
    key = reg.CreateKey(kKey);
    ASSERT_TRUE(reg.SetValue(key, "Welcome", RegistryValue::Integer(1)));
    EXPECT_EQ(counting.count, 2);
    reg.BeginBatch(key);
    ASSERT_TRUE(reg.SetValue(key, "V0", RegistryValue::Integer(99)));
    reg.CloseKey(key);  // never committed
    EXPECT_EQ(counting.count, 2);
    posix::FileRegistry again(path);
    const auto k = again.OpenKey(kKey);
    EXPECT_EQ(again.QueryValue(k, "V0"), RegistryValue::Integer(0));
    EXPECT_EQ(again.QueryValue(k, "V26"), RegistryValue::Integer(26));
    EXPECT_EQ(again.QueryValue(k, "Welcome"), RegistryValue::Integer(1));
}

TEST(FileRegistry, ASaveKeepsTheModeOfTheFileItReplacesThroughALink) {
    TempDir dir;
    const std::string real = dir.file("real.reg");
    WriteFileText(real, "Windows Registry Editor Version 5.00\n");
    ::chmod(real.c_str(), 0640);
    fs::create_symlink("real.reg", dir.file("settings.reg"));
    const LoadAndSave r = loadAndSave(dir.file("settings.reg"));
    ASSERT_TRUE(r.saved);
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // A new file is private.
    const LoadAndSave fresh = loadAndSave(dir.file("new.reg"));
    ASSERT_TRUE(fresh.saved);
    ASSERT_EQ(::stat(dir.file("new.reg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

TEST(FileRegistry, TemporariesOfKilledSavesGoAtTheNextOpening) {
    TempDir dir;
    const std::string path = dir.file("settings.reg");
    const pid_t gone = testing_support::EndedProcessId();
    const std::string stale = dir.file("settings.reg.tmp-" + std::to_string(gone) + "-1");
    WriteFileText(stale, "half a save");
    posix::FileRegistry reg(path);
    EXPECT_EQ(reg.OpenKey(kKey), 0u);
    EXPECT_FALSE(fs::exists(stale));
}

TEST(FileRegistry, OnlyARegularFileOfSaneSizeIsReadAndAnythingElseIsKeptAside) {
    const std::size_t limit = posix::FileRegistry::kMaxFileBytes;
    struct Case {
        const char* name;
        std::function<void(const std::string&)> make;
        const char* asideKind;  // what is kept aside, "" when the file is read
    };
    const Case cases[] = {
        {"a FIFO", [](const std::string& p) { ::mkfifo(p.c_str(), 0600); }, "FIFO"},
        {"a link to /dev/zero", [](const std::string& p) { fs::create_symlink("/dev/zero", p); },
         "link to /dev/zero"},
        {"a folder", [](const std::string& p) { fs::create_directory(p); }, "folder"},
        {"a link loop", [](const std::string& p) { fs::create_symlink(p, p); }, "link to "},
        {"a file one byte over the limit",
         [limit](const std::string& p) { WriteFileText(p, settingsOfSize(limit + 1)); }, "file"},
        {"a file of 20 MB",
         [](const std::string& p) {
             std::ofstream(p, std::ios::binary) << "x";
             fs::resize_file(p, 20u << 20);
         },
         "file"},
        {"a file at the limit",
         [limit](const std::string& p) { WriteFileText(p, settingsOfSize(limit)); }, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.file("settings.reg");
        c.make(path);
        const bool read = std::string(c.asideKind).empty();
        const std::string before = kindAt(path) == "file" ? ReadFileText(path) : "";
        LoadAndSave r;
        // In a child with a time limit: a FIFO or an endless file must not hold the start-up.
        const std::string result = InChild(
            [&] {
                r = loadAndSave(path);
                return r.opened == read && r.saved
                           ? std::string()
                           : std::string("opened ") + (r.opened ? "yes" : "no") + ", saved " +
                                 (r.saved ? "yes" : "no");
            },
            ChildOptions{false, 10});
        EXPECT_EQ(result, "");
        // The child's registry is gone with it: look at the files.
        ASSERT_EQ(kindAt(path), "file");
        const auto saved = persistence::ParseRegFile(ReadFileText(path));
        ASSERT_TRUE(saved);
        EXPECT_EQ(saved->keys.at(kKey).at("Loop").value, RegistryValue::Integer(1));
        EXPECT_EQ(saved->keys.at(kKey).count("Duration"), read ? 1u : 0u);
        const std::string aside = path + ".unreadable";
        if (read) {
            EXPECT_EQ(kindAt(aside), "nothing");
        } else {
            EXPECT_EQ(kindAt(aside).rfind(c.asideKind, 0), 0u) << kindAt(aside);
            if (!before.empty()) {
                EXPECT_TRUE(ReadFileText(aside) == before);  // byte for byte
            }
        }
    }
    struct stat st {};
    EXPECT_TRUE(::stat("/dev/zero", &st) == 0 && S_ISCHR(st.st_mode));
}

TEST(FileRegistry, AFileThatCannotBeReadIsKeptAsideOrLeftUntouched) {
    // Left root-owned by an earlier run under sudo: the user may not read it. Where the user
    // may write the folder it goes aside; where not, it stays as it is and the save fails
    // with the store's message.
    struct Case {
        const char* name;
        bool folderWritable;
    };
    for (const Case c :
         {Case{"in the user's folder", true}, Case{"in a folder of root's", false}}) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.file("settings.reg");
        const std::string theirs = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE" +
                                   kKey + "]\n\"Duration\"=\"7\"\n";
        WriteFileText(path, theirs);
        ::chmod(path.c_str(), 0600);
        if (::geteuid() != 0) ::chmod(path.c_str(), 0);  // not root: no one may read it
        ::chmod(dir.path.c_str(), c.folderWritable ? 0755 : 0555);
        if (c.folderWritable) testing_support::GiveToOrdinaryUser(dir.path.string());
        const std::string result = InChild(
            [&] {
                doubles::HeadlessPlatform hp;
                posix::FileRegistry registry(path);
                vpg::Platform platform{hp.loop,  hp.dialogs, hp.waveOut, hp.memory,  registry,
                                       hp.shell, hp.hotKey,  '.',        "/opt/vpg/"};
                vpg::Program program(platform, hp.timing);
                program.Startup();
                program.ShowMainWindow();
                std::string out;
                // The defaults load, as for a file that is not there.
                if (program.frmGenerator->Duration.Text() != "10")
                    out += "Duration " + program.frmGenerator->Duration.Text() + "\n";
                const bool closed = program.frmGenerator->Close();
                const auto messages = hp.dialogs.messages();
                const bool failed =
                    std::find(messages.begin(), messages.end(),
                              "Failed to set data for 'fInitLeft'") != messages.end();
                if (closed != c.folderWritable || failed == c.folderWritable)
                    out += std::string("closed ") + (closed ? "yes" : "no") + ", message " +
                           (failed ? "yes" : "no");
                if (c.folderWritable && registry.keptAside() != path + ".unreadable")
                    out += "kept aside at '" + registry.keptAside() + "'";
                return out;
            },
            ChildOptions{true, 30});
        EXPECT_EQ(result, "");
        ::chmod(dir.path.c_str(), 0755);
        ::chmod(path.c_str(), 0600);
        ::chmod((path + ".unreadable").c_str(), 0600);
        if (c.folderWritable) {
            EXPECT_EQ(ReadFileText(path + ".unreadable"), theirs);
            const auto saved = persistence::ParseRegFile(ReadFileText(path));
            ASSERT_TRUE(saved);
            EXPECT_EQ(saved->keys.at(kKey).at("Duration").value, RegistryValue::Text("10"));
        } else {
            EXPECT_EQ(ReadFileText(path), theirs);
            EXPECT_EQ(kindAt(path + ".unreadable"), "nothing");
        }
    }
}

TEST(FileRegistry, AFileSystemFailureNeverThrows) {
    struct Case {
        const char* name;
        std::function<void(const TempDir&)> make;
        bool saved;
        const char* aside;
    };
    const Case cases[] = {
        {"a link loop where the copy would go",
         [](const TempDir& d) {
             WriteFileText(d.file("settings.reg"), "junk");
             fs::create_symlink("settings.reg.unreadable", d.file("settings.reg.unreadable"));
         },
         true, "settings.reg.unreadable-2"},
        {"a settings path below a file",
         [](const TempDir& d) { WriteFileText(d.file("settings.reg"), "a file, not a folder"); },
         false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        c.make(dir);
        const std::string path = std::string(c.name).find("below") != std::string::npos
                                     ? dir.file("settings.reg/settings.reg")
                                     : dir.file("settings.reg");
        LoadAndSave r;
        EXPECT_NO_THROW(r = loadAndSave(path));
        EXPECT_EQ(r.saved, c.saved);
        EXPECT_EQ(r.keptAside, *c.aside ? dir.file(c.aside) : "");
        if (*c.aside) {
            EXPECT_EQ(ReadFileText(dir.file(c.aside)), "junk");
        }
    }
}

TEST(FileRegistry, ASavesTemporaryIsItsOwnAndKilledSavesLeaveNoneBehind) {
    TempDir dir;
    const std::string path = dir.file("settings.reg");
    // A process that has ended: its temporaries are stale.
    const pid_t gone = testing_support::EndedProcessId();
    const std::string dead = std::to_string(gone);
    const std::vector<std::string> stale{"settings.reg.tmp-" + dead,
                                         "settings.reg.tmp-" + dead + "-12345",
                                         "settings.reg.tmp-" + std::to_string(::getpid())};
    // Another save that runs (pid 1 always does), a name that only looks alike, another file.
    const std::vector<std::string> kept{"settings.reg.tmp-1-777", "settings.reg.tmp-crash",
                                        "other.reg.tmp-" + dead, "settings.reg.tmp-"};
    for (const auto& name : stale) WriteFileText(dir.file(name), "half a save");
    for (const auto& name : kept) WriteFileText(dir.file(name), "someone's");
    // A link planted where an earlier version put its temporary must not be followed.
    WriteFileText(dir.file("victim"), "not the settings");
    fs::remove(dir.file(stale[2]));
    fs::create_symlink(dir.file("victim"), dir.file(stale[2]));

    posix::FileRegistry reg(path);
    const auto key = reg.CreateKey(kKey);
    ASSERT_TRUE(reg.SetValue(key, "Loop", RegistryValue::Integer(1)));
    EXPECT_EQ(ReadFileText(dir.file("victim")), "not the settings");
    EXPECT_EQ(kindAt(path), "file");
    for (const auto& name : stale) EXPECT_EQ(kindAt(dir.file(name)), "nothing") << name;
    for (const auto& name : kept) EXPECT_EQ(ReadFileText(dir.file(name)), "someone's") << name;
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path)) ++entries;
    EXPECT_EQ(entries, kept.size() + 2);  // the settings, the victim: no temporary of ours
}

TEST(FileRegistry, ASettingsPathThatIsALinkIsWrittenThroughAndTheLinkStays) {
    struct Case {
        const char* name;
        const char* target;  // what the link's target holds first, null: no target yet
        const char* aside;   // where the unreadable target goes
    };
    const Case cases[] = {
        {"a settings file", "Windows Registry Editor Version 5.00\n", ""},
        {"no file yet", nullptr, ""},
        {"an unreadable file", "junk", "synced/real.reg.unreadable"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        fs::create_directory(dir.file("synced"));
        if (c.target) WriteFileText(dir.file("synced/real.reg"), c.target);
        fs::create_symlink("synced/real.reg", dir.file("settings.reg"));
        const LoadAndSave r = loadAndSave(dir.file("settings.reg"));
        EXPECT_TRUE(r.saved);
        EXPECT_EQ(kindAt(dir.file("settings.reg")), "link to synced/real.reg");
        const auto saved = persistence::ParseRegFile(ReadFileText(dir.file("synced/real.reg")));
        ASSERT_TRUE(saved);
        EXPECT_EQ(saved->keys.at(kKey).at("Loop").value, RegistryValue::Integer(1));
        EXPECT_EQ(r.keptAside, *c.aside ? dir.file(c.aside) : "");
        if (*c.aside) {
            EXPECT_EQ(ReadFileText(dir.file(c.aside)), c.target);
        }
    }
}

}  // namespace
