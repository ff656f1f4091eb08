// The settings store in the Windows registry, on a key of its own under HKEY_LOCAL_MACHINE (and
// HKEY_CURRENT_USER for a user who may not write there):
// values and kinds as the registry holds them, what other writers may leave there, the path
// without its leading backslash, the store's read rules over it, and the whole program's close
// and start through it.
#include <gtest/gtest.h>

// The form kit names virtual keys as <windows.h> does (as macros there), so it comes first.
#include "support/headless_program.h"

#include <windows.h>
// The access-list strings, declared on top of <windows.h>.
#include <sddl.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "persistence/settings_store.h"
#include "platform/win32/control_view.h"
#include "platform/win32/form_window.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/utf.h"
#include "platform/win32/views.h"

namespace {

using persistence::ESettingsReadError;
using persistence::ESettingsWriteError;
using persistence::RegistryValue;
using persistence::RegKey;
using persistence::ValueKind;
using win32::RegistryStore;

constexpr char kTestKeyPath[] = "\\Software\\Halvane\\Vimbrel Pulse Generator Test";
constexpr wchar_t kTestSubKey[] = L"Software\\Halvane\\Vimbrel Pulse Generator Test";

// Stand-ins for the two roots, so that the tests never touch the program's own keys.
constexpr wchar_t kRootsSubKey[] = L"Software\\Halvane\\Vpg Roots Test";

// A value as the registry holds it, read past the store.
struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

class RegistryStoreTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteTestKey(); }
    void TearDown() override {
        if (key_ != 0) store.CloseKey(key_);
        if (raw_ != nullptr) ::RegCloseKey(raw_);
        // scripts/test-windows.sh keeps the last key for `reg query`.
        if (::GetEnvironmentVariableW(L"VPG_KEEP_REGISTRY_TEST_KEY", nullptr, 0) == 0)
            DeleteTestKey();
    }

    static void DeleteTestKey() {
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kTestSubKey);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestSubKey);
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kRootsSubKey);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kRootsSubKey);
    }

    // The test key through the store, created on first use.
    RegKey key() {
        if (key_ == 0) key_ = store.CreateKey(kTestKeyPath);
        return key_;
    }

    // The same key opened past the store.
    HKEY raw() {
        if (raw_ == nullptr) {
            key();
            EXPECT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTestSubKey, 0, KEY_ALL_ACCESS, &raw_),
                      ERROR_SUCCESS);
        }
        return raw_;
    }

    // Writes `bytes` bytes of `data` exactly. The registry adds a terminator to a text whose
    // next character in memory is NUL, so what follows the data here is not.
    void rawSet(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
        std::vector<BYTE> padded(static_cast<const BYTE*>(data),
                                 static_cast<const BYTE*>(data) + bytes);
        padded.push_back(0xFF);
        padded.push_back(0xFF);
        ASSERT_EQ(::RegSetValueExW(raw(), name, 0, type, padded.data(), bytes), ERROR_SUCCESS);
    }

    RawValue rawGet(const wchar_t* name) {
        RawValue value;
        DWORD size = 0;
        if (::RegQueryValueExW(raw(), name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
            return {};
        value.data.resize(size);
        ::RegQueryValueExW(raw(), name, nullptr, &value.type, value.data.data(), &size);
        return value;
    }

    RegistryStore store;

private:
    RegKey key_ = 0;
    HKEY raw_ = nullptr;
};

std::vector<BYTE> Bytes(const void* data, std::size_t size) {
    const auto* p = static_cast<const BYTE*>(data);
    return std::vector<BYTE>(p, p + size);
}

// --- Keys ---------------------------------------------------------------------------------------

TEST_F(RegistryStoreTest, OpenKeyFindsNothingUntilCreateKeyMadeTheKey) {
    EXPECT_EQ(store.OpenKey(kTestKeyPath), 0u);
    HKEY probe = nullptr;
    EXPECT_NE(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTestSubKey, 0, KEY_READ, &probe), ERROR_SUCCESS);

    const RegKey created = store.CreateKey(kTestKeyPath);
    ASSERT_NE(created, 0u);
    store.CloseKey(created);

    const RegKey opened = store.OpenKey(kTestKeyPath);
    EXPECT_NE(opened, 0u);
    store.CloseKey(opened);
}

