// ON, Pause and OFF from every road: buttons, menu keys, the hot key and other programs'
// window messages, and the parameters those messages set.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/signal_engine.h"
#include "support/headless_program.h"
#include "ui/hot_key.h"

namespace {

using doubles::FakeWaveOut;
using persistence::RegistryValue;
using testing_support::At44100;
using testing_support::Frame;
using testing_support::HeadlessProgram;
using testing_support::MeasuredHz;

constexpr ui::ShiftState kCtrl{false, true, false};

enum class RunState { Stopped, Playing, Paused };

const char* name(RunState r) {
    return r == RunState::Stopped ? "stopped" : r == RunState::Playing ? "playing" : "paused";
}

void bringTo(HeadlessProgram& p, RunState r) {
    if (r == RunState::Stopped) return;
    p.gen().btnONClick(nullptr);
    p.pump();
    if (r == RunState::Paused) p.gen().btnPauseClick(nullptr);
}

// The run's state, checked against the lamp, the Pause button and the device.
RunState runOf(HeadlessProgram& p) {
    p.pump();
    vpg::TfrmGenerator& g = p.gen();
    if (!p.out().Active) {
        EXPECT_EQ(g.LED.Brush(), ui::clMaroon);
        EXPECT_FALSE(p.hp.waveOut.isOpen());
        return RunState::Stopped;
    }
    EXPECT_EQ(g.LED.Brush(), ui::clGreen);
    EXPECT_EQ(g.btnPause.Bold(), p.out().Paused());
    EXPECT_EQ(p.hp.waveOut.isPaused(), p.out().Paused());
    return p.out().Paused() ? RunState::Paused : RunState::Playing;
}

TEST(TransportCommands, EveryRoadLeadsToItsState) {
    using Road = std::function<void(HeadlessProgram&)>;
    const Road on = [](HeadlessProgram& p) { p.gen().btnON.userClicked(); };
    const Road off = [](HeadlessProgram& p) { p.gen().btnOFF.userClicked(); };
    const Road pause = [](HeadlessProgram& p) { p.gen().btnPause.userClicked(); };
    const auto key = [](std::uint16_t k, ui::ShiftState s = {}) {
        return Road([k, s](HeadlessProgram& p) { EXPECT_TRUE(p.gen().userKeyDown(k, s)); });
    };
    const auto message = [](std::uint32_t m, std::uint32_t w = 0) {
        return Road([m, w](HeadlessProgram& p) { p.gen().WndProc(m, w, 0); });
    };
    const Road hotKey = [](HeadlessProgram& p) { EXPECT_TRUE(p.hp.hotKey.press(1)); };
    const struct {
        const char* road;
        Road act;
        RunState from, to;
    } cases[] = {
        {"ON", on, RunState::Stopped, RunState::Playing},
        {"ON", on, RunState::Playing, RunState::Playing},
        {"ON", on, RunState::Paused, RunState::Paused},
        {"F11", key(ui::VK_F11), RunState::Stopped, RunState::Playing},
        {"OFF", off, RunState::Playing, RunState::Stopped},
        {"OFF", off, RunState::Paused, RunState::Stopped},
        {"OFF", off, RunState::Stopped, RunState::Stopped},
        {"F9", key(ui::VK_F9), RunState::Playing, RunState::Stopped},
        {"Pause", pause, RunState::Playing, RunState::Paused},
        {"Pause", pause, RunState::Paused, RunState::Playing},
        {"F10", key(ui::VK_F10), RunState::Playing, RunState::Paused},
        {"F10", key(ui::VK_F10), RunState::Paused, RunState::Playing},
        {"Ctrl+Insert", key(ui::VK_INSERT, kCtrl), RunState::Stopped, RunState::Playing},
        {"Ctrl+Insert", key(ui::VK_INSERT, kCtrl), RunState::Playing, RunState::Stopped},
        {"Ctrl+Insert", key(ui::VK_INSERT, kCtrl), RunState::Paused, RunState::Stopped},
        {"hot key", hotKey, RunState::Stopped, RunState::Playing},
        {"hot key", hotKey, RunState::Playing, RunState::Stopped},
        {"hot key", hotKey, RunState::Paused, RunState::Stopped},
        {"1024", message(1024), RunState::Stopped, RunState::Playing},
        {"1024", message(1024), RunState::Playing, RunState::Playing},
        {"1025", message(1025), RunState::Playing, RunState::Stopped},
        {"1025", message(1025), RunState::Paused, RunState::Stopped},
        {"1026", message(1026), RunState::Playing, RunState::Paused},
        {"1026", message(1026), RunState::Paused, RunState::Playing},
        {"hot key 2", message(ui::WM_HOTKEY, 2), RunState::Stopped, RunState::Stopped},
        {"hot key 2", message(ui::WM_HOTKEY, 2), RunState::Playing, RunState::Playing},
        {"1030", message(1030, 1), RunState::Playing, RunState::Playing},
        {"1046", message(1046, 1), RunState::Stopped, RunState::Stopped},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.road << " while " << name(c.from));
        At44100 p;
        bringTo(p, c.from);
        ASSERT_EQ(runOf(p), c.from);
        c.act(p);
        EXPECT_EQ(runOf(p), c.to);
        EXPECT_TRUE(p.hp.dialogs.calls.empty());
    }
}

