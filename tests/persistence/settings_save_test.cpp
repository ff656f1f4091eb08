// Exit's save through the settings file: one replace of the file, whatever interrupts it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "persistence/reg_file.h"
#include "platform/posix/file_registry.h"
#include "shell/generator_form.h"
#include "shell/startup.h"
#include "support/doubles/headless_platform.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ReadFileText;
using testing_support::WriteFileText;

struct Folder : testing_support::TempFolder {
    Folder() : TempFolder("vpg-save") {}
};

// Counts the replaces of the file and passes them on to the real one.
class CountingReplacer final : public posix::FileReplacer {
public:
    bool replace(const std::string& path, const std::string& content) override {
        ++count;
        return real.replace(path, content);
    }
    int count = 0;
    posix::AtomicFileReplacer real;
};

// The whole program on the headless platform, with its settings in a real file.
struct ProgramOnFile {
    explicit ProgramOnFile(const std::string& path, posix::FileReplacer* replacer = nullptr)
        : registry(path, replacer) {}
    doubles::HeadlessPlatform hp;
    posix::FileRegistry registry;
    vpg::Platform platform{hp.loop,  hp.dialogs, hp.waveOut, hp.memory,  registry,
                           hp.shell, hp.hotKey,  '.',        "/opt/vpg/"};
    vpg::Program program{platform, hp.timing};
    vpg::TfrmGenerator& gen() { return *program.frmGenerator; }
    void start() {
        program.Startup();
        program.ShowMainWindow();
    }
};

// Puts a recognisable value into every stored control; `n` tells the sets apart.
void SetEveryValue(vpg::TfrmGenerator& g, int n) {
    const std::string s = std::to_string(n);
    g.fInitLeft.setText("1" + s);
    g.fFinalLeft.setText("2" + s);
    g.AmplitudeLeft.setText("-1" + s);
    g.AmplitudeRight.setText("-2" + s);
    g.PhaseEdit.setText("3" + s);
    g.txtPulseLength.setText("4" + s);
    g.Duration.setText("5" + s);
    g.MinFreqEdit.setText("6" + s);
    g.MaxFreqEdit.setText("7" + s);
    g.txtRound.setText("8" + s);
    g.Loop.setChecked(n % 2 == 0);
    g.LogarithmicLeft.setChecked(n % 2 == 0);
    g.BidirectionalLeft.setChecked(n % 2 != 0);
    g.PresetRecallAutostart1.setChecked(n % 2 != 0);
    g.FreqSliderRight.setPosition(n % 2 == 0 ? 40 : -40);
    g.setLeft(100 + n);
    g.setTop(200 + n);
}

const std::string kWelcomeSeen =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Halvane\\Vimbrel Pulse Generator]\n"
    "\"Welcome\"=dword:00000001\n";

// The settings file of a program that has shown its welcome once, in a folder of its own.
struct WelcomeSeenFile : Folder {
    WelcomeSeenFile() { WriteFileText(file, kWelcomeSeen); }
    const fs::path file = path / "settings.reg";
};

// A program started on that file whose saves go through `Replacer`.
template <class Replacer>
struct StartedOnFile {
    StartedOnFile() { p.start(); }
    const WelcomeSeenFile settings;
    const fs::path& path = settings.file;
    Replacer replacer;
    ProgramOnFile p{path.string(), &replacer};
};

TEST(SettingsSave, ExitsSaveReplacesTheFileOnce) {
    StartedOnFile<CountingReplacer> s;
    auto& [settings, path, replacer, p] = s;
    const int before = replacer.count;
    SetEveryValue(p.gen(), 3);
    p.gen().Exit1Click(nullptr);
    EXPECT_FALSE(p.program.Running());
    EXPECT_EQ(replacer.count - before, 1);
    const auto saved = persistence::ParseRegFile(ReadFileText(path));
    ASSERT_TRUE(saved);
    const auto& key = saved->keys.at(vpg::ProgramKey());
    EXPECT_EQ(key.at("Duration").value, persistence::RegistryValue::Text("53"));
    EXPECT_EQ(key.at("txtRound").value, persistence::RegistryValue::Text("83"));
    EXPECT_EQ(key.at("Welcome").value, persistence::RegistryValue::Integer(1));
}

// A save that cannot be stored stores nothing, and the user hears of it.
class RefusingReplacer final : public posix::FileReplacer {
public:
    bool replace(const std::string&, const std::string&) override {
        ++count;
        return false;
    }
    int count = 0;
};

TEST(SettingsSave, ARefusedSaveStoresNothingAndKeepsTheWindowOpen) {
    StartedOnFile<RefusingReplacer> s;
    auto& [settings, path, replacer, p] = s;
    SetEveryValue(p.gen(), 5);
    p.hp.dialogs.answerQuestion(ui::mrNo);
    p.gen().Exit1Click(nullptr);
    EXPECT_TRUE(p.program.Running());
    EXPECT_EQ(replacer.count, 1);
    EXPECT_EQ(ReadFileText(path), kWelcomeSeen);
    ASSERT_FALSE(p.hp.dialogs.messages().empty());
    EXPECT_EQ(p.hp.dialogs.messages().front(), "Failed to set data for 'fInitLeft'");
}