// The joined path starts with a backslash, which the registry refuses; the key must land at
// the path below HKEY_LOCAL_MACHINE that the rest of it names.
TEST_F(RegistryStoreTest, TheLeadingBackslashIsDroppedAndTheKeyLandsBelowTheRoot) {
    ASSERT_TRUE(store.SetValue(key(), "Marker", RegistryValue::Integer(42)));
    const RawValue marker = rawGet(L"Marker");
    EXPECT_EQ(marker.type, static_cast<DWORD>(REG_DWORD));
    const DWORD expected = 42;
    EXPECT_EQ(marker.data, Bytes(&expected, sizeof expected));

    // The same key, however the path is written.
    for (const char* path : {"Software\\Halvane\\Vimbrel Pulse Generator Test",
                             "\\\\Software\\Halvane\\Vimbrel Pulse Generator Test"}) {
        const RegKey again = store.OpenKey(path);
        ASSERT_NE(again, 0u) << path;
        EXPECT_EQ(store.QueryValue(again, "Marker"), RegistryValue::Integer(42)) << path;
        store.CloseKey(again);
    }
}

TEST_F(RegistryStoreTest, APathThatNamesNoKeyBelowTheRootOpensNothing) {
    struct Case {
        std::string path;
        std::wstring subKey;
    };
    const Case cases[] = {
        {"\\Software\\Halvane", L"Software\\Halvane"},
        {"Software", L"Software"},
        {"", L""},
        {"\\", L""},
        {"\\\\\\", L""},
        {std::string("\\Software\0Evil", 14), L""},
    };
    for (const Case& c : cases) EXPECT_EQ(RegistryStore::SubKeyPath(c.path), c.subKey) << c.path;
    // Never the root itself, which would scatter the settings over HKEY_LOCAL_MACHINE.
    EXPECT_EQ(store.OpenKey(""), 0u);
    EXPECT_EQ(store.CreateKey("\\"), 0u);
}

// --- Values -------------------------------------------------------------------------------------

TEST_F(RegistryStoreTest, TextsAndIntegersComeBackAsTheyWereWritten) {
    const RegistryValue values[] = {
        RegistryValue::Text("100"),
        RegistryValue::Text(""),
        RegistryValue::Text("12,5"),
        RegistryValue::Text("Gr\xC3\xBC\xC3\x9F"
                            "e \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x94\x8A"),
        RegistryValue::Integer(0),
        RegistryValue::Integer(1),
        RegistryValue::Integer(-1),
        RegistryValue::Integer(-1280),
        RegistryValue::Integer(INT32_MIN),
        RegistryValue::Integer(INT32_MAX),
    };
    int n = 0;
    for (const RegistryValue& value : values) {
        const std::string name = "Value " + std::to_string(n++) + " \xC3\xA4";
        ASSERT_TRUE(store.SetValue(key(), name, value)) << name;
        EXPECT_EQ(store.QueryValue(key(), name), value) << name;
    }
}

// What reg.exe and every other program see: REG_SZ in UTF-16 with its terminator, REG_DWORD as
// the integer's 32 bits.
TEST_F(RegistryStoreTest, TheRegistryHoldsTextsAsRegSzAndIntegersAsRegDword) {
    ASSERT_TRUE(store.SetValue(key(), "fInitLeft", RegistryValue::Text("44,1 \xC3\xBC")));
    ASSERT_TRUE(store.SetValue(key(), "FormX", RegistryValue::Integer(-1280)));

    const RawValue text = rawGet(L"fInitLeft");
    EXPECT_EQ(text.type, static_cast<DWORD>(REG_SZ));
    const wchar_t expectedText[] = L"44,1 \u00FC";
    EXPECT_EQ(text.data, Bytes(expectedText, sizeof expectedText));

    const RawValue integer = rawGet(L"FormX");
    EXPECT_EQ(integer.type, static_cast<DWORD>(REG_DWORD));
    const DWORD bits = 0xFFFFFB00u;  // -1280
    EXPECT_EQ(integer.data, Bytes(&bits, sizeof bits));
}