TEST(TransportCommands, TheHotKeyIsCtrlInsertWithIdOne) {
    At44100 p;
    ASSERT_EQ(p.hp.hotKey.registered.count(1), 1u);
    const auto& r = p.hp.hotKey.registered.at(1);
    EXPECT_EQ(r.window, static_cast<ui::MessageTarget*>(&p.gen()));
    EXPECT_EQ(r.modifiers, kCtrl);
    EXPECT_EQ(r.key, ui::VK_INSERT);
}

TEST(TransportCommands, TheStopRoadsMoveTheFocusToOnButMessage1025DoesNot) {
    const struct {
        const char* road;
        std::function<void(HeadlessProgram&)> stop;
        bool focusesOn;
    } cases[] = {
        {"OFF", [](HeadlessProgram& p) { p.gen().btnOFF.Click(); }, true},
        {"F9", [](HeadlessProgram& p) { p.gen().userKeyDown(ui::VK_F9); }, true},
        {"toggle", [](HeadlessProgram& p) { p.gen().userKeyDown(ui::VK_INSERT, kCtrl); }, true},
        {"hot key", [](HeadlessProgram& p) { p.hp.hotKey.press(1); }, true},
        {"1025", [](HeadlessProgram& p) { p.gen().WndProc(1025, 0, 0); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.road);
        At44100 p;
        bringTo(p, RunState::Playing);
        ASSERT_EQ(p.gen().ActiveControl(), &p.gen().btnOFF);
        c.stop(p);
        EXPECT_EQ(runOf(p), RunState::Stopped);
        EXPECT_EQ(p.gen().ActiveControl(),
                  c.focusesOn ? static_cast<ui::Control*>(&p.gen().btnON) : &p.gen().btnOFF);
    }
}

TEST(TransportPause, APausePressedWhileStoppedMakesTheNextStartBeginPaused) {
    At44100 p;
    vpg::TfrmGenerator& g = p.gen();
    g.btnPauseClick(nullptr);
    EXPECT_TRUE(g.btnPause.Bold());
    EXPECT_EQ(runOf(p), RunState::Stopped);

    g.btnONClick(nullptr);
    EXPECT_EQ(runOf(p), RunState::Paused);
    EXPECT_TRUE(g.btnPause.Bold());
    // The device was paused before the first buffer reached it, and nothing plays.
    const auto& calls = p.hp.waveOut.calls();
    const auto firstOf = [&](FakeWaveOut::Call k) {
        for (std::size_t i = 0; i < calls.size(); ++i)
            if (calls[i].call == k) return i;
        return calls.size();
    };
    EXPECT_LT(firstOf(FakeWaveOut::Call::Pause), firstOf(FakeWaveOut::Call::Write));
    EXPECT_FALSE(p.hp.waveOut.completeNext());

    g.btnPauseClick(nullptr);
    EXPECT_EQ(runOf(p), RunState::Playing);
    EXPECT_FALSE(g.btnPause.Bold());
    EXPECT_TRUE(p.hp.waveOut.completeNext());
}

TEST(TransportPause, PauseTwiceWhileStoppedLeavesTheNextStartUnpaused) {
    At44100 p;
    p.gen().btnPauseClick(nullptr);
    p.gen().userKeyDown(ui::VK_F10);
    EXPECT_FALSE(p.gen().btnPause.Bold());
    p.gen().btnONClick(nullptr);
    EXPECT_EQ(runOf(p), RunState::Playing);
    EXPECT_EQ(p.hp.waveOut.count(FakeWaveOut::Call::Pause), 0u);
    EXPECT_TRUE(p.hp.waveOut.completeNext());
}

TEST(TransportPause, StoppingAPausedOutputClearsThePause) {
    At44100 p;
    bringTo(p, RunState::Paused);
    p.gen().ONOFF2Click(nullptr);
    EXPECT_EQ(runOf(p), RunState::Stopped);
    EXPECT_FALSE(p.out().Paused());
    EXPECT_FALSE(p.gen().btnPause.Bold());
    p.gen().btnONClick(nullptr);
    EXPECT_EQ(runOf(p), RunState::Playing);
}

TEST(TransportCommands, WithoutASoundCardOnIsDisabledAndOtherRoadsReportTheDeviceError) {
    HeadlessProgram p;
    p.hp.waveOut.setDeviceNames({});
    p.start();
    vpg::TfrmGenerator& g = p.gen();
    ASSERT_EQ(p.hp.dialogs.calls.size(), 1u);
    EXPECT_EQ(p.hp.dialogs.calls[0].text, "No Soundcard driver found. No sound output possible.");
    EXPECT_FALSE(g.btnON.Enabled());
    EXPECT_EQ(g.WaveDevice.Items(), std::vector<std::string>{"Windows Default"});

    const std::string error = std::string("Sound Device Error: \r") +
                              audio::StandardWaveErrorText(audio::MMSYSERR_NODRIVER);
    g.WndProc(1024, 0, 0);
    EXPECT_EQ(runOf(p), RunState::Stopped);
    ASSERT_EQ(p.hp.dialogs.calls.size(), 2u);
    EXPECT_EQ(p.hp.dialogs.calls[1].text, error);
    // The menu key and the hot key still reach the start.
    EXPECT_TRUE(g.userKeyDown(ui::VK_F11));
    EXPECT_TRUE(p.hp.hotKey.press(1));
    EXPECT_EQ(runOf(p), RunState::Stopped);
    ASSERT_EQ(p.hp.dialogs.calls.size(), 4u);
    EXPECT_EQ(p.hp.dialogs.calls[2].text, error);
    EXPECT_EQ(p.hp.dialogs.calls[3].text, error);
}

// --- the parameters set by messages

TEST(TransportMessages, SpeakerFrequencyMessagesGlideAPlayingTone) {
    for (const std::uint32_t msg : {1031u, 1032u}) {
        SCOPED_TRACE(msg);
        At44100 p;
        vpg::TfrmGenerator& g = p.gen();
        bringTo(p, RunState::Playing);
        const double from = engine::TwoPi * (100 / 44100.0), to = engine::TwoPi * (441 / 44100.0);
        g.WndProc(msg, 44100, 0);
        EXPECT_EQ(g.fInitLeft.Text(), "441");
        EXPECT_EQ(g.Parameters.TargetLeft, to);
        EXPECT_EQ(g.State.StepLeft, from);
        EXPECT_EQ(runOf(p), RunState::Playing);

        // The next buffer glides; by its end the tone is there.
        p.play(1);
        EXPECT_NEAR(g.State.StepLeft, to, 1e-9);
        p.play(5);
        const auto f = p.played();
        ASSERT_GE(f.size(), 6u * 4096);
        EXPECT_NEAR(MeasuredHz(f, 0, 4 * 4096, 44100), 100, 0.5);
        EXPECT_NEAR(MeasuredHz(f, 5 * 4096, 4096, 44100), 441, 1);
        // No jump where the glide begins: the sine's largest step stays that of 441 Hz.
        int largest = 0;
        for (std::size_t i = 1; i < f.size(); ++i)
            largest = std::max(largest, std::abs(f[i].left - f[i - 1].left));
        EXPECT_LE(largest, 2060);
    }
}

TEST(TransportMessages, NumbersArriveAsHundredthsAndTenths) {
    const struct {
        std::uint32_t msg, wParam;
        const char* expected;
        ui::Edit vpg::TfrmGenerator::*field;
    } cases[] = {
        {1031, 12345, "123.45", &vpg::TfrmGenerator::fInitLeft},
        {1032, 5000, "50", &vpg::TfrmGenerator::fInitLeft},
        {1033, 150050, "1500.5", &vpg::TfrmGenerator::fFinalLeft},
        {1034, 5, "0.5", &vpg::TfrmGenerator::Duration},
        {1034, 600, "60", &vpg::TfrmGenerator::Duration},
        {1034, 1, "0.1", &vpg::TfrmGenerator::Duration},
        // The longest at 44100 Hz, as the field shows its 32-bit value.
        {1034, 486957, "48695.6992", &vpg::TfrmGenerator::Duration},
        {1031, 10, "0.1", &vpg::TfrmGenerator::fInitLeft},
        {1031, 2204999, "22049.99023", &vpg::TfrmGenerator::fInitLeft},  // as the field shows it
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.msg << " " << c.wParam);
        At44100 p;
        vpg::TfrmGenerator& g = p.gen();
        g.Loop.setChecked(false);
        EXPECT_EQ(g.WndProc(c.msg, c.wParam, 0), vpg::RemoteOutcome::Acted);
        EXPECT_EQ((g.*c.field).Text(), c.expected);
    }
    // The change handlers recompute at once.
    At44100 p;
    vpg::TfrmGenerator& g = p.gen();
    g.Loop.setChecked(false);
    g.WndProc(1034, 5, 0);
    EXPECT_EQ(g.Parameters.TotalSamples, 22050);
    g.WndProc(1031, 12345, 0);
    EXPECT_DOUBLE_EQ(g.Parameters.InitStepLeft, double(123.45f) / 44100);
}