// One broken line in the file: that value takes its default, every other one comes back, and
// the window says once which file it was and where its old copy is.
TEST(SettingsSave, ABrokenLineInTheFileCostsOneValueAndIsSaidOnce) {
    const WelcomeSeenFile settings;
    const fs::path& path = settings.file;
    {
        ProgramOnFile first(path.string());
        first.start();
        SetEveryValue(first.gen(), 3);
        first.gen().Exit1Click(nullptr);
    }
    std::string text = ReadFileText(path);
    const std::string good = "\"Duration\"=\"53\"";
    const auto at = text.find(good);
    ASSERT_NE(at, std::string::npos);
    text.erase(at + good.size() - 1, 1);  // the closing quote
    WriteFileText(path, text);

    ProgramOnFile p(path.string());
    p.start();
    vpg::TfrmGenerator& g = p.gen();
    EXPECT_EQ(g.Duration.Text(), "10");
    EXPECT_EQ(g.fInitLeft.Text(), "13");
    EXPECT_EQ(g.txtRound.Text(), "83");
    EXPECT_EQ(g.Left, 103);
    EXPECT_TRUE(g.PresetRecallAutostart1.Checked());
    const auto messages = p.hp.dialogs.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(path.string() + ": 1 line"), std::string::npos) << messages[0];
    EXPECT_NE(messages[0].find("kept as " + path.string() + ".unreadable."), std::string::npos)
        << messages[0];
    EXPECT_EQ(ReadFileText(path.string() + ".unreadable"), text);
    // The Welcome box did not greet the user as new.
    for (const auto& call : p.hp.dialogs.calls)
        EXPECT_NE(call.kind, doubles::ScriptedDialogs::Kind::Notice);
}

// Starts the program on `path` in a child, puts set `n` into it and runs Exit. The child
// writes one byte into `ready` just before the save begins.
pid_t SaveInChild(const fs::path& path, int n, int ready) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    {
        ProgramOnFile p(path.string());
        p.start();
        SetEveryValue(p.gen(), n);
        const char byte = 's';
        if (::write(ready, &byte, 1) != 1) ::_exit(3);
        p.gen().Exit1Click(nullptr);
    }
    ::_exit(0);
}

// The settings and every file beside them, after the program has started once more.
struct Outcome {
    std::string settings;
    int strayFiles = 0;
};

Outcome Look(const fs::path& path) {
    {
        ProgramOnFile next(path.string());
        next.registry.CloseKey(next.registry.OpenKey(vpg::ProgramKey()));
    }
    Outcome o{ReadFileText(path), 0};
    for (const auto& e : fs::directory_iterator(path.parent_path()))
        if (e.path() != path) ++o.strayFiles;
    return o;
}

int KillTrials() {
    const char* n = std::getenv("VPG_KILL_TRIALS");
    return n && std::atoi(n) > 0 ? std::atoi(n) : 10;
}

// kill -9 at random moments of Exit's save: every time the file is either the old one or the
// new one, whole, and the next start leaves no temporary beside it.
TEST(SettingsSave, AKilledSaveLeavesTheOldFileOrTheNewOneAndNoTemporary) {
    Folder dir;
    const fs::path path = dir.path / "settings.reg";
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const auto saveWhole = [&](int n) {
        const auto began = std::chrono::steady_clock::now();
        const pid_t pid = SaveInChild(path, n, pipeFds[1]);
        char byte = 0;
        EXPECT_EQ(::read(pipeFds[0], &byte, 1), 1);
        const auto saving = std::chrono::steady_clock::now();
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        (void)began;
        return std::chrono::steady_clock::now() - saving;
    };
    WriteFileText(path, kWelcomeSeen);
    saveWhole(2);
    const std::string oldFile = ReadFileText(path);
    // How long a whole save takes from the byte on: the kills fall within it.
    auto longest = saveWhole(1);
    const std::string newFile = ReadFileText(path);
    for (int i = 0; i < 2; ++i) {
        WriteFileText(path, oldFile);
        longest = std::max(longest, saveWhole(1));
    }
    ASSERT_NE(oldFile, newFile);
    ASSERT_EQ(ReadFileText(path), newFile);
    const long span =
        std::chrono::duration_cast<std::chrono::microseconds>(longest).count() * 6 / 5 + 1;

    std::mt19937 random(::testing::UnitTest::GetInstance()->random_seed());
    int oldCount = 0, newCount = 0, mixed = 0, stray = 0;
    const int trials = KillTrials();
    for (int trial = 0; trial < trials; ++trial) {
        WriteFileText(path, oldFile);
        const pid_t pid = SaveInChild(path, 1, pipeFds[1]);
        char byte = 0;
        ASSERT_EQ(::read(pipeFds[0], &byte, 1), 1);
        const long wait = std::uniform_int_distribution<long>(0, span)(random);
        const timespec pause{wait / 1000000, (wait % 1000000) * 1000};
        ::nanosleep(&pause, nullptr);
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        const Outcome o = Look(path);
        if (o.settings == oldFile)
            ++oldCount;
        else if (o.settings == newFile)
            ++newCount;
        else
            ++mixed;
        if (o.strayFiles) ++stray;
        for (const auto& e : fs::directory_iterator(dir.path))
            if (e.path() != path) fs::remove(e.path());
    }
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    std::printf("%d kills within %ld us of the save: %d old, %d new, %d mixed, %d left files\n",
                trials, span, oldCount, newCount, mixed, stray);
    EXPECT_EQ(mixed, 0);
    EXPECT_EQ(stray, 0);
    EXPECT_EQ(oldCount + newCount, trials);
}

}  // namespace