TEST_F(RegistryStoreTest, ValuesLeftByOtherWritersReadByTheirKind) {
    struct Case {
        const wchar_t* name;
        DWORD type;
        std::vector<BYTE> data;
        RegistryValue expected;
    };
    auto bytes = [](std::initializer_list<int> list) {
        std::vector<BYTE> b;
        for (int v : list) b.push_back(static_cast<BYTE>(v));
        return b;
    };
    const Case cases[] = {
        // DWORDs are signed: the top bit is the sign.
        {L"dword80000000", REG_DWORD, bytes({0, 0, 0, 0x80}), RegistryValue::Integer(INT32_MIN)},
        {L"dwordFFFFFFFE", REG_DWORD, bytes({0xFE, 0xFF, 0xFF, 0xFF}), RegistryValue::Integer(-2)},
        {L"dword7FFFFFFF", REG_DWORD, bytes({0xFF, 0xFF, 0xFF, 0x7F}),
         RegistryValue::Integer(INT32_MAX)},
        // Texts end at their first NUL, with or without a terminator.
        {L"unterminated", REG_SZ, bytes({'4', 0, '2', 0}), RegistryValue::Text("42")},
        {L"twoStrings", REG_SZ, bytes({'a', 0, 0, 0, 'b', 0, 0, 0}), RegistryValue::Text("a")},
        {L"oddLength", REG_SZ, bytes({'7', 0, '5', 0, 'x'}), RegistryValue::Text("75")},
        {L"emptyData", REG_SZ, {}, RegistryValue::Text("")},
        {L"surrogateAlone", REG_SZ, bytes({0x00, 0xD8, 'x', 0, 0, 0}),
         RegistryValue::Text("\xEF\xBF\xBDx")},
        // Every other kind is Other.
        {L"binary", REG_BINARY, bytes({1, 0, 0, 0}), RegistryValue{}},
        {L"expandable", REG_EXPAND_SZ, bytes({'%', 0, 'X', 0, '%', 0, 0, 0}), RegistryValue{}},
        {L"multi", REG_MULTI_SZ, bytes({'a', 0, 0, 0, 0, 0}), RegistryValue{}},
        {L"qword", REG_QWORD, bytes({1, 0, 0, 0, 0, 0, 0, 0}), RegistryValue{}},
        {L"bigEndian", REG_DWORD_BIG_ENDIAN, bytes({0, 0, 0, 1}), RegistryValue{}},
        {L"shortDword", REG_DWORD, bytes({1, 0}), RegistryValue{}},
    };
    for (const Case& c : cases) {
        rawSet(c.name, c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
        const std::string name = win32::WideToUtf8(c.name);
        EXPECT_EQ(store.QueryValue(key(), name), c.expected) << name;
    }
}

TEST_F(RegistryStoreTest, AMissingValueOrNoKeyIsNothing) {
    EXPECT_EQ(store.QueryValue(key(), "NotThere"), std::nullopt);
    EXPECT_EQ(store.QueryValue(0, "NotThere"), std::nullopt);
    // A NUL would name another value.
    ASSERT_TRUE(store.SetValue(key(), "Fs", RegistryValue::Integer(3)));
    EXPECT_EQ(store.QueryValue(key(), std::string("Fs\0x", 4)), std::nullopt);
    EXPECT_FALSE(store.SetValue(key(), std::string("Fs\0x", 4), RegistryValue::Integer(1)));
    EXPECT_EQ(store.QueryValue(key(), "Fs"), RegistryValue::Integer(3));
}

TEST_F(RegistryStoreTest, ARefusedWriteIsReportedAsOne) {
    EXPECT_FALSE(store.SetValue(0, "Fs", RegistryValue::Integer(1)));
    EXPECT_FALSE(store.SetValue(key(), "Fs", RegistryValue{}));  // no kind to write it as
    // A key that is open for reading only, as a user without write access has it.
    HKEY readOnly = nullptr;
    key();
    ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTestSubKey, 0, KEY_READ, &readOnly),
              ERROR_SUCCESS);
    EXPECT_FALSE(
        store.SetValue(reinterpret_cast<RegKey>(readOnly), "Fs", RegistryValue::Integer(1)));
    ::RegCloseKey(readOnly);
    EXPECT_EQ(store.QueryValue(key(), "Fs"), std::nullopt);
}

// --- The store's read rules over the registry -------------------------------------------------