TEST(TransportMessages, TheLocaleDecimalSeparatorIsUsed) {
    HeadlessProgram p(',');
    p.start();
    p.gen().WndProc(1031, 12345, 0);
    EXPECT_EQ(p.gen().fInitLeft.Text(), "123,45");
    p.gen().WndProc(1034, 5, 0);
    EXPECT_EQ(p.gen().Duration.Text(), "0,5");
}

TEST(TransportMessages, OptionMessagesSetTheBoxesAndRunTheirClickHandlers) {
    At44100 p;
    vpg::TfrmGenerator& g = p.gen();
    ASSERT_TRUE(g.Loop.Checked());
    ASSERT_TRUE(g.BidirectionalLeft.Enabled());

    g.WndProc(1035, 0, 0);
    EXPECT_FALSE(g.Loop.Checked());
    EXPECT_FALSE(g.BidirectionalLeft.Enabled());  // LoopClick ran
    g.WndProc(1035, 7, 0);
    EXPECT_TRUE(g.Loop.Checked());
    EXPECT_TRUE(g.BidirectionalLeft.Enabled());

    // LogarithmicLeftClick restarts a sweep: the counter goes back to 0.
    g.chkSweepLeft.setChecked(true);
    ASSERT_TRUE(g.LogarithmicLeft.Checked());
    g.State.SampleCounter = 1234;
    g.WndProc(1036, 0, 0);
    EXPECT_FALSE(g.LogarithmicLeft.Checked());
    EXPECT_EQ(g.State.SampleCounter, 0);
    g.State.SampleCounter = 1234;
    g.WndProc(1036, 0, 0);  // no change, no click
    EXPECT_EQ(g.State.SampleCounter, 1234);
    g.WndProc(1036, 1, 0);
    EXPECT_TRUE(g.LogarithmicLeft.Checked());
    EXPECT_EQ(g.State.SampleCounter, 0);

    ASSERT_FALSE(g.BidirectionalLeft.Checked());
    g.WndProc(1037, 1, 0);
    EXPECT_TRUE(g.BidirectionalLeft.Checked());
    g.WndProc(1037, 0, 0);
    EXPECT_FALSE(g.BidirectionalLeft.Checked());
}

