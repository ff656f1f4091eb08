// Start-up and shut-down: the splash on the virtual clock, the order in which the windows come up
// and load their state, the main window's set-up and activation, and the order of the close.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/headless_program.h"

namespace {

using doubles::ScriptedDialogs;
using persistence::RegistryValue;
using portable::MemoryRegistry;
using testing_support::HeadlessProgram;

constexpr const char* kWelcomeText =
    "Welcome to Vimbrel Pulse Generator! Would you like to see the introduction to this program?";
constexpr const char* kNoSoundcard = "No Soundcard driver found. No sound output possible.";
constexpr const char* kHelpFile = "/opt/vpg/vpg.chm";

MemoryRegistry::Values& programKey(HeadlessProgram& p) {
    return p.hp.registry.keys[vpg::ProgramKey()];
}

// --- A program whose registry and hot key report what the program state is at each call ---------

// What the program looked like at one call of the registry or the hot key.
struct Event {
    std::string call;
    bool about = false, settings = false, display = false;
    int sampleRate = 0;
    std::string firstSlotStart;  // the start frequency held by memory slot 1
    bool outputActive = false;
    bool deviceOpen = false;
    bool hotKeyHeld = false;
};

class SpyRegistry final : public persistence::IRegistry {
public:
    SpyRegistry(persistence::IRegistry& inner, std::function<void(const std::string&)> note)
        : inner_(inner), note_(std::move(note)) {}
    persistence::RegKey OpenKey(const std::string& path) override {
        note_("OpenKey");
        return inner_.OpenKey(path);
    }
    persistence::RegKey CreateKey(const std::string& path) override {
        note_("CreateKey");
        return inner_.CreateKey(path);
    }
    std::optional<persistence::RegistryValue> QueryValue(persistence::RegKey key,
                                                         const std::string& name) override {
        return inner_.QueryValue(key, name);
    }
    bool SetValue(persistence::RegKey key, const std::string& name,
                  const persistence::RegistryValue& value) override {
        return inner_.SetValue(key, name, value);
    }
    void CloseKey(persistence::RegKey key) override {
        note_("CloseKey");
        inner_.CloseKey(key);
    }

private:
    persistence::IRegistry& inner_;
    std::function<void(const std::string&)> note_;
};

class SpyHotKey final : public ui::IHotKey {
public:
    SpyHotKey(ui::IHotKey& inner, std::function<void(const std::string&)> note)
        : inner_(inner), note_(std::move(note)) {}
    bool RegisterHotKey(ui::MessageTarget* window, int id, ui::ShiftState modifiers,
                        std::uint16_t key) override {
        note_("RegisterHotKey");
        return inner_.RegisterHotKey(window, id, modifiers, key);
    }
    void UnregisterHotKey(ui::MessageTarget* window, int id) override {
        note_("UnregisterHotKey");
        inner_.UnregisterHotKey(window, id);
    }

private:
    ui::IHotKey& inner_;
    std::function<void(const std::string&)> note_;
};

struct SpiedProgram {
    SpiedProgram() { hp.registry.keys[vpg::ProgramKey()]["Welcome"] = RegistryValue::Integer(1); }

    void note(const std::string& call) {
        Event e;
        e.call = call;
        e.about = program.frmAbout != nullptr;
        e.settings = program.frmSettings != nullptr;
        e.display = program.frmFrequencyDisplay != nullptr;
        if (vpg::TfrmGenerator* g = program.frmGenerator.get()) {
            e.sampleRate = g->Parameters.SampleRate;
            e.firstSlotStart = g->Presets[0].fInitLeft;
            e.outputActive = g->AudioOut1->Active;
        }
        e.deviceOpen = hp.waveOut.isOpen();
        e.hotKeyHeld = hp.hotKey.registered.count(1) != 0;
        events.push_back(e);
    }
    std::vector<Event> eventsNamed(const std::string& call) const {
        std::vector<Event> out;
        for (const Event& e : events)
            if (e.call == call) out.push_back(e);
        return out;
    }
    std::size_t indexOf(const std::string& call) const {
        for (std::size_t i = 0; i < events.size(); ++i)
            if (events[i].call == call) return i;
        return events.size();
    }
    vpg::TfrmGenerator& gen() { return *program.frmGenerator; }