TEST_F(RegistryStoreTest, TheReadRulesHoldOverTheRegistry) {
    ASSERT_TRUE(store.SetValue(key(), "Duration", RegistryValue::Text("7,5")));
    ASSERT_TRUE(store.SetValue(key(), "FormX", RegistryValue::Integer(-1280)));
    ASSERT_TRUE(store.SetValue(key(), "Loop", RegistryValue::Integer(0)));
    ASSERT_TRUE(store.SetValue(key(), "Welcome", RegistryValue::Integer(7)));
    const BYTE binary[] = {1, 0, 0, 0};
    rawSet(L"Binary", REG_BINARY, binary, sizeof binary);

    persistence::IRegistry& reg = store;
    EXPECT_EQ(persistence::ReadText(reg, key(), "Duration"), "7,5");
    EXPECT_EQ(persistence::ReadText(reg, key(), "Missing"), "");
    EXPECT_THROW(persistence::ReadText(reg, key(), "FormX"), ESettingsReadError);
    EXPECT_THROW(persistence::ReadText(reg, key(), "Binary"), ESettingsReadError);

    EXPECT_EQ(persistence::ReadInteger(reg, key(), "FormX"), -1280);
    EXPECT_THROW(persistence::ReadInteger(reg, key(), "Missing"), ESettingsReadError);
    EXPECT_THROW(persistence::ReadInteger(reg, key(), "Duration"), ESettingsReadError);
    EXPECT_THROW(persistence::ReadInteger(reg, key(), "Binary"), ESettingsReadError);

    EXPECT_FALSE(persistence::ReadFlag(reg, key(), "Loop"));
    EXPECT_TRUE(persistence::ReadFlag(reg, key(), "Welcome"));

    // A key that did not open.
    const RegKey missing = store.OpenKey("\\Software\\Halvane\\Vimbrel Pulse Generator Missing");
    ASSERT_EQ(missing, 0u);
    EXPECT_EQ(persistence::ReadText(reg, missing, "Duration"), "");
    EXPECT_THROW(persistence::ReadInteger(reg, missing, "FormX"), ESettingsReadError);
    EXPECT_THROW(persistence::WriteText(reg, missing, "Duration", "1"), ESettingsWriteError);
}

// --- The whole program through the registry ---------------------------------------------------

// The program's own key path, sent to the test key.
class TestKeyRegistry final : public persistence::IRegistry {
public:
    explicit TestKeyRegistry(persistence::IRegistry& inner) : inner_(inner) {}
    RegKey OpenKey(const std::string& path) override { return inner_.OpenKey(map(path)); }
    RegKey CreateKey(const std::string& path) override { return inner_.CreateKey(map(path)); }
    std::optional<RegistryValue> QueryValue(RegKey key, const std::string& name) override {
        return inner_.QueryValue(key, name);
    }
    bool SetValue(RegKey key, const std::string& name, const RegistryValue& value) override {
        return inner_.SetValue(key, name, value);
    }
    void CloseKey(RegKey key) override { inner_.CloseKey(key); }

private:
    static std::string map(const std::string& path) {
        return path == vpg::ProgramKey() ? kTestKeyPath : path;
    }
    persistence::IRegistry& inner_;
};

// The program on the headless platform, with the registry store in place of the memory one.
struct ProgramOnRegistry {
    explicit ProgramOnRegistry(persistence::IRegistry& registry)
        : platform{hp.loop,  hp.dialogs, hp.waveOut, hp.memory,  registry,
                   hp.shell, hp.hotKey,  '.',        "/opt/vpg/"} {}
    vpg::TfrmGenerator& gen() { return *program.frmGenerator; }

    doubles::HeadlessPlatform hp;
    vpg::Platform platform;
    vpg::Program program{platform, hp.timing};
};