TEST(TransportMessages, FlashLockMessageTakesZeroOrOneAndIgnoresTheRest) {
    At44100 p;
    vpg::TfrmGenerator& g = p.gen();
    ASSERT_FALSE(g.chkFlashLock.Checked());
    const struct {
        std::uint32_t wParam;
        bool locked;
    } steps[] = {{1, true}, {2, true}, {0, false}, {4294967295u, false}, {1, true}, {1, true}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.wParam);
        g.WndProc(1049, step.wParam, 0);
        EXPECT_EQ(g.chkFlashLock.Checked(), step.locked);
        EXPECT_EQ(g.Parameters.FlashLock, step.locked);  // its click handler ran
    }
}

TEST(TransportMessages, OptionMessagesTakeAnyNonZeroWParamAsTicked) {
    const struct {
        std::uint32_t msg;
        ui::CheckBox vpg::TfrmGenerator::*box;
    } boxes[] = {{1035, &vpg::TfrmGenerator::Loop},
                 {1036, &vpg::TfrmGenerator::LogarithmicLeft},
                 {1037, &vpg::TfrmGenerator::BidirectionalLeft}};
    for (const auto& b : boxes) {
        for (const std::uint32_t wParam : {0u, 1u, 2u, 0x80000000u, 4294967295u}) {
            for (const bool before : {false, true}) {
                SCOPED_TRACE(testing::Message() << b.msg << " " << wParam << " from " << before);
                At44100 p;
                vpg::TfrmGenerator& g = p.gen();
                (g.*b.box).setChecked(before);
                g.WndProc(b.msg, wParam, 0);
                EXPECT_EQ((g.*b.box).Checked(), wParam != 0);
            }
        }
    }
}

