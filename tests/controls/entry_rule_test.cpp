// One rule for a value, whatever road it comes by: typed and left with Tab, typed and started
// with Enter, the slider (dragged or moved with the arrow keys: the same user move), another
// program's message, a preset recall, a restart from stored settings. Each road ends with the
// field, its slider and the value in use agreeing, and ON plays the numbers the fields show.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "support/headless_program.h"

namespace {

using persistence::RegistryValue;
using testing_support::HeadlessProgram;
using vpg::TfrmGenerator;

constexpr double kFs = 44100;

float read(const TfrmGenerator& g, const ui::Edit& field) {
    return g.IntlStrToFloat(field.Text());
}

// What every road must leave: each field readable, its slider at its value, and the numbers
// in use, before and after ON, the numbers the fields show.
void expectFieldsArePlayed(HeadlessProgram& p) {
    TfrmGenerator& g = p.gen();
    const auto check = [&](const char* when, bool atOn) {
        SCOPED_TRACE(when);
        const float pulse = read(g, g.txtPulseLength);
        EXPECT_EQ(g.Parameters.PulseLength, pulse);
        EXPECT_EQ(g.trkPulseLength.Position(), static_cast<int>(pulse));
        EXPECT_GE(pulse, 1);
        EXPECT_LE(pulse, 50);
        const float phase = read(g, g.PhaseEdit);
        EXPECT_NEAR(g.Parameters.PhaseOffset, phase * engine::Pi / 180.0, 1e-6);
        EXPECT_EQ(g.trkPhase.Position(), static_cast<int>(std::nearbyint(phase)));
        const float f = read(g, g.fInitLeft);
        EXPECT_LT(f, kFs / 2);
        EXPECT_GE(f, 0.1f);
        EXPECT_DOUBLE_EQ(g.Parameters.InitStepLeft, f / kFs);
        const float seconds = read(g, g.Duration);
        EXPECT_GE(seconds, 0.1f);
        // The Loop box counts from the next recomputation, which ON runs.
        if (atOn && !g.Loop.Checked()) {
            EXPECT_EQ(g.Parameters.TotalSamples,
                      static_cast<std::int32_t>(std::nearbyint(seconds * kFs)));
        }
        const float left = read(g, g.AmplitudeLeft);
        EXPECT_EQ(g.barAmplitudeLeft.Position(), -static_cast<int>(left));
        EXPECT_FLOAT_EQ(g.Parameters.GainLeft, static_cast<float>(std::pow(10.0, left / 20)));
    };
    check("before ON", false);
    if (!g.OutputOpen()) g.btnONClick(nullptr);
    p.pump();
    EXPECT_TRUE(g.OutputOpen());
    check("at ON", true);
}

struct Road {
    const char* name;
    std::function<void(HeadlessProgram&)> go;
};

struct RoadCase {
    Road road;
    const char* field;  // the field to look at afterwards
    const char* shown;  // its text
};

HeadlessProgram& started(HeadlessProgram& p) {
    p.startAt44100();
    p.gen().Loop.setChecked(false);
    return p;
}

Road typedAndTab(ui::Edit TfrmGenerator::*field, std::string text) {
    return {"typed and Tab",
            [field, text](HeadlessProgram& p) { p.typeAndLeave(p.gen().*field, text); }};
}

Road typedAndEnter(ui::Edit TfrmGenerator::*field, std::string text) {
    // Enter in a field presses the default button, ON, while the field keeps the focus.
    return {"typed and Enter", [field, text](HeadlessProgram& p) {
                (p.gen().*field).userTyped(text);
                p.gen().userKeyDown(ui::VK_RETURN);
                p.pump();
            }};
}

Road slider(ui::TrackBar TfrmGenerator::*bar, int position) {
    return {"slider", [bar, position](HeadlessProgram& p) { (p.gen().*bar).userMoved(position); }};
}

Road message(std::uint32_t number, std::uint32_t wParam) {
    return {"message",
            [number, wParam](HeadlessProgram& p) { p.gen().WndProc(number, wParam, 0); }};
}

// The text stored as a preset from a field typed into and not left, then recalled.
Road recall(ui::Edit TfrmGenerator::*field, std::string text) {
    return {"preset recall", [field, text](HeadlessProgram& p) {
                (p.gen().*field).userTyped(text);
                p.gen().MemStore(2);
                p.tabAway();
                p.gen().MemRecall(2);
            }};
}

const ui::Edit& fieldNamed(TfrmGenerator& g, const std::string& name) {
    for (const ui::Edit* e : {&g.txtPulseLength, &g.PhaseEdit, &g.fInitLeft, &g.Duration,
                              &g.AmplitudeLeft, &g.txtRound})
        if (e->Name == name) return *e;
    throw std::runtime_error("no field " + name);
}

TEST(EntryRule, EveryRoadLeavesTheFieldsAndTheSoundAgreeing) {
    const RoadCase cases[] = {
        // Pulse length: 1 to 50 whole samples, wherever the slider stood.
        {typedAndTab(&TfrmGenerator::txtPulseLength, "300"), "txtPulseLength", "50"},
        {typedAndTab(&TfrmGenerator::txtPulseLength, "-5"), "txtPulseLength", "1"},
        {typedAndEnter(&TfrmGenerator::txtPulseLength, "300"), "txtPulseLength", "50"},
        {slider(&TfrmGenerator::trkPulseLength, 80), "txtPulseLength", "50"},
        // Phase: hundredths within 0..360; the slider shows the nearest whole degree.
        {typedAndTab(&TfrmGenerator::PhaseEdit, "45.5"), "PhaseEdit", "45.5"},
        {typedAndEnter(&TfrmGenerator::PhaseEdit, "400"), "PhaseEdit", "360"},
        {slider(&TfrmGenerator::trkPhase, 46), "PhaseEdit", "46"},
        // Frequency: 0.1 Hz to below half the rate.
        {typedAndTab(&TfrmGenerator::fInitLeft, "30000"), "fInitLeft", "22049"},
        {typedAndEnter(&TfrmGenerator::fInitLeft, "30000"), "fInitLeft", "22049"},
        {typedAndEnter(&TfrmGenerator::fInitLeft, "abc"), "fInitLeft", "1000"},
        {message(1031, 30000), "fInitLeft", "300"},
        {message(1031, 5000000), "fInitLeft", "100"},      // refused: the field stays
        {message(1031, 4294967295u), "fInitLeft", "100"},  // refused
        {message(1032, 2205000), "fInitLeft", "100"},      // fs/2 exactly: refused
        {recall(&TfrmGenerator::fInitLeft, "30000"), "fInitLeft", "22049"},
        {slider(&TfrmGenerator::FreqSliderLeft, 100000), "fInitLeft", "500"},  // the end
        // Duration: 0.1 s to the longest signal (2147483647 samples).
        {typedAndEnter(&TfrmGenerator::Duration, "abc"), "Duration", "1"},
        {typedAndTab(&TfrmGenerator::Duration, "1e30"), "Duration", "48695.7734"},
        {typedAndTab(&TfrmGenerator::Duration, "1e300"), "Duration", "48695.7734"},
        {message(1034, 0), "Duration", "10"},            // refused
        {message(1034, 4294967295u), "Duration", "10"},  // refused
        {message(1034, 3), "Duration", "0.3"},
        {recall(&TfrmGenerator::Duration, "abc"), "Duration", "1"},
        // Levels: whole dBFS from -100 to 0.
        {typedAndEnter(&TfrmGenerator::AmplitudeLeft, "20"), "AmplitudeLeft", "0"},
        {recall(&TfrmGenerator::AmplitudeLeft, "-inf"), "AmplitudeLeft", "0"},
        {slider(&TfrmGenerator::barAmplitudeLeft, 30), "AmplitudeLeft", "-30"},
    };
    for (const RoadCase& c : cases) {
        SCOPED_TRACE(std::string(c.road.name) + " -> " + c.field + " " + c.shown);
        HeadlessProgram p;
        started(p);
        p.typeAndLeave(p.gen().Duration, "10");
        c.road.go(p);
        EXPECT_EQ(fieldNamed(p.gen(), c.field).Text(), c.shown);
        expectFieldsArePlayed(p);
    }
}

TEST(EntryRule, TheSameValueEndsTheSameWhereverTheSliderStood) {
    // 45.5 stays 45.5 and 300 becomes 50 from any slider position.
    for (const int phaseBefore : {0, 46, 360}) {
        for (const int lengthBefore : {1, 10, 50}) {
            SCOPED_TRACE(testing::Message() << phaseBefore << " " << lengthBefore);
            HeadlessProgram p;
            started(p);
            TfrmGenerator& g = p.gen();
            g.trkPhase.userMoved(phaseBefore);
            g.trkPulseLength.userMoved(lengthBefore);
            p.typeAndLeave(g.PhaseEdit, "45.5");
            p.typeAndLeave(g.txtPulseLength, "300");
            EXPECT_EQ(g.PhaseEdit.Text(), "45.5");
            EXPECT_EQ(g.txtPulseLength.Text(), "50");
            p.typeAndLeave(g.txtPulseLength, "-5");
            EXPECT_EQ(g.txtPulseLength.Text(), "1");
            expectFieldsArePlayed(p);
        }
    }
}

TEST(EntryRule, StoredValuesGoThroughTheSameRuleAtTheNextStart) {
    // As a hand-edited settings file could hold them.
    struct Case {
        const char* name;
        const char* stored;
        const char* shown;
    };
    const Case cases[] = {
        {"txtPulseLength", "5", "5"},  // the slider follows: it stands at 5 too
        {"txtPulseLength", "12345678901234567890", "50"},
        {"txtPulseLength", "nan", "10"},
        {"Duration", "1e30", "48695.7734"},
        {"Duration", "1e308", "48695.7734"},
        {"Duration", "inf", "1"},
        {"Duration", "nan", "1"},
        {"AmplitudeLeft", "99999999999", "0"},
        {"AmplitudeLeft", "-inf", "0"},
        {"AmplitudeLeft", "-20", "-20"},
        {"PhaseEdit", "400", "360"},
        {"fInitLeft", "inf", "1000"},
        {"fInitLeft", "99999999999", "22049"},
        {"txtRound", "0.1", "0.1"},
        {"txtRound", "nan", "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " = " + c.stored);
        HeadlessProgram first;
        started(first);
        ASSERT_TRUE(first.gen().SaveSettings());
        HeadlessProgram p;
        p.hp.registry.keys = first.hp.registry.keys;
        p.hp.registry.keys[vpg::ProgramKey()][c.name] = RegistryValue::Text(c.stored);
        p.start();
        EXPECT_EQ(fieldNamed(p.gen(), c.name).Text(), c.shown);
        p.gen().Loop.setChecked(false);
        expectFieldsArePlayed(p);
        // A later frequency message still plays.
        EXPECT_EQ(p.gen().WndProc(1031, 44100, 0), vpg::RemoteOutcome::Acted);
        p.pump();
        EXPECT_TRUE(p.gen().OutputOpen());
        EXPECT_DOUBLE_EQ(p.gen().Parameters.InitStepLeft, 441.0 / kFs);
    }
}

TEST(EntryRule, ARefusedMessageSaysWhyAndLeavesEverythingAsItWas) {
    HeadlessProgram p;
    started(p);
    TfrmGenerator& g = p.gen();
    const engine::SignalParameters before = g.Parameters;
    const struct {
        std::uint32_t number, wParam;
        std::intptr_t lParam;
        const char* reason;
    } cases[] = {
        {1031, 5000000, 0,
         "the frequency must be from 0.1 Hz to below half the sampling rate (WPARAM 10 to "
         "4799999 at most)"},
        {1031, 2205000, 0, "the frequency must be below 22050 Hz (half the sampling rate)"},
        {1033, 9, 0,
         "the frequency must be from 0.1 Hz to below half the sampling rate (WPARAM 10 to "
         "4799999 at most)"},
        {1034, 0, 0,
         "the duration must be from 0.1 s to the longest signal (WPARAM 1 to 2684354 at most)"},
        {1034, 486958, 0, "the duration must be at most 48695.7734375 s at this sampling rate"},
        {1047, 999, 0,
         "there is no output device 999 (the devices are 0 to 0, -1 is the system "
         "default)"},
        {1048, 0, 5, "the preset slot (LPARAM) must be 1 to 4"},
        {1048, 2, 1, "1048 takes WPARAM 0 (recall) or 1 (store)"},
        {1049, 2, 0, "1049 takes WPARAM 0 (flashes not locked) or 1 (locked to the sine)"},
        {99999, 0, 0, "unknown message number 99999 (see vpg-send --help)"},
        {16, 0, 0, "unknown message number 16 (see vpg-send --help)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.number << " " << c.wParam << " " << c.lParam);
        std::string reason;
        EXPECT_EQ(g.WndProc(c.number, c.wParam, c.lParam, &reason), vpg::RemoteOutcome::Refused);
        EXPECT_EQ(reason, c.reason);
    }
    EXPECT_EQ(g.fInitLeft.Text(), "100");
    EXPECT_EQ(g.Duration.Text(), "10");
    EXPECT_EQ(g.WaveDevice.ItemIndex(), 0);
    EXPECT_FALSE(g.chkFlashLock.Checked());
    EXPECT_EQ(g.Parameters.InitStepLeft, before.InitStepLeft);
    EXPECT_EQ(g.Parameters.TotalSamples, before.TotalSamples);
    // The messages it acts on say so.
    for (const std::uint32_t number : {1024u, 1026u, 1026u, 1025u})
        EXPECT_EQ(g.WndProc(number, 0, 0), vpg::RemoteOutcome::Acted) << number;
    EXPECT_EQ(g.WndProc(1048, 1, 3), vpg::RemoteOutcome::Acted);
    EXPECT_EQ(g.WndProc(1049, 1, 0), vpg::RemoteOutcome::Acted);
    EXPECT_TRUE(g.chkFlashLock.Checked());
    EXPECT_EQ(g.WndProc(1047, 4294967295u, 0), vpg::RemoteOutcome::Acted);
}

TEST(EntryRule, AStartThatFailsIsARefusedMessage) {
    HeadlessProgram p;
    started(p);
    p.hp.waveOut.failNext(doubles::FakeWaveOut::Call::Open, audio::MMSYSERR_ALLOCATED);
    std::string reason;
    EXPECT_EQ(p.gen().WndProc(1024, 0, 0, &reason), vpg::RemoteOutcome::Refused);
    EXPECT_EQ(reason.rfind("the output did not start: ", 0), 0u) << reason;
}

}  // namespace