TEST_F(RegistryStoreTest, TheProgramsCloseAndNextStartGoThroughTheRegistry) {
    TestKeyRegistry registry(store);
    ASSERT_TRUE(store.SetValue(key(), "Welcome", RegistryValue::Integer(1)));
    const std::string typed = "7,5 \xC3\xBC";  // typed into Duration and not left
    std::string frequency;
    {
        ProgramOnRegistry first(registry);
        first.program.Startup();
        first.program.ShowMainWindow();
        vpg::TfrmGenerator& g = first.gen();
        g.fInitLeft.userTyped("440,5");
        g.btnPause.userFocused();
        g.Left = -1280;
        g.Top = -20;
        g.Duration.userTyped(typed);
        frequency = g.fInitLeft.Text();
        ASSERT_TRUE(g.Close());
        EXPECT_TRUE(first.hp.dialogs.messages().empty());
    }
    EXPECT_EQ(rawGet(L"fInitLeft").type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(rawGet(L"FormX").type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(rawGet(L"Loop").type, static_cast<DWORD>(REG_DWORD));

    ProgramOnRegistry second(registry);
    second.program.Startup();
    vpg::TfrmGenerator& h = second.gen();
    EXPECT_NE(frequency, "100");
    EXPECT_EQ(h.fInitLeft.Text(), frequency);
    // The typed text went through the registry as it was; loading it, the field's rule makes
    // it a duration that plays.
    EXPECT_EQ(store.QueryValue(key(), "Duration"), RegistryValue::Text(typed));
    EXPECT_EQ(h.Duration.Text(), "1");
    EXPECT_EQ(h.Left, -1280);
    EXPECT_EQ(h.Top, -20);
    EXPECT_TRUE(h.Loop.Checked());
}

// --- The user's key beside the machine's -----------------------------------------------------

// A root of the test's own below `hive`; `writable` false: opened for reading only, as a
// standard user has HKEY_LOCAL_MACHINE.
HKEY TestRoot(HKEY hive, bool writable) {
    HKEY made = nullptr;
    ::RegCreateKeyExW(hive, kRootsSubKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, &made, nullptr);
    if (made != nullptr) ::RegCloseKey(made);
    HKEY root = nullptr;
    ::RegOpenKeyExW(hive, kRootsSubKey, 0, writable ? KEY_ALL_ACCESS : KEY_READ, &root);
    return root;
}

// The value below `root` past the store; REG_NONE when missing.
DWORD KindBelow(HKEY root, const wchar_t* name) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, kTestSubKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return REG_NONE;
    DWORD type = REG_NONE;
    if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
        type = REG_NONE;
    ::RegCloseKey(key);
    return type;
}

TEST_F(RegistryStoreTest, TheUsersOwnValueIsReadFirstAndTheMachinesFillsIn) {
    const HKEY machine = TestRoot(HKEY_LOCAL_MACHINE, true);
    const HKEY user = TestRoot(HKEY_CURRENT_USER, true);
    ASSERT_NE(machine, nullptr);
    ASSERT_NE(user, nullptr);
    {
        RegistryStore admin(machine, user);  // an administrator's settings, in the machine's key
        const RegKey k = admin.CreateKey(kTestKeyPath);
        ASSERT_TRUE(admin.SetValue(k, "Fs", RegistryValue::Integer(3)));
        ASSERT_TRUE(admin.SetValue(k, "Duration", RegistryValue::Text("5")));
        admin.CloseKey(k);
    }
    EXPECT_EQ(KindBelow(machine, L"Fs"), static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(KindBelow(user, L"Fs"), static_cast<DWORD>(REG_NONE));
    HKEY own = nullptr;
    ASSERT_EQ(
        ::RegCreateKeyExW(user, kTestSubKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &own, nullptr),
        ERROR_SUCCESS);
    const wchar_t seven[] = L"7";
    ::RegSetValueExW(own, L"Duration", 0, REG_SZ, reinterpret_cast<const BYTE*>(seven),
                     sizeof seven);
    ::RegCloseKey(own);
    RegistryStore both(machine, user);
    const RegKey k = both.OpenKey(kTestKeyPath);
    ASSERT_NE(k, 0u);
    EXPECT_EQ(both.QueryValue(k, "Duration"), RegistryValue::Text("7"));
    EXPECT_EQ(both.QueryValue(k, "Fs"), RegistryValue::Integer(3));
    // Once the user's key exists, the writes go there.
    EXPECT_TRUE(both.SetValue(k, "Loop", RegistryValue::Integer(1)));
    both.CloseKey(k);
    EXPECT_EQ(KindBelow(user, L"Loop"), static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(KindBelow(machine, L"Loop"), static_cast<DWORD>(REG_NONE));
    ::RegCloseKey(machine);
    ::RegCloseKey(user);
}

// Gives the key below `root` a DACL that lets everybody read it and, unless `writable`,
// nobody write it: a standard user's HKEY_LOCAL_MACHINE.
bool SetWritable(HKEY root, bool writable) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, kTestSubKey, 0, READ_CONTROL | WRITE_DAC, &key) != ERROR_SUCCESS)
        return false;
    PSECURITY_DESCRIPTOR sd = nullptr;
    const wchar_t* sddl = writable ? L"D:(A;;KA;;;WD)" : L"D:(D;;0x6;;;WD)(A;;KA;;;WD)";
    bool ok = ::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd,
                                                                     nullptr) != 0;
    ok = ok && ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd) == ERROR_SUCCESS;
    if (sd != nullptr) ::LocalFree(sd);
    ::RegCloseKey(key);
    return ok;
}