TEST(TransportMessages, DeviceMessageAtTheEndsOfTheList) {
    const struct {
        std::uint32_t wParam;
        int index;  // -1: no entry selected
    } cases[] = {
        {4294967295u, 0},  // -1: "Windows Default"
        {0, 1},
        {2, 3},  // the last device
        // Beyond the list: refused, and the list keeps its entry.
        {3, 2},
        {4294967294u, 2},  // -2
        {2147483647u, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.wParam);
        At44100 p({.devices = {"Alpha", "Beta", "Gamma"}});
        vpg::TfrmGenerator& g = p.gen();
        g.WaveDevice.setItemIndex(2);
        std::string reason;
        const bool inList = c.wParam <= 2 || c.wParam == 4294967295u;
        EXPECT_EQ(g.WndProc(1047, c.wParam, 0, &reason),
                  inList ? vpg::RemoteOutcome::Acted : vpg::RemoteOutcome::Refused);
        if (!inList) {
            EXPECT_EQ(reason, "there is no output device " + std::to_string(c.wParam) +
                                  " (the devices are 0 to 2, -1 is the system default)");
        }
        EXPECT_EQ(g.WaveDevice.ItemIndex(), c.index);
        EXPECT_EQ(p.out().WaveDevice(), audio::WAVE_MAPPER);
    }
}

// --- the output as the window sees it ---------------------------------------------------

// A signal shorter than the ring: 1 s at 8000 Hz in four buffers of 64536 bytes. Once the one
// buffer holding the signal has played, only silent buffers remain queued: `Active` is false
// while the device is still open.
struct InSilentTail : HeadlessProgram {
    InSilentTail() {
        auto& key = hp.registry.keys[vpg::ProgramKey()];
        key["Fs"] = RegistryValue::Integer(0);
        key["Buffers"] = RegistryValue::Integer(2);
        key["BufferSize"] = RegistryValue::Integer(4);
        start();
        gen().Loop.setChecked(false);
        gen().Duration.setText("1");
        gen().btnONClick(nullptr);
        pump();
        play(1);
        hp.dialogs.calls.clear();
    }
};

