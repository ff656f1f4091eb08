// The output settings window (sampling rate, buffer size and count, stored as list positions)
// and the main window's device list.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/headless_program.h"

namespace {

using doubles::FakeWaveOut;
using persistence::RegistryValue;
using testing_support::HeadlessProgram;

constexpr ui::ShiftState kCtrl{false, true, false};

std::map<std::string, RegistryValue>& programKey(HeadlessProgram& p) {
    return p.hp.registry.keys[vpg::ProgramKey()];
}

void storePositions(HeadlessProgram& p, int fs, int buffers, int bufferSize) {
    programKey(p)["Fs"] = RegistryValue::Integer(fs);
    programKey(p)["Buffers"] = RegistryValue::Integer(buffers);
    programKey(p)["BufferSize"] = RegistryValue::Integer(bufferSize);
}

bool playing(HeadlessProgram& p) {
    p.pump();
    return p.out().Active && p.hp.waveOut.isOpen();
}

// What the device was given at the last start: rate, buffers in the ring, bytes per buffer.
struct Opened {
    std::uint32_t rate;
    std::size_t buffers;
    std::uint32_t bytes;
    friend bool operator==(const Opened&, const Opened&) = default;
};
std::ostream& operator<<(std::ostream& os, const Opened& o) {
    return os << o.rate << " Hz, " << o.buffers << " x " << o.bytes;
}

Opened startAndObserve(HeadlessProgram& p) {
    p.hp.waveOut.clearCalls();
    p.gen().btnONClick(nullptr);
    p.pump();
    std::size_t writes = 0;
    std::uint32_t bytes = 0;
    for (const auto& c : p.hp.waveOut.calls())
        if (c.call == FakeWaveOut::Call::Write) ++writes, bytes = c.bytes;
    return {p.hp.waveOut.format().nSamplesPerSec, writes, bytes};
}

TEST(OutputSettingsLoad, FirstStartUses11025HzAndFourBuffersOf16384Bytes) {
    HeadlessProgram p;
    p.start();
    vpg::TfrmSettings& s = p.settings();
    EXPECT_EQ(s.FsList.Text(), "11025");
    EXPECT_EQ(s.Buffers.Text(), "4");
    EXPECT_EQ(s.BufferSize.Text(), "16384");
    EXPECT_EQ(p.gen().Parameters.SampleRate, 11025);
    EXPECT_EQ(p.gen().lblFS.Caption(), "fs=11.025kHz");
    EXPECT_EQ(startAndObserve(p), (Opened{11025, 4, 16384}));
    EXPECT_EQ(p.hp.waveOut.format().nChannels, 2);
    // Nothing is stored by the load itself.
    EXPECT_EQ(programKey(p).count("Fs"), 0u);
}

TEST(OutputSettingsLoad, StoredPositionsChooseRateAndBuffers) {
    HeadlessProgram p;
    storePositions(p, 3, 0, 4);
    p.start();
    EXPECT_EQ(p.gen().Parameters.SampleRate, 44100);
    EXPECT_DOUBLE_EQ(p.gen().Parameters.InitStepLeft, 100.0 / 44100);
    EXPECT_EQ(startAndObserve(p), (Opened{44100, 2, 64536}));
}

TEST(OutputSettingsLoad, PositionsOutsideTheirListsGiveTheCreationPositions) {
    const struct {
        int fs, buffers, bufferSize;
        Opened expected;
    } cases[] = {
        {6, 3, 5, {11025, 4, 16384}}, {-1, -1, -1, {11025, 4, 16384}}, {5, 3, 0, {96000, 4, 4096}},
        {99, 0, 1, {11025, 2, 8192}}, {0, 1, 77, {8000, 3, 16384}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fs << " " << c.buffers << " " << c.bufferSize);
        HeadlessProgram p;
        storePositions(p, c.fs, c.buffers, c.bufferSize);
        p.start();
        EXPECT_EQ(p.gen().Parameters.SampleRate, static_cast<std::int32_t>(c.expected.rate));
        EXPECT_EQ(startAndObserve(p), c.expected);
    }
}

TEST(OutputSettingsLoad, FsAloneIsNotEnoughForTheBufferValues) {
    // "Buffers" and "BufferSize" missing: the lists keep their creation positions.
    HeadlessProgram p;
    programKey(p)["Fs"] = RegistryValue::Integer(0);
    p.start();
    EXPECT_EQ(startAndObserve(p), (Opened{8000, 4, 16384}));
}

TEST(OutputSettingsChange, ANewRateStopsTheOutputAndClampsTheFrequencyFields) {
    const struct {
        int fromPosition, toPosition;
        const char *start, *final;
        const char *startAfter, *finalAfter;
    } cases[] = {
        // Strictly below half the new rate: 4000 Hz at 8000 Hz would be a silent sine.
        {1, 0, "5000", "3000", "3999", "3000"},   {4, 0, "20000", "4000", "3999", "3999"},
        {3, 1, "5512.5", "1000", "5512", "1000"}, {3, 1, "20000", "22050", "5512", "5512"},
        {1, 3, "5000", "3000", "5000", "3000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.toPosition << " " << c.start << " " << c.final);
        HeadlessProgram p;
        storePositions(p, c.fromPosition, 2, 2);
        p.start();
        vpg::TfrmGenerator& g = p.gen();
        g.fInitLeft.setText(c.start);
        g.fFinalLeft.setText(c.final);
        g.btnONClick(nullptr);
        ASSERT_TRUE(playing(p));
        g.Compatibilitysettings1Click(nullptr);
        ASSERT_FALSE(playing(p));
        g.btnONClick(nullptr);
        ASSERT_TRUE(playing(p));  // the window is open, the main window stays usable

        p.settings().FsList.userSelected(c.toPosition);
        EXPECT_FALSE(playing(p));
        EXPECT_EQ(g.LED.Brush(), ui::clMaroon);
        EXPECT_EQ(g.fInitLeft.Text(), c.startAfter);
        EXPECT_EQ(g.fFinalLeft.Text(), c.finalAfter);
        EXPECT_EQ(g.Parameters.SampleRate, std::stoi(p.settings().FsList.Text()));
    }
}

TEST(OutputSettingsChange, BufferChangesStopTheOutputAndApplyAtTheNextStart) {
    const struct {
        const char* list;
        int position;
        Opened next;
    } cases[] = {
        {"BufferSize", 0, {44100, 4, 4096}},
        {"BufferSize", 4, {44100, 4, 64536}},
        {"Buffers", 0, {44100, 2, 16384}},
        {"Buffers", 1, {44100, 3, 16384}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.list << " " << c.position);
        HeadlessProgram p;
        storePositions(p, 3, 2, 2);
        p.start();
        vpg::TfrmSettings& s = p.settings();
        p.gen().btnONClick(nullptr);
        ASSERT_TRUE(playing(p));
        (std::string(c.list) == "Buffers" ? s.Buffers : s.BufferSize).userSelected(c.position);
        EXPECT_FALSE(playing(p));
        EXPECT_EQ(startAndObserve(p), c.next);
        EXPECT_TRUE(playing(p));
    }
}

TEST(OutputSettingsWindow, OpeningTheWindowStopsAPlayingSignal) {
    const struct {
        const char* road;
        std::function<void(HeadlessProgram&)> open;
    } cases[] = {
        {"menu key Ctrl+C",
         [](HeadlessProgram& p) { EXPECT_TRUE(p.gen().userKeyDown('C', kCtrl)); }},
        {"menu", [](HeadlessProgram& p) { p.gen().Compatibilitysettings1.Click(); }},
        {"click on lblFS", [](HeadlessProgram& p) { p.gen().lblFS.userClicked(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.road);
        HeadlessProgram p;
        p.start();
        p.gen().btnONClick(nullptr);
        ASSERT_TRUE(playing(p));
        ASSERT_FALSE(p.settings().Visible());
        c.open(p);
        EXPECT_FALSE(playing(p));
        EXPECT_EQ(p.gen().LED.Brush(), ui::clMaroon);
        EXPECT_TRUE(p.settings().Visible());
        EXPECT_TRUE(p.gen().Enabled());
    }
}

TEST(OutputSettingsWindow, ClosingWritesTheThreePositionsAndRecomputes) {
    HeadlessProgram p;
    p.start();
    vpg::TfrmSettings& s = p.settings();
    p.gen().Compatibilitysettings1Click(nullptr);
    // Unchanged values are written all the same.
    ASSERT_TRUE(s.Close());
    EXPECT_EQ(programKey(p).at("Fs"), RegistryValue::Integer(1));
    EXPECT_EQ(programKey(p).at("Buffers"), RegistryValue::Integer(2));
    EXPECT_EQ(programKey(p).at("BufferSize"), RegistryValue::Integer(2));

    p.gen().Compatibilitysettings1Click(nullptr);
    s.FsList.userSelected(4);
    s.Buffers.userSelected(1);
    s.BufferSize.userSelected(3);
    // Nothing is stored, and the engine not recomputed, before the window closes.
    EXPECT_EQ(programKey(p).at("Fs"), RegistryValue::Integer(1));
    EXPECT_DOUBLE_EQ(p.gen().Parameters.InitStepLeft, 100.0 / 11025);
    s.Button1.userClicked();
    EXPECT_FALSE(s.Visible());
    EXPECT_EQ(programKey(p).at("Fs"), RegistryValue::Integer(4));
    EXPECT_EQ(programKey(p).at("Buffers"), RegistryValue::Integer(1));
    EXPECT_EQ(programKey(p).at("BufferSize"), RegistryValue::Integer(3));
    EXPECT_DOUBLE_EQ(p.gen().Parameters.InitStepLeft, 100.0 / 48000);
}

// Enter and Escape close the window as its Close button does (the positions written), from a
// list with the focus too; the Help button takes Enter itself when it has the focus.
TEST(OutputSettingsWindow, EnterAndEscapeCloseItLikeItsCloseButton) {
    struct Case {
        const char* what;
        std::uint16_t key;
        bool onHelpButton;
        bool closes;
    };
    const Case cases[] = {
        {"Enter in the rate list", ui::VK_RETURN, false, true},
        {"Escape in the rate list", ui::VK_ESCAPE, false, true},
        {"Escape on the Help button", ui::VK_ESCAPE, true, true},
        {"Enter on the Help button is Help's", ui::VK_RETURN, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HeadlessProgram p;
        p.start();
        vpg::TfrmSettings& s = p.settings();
        p.gen().Compatibilitysettings1Click(nullptr);
        s.FsList.userSelected(4);  // the list has the focus now
        if (c.onHelpButton) s.HelpButton.SetFocus();
        ASSERT_EQ(s.ActiveControl(), c.onHelpButton ? static_cast<ui::Control*>(&s.HelpButton)
                                                    : static_cast<ui::Control*>(&s.FsList));
        EXPECT_TRUE(s.userKeyDown(c.key));
        EXPECT_EQ(s.Visible(), !c.closes);
        if (c.closes) {
            EXPECT_EQ(programKey(p).at("Fs"), RegistryValue::Integer(4));
        } else {
            EXPECT_EQ(p.hp.shell.help.size(), 1u);
        }
    }
}

TEST(OutputSettingsWindow, ARefusedWriteNamesTheValueAndKeepsTheWindowOpen) {
    const struct {
        int writesAccepted;
        const char* message;
        std::vector<std::string> written;
    } cases[] = {
        {0, "Failed to set data for 'Fs'", {}},
        {1, "Failed to set data for 'Buffers'", {"Fs"}},
        {2, "Failed to set data for 'BufferSize'", {"Fs", "Buffers"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        HeadlessProgram p;
        p.start();
        p.hp.dialogs.calls.clear();
        vpg::TfrmSettings& s = p.settings();
        p.gen().Compatibilitysettings1Click(nullptr);
        s.FsList.userSelected(3);
        p.hp.registry.writesBeforeRefusal = c.writesAccepted;
        EXPECT_FALSE(s.Close());
        EXPECT_TRUE(s.Visible());
        ASSERT_EQ(p.hp.dialogs.calls.size(), 1u);
        EXPECT_EQ(p.hp.dialogs.calls[0].text, c.message);
        for (const char* name : {"Fs", "Buffers", "BufferSize"}) {
            const bool expected =
                std::find(c.written.begin(), c.written.end(), name) != c.written.end();
            EXPECT_EQ(programKey(p).count(name), expected ? 1u : 0u) << name;
        }
        EXPECT_EQ(p.hp.registry.openHandles(), 0);
    }
}

TEST(OutputSettingsWindow, TheRateLabelFollowsTheChoiceWhenTheMainWindowIsActivated) {
    const struct {
        char separator;
        int position;
        const char* label;
    } cases[] = {
        {'.', 3, "fs=44.1kHz"}, {'.', 0, "fs=8kHz"},    {'.', 1, "fs=11.025kHz"},
        {'.', 5, "fs=96kHz"},   {',', 3, "fs=44,1kHz"}, {',', 2, "fs=22,05kHz"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        HeadlessProgram p(c.separator);
        p.start();
        p.gen().Compatibilitysettings1Click(nullptr);
        p.settings().FsList.userSelected(c.position);
        p.settings().Close();
        p.gen().Activate();
        EXPECT_EQ(p.gen().lblFS.Caption(), c.label);
    }
}

TEST(OutputSettingsDevices, TheListNamesEveryDeviceAfterWindowsDefault) {
    HeadlessProgram p;
    p.hp.waveOut.setDeviceNames({"Speakers", "Headphones", "HDMI"});
    p.start();
    vpg::TfrmGenerator& g = p.gen();
    EXPECT_EQ(g.WaveDevice.Items(),
              (std::vector<std::string>{"Windows Default", "Speakers", "Headphones", "HDMI"}));
    EXPECT_EQ(g.WaveDevice.ItemIndex(), 0);
    EXPECT_EQ(p.out().WaveDevice(), audio::WAVE_MAPPER);

    g.WaveDevice.userSelected(2);
    EXPECT_EQ(p.out().WaveDevice(), 1u);
    g.btnONClick(nullptr);
    ASSERT_TRUE(playing(p));
    EXPECT_EQ(p.hp.waveOut.openedDeviceId(), 1u);
    // The selector is locked while the signal plays.
    EXPECT_FALSE(g.WaveDevice.Enabled());
    g.WaveDevice.userSelected(3);
    EXPECT_EQ(p.out().WaveDevice(), 1u);
}

// The registry a run leaves that chose "Headphones", the second of two devices, and saved.
std::map<std::string, portable::MemoryRegistry::Values> keysSavedWithHeadphones() {
    HeadlessProgram first;
    first.hp.waveOut.setDeviceNames({"Speakers", "Headphones"});
    first.start();
    first.gen().WaveDevice.userSelected(2);
    EXPECT_TRUE(first.gen().SaveSettings());
    EXPECT_EQ(programKey(first).at("WaveDevice"), RegistryValue::Integer(2));
    return first.hp.registry.keys;
}

TEST(OutputSettingsDevices, AStoredDeviceThatIsGoneFallsBackToTheSystemDefault) {
    // Every setting stored by a first run, then the device position moved past the list (a
    // device unplugged, or -1 saved by an older version).
    for (const std::int32_t stored : {5, 2, -1, 99999}) {
        SCOPED_TRACE(stored);
        HeadlessProgram p;
        p.hp.waveOut.setDeviceNames({"Speakers"});
        p.hp.registry.keys = keysSavedWithHeadphones();
        programKey(p)["WaveDevice"] = RegistryValue::Integer(stored);
        p.start();
        vpg::TfrmGenerator& g = p.gen();
        EXPECT_EQ(g.WaveDevice.ItemIndex(), 0);
        EXPECT_EQ(p.out().WaveDevice(), audio::WAVE_MAPPER);
        ASSERT_EQ(p.hp.dialogs.calls.size(), 1u);
        EXPECT_EQ(p.hp.dialogs.calls[0].text,
                  "The output device used last time is no longer available; the system "
                  "default is used instead.");
        p.hp.dialogs.calls.clear();

        g.btnONClick(nullptr);
        p.pump();
        EXPECT_TRUE(playing(p));
        EXPECT_TRUE(p.hp.dialogs.calls.empty());
    }
}

TEST(OutputSettingsDevices, AStoredDeviceStillInTheListIsUsedWithoutANotice) {
    HeadlessProgram again;
    again.hp.waveOut.setDeviceNames({"Speakers", "Headphones"});
    again.hp.registry.keys = keysSavedWithHeadphones();
    again.start();
    EXPECT_EQ(again.gen().WaveDevice.ItemIndex(), 2);
    EXPECT_EQ(again.out().WaveDevice(), 1u);
    EXPECT_TRUE(again.hp.dialogs.calls.empty());
}

}  // namespace