    doubles::HeadlessPlatform hp;
    std::vector<Event> events;
    SpyRegistry registry{hp.registry, [this](const std::string& c) { note(c); }};
    SpyHotKey hotKey{hp.hotKey, [this](const std::string& c) { note(c); }};
    vpg::Platform platform{hp.loop,  hp.dialogs, hp.waveOut, hp.memory,  registry,
                           hp.shell, hotKey,     '.',        "/opt/vpg/"};
    vpg::Program program{platform, hp.timing};
};

// --- The order of creation ----------------------------------------------------------------------

TEST(Startup, WindowsAreCreatedInOrderAndEachLoadsItsPart) {
    SpiedProgram s;
    // A complete key of a program that ran at 44100 Hz, with frequencies above 11025 Hz.
    HeadlessProgram previous;
    previous.hp.registry.keys[vpg::ProgramKey()]["Fs"] = RegistryValue::Integer(3);
    previous.start();
    previous.gen().MaxFreqEdit.userTyped("20000");
    previous.gen().fInitLeft.userTyped("15000");
    previous.gen().btnPause.userFocused();
    ASSERT_TRUE(previous.gen().Close());
    s.hp.registry.keys = previous.hp.registry.keys;
    s.program.Startup();

    // Three loads open the key: the welcome notice in the main window's set-up, the output
    // settings window, and the settings load of the display window.
    const std::vector<Event> opens = s.eventsNamed("OpenKey");
    ASSERT_EQ(opens.size(), 3u);
    EXPECT_FALSE(opens[0].about || opens[0].settings || opens[0].display);
    EXPECT_TRUE(opens[1].about && opens[1].settings);
    EXPECT_FALSE(opens[1].display);
    EXPECT_TRUE(opens[2].about && opens[2].settings && opens[2].display);
    // The sampling rate is set by the time the settings load.
    EXPECT_EQ(opens[2].sampleRate, 44100);

    // The load closes the key before the slots are seeded; they hold the loaded values after.
    const std::vector<Event> closes = s.eventsNamed("CloseKey");
    ASSERT_EQ(closes.size(), 3u);
    EXPECT_EQ(closes[2].firstSlotStart, "");
    for (const vpg::MemoryPreset& m : s.gen().Presets) EXPECT_EQ(m.fInitLeft, "15000");

    // Loaded at 44100 Hz: values above the 11025 Hz limit are taken without a notice.
    EXPECT_TRUE(s.hp.dialogs.calls.empty());
    EXPECT_EQ(s.gen().fInitLeft.Text(), "15000");
    EXPECT_EQ(s.gen().MaxFreqEdit.Text(), "20000");
    EXPECT_EQ(s.gen().frmAbout, s.program.frmAbout.get());
    EXPECT_EQ(s.gen().frmSettings, s.program.frmSettings.get());
    EXPECT_EQ(s.gen().frmFrequencyDisplay, s.program.frmFrequencyDisplay.get());
    EXPECT_EQ(s.program.Application.MainForm, &s.gen());
}

TEST(Startup, TheHotKeyIsRegisteredOnceForTheMainWindow) {
    SpiedProgram s;
    s.program.Startup();
    s.program.ShowMainWindow();
    EXPECT_EQ(s.eventsNamed("RegisterHotKey").size(), 1u);
    ASSERT_EQ(s.hp.hotKey.registered.count(1), 1u);
    const auto& r = s.hp.hotKey.registered.at(1);
    EXPECT_EQ(r.window, &s.gen());
    EXPECT_EQ(r.key, ui::VK_INSERT);
    EXPECT_EQ(r.modifiers, (ui::ShiftState{false, true, false}));
    // It toggles the output.
    ASSERT_TRUE(s.hp.hotKey.press(1));
    s.hp.loop.pumpAll();
    EXPECT_TRUE(s.gen().AudioOut1->Active);
}

TEST(Startup, AHotKeyHeldElsewhereFailsSilently) {
    HeadlessProgram p;
    p.hp.hotKey.heldElsewhere = true;
    p.start();
    EXPECT_TRUE(p.hp.dialogs.calls.empty());
    EXPECT_TRUE(p.program.Running());
    EXPECT_FALSE(p.hp.hotKey.press(1));
    // The rest of the program works: F11 starts the output.
    p.gen().userKeyDown(ui::VK_F11);
    p.pump();
    EXPECT_TRUE(p.gen().AudioOut1->Active);
}

// --- The splash ---------------------------------------------------------------------------------

std::vector<std::string> splashLog(int waitPasses) {
    std::vector<std::string> log;
    for (int i = 1; i <= 15; ++i) {
        log.push_back("opacity " + std::to_string(16 * i));
        log.push_back("sleep 20");
    }
    log.push_back("repaint");
    for (int i = 0; i < waitPasses; ++i) log.push_back("sleep 50");
    for (int i = 1; i <= 15; ++i) {
        log.push_back("opacity " + std::to_string(256 - 16 * i));
        log.push_back("sleep 20");
    }
    return log;
}

TEST(Startup, WithoutAClickTheSplashFadesInWaitsAndFadesOutInOneSecond) {
    HeadlessProgram p;
    long createdAt = -1;
    bool splashShownAtCreation = false;
    p.hp.dialogs.whileOpen = [&] {
        createdAt = p.hp.timing.now;
        splashShownAtCreation = p.program.splash && p.program.splash->Visible();
    };
    programKey(p).erase("Welcome");
    p.hp.dialogs.answerNotice(ui::mrNo, false);
    p.program.Startup();

    EXPECT_EQ(p.hp.timing.log, splashLog(8));
    EXPECT_EQ(p.hp.timing.now, 1000);
    // The welcome notice, raised while the main window is created, comes after the wait and
    // while the splash is still on the screen.
    EXPECT_EQ(createdAt, 700);
    EXPECT_TRUE(splashShownAtCreation);
    EXPECT_EQ(p.program.splash, nullptr);
    EXPECT_EQ(p.program.Application.Title(), "Vimbrel Pulse Generator");
}

TEST(Startup, AClickDuringTheWaitEndsItAfterTheCurrentPass) {
    for (const int pass : {1, 3, 7, 8}) {
        SCOPED_TRACE(pass);
        HeadlessProgram p;
        p.hp.timing.onProcessMessages = [&](long now) {
            if (now == 300 + 50 * pass && p.program.splash)
                p.program.splash->imgSplash.userClicked();
        };
        p.program.Startup();
        EXPECT_EQ(p.hp.timing.log, splashLog(pass));
        EXPECT_EQ(p.hp.timing.now, 300 + 50 * pass + 300);
    }
}

TEST(Startup, AClickDuringTheFadeInIsForgotten) {
    for (const long at : {20L, 160L, 300L}) {  // 300: the fade-in's last pass
        SCOPED_TRACE(at);
        HeadlessProgram p;
        int clicks = 0;
        p.hp.timing.onProcessMessages = [&](long now) {
            if (now == at && p.program.splash) {
                p.program.splash->imgSplash.userClicked();
                ++clicks;
            }
        };
        p.program.Startup();
        EXPECT_EQ(clicks, 1);
        EXPECT_EQ(p.hp.timing.log, splashLog(8));
    }
}

// --- The main window's set-up -------------------------------------------------------------------

TEST(Startup, TheWelcomeNoticeOffersTheIntroduction) {
    struct Case {
        const char* what;
        bool suppressed;
        int answer;
        std::vector<std::pair<std::string, int>> help;
    };
    const Case cases[] = {
        {"Yes", false, ui::mrYes, {{kHelpFile, 10}}},
        {"No", false, ui::mrNo, {}},
        {"suppressed", true, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HeadlessProgram p('.', c.suppressed);
        if (!c.suppressed) p.hp.dialogs.answerNotice(c.answer, false);
        p.start();
        const auto& calls = p.hp.dialogs.calls;
        if (c.suppressed) {
            EXPECT_TRUE(calls.empty());
        } else {
            ASSERT_EQ(calls.size(), 1u);
            EXPECT_EQ(calls[0].kind, ScriptedDialogs::Kind::Notice);
            EXPECT_EQ(calls[0].text, kWelcomeText);
            EXPECT_EQ(calls[0].caption, "Welcome");
            EXPECT_EQ(calls[0].buttons, unsigned{ui::mbYes | ui::mbNo});
        }
        EXPECT_EQ(p.hp.shell.help, c.help);
    }
}

TEST(Startup, WithoutASoundCardTheProgramSaysSoAndDisablesOn) {
    HeadlessProgram p('.', /*suppressWelcome=*/false);
    p.hp.waveOut.setDeviceNames({});
    p.hp.dialogs.answerNotice(ui::mrNo, false);
    p.start();
    const auto& calls = p.hp.dialogs.calls;
    ASSERT_EQ(calls.size(), 2u);
    // The device list is filled before the welcome notice.
    EXPECT_EQ(calls[0].kind, ScriptedDialogs::Kind::Message);
    EXPECT_EQ(calls[0].text, kNoSoundcard);
    EXPECT_EQ(calls[1].kind, ScriptedDialogs::Kind::Notice);
    EXPECT_FALSE(p.gen().btnON.Enabled());
    EXPECT_EQ(p.gen().WaveDevice.Items(), std::vector<std::string>{"Windows Default"});
    EXPECT_TRUE(p.program.Running());
}

TEST(Startup, TheHelpFileIsTheProgramFolderPlusVpgChm) {
    HeadlessProgram p;
    p.start();
    EXPECT_EQ(p.gen().HelpFilePath, kHelpFile);
    EXPECT_EQ(p.program.Application.HelpFile, kHelpFile);
}

TEST(Startup, TheWindowSizeIsFixedToItsContentAndTheLampSitsBesideOn) {
    HeadlessProgram p;
    p.start();
    vpg::TfrmGenerator& g = p.gen();
    EXPECT_EQ(g.ClientHeight, g.lblFS.Top + 2 * g.lblFS.Height);
    EXPECT_EQ(g.ClientWidth, static_cast<int>(std::nearbyint(g.lblBottomRight.Left +
                                                             1.2 * g.lblBottomRight.Width)));
    EXPECT_EQ(g.LED.Top, g.btnON.Top - 3);
    EXPECT_EQ(g.LED.Height, g.btnON.Height + 6);
}

TEST(Startup, ActivationShowsTheSamplingRateAndTheVersionInTheCaption) {
    struct Case {
        int fsIndex;
        const char* shown;
    };
    for (const Case& c : {Case{0, "fs=8kHz"}, Case{1, "fs=11.025kHz"}, Case{2, "fs=22.05kHz"},
                          Case{3, "fs=44.1kHz"}, Case{5, "fs=96kHz"}}) {
        SCOPED_TRACE(c.shown);
        HeadlessProgram p;
        programKey(p)["Fs"] = RegistryValue::Integer(c.fsIndex);
        p.program.Startup();
        EXPECT_EQ(p.gen().Caption(), "Vimbrel Pulse Generator");  // the designed caption
        p.program.ShowMainWindow();
        EXPECT_EQ(p.gen().lblFS.Caption(), c.shown);
        EXPECT_EQ(p.gen().Caption(), "Vimbrel Pulse Generator 1.2");
    }
}

TEST(Startup, ANewSamplingRateShowsWhenTheMainWindowIsActiveAgain) {
    HeadlessProgram p;
    p.start();
    vpg::TfrmGenerator& g = p.gen();
    g.userKeyDown('C', ui::ShiftState{false, true, false});  // Ctrl+C: the output settings
    ASSERT_TRUE(p.settings().Visible());
    p.settings().FsList.userSelected(4);  // 48000
    p.settings().Button1.userClicked();
    EXPECT_EQ(g.lblFS.Caption(), "fs=11.025kHz");
    g.Activate();
    EXPECT_EQ(g.lblFS.Caption(), "fs=48kHz");
}

// --- Shut-down ----------------------------------------------------------------------------------

TEST(Shutdown, CloseReleasesTheHotKeyStopsTheOutputThenSaves) {
    struct Case {
        const char* how;
        std::function<void(vpg::TfrmGenerator&)> close;
        bool activeAtRelease;  // Exit stops the output before the close begins
    };
    const Case cases[] = {
        {"close box", [](vpg::TfrmGenerator& g) { g.userClosed(); }, true},
        {"Exit (Ctrl+X)",
         [](vpg::TfrmGenerator& g) {
             g.userKeyDown('X', ui::ShiftState{false, true, false});
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        SpiedProgram s;
        s.program.Startup();
        s.program.ShowMainWindow();
        s.gen().btnONClick(nullptr);
        s.hp.loop.pumpAll();
        ASSERT_TRUE(s.gen().AudioOut1->Active);
        s.events.clear();

        c.close(s.gen());

        const std::size_t release = s.indexOf("UnregisterHotKey");
        const std::size_t save = s.indexOf("CreateKey");
        ASSERT_LT(release, s.events.size());
        ASSERT_LT(save, s.events.size());
        EXPECT_LT(release, save);
        EXPECT_EQ(s.events[release].outputActive, c.activeAtRelease);
        EXPECT_TRUE(s.events[release].hotKeyHeld);
        EXPECT_FALSE(s.events[save].outputActive);
        EXPECT_FALSE(s.events[save].deviceOpen);
        EXPECT_FALSE(s.events[save].hotKeyHeld);
        EXPECT_FALSE(s.program.Running());
        EXPECT_EQ(s.hp.registry.keys[vpg::ProgramKey()].count("txtRound"), 1u);
        EXPECT_TRUE(s.hp.dialogs.calls.empty());
    }
}

TEST(Shutdown, AFailedWriteKeepsTheProgramRunningWithItsHotKey) {
    HeadlessProgram p;
    p.start();
    p.render(100);
    p.hp.registry.denyCreate = true;
    p.hp.dialogs.answerQuestion(ui::mrNo);
    EXPECT_FALSE(p.gen().userClosed());
    p.pump();

    EXPECT_TRUE(p.program.Running());
    EXPECT_TRUE(p.gen().Visible());
    EXPECT_FALSE(p.gen().AudioOut1->Active);
    EXPECT_FALSE(p.hp.waveOut.isOpen());
    // The window that stays open keeps its system-wide toggle: Ctrl+Insert, id 1.
    ASSERT_EQ(p.hp.hotKey.registered.count(1), 1u);
    EXPECT_EQ(p.hp.hotKey.registered[1].key, ui::VK_INSERT);
    EXPECT_EQ(p.hp.hotKey.registered[1].modifiers, (ui::ShiftState{false, true, false}));
    EXPECT_TRUE(p.hp.hotKey.press(1));
    p.pump();
    EXPECT_TRUE(p.gen().AudioOut1->Active);
    EXPECT_TRUE(p.hp.hotKey.press(1));
    p.pump();
    EXPECT_FALSE(p.gen().AudioOut1->Active);
    // The window itself still works.
    p.gen().userKeyDown(ui::VK_F11);
    p.pump();
    EXPECT_TRUE(p.gen().AudioOut1->Active);
}

}  // namespace

TEST(Startup, AFrontEndSeesEachWindowFromItsCreationToItsEnd) {
    std::vector<std::string> seen;
    {
        HeadlessProgram p;
        p.program.formCreated = [&](ui::Form& f) { seen.push_back("+" + f.Name); };
        p.program.formDestroyed = [&](ui::Form& f) { seen.push_back("-" + f.Name); };
        // The view exists before the window loads its settings or shows anything.
        p.program.formCreated = [&, created = p.program.formCreated](ui::Form& f) {
            created(f);
            if (f.Name == "frmGenerator") {
                EXPECT_TRUE(p.hp.dialogs.calls.empty());
            }
            EXPECT_FALSE(f.Visible());
        };
        p.start();
        EXPECT_EQ(seen, (std::vector<std::string>{"+frmStartSplash", "+frmGenerator", "+frmAbout",
                                                  "+frmSettings", "+frmFrequencyDisplay",
                                                  "-frmStartSplash"}));
        seen.clear();
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"-frmFrequencyDisplay", "-frmSettings", "-frmAbout",
                                              "-frmGenerator"}));
}

// The start that most tests build on: the stored list positions become the rate and the ring the
// next start hands to the output, the device list follows the device, and start-up says nothing the
// tests would have to skip.
TEST(Startup, At44100StartsFromTheStoredOutputSettings) {
    using testing_support::OutputAt44100;
    const struct {
        const char* name;
        OutputAt44100 output;
        std::int32_t buffers, bufferSize;
        std::vector<std::string> devices;
    } cases[] = {
        {"defaults", {}, 4, 16384, {"Fake Wave Device"}},
        {"largest buffers", {.bufferSizePosition = 4}, 4, 64536, {"Fake Wave Device"}},
        {"two buffers",
         {.bufferSizePosition = 1, .buffersPosition = 0},
         2,
         8192,
         {"Fake Wave Device"}},
        {"three devices",
         {.devices = {"Alpha", "Beta", "Gamma"}},
         4,
         16384,
         {"Alpha", "Beta", "Gamma"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::At44100 p(c.output);
        EXPECT_EQ(p.gen().Parameters.SampleRate, 44100);
        EXPECT_EQ(p.settings().SelectedBufferCount(), c.buffers);
        EXPECT_EQ(p.settings().SelectedBufferSize(), c.bufferSize);
        std::vector<std::string> devices{"Windows Default"};
        devices.insert(devices.end(), c.devices.begin(), c.devices.end());
        EXPECT_EQ(p.gen().WaveDevice.Items(), devices);
        EXPECT_TRUE(p.hp.dialogs.calls.empty());
    }
}