TEST(TransportOpenOutput, TheSilentTailOfAShortSignalCountsAsOpenForEveryRoad) {
    enum class Outcome { Nothing, Stops, Pauses };
    struct Case {
        const char* road;
        std::function<void(HeadlessProgram&)> act;
        Outcome outcome;
    };
    const Case cases[] = {
        {"ON", [](HeadlessProgram& p) { p.gen().btnON.userClicked(); }, Outcome::Nothing},
        {"F11", [](HeadlessProgram& p) { p.gen().userKeyDown(ui::VK_F11); }, Outcome::Nothing},
        {"message 1024", [](HeadlessProgram& p) { p.gen().WndProc(1024, 0, 0); }, Outcome::Nothing},
        {"the toggle", [](HeadlessProgram& p) { p.gen().userKeyDown(ui::VK_INSERT, kCtrl); },
         Outcome::Stops},
        {"the hot key", [](HeadlessProgram& p) { EXPECT_TRUE(p.hp.hotKey.press(1)); },
         Outcome::Stops},
        {"message 1025", [](HeadlessProgram& p) { p.gen().WndProc(1025, 0, 0); }, Outcome::Stops},
        {"OFF", [](HeadlessProgram& p) { p.gen().btnOFF.userClicked(); }, Outcome::Stops},
        {"a preset recall", [](HeadlessProgram& p) { p.gen().WndProc(1048, 0, 2); },
         Outcome::Stops},
        {"Pause", [](HeadlessProgram& p) { p.gen().btnPause.userClicked(); }, Outcome::Pauses},
        {"message 1026", [](HeadlessProgram& p) { p.gen().WndProc(1026, 0, 0); }, Outcome::Pauses},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.road);
        InSilentTail p;
        vpg::TfrmGenerator& g = p.gen();
        ASSERT_FALSE(p.out().Active);
        ASSERT_TRUE(p.hp.waveOut.isOpen());
        ASSERT_EQ(g.LED.Brush(), ui::clGreen);
        const std::size_t opens = p.hp.waveOut.count(FakeWaveOut::Call::Open);

        c.act(p);
        p.pump();

        EXPECT_TRUE(p.hp.dialogs.calls.empty());  // never "already open"
        EXPECT_EQ(p.hp.waveOut.count(FakeWaveOut::Call::Open), opens);
        switch (c.outcome) {
            case Outcome::Nothing:
                EXPECT_TRUE(p.hp.waveOut.isOpen());
                EXPECT_FALSE(p.hp.waveOut.isPaused());
                EXPECT_EQ(g.LED.Brush(), ui::clGreen);
                break;
            case Outcome::Stops:
                EXPECT_FALSE(p.hp.waveOut.isOpen());
                EXPECT_EQ(g.LED.Brush(), ui::clMaroon);
                EXPECT_TRUE(g.Memory1.Enabled());
                break;
            case Outcome::Pauses:
                EXPECT_TRUE(p.hp.waveOut.isPaused());
                EXPECT_TRUE(g.btnPause.Bold());
                EXPECT_EQ(g.LED.Brush(), ui::clGreen);
                EXPECT_FALSE(p.hp.waveOut.completeNext());  // a paused device plays nothing
                break;
        }
    }
}

