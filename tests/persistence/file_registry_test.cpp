// The settings file that stands in for the registry on Linux.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "persistence/reg_file.h"
#include "persistence/settings_store.h"
#include "platform/posix/file_registry.h"

namespace {

namespace fs = std::filesystem;
using persistence::RegistryValue;
using persistence::ValueKind;

const std::string kKey = "\\Software\\Halvane\\Vimbrel Pulse Generator";

struct TempDir {
    TempDir() {
        path = fs::temp_directory_path() /
               ("vpg-reg-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
    std::string file(const std::string& name) const { return (path / name).string(); }
    fs::path path;
};

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void spit(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

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
    spit(path, junk);
    posix::FileRegistry reg(path);
    EXPECT_EQ(reg.OpenKey(kKey), 0u);
    EXPECT_EQ(slurp(path), junk);  // reading alone changes nothing
    const auto key = reg.CreateKey(kKey);
    ASSERT_TRUE(reg.SetValue(key, "Loop", RegistryValue::Integer(1)));
    ASSERT_FALSE(reg.keptAside().empty());
    EXPECT_EQ(slurp(reg.keptAside()), junk);
    EXPECT_TRUE(persistence::ParseRegFile(slurp(path)));

    // A second unreadable file does not overwrite the first copy.
    spit(path, "junk again");
    posix::FileRegistry reg2(path);
    const auto k2 = reg2.CreateKey(kKey);
    ASSERT_TRUE(reg2.SetValue(k2, "Loop", RegistryValue::Integer(0)));
    EXPECT_NE(reg2.keptAside(), reg.keptAside());
    EXPECT_EQ(slurp(reg.keptAside()), junk);
    EXPECT_EQ(slurp(reg2.keptAside()), "junk again");
}

// Fails every replacement after the first `allowed`, leaving a half-written temporary file
// behind as a crash would.
class FailingReplacer final : public posix::FileReplacer {
public:
    explicit FailingReplacer(int allowed) : allowed_(allowed) {}
    bool replace(const std::string& path, const std::string& content) override {
        if (allowed_-- > 0) return real_.replace(path, content);
        spit(path + ".tmp-crash", content.substr(0, content.size() / 2));
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
    spit(path, "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE" + kKey +
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

}  // namespace