TEST_F(RegistryStoreTest, AMachineKeyTheUserMayOnlyReadIsReadAndTheSaveGoesToTheUsersKey) {
    const HKEY machine = TestRoot(HKEY_LOCAL_MACHINE, true);
    const HKEY user = TestRoot(HKEY_CURRENT_USER, true);
    {
        RegistryStore admin(machine, user);
        const RegKey k = admin.CreateKey(kTestKeyPath);
        ASSERT_TRUE(admin.SetValue(k, "Fs", RegistryValue::Integer(2)));
        admin.CloseKey(k);
    }
    ASSERT_TRUE(SetWritable(machine, false));
    HKEY probe = nullptr;
    const bool enforced = ::RegOpenKeyExW(machine, kTestSubKey, 0, KEY_SET_VALUE, &probe) != 0;
    if (probe != nullptr) ::RegCloseKey(probe);
    if (!enforced) {
        SetWritable(machine, true);
        GTEST_SKIP() << "this system does not enforce the key's access list";
    }
    RegistryStore standard(machine, user);
    RegKey k = standard.OpenKey(kTestKeyPath);
    ASSERT_NE(k, 0u);
    EXPECT_EQ(standard.QueryValue(k, "Fs"), RegistryValue::Integer(2));
    // A notice's flag through the key opened for reading.
    EXPECT_TRUE(standard.SetValue(k, "Welcome", RegistryValue::Integer(1)));
    standard.CloseKey(k);
    k = standard.CreateKey(kTestKeyPath);
    ASSERT_NE(k, 0u);
    EXPECT_TRUE(standard.SetValue(k, "Duration", RegistryValue::Text("5")));
    EXPECT_EQ(standard.QueryValue(k, "Fs"), RegistryValue::Integer(2));
    standard.CloseKey(k);
    EXPECT_TRUE(SetWritable(machine, true));
    EXPECT_EQ(KindBelow(user, L"Welcome"), static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(KindBelow(user, L"Duration"), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(KindBelow(machine, L"Duration"), static_cast<DWORD>(REG_NONE));
    ::RegCloseKey(machine);
    ::RegCloseKey(user);
}

// The flash lock's box on the main window's native window: a click of the person ticks it,
// and the close stores it as a REG_DWORD that the next start reads back.
TEST_F(RegistryStoreTest, TheFlashLockBoxClickedIsStoredAsADwordAndComesBack) {
    TestKeyRegistry registry(store);
    ASSERT_TRUE(store.SetValue(key(), "Welcome", RegistryValue::Integer(1)));
    {
        ProgramOnRegistry first(registry);
        win32::Views windows(first.program.Application, ::GetModuleHandleW(nullptr));
        first.program.formCreated = [&windows](ui::Form& f) { windows.formCreated(f); };
        first.program.formDestroyed = [&windows](ui::Form& f) { windows.formDestroyed(f); };
        first.program.Startup();
        first.program.ShowMainWindow();
        vpg::TfrmGenerator& g = first.gen();
        const HWND box = windows.find(&g)->viewOf(&g.chkFlashLock)->hwnd();
        wchar_t text[64] = {};
        ::GetWindowTextW(box, text, 64);
        EXPECT_EQ(std::wstring(text), L"Lock flashes to the sine");
        ASSERT_FALSE(g.chkFlashLock.Checked());
        ::SendMessageW(box, BM_CLICK, 0, 0);
        EXPECT_TRUE(g.chkFlashLock.Checked());
        EXPECT_TRUE(g.Parameters.FlashLock);
        EXPECT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
        ASSERT_TRUE(g.Close());
        first.program.formDestroyed = nullptr;
    }
    const RawValue stored = rawGet(L"FlashLock");
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_DWORD));
    ASSERT_EQ(stored.data.size(), 4u);
    EXPECT_EQ(stored.data[0], 1);

    ProgramOnRegistry second(registry);
    second.program.Startup();
    EXPECT_TRUE(second.gen().chkFlashLock.Checked());
}

}  // namespace