TEST(TransportOpenOutput, AFailedStartAfterAStopLeavesTheWindowStoppedOnce) {
    struct Case {
        const char* road;
        std::function<void(HeadlessProgram&)> stopAndStart;
    };
    const Case cases[] = {
        {"1025 then 1024 before the loop runs",
         [](HeadlessProgram& p) {
             p.gen().WndProc(1025, 0, 0);
             p.gen().WndProc(1024, 0, 0);
         }},
        {"a recall with autostart",
         [](HeadlessProgram& p) {
             p.gen().PresetRecallAutostart1.setChecked(true);
             p.gen().WndProc(1048, 0, 1);
         }},
        {"OFF then ON",
         [](HeadlessProgram& p) {
             p.gen().btnOFFClick(nullptr);
             p.gen().btnONClick(nullptr);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.road);
        At44100 p;
        vpg::TfrmGenerator& g = p.gen();
        int stops = 0;
        const ui::NotifyEvent onStop = p.out().OnStop();
        p.out().setOnStop([&stops, onStop](ui::Object* s) {
            ++stops;
            onStop(s);
        });
        g.btnONClick(nullptr);
        p.pump();
        ASSERT_EQ(g.LED.Brush(), ui::clGreen);

        p.hp.waveOut.failNext(FakeWaveOut::Call::Open, audio::MMSYSERR_ALLOCATED);
        c.stopAndStart(p);
        p.pump();

        ASSERT_EQ(p.hp.dialogs.calls.size(), 1u);
        EXPECT_EQ(p.hp.dialogs.calls[0].text.rfind("Sound Device Error: \r", 0), 0u);
        EXPECT_EQ(stops, 1);
        EXPECT_FALSE(p.hp.waveOut.isOpen());
        EXPECT_EQ(g.LED.Brush(), ui::clMaroon);
        EXPECT_EQ(p.program.Application.Title(), "Vimbrel Pulse Generator 1.2");
        EXPECT_TRUE(g.btnON.Default());
        EXPECT_TRUE(g.fInitLeft.Enabled());
        EXPECT_TRUE(g.Memory1.Enabled());
        EXPECT_TRUE(g.Presets1.Enabled());

        // ON works again at once.
        g.btnON.userClicked();
        p.pump();
        EXPECT_TRUE(p.hp.waveOut.isOpen());
        EXPECT_EQ(g.LED.Brush(), ui::clGreen);
        EXPECT_EQ(p.hp.dialogs.calls.size(), 1u);
    }
}

TEST(TransportMessages, DeviceMessageSelectsAnEntryButKeepsTheDeviceInUse) {
    At44100 p({.devices = {"Alpha", "Beta", "Gamma"}});
    vpg::TfrmGenerator& g = p.gen();
    ASSERT_EQ(g.WaveDevice.Items().size(), 4u);
    g.WndProc(1047, 1, 0);
    EXPECT_EQ(g.WaveDevice.ItemIndex(), 2);
    EXPECT_EQ(g.WaveDevice.Text(), "Beta");
    EXPECT_EQ(p.out().WaveDevice(), audio::WAVE_MAPPER);
    g.btnONClick(nullptr);
    EXPECT_EQ(runOf(p), RunState::Playing);
    EXPECT_EQ(p.hp.waveOut.openedDeviceId(), audio::WAVE_MAPPER);

    // 4294967295 is -1: "Windows Default".
    g.WndProc(1047, 4294967295u, 0);
    EXPECT_EQ(g.WaveDevice.ItemIndex(), 0);
    EXPECT_EQ(g.WaveDevice.Text(), "Windows Default");

    // The user's own choice is what changes the device.
    g.btnOFFClick(nullptr);
    p.pump();
    g.WaveDevice.userSelected(3);
    g.btnONClick(nullptr);
    EXPECT_EQ(runOf(p), RunState::Playing);
    EXPECT_EQ(p.hp.waveOut.openedDeviceId(), 2u);
}

TEST(TransportMessages, PresetMessageActsOnlyOnSlotsOneToFourWithRecallOrStore) {
    const auto slots = [](vpg::TfrmGenerator& g) {
        std::vector<std::string> v;
        for (const vpg::MemoryPreset& m : g.Presets) v.push_back(m.fInitLeft);
        return v;
    };
    const struct {
        std::uint32_t wParam;
        std::intptr_t lParam;
    } ignored[] = {{2, 1},
                   {2, 3},
                   {1, 0},
                   {1, 5},
                   {1, -1},
                   {0, 0},
                   {0, 5},
                   {0, -1},
                   {4294967295u, 1},
                   {4294967295u, 4},
                   {1, std::intptr_t{1} << (sizeof(std::intptr_t) * 8 - 2) | 1},
                   {0, INTPTR_MIN}};
    for (const auto& c : ignored) {
        SCOPED_TRACE(testing::Message() << c.wParam << " " << c.lParam);
        At44100 p;
        vpg::TfrmGenerator& g = p.gen();
        g.fInitLeft.setText("250");
        bringTo(p, RunState::Playing);
        const auto before = slots(g);
        g.WndProc(1048, c.wParam, c.lParam);
        EXPECT_EQ(slots(g), before);
        EXPECT_EQ(runOf(p), RunState::Playing);
        EXPECT_EQ(g.fInitLeft.Text(), "250");
    }
    // The slots that exist: store, then a recall that stops the playing output first.
    At44100 p;
    vpg::TfrmGenerator& g = p.gen();
    g.fInitLeft.setText("250");
    g.WndProc(1048, 1, 3);
    EXPECT_EQ(slots(g)[2], "250");
    EXPECT_EQ(slots(g)[0], "100");
    bringTo(p, RunState::Playing);
    g.WndProc(1048, 0, 3);
    EXPECT_EQ(runOf(p), RunState::Stopped);

    // The first and the last slot act; the slots just outside are in the table above.
    for (const std::intptr_t slot : {1, 4}) {
        SCOPED_TRACE(slot);
        At44100 q;
        vpg::TfrmGenerator& h = q.gen();
        h.fInitLeft.setText("321");
        h.WndProc(1048, 1, slot);
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_EQ(slots(h)[i], i + 1 == static_cast<std::size_t>(slot) ? "321" : "100");
        h.fInitLeft.setText("222");
        h.WndProc(1048, 0, slot);
        EXPECT_EQ(h.fInitLeft.Text(), "321");
    }
}

}  // namespace
