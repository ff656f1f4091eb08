// The settings store: what a start makes of the key (a first start, a full key, a key that breaks
// off somewhere), what a close writes, a close whose write fails, and the reset command.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "support/headless_program.h"
#include "support/stored_settings.h"

namespace {

using doubles::ScriptedDialogs;
using persistence::RegistryValue;
using persistence::ValueKind;
using portable::MemoryRegistry;
using testing_support::HeadlessProgram;

MemoryRegistry::Values& programKey(HeadlessProgram& p) {
    return p.hp.registry.keys[vpg::ProgramKey()];
}

using testing_support::KeyAwayFromReset;

void putFullKey(HeadlessProgram& p) {
    for (const auto& [name, value] : KeyAwayFromReset()) programKey(p)[name] = value;
}

// The values a close writes, in the order it writes them, with their kinds.
struct Written {
    const char* name;
    ValueKind kind;
};
constexpr Written kWriteOrder[] = {
    {"fInitLeft", ValueKind::Text},
    {"fFinalLeft", ValueKind::Text},
    {"AmplitudeLeft", ValueKind::Text},
    {"chkConstantLeft", ValueKind::Integer},
    {"LogarithmicLeft", ValueKind::Integer},
    {"BidirectionalLeft", ValueKind::Integer},
    {"AmplitudeRight", ValueKind::Text},
    {"PhaseEdit", ValueKind::Text},
    {"FreqSliderRight", ValueKind::Integer},
    {"txtPulseLength", ValueKind::Text},
    {"Duration", ValueKind::Text},
    {"Loop", ValueKind::Integer},
    {"WaveDevice", ValueKind::Integer},
    {"PresetAutoStart", ValueKind::Integer},
    {"frmFrequencyDisplay", ValueKind::Integer},
    {"FormX", ValueKind::Integer},
    {"FormY", ValueKind::Integer},
    {"DisplayX", ValueKind::Integer},
    {"DisplayY", ValueKind::Integer},
    {"DisplayW", ValueKind::Integer},
    {"MinFreqEdit", ValueKind::Text},
    {"MaxFreqEdit", ValueKind::Text},
    {"txtRound", ValueKind::Text},
    {"FlashLock", ValueKind::Integer},
};

bool frequencyLayoutApplied(vpg::TfrmGenerator& g) {
    return g.SemiUpLeft.Visible() && g.fInitLeftPlus.Visible();
}

// What the reset command puts in, as a start that fails to load must show it.
void expectResetValues(vpg::TfrmGenerator& g) {
    EXPECT_TRUE(g.chkConstantLeft.Checked());
    EXPECT_FALSE(g.chkSweepLeft.Checked());
    EXPECT_TRUE(g.LogarithmicLeft.Checked());
    EXPECT_FALSE(g.BidirectionalLeft.Checked());
    EXPECT_EQ(g.barAmplitudeLeft.Position(), 0);
    EXPECT_EQ(g.barAmplitudeRight.Position(), 0);
    EXPECT_EQ(g.Duration.Text(), "10");
    EXPECT_TRUE(g.Loop.Checked());
    EXPECT_EQ(g.WaveDevice.ItemIndex(), 0);
    EXPECT_EQ(g.WaveDevice.Text(), "Windows Default");
    EXPECT_EQ(g.AudioOut1->WaveDevice(), audio::WAVE_MAPPER);
    EXPECT_EQ(g.MinFreqEdit.Text(), "20");
    EXPECT_EQ(g.MaxFreqEdit.Text(), "500");
    EXPECT_EQ(g.fInitLeft.Text(), "100");
    EXPECT_EQ(g.fFinalLeft.Text(), "1000");
    EXPECT_EQ(g.txtPulseLength.Text(), "10");
    EXPECT_FALSE(g.chkFlashLock.Checked());
    EXPECT_FALSE(g.Parameters.FlashLock);
}

// --- Loading ------------------------------------------------------------------------------------

TEST(SettingsStore, FirstStartShowsTheResetValuesOverTheDesignedOnes) {
    struct Case {
        const char* what;
        bool keyExists;
    };
    // The very first start has no key at all; a start after a ticked welcome notice has a key
    // that holds only that flag. Both load nothing.
    for (const Case& c : {Case{"no key", false}, Case{"key with the welcome flag only", true}}) {
        SCOPED_TRACE(c.what);
        HeadlessProgram p('.', /*suppressWelcome=*/c.keyExists);
        p.start();
        vpg::TfrmGenerator& g = p.gen();
        expectResetValues(g);
        EXPECT_EQ(g.txtRound.Text(), "1");
        EXPECT_EQ(g.AmplitudeLeft.Text(), "0");
        EXPECT_EQ(g.AmplitudeRight.Text(), "0");
        EXPECT_EQ(g.PhaseEdit.Text(), "0");
        EXPECT_EQ(g.FreqSliderRight.Position(), 0);
        EXPECT_FALSE(g.PresetRecallAutostart1.Checked());
        EXPECT_FALSE(g.FrequencyDisplay1.Checked());
        EXPECT_FALSE(p.program.frmFrequencyDisplay->Visible());
        // The slider's lower end follows the reset's "20" rather than the designed "2".
        EXPECT_EQ(g.FreqSliderLeft.Min(), vpg::SliderPosition(20));
        // Loading fails silently: nothing but the welcome notice (when not suppressed).
        for (const auto& call : p.hp.dialogs.calls)
            EXPECT_EQ(call.kind, ScriptedDialogs::Kind::Notice) << call.text;
        EXPECT_EQ(p.hp.registry.openHandles(), 0);
    }
}

// A first start (no settings yet) and a start whose settings cannot be read show the same
// frequency group as a start that loads them: the constant-mode layout with the fine-step
// buttons, no sweep controls, the mode's own radio buttons hidden as always.
TEST(SettingsStore, EveryStartShowsTheConstantModeLayout) {
    const auto expectConstantLayout = [](vpg::TfrmGenerator& g) {
        EXPECT_TRUE(g.chkConstantLeft.Checked());
        for (const ui::Control* c : std::initializer_list<const ui::Control*>{
                 &g.fInitLeftPlus, &g.fInitLeftMinus, &g.SemiUpLeft, &g.SemiDownLeft, &g.fInitLeft,
                 &g.lblFromFreqLeft})
            EXPECT_TRUE(c->Visible()) << c->Name;
        for (const ui::Control* c : std::initializer_list<const ui::Control*>{
                 &g.fFinalLeft, &g.lblFreqFromLeft, &g.lblFreqToLeft, &g.lblHzToLeft,
                 &g.LogarithmicLeft, &g.BidirectionalLeft, &g.chkConstantLeft, &g.chkSweepLeft})
            EXPECT_FALSE(c->Visible()) << c->Name;
    };
    {
        SCOPED_TRACE("a first start");
        HeadlessProgram p;
        p.start();
        expectConstantLayout(p.gen());
    }
    {
        SCOPED_TRACE("a start after a close");
        HeadlessProgram loaded;
        putFullKey(loaded);
        loaded.start();
        expectConstantLayout(loaded.gen());
    }
    {
        SCOPED_TRACE("a start whose settings cannot be read");
        HeadlessProgram broken;
        putFullKey(broken);
        programKey(broken)["Loop"] = RegistryValue::Text("yes");
        broken.start();
        expectConstantLayout(broken.gen());
    }
}

TEST(SettingsStore, AFullKeyComesBackIntoEveryControl) {
    HeadlessProgram p;
    putFullKey(p);
    p.start();
    vpg::TfrmGenerator& g = p.gen();
    EXPECT_EQ(g.fInitLeft.Text(), "250");
    EXPECT_EQ(g.fFinalLeft.Text(), "750");
    EXPECT_EQ(g.AmplitudeLeft.Text(), "-6");
    EXPECT_EQ(g.AmplitudeRight.Text(), "-12");
    EXPECT_FALSE(g.LogarithmicLeft.Checked());
    EXPECT_TRUE(g.BidirectionalLeft.Checked());
    EXPECT_EQ(g.PhaseEdit.Text(), "45");
    EXPECT_EQ(g.trkPhase.Position(), 45);
    EXPECT_EQ(g.FreqSliderRight.Position(), 30);
    EXPECT_EQ(g.lblFdelta.Caption(), "0.6");
    EXPECT_EQ(g.txtPulseLength.Text(), "20");
    EXPECT_EQ(g.Duration.Text(), "5");
    EXPECT_FALSE(g.Loop.Checked());
    EXPECT_EQ(g.WaveDevice.ItemIndex(), 1);
    EXPECT_EQ(g.AudioOut1->WaveDevice(), 0u);
    EXPECT_TRUE(g.PresetRecallAutostart1.Checked());
    EXPECT_TRUE(g.FrequencyDisplay1.Checked());
    EXPECT_TRUE(p.program.frmFrequencyDisplay->Visible());
    EXPECT_EQ(g.Left, 100);
    EXPECT_EQ(g.Top, 80);
    EXPECT_EQ(p.program.frmFrequencyDisplay->Left, 600);
    EXPECT_EQ(p.program.frmFrequencyDisplay->Top, 300);
    EXPECT_EQ(p.program.frmFrequencyDisplay->Width, 250);
    EXPECT_EQ(g.MinFreqEdit.Text(), "10");
    EXPECT_EQ(g.MaxFreqEdit.Text(), "2000");
    EXPECT_EQ(g.FreqSliderLeft.Min(), vpg::SliderPosition(10));
    EXPECT_EQ(g.FreqSliderLeft.Max(), vpg::SliderPosition(2000));
    EXPECT_EQ(g.txtRound.Text(), "5");
    EXPECT_TRUE(g.chkConstantLeft.Checked());
    EXPECT_TRUE(g.chkFlashLock.Checked());
    EXPECT_TRUE(g.Parameters.FlashLock);
    // The engine's inputs were recomputed from what was loaded: 5 s at 11025 Hz, no loop.
    EXPECT_EQ(g.Parameters.TotalSamples, 5 * 11025);
    EXPECT_DOUBLE_EQ(g.Parameters.InitStepLeft, 250.0 / 11025);
    EXPECT_TRUE(p.hp.dialogs.calls.empty());
    EXPECT_EQ(p.hp.registry.openHandles(), 0);
}

TEST(SettingsStore, AnySliderRangeTheUserCouldSetComesBackUnchanged) {
    struct Case {
        const char *lower, *upper;
        int fsPosition;
    };
    const Case cases[] = {
        {"1000", "5000", 1},    // a lower end at or above the designed upper end's 500 Hz
        {"600", "4000", 1},     //
        {"25000", "40000", 5},  // above the designed slider's upper end of 20 kHz
        {"10", "2000", 1},      //
        {"0.5", "1.5", 1},      // below the designed slider's lower end of 2.5 Hz
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lower << ".." << c.upper);
        HeadlessProgram p;
        putFullKey(p);
        programKey(p)["MinFreqEdit"] = RegistryValue::Text(c.lower);
        programKey(p)["MaxFreqEdit"] = RegistryValue::Text(c.upper);
        programKey(p)["Fs"] = RegistryValue::Integer(c.fsPosition);
        programKey(p)["Buffers"] = RegistryValue::Integer(2);
        programKey(p)["BufferSize"] = RegistryValue::Integer(2);
        p.start();
        vpg::TfrmGenerator& g = p.gen();
        EXPECT_EQ(g.MinFreqEdit.Text(), c.lower);
        EXPECT_EQ(g.MaxFreqEdit.Text(), c.upper);
        EXPECT_EQ(g.FreqSliderLeft.Min(), vpg::SliderPosition(std::stod(c.lower)));
        EXPECT_EQ(g.FreqSliderLeft.Max(), vpg::SliderPosition(std::stod(c.upper)));
        // And the next close stores it as it came back.
        EXPECT_TRUE(g.userClosed());
        EXPECT_EQ(programKey(p)["MinFreqEdit"].text, c.lower);
        EXPECT_EQ(programKey(p)["MaxFreqEdit"].text, c.upper);
    }
}

TEST(SettingsStore, TheSlidersUpperEndStaysBelowHalfTheSamplingRate) {
    // Each road leaves the slider's upper end at 20 kHz and the sampling rate at 8000 Hz.
    // Afterwards no slider position gives a frequency the output refuses: the upper end is the
    // highest position below 4000 Hz whose whole number is too (3300: 3990.5 Hz, "3991").
    struct Case {
        const char* road;
        const char *lower, *upper;
        bool restart;
        const char *lowerAfter, *upperAfter;
    };
    const Case cases[] = {
        {"the rate lowered in the output settings", "20", "20000", false, "20", "3991"},
        {"the rate lowered under the lower end", "5000", "20000", false, "20", "3991"},
        {"a start at a lower stored rate", "20", "20000", true, "20", "3991"},
        {"a start at a lower stored rate, lower end above it", "5000", "20000", true, "20", "3991"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.road);
        HeadlessProgram p;
        putFullKey(p);
        auto& key = programKey(p);
        key["Fs"] = RegistryValue::Integer(c.restart ? 0 : 3);
        key["Buffers"] = RegistryValue::Integer(2);
        key["BufferSize"] = RegistryValue::Integer(2);
        key["MinFreqEdit"] = RegistryValue::Text(c.lower);
        key["MaxFreqEdit"] = RegistryValue::Text(c.upper);
        p.start();
        vpg::TfrmGenerator& g = p.gen();
        if (!c.restart) {
            ASSERT_EQ(g.MaxFreqEdit.Text(), c.upper);
            p.settings().FsList.userSelected(0);
        }
        ASSERT_EQ(g.Parameters.SampleRate, 8000);
        EXPECT_EQ(g.MinFreqEdit.Text(), c.lowerAfter);
        EXPECT_EQ(g.MaxFreqEdit.Text(), c.upperAfter);
        EXPECT_LT(vpg::SliderFrequency(g.FreqSliderLeft.Max()), 4000);
        EXPECT_LT(g.FreqSliderLeft.Min(), g.FreqSliderLeft.Max());

        // The slider dragged to its top while playing: exactly the upper end (not the
        // position's 3990.5 Hz rounded to the stored step of 5), and the tone goes on.
        g.btnON.userClicked();
        p.pump();
        g.FreqSliderLeft.userMoved(100000);
        p.pump();
        EXPECT_EQ(g.fInitLeft.Text(), "3991");
        EXPECT_TRUE(p.hp.waveOut.isOpen());
        EXPECT_EQ(g.LED.Brush(), ui::clGreen);
    }
}

// Every stored value as the controls and windows show it after a start, by value name.
std::map<std::string, std::string> shownValues(HeadlessProgram& p) {
    vpg::TfrmGenerator& g = p.gen();
    const auto& d = *p.program.frmFrequencyDisplay;
    const auto flag = [](bool b) { return std::string(b ? "1" : "0"); };
    return {
        {"fInitLeft", g.fInitLeft.Text()},
        {"fFinalLeft", g.fFinalLeft.Text()},
        {"AmplitudeLeft", g.AmplitudeLeft.Text()},
        {"LogarithmicLeft", flag(g.LogarithmicLeft.Checked())},
        {"BidirectionalLeft", flag(g.BidirectionalLeft.Checked())},
        {"AmplitudeRight", g.AmplitudeRight.Text()},
        {"PhaseEdit", g.PhaseEdit.Text()},
        {"FreqSliderRight", std::to_string(g.FreqSliderRight.Position())},
        {"txtPulseLength", g.txtPulseLength.Text()},
        {"Duration", g.Duration.Text()},
        {"Loop", flag(g.Loop.Checked())},
        {"WaveDevice", std::to_string(g.WaveDevice.ItemIndex())},
        {"PresetAutoStart", flag(g.PresetRecallAutostart1.Checked())},
        {"frmFrequencyDisplay", flag(d.Visible())},
        {"FormX", std::to_string(g.Left)},
        {"FormY", std::to_string(g.Top)},
        {"DisplayX", std::to_string(d.Left)},
        {"DisplayY", std::to_string(d.Top)},
        {"DisplayW", std::to_string(d.Width)},
        {"MinFreqEdit", g.MinFreqEdit.Text()},
        {"MaxFreqEdit", g.MaxFreqEdit.Text()},
        {"txtRound", g.txtRound.Text()},
        {"FlashLock", flag(g.chkFlashLock.Checked())},
    };
}

TEST(SettingsStore, OneValueThatCannotBeReadCostsThatValueAlone) {
    HeadlessProgram designed;  // a first start, for the designed window geometry
    designed.start();
    const auto design = shownValues(designed);
    HeadlessProgram full;
    putFullKey(full);
    full.start();
    const auto stored = shownValues(full);

    struct Case {
        const char* name;
        std::optional<RegistryValue> value;  // nothing: the value is missing
        std::string shown;                   // what the control shows then; "": as designed
    };
    const Case cases[] = {
        {"WaveDevice", RegistryValue::Text("1"), "0"},
        {"Duration", RegistryValue::Integer(5), "10"},
        {"Loop", std::nullopt, "1"},
        {"BidirectionalLeft", RegistryValue::Text("1"), "0"},
        {"LogarithmicLeft", RegistryValue::Text("0"), "1"},
        {"AmplitudeLeft", RegistryValue::Integer(-6), "0"},
        {"PhaseEdit", RegistryValue::Integer(45), ""},
        {"FreqSliderRight", std::nullopt, ""},
        {"FreqSliderRight", RegistryValue::Text("30"), ""},
        {"PresetAutoStart", RegistryValue::Text("1"), ""},
        {"PresetAutoStart", std::nullopt, ""},
        {"frmFrequencyDisplay", RegistryValue::Text("yes"), ""},
        {"FormX", RegistryValue{}, ""},  // a kind the program never writes
        {"FormY", std::nullopt, ""},
        {"DisplayY", std::nullopt, ""},
        {"DisplayW", std::nullopt, ""},
        {"MinFreqEdit", RegistryValue::Integer(10), "20"},
        {"txtRound", RegistryValue::Integer(5), ""},
        {"fFinalLeft", RegistryValue::Integer(750), "1000"},
        {"FlashLock", RegistryValue::Text("1"), "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.value ? " of the wrong kind" : " missing"));
        HeadlessProgram p;
        putFullKey(p);
        if (c.value)
            programKey(p)[c.name] = *c.value;
        else
            programKey(p).erase(c.name);
        p.start();
        const auto shown = shownValues(p);
        for (const auto& [name, value] : stored) {
            if (name != c.name) {
                EXPECT_EQ(shown.at(name), value) << name;
            }
        }
        EXPECT_EQ(shown.at(c.name), c.shown.empty() ? design.at(c.name) : c.shown);
        EXPECT_TRUE(frequencyLayoutApplied(p.gen()));
        // A missing value is no fault; one of another kind is said once, by name.
        const auto messages = p.hp.dialogs.messages();
        if (c.value) {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0],
                      std::string("These stored settings could not be used and are back at their "
                                  "defaults: ") +
                          c.name + ".");
        } else {
            EXPECT_TRUE(p.hp.dialogs.calls.empty());
        }
        EXPECT_EQ(p.hp.registry.openHandles(), 0);
    }
}

TEST(SettingsStore, OutOfRangeOutputSettingsFallBackAndAreNamedOnce) {
    struct Case {
        std::int32_t fs, buffers, bufferSize;
        const char* named;
    };
    const Case cases[] = {
        {9, 2, 2, "Fs"},
        {3, -1, 2, "Buffers"},
        {3, 2, 7, "BufferSize"},
        {9, 2, 7, "Fs, BufferSize"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.named);
        HeadlessProgram p;
        putFullKey(p);
        programKey(p)["Fs"] = RegistryValue::Integer(c.fs);
        programKey(p)["Buffers"] = RegistryValue::Integer(c.buffers);
        programKey(p)["BufferSize"] = RegistryValue::Integer(c.bufferSize);
        p.start();
        EXPECT_EQ(p.settings().FsList.ItemIndex(), c.fs == 9 ? 1 : 3);
        EXPECT_EQ(p.settings().Buffers.ItemIndex(), 2);
        EXPECT_EQ(p.settings().BufferSize.ItemIndex(), 2);
        EXPECT_EQ(p.hp.dialogs.messages(),
                  std::vector<std::string>{
                      std::string("These stored settings could not be used and are back at their "
                                  "defaults: ") +
                      c.named + "."});
        // The rest of the key still comes back.
        EXPECT_EQ(p.gen().fInitLeft.Text(), "250");
    }
}

TEST(SettingsStore, AKeyThatHoldsOnlyANoticeFlagIsAFirstStart) {
    HeadlessProgram p;  // the key holds the Welcome flag alone
    p.start();
    expectResetValues(p.gen());
    EXPECT_TRUE(p.hp.dialogs.calls.empty());
}

TEST(SettingsStore, AKeyStoredBeforeTheFlashLockExistedLoadsWholeWithTheLockOff) {
    HeadlessProgram p;
    putFullKey(p);
    programKey(p).erase("FlashLock");
    p.start();
    vpg::TfrmGenerator& g = p.gen();
    EXPECT_FALSE(g.chkFlashLock.Checked());
    EXPECT_FALSE(g.Parameters.FlashLock);
    // Everything else came from the key: no reset ran.
    EXPECT_EQ(g.Duration.Text(), "5");
    EXPECT_FALSE(g.Loop.Checked());
    EXPECT_EQ(g.fInitLeft.Text(), "250");
    EXPECT_EQ(g.txtRound.Text(), "5");
    EXPECT_TRUE(frequencyLayoutApplied(g));
    // Off and on survive a close and the next start.
    for (bool locked : {true, false}) {
        SCOPED_TRACE(locked);
        g.chkFlashLock.userClicked();
        ASSERT_EQ(g.chkFlashLock.Checked(), locked);
        ASSERT_TRUE(g.SaveSettings());
        EXPECT_EQ(programKey(p).at("FlashLock"), RegistryValue::Integer(locked ? 1 : 0));
        HeadlessProgram next;
        next.hp.registry.keys = p.hp.registry.keys;
        next.start();
        EXPECT_EQ(next.gen().chkFlashLock.Checked(), locked);
        EXPECT_EQ(next.gen().Parameters.FlashLock, locked);
    }
}

TEST(SettingsStore, AMissingTextLeavesTheFieldEmptyAndTheLoadGoesOn) {
    struct Case {
        const char* name;
        const char* shown;  // the field's text after the load
    };
    const Case cases[] = {
        // Every read is followed by its field's rule, which decides about the empty text.
        {"Duration", "1"},
        {"AmplitudeLeft", "0"},
        {"txtPulseLength", "10"},
        {"AmplitudeRight", "0"},
        {"txtRound", "1"},
        {"PhaseEdit", "0"},
        // The end fields keep an empty text, and the slider its end.
        {"MinFreqEdit", ""},
        {"MaxFreqEdit", ""},
        {"fInitLeft", "1000"},
        {"fFinalLeft", "1000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HeadlessProgram p;
        putFullKey(p);
        programKey(p).erase(c.name);
        p.start();
        vpg::TfrmGenerator& g = p.gen();
        ui::Edit* fields[] = {&g.Duration,  &g.AmplitudeLeft, &g.txtPulseLength, &g.AmplitudeRight,
                              &g.txtRound,  &g.PhaseEdit,     &g.MinFreqEdit,    &g.MaxFreqEdit,
                              &g.fInitLeft, &g.fFinalLeft};
        const auto field = std::find_if(std::begin(fields), std::end(fields),
                                        [&](ui::Edit* e) { return e->Name == c.name; });
        ASSERT_NE(field, std::end(fields));
        EXPECT_EQ((*field)->Text(), c.shown);
        // The load went on to its end, and the reset did not run.
        EXPECT_FALSE(g.Loop.Checked());
        EXPECT_FALSE(g.LogarithmicLeft.Checked());
        EXPECT_TRUE(g.PresetRecallAutostart1.Checked());
        EXPECT_EQ(p.program.frmFrequencyDisplay->Width, 250);
        EXPECT_TRUE(frequencyLayoutApplied(g));
        if (std::string(c.name) != "fFinalLeft") {
            EXPECT_EQ(g.fFinalLeft.Text(), "750");
        }
        EXPECT_TRUE(p.hp.dialogs.calls.empty());
    }
}

TEST(SettingsStore, ADeviceIndexBeyondTheListFallsBackToTheSystemDefaultWithANotice) {
    HeadlessProgram p;  // one device: the list holds "Windows Default" and that device
    putFullKey(p);
    programKey(p)["WaveDevice"] = RegistryValue::Integer(5);
    p.start();
    vpg::TfrmGenerator& g = p.gen();
    EXPECT_EQ(g.WaveDevice.ItemIndex(), 0);
    EXPECT_EQ(g.WaveDevice.Text(), "Windows Default");
    EXPECT_EQ(g.AudioOut1->WaveDevice(), audio::WAVE_MAPPER);
    EXPECT_EQ(g.fInitLeft.Text(), "250");  // not a failure of the load
    ASSERT_EQ(p.hp.dialogs.calls.size(), 1u);
    p.hp.dialogs.calls.clear();

    g.btnONClick(nullptr);
    p.pump();
    EXPECT_TRUE(p.hp.dialogs.calls.empty());
    EXPECT_TRUE(p.hp.waveOut.isOpen());
    EXPECT_EQ(p.hp.waveOut.openedDeviceId(), audio::WAVE_MAPPER);
    EXPECT_EQ(g.LED.Brush(), ui::clGreen);
}

TEST(SettingsStore, AStoredDeltaOutsideTheSliderRangeIsClamped) {
    struct Case {
        std::int32_t stored;
        int position;
        const char* shown;
    };
    for (const Case& c : {Case{250, 100, "2"}, Case{-3000, -100, "-2"}, Case{101, 100, "2"},
                          Case{-100, -100, "-2"}}) {
        SCOPED_TRACE(c.stored);
        HeadlessProgram p;
        putFullKey(p);
        programKey(p)["FreqSliderRight"] = RegistryValue::Integer(c.stored);
        p.start();
        EXPECT_EQ(p.gen().FreqSliderRight.Position(), c.position);
        EXPECT_EQ(p.gen().lblFdelta.Caption(), c.shown);
        EXPECT_DOUBLE_EQ(p.gen().Parameters.InitStepRight, (250.0 + c.position / 50.0) / 11025);
    }
}

TEST(SettingsStore, StoredDisplayCoordinatesAreAppliedUnchanged) {
    HeadlessProgram p;
    putFullKey(p);
    programKey(p)["DisplayX"] = RegistryValue::Integer(-5000);
    programKey(p)["DisplayY"] = RegistryValue::Integer(90000);
    programKey(p)["DisplayW"] = RegistryValue::Integer(7);
    p.start();
    auto& display = *p.program.frmFrequencyDisplay;
    EXPECT_TRUE(display.Visible());
    EXPECT_EQ(display.Left, -5000);
    EXPECT_EQ(display.Top, 90000);
    EXPECT_EQ(display.Width, 7);
}

TEST(SettingsStore, StoredPlacesOutsideTheScreensAreBroughtOntoThem) {
    // Two screens side by side, 1280 x 1024 each, as the platform reports them.
    struct Case {
        std::int32_t formX, formY, displayX, displayY, displayW;
        bool moves;
    };
    const Case cases[] = {
        {100, 80, 600, 300, 250, false},        // on the screens: as stored
        {1700, 80, 2300, 300, 250, false},      // on the second screen
        {-5000, 90000, 9000, -300, 250, true},  // nowhere
        {100, 80, 600, 300, 32767, true},       // a display wider than the screens
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.formX << "," << c.formY << " " << c.displayX << ","
                                        << c.displayY << " w" << c.displayW);
        HeadlessProgram p;
        putFullKey(p);
        auto& key = programKey(p);
        key["FormX"] = RegistryValue::Integer(c.formX);
        key["FormY"] = RegistryValue::Integer(c.formY);
        key["DisplayX"] = RegistryValue::Integer(c.displayX);
        key["DisplayY"] = RegistryValue::Integer(c.displayY);
        key["DisplayW"] = RegistryValue::Integer(c.displayW);
        p.program.Application.screenArea = [] { return ui::ScreenArea{0, 0, 2560, 1024}; };
        p.start();
        vpg::TfrmGenerator& g = p.gen();
        auto& display = *p.program.frmFrequencyDisplay;
        for (const ui::Form* f :
             {static_cast<const ui::Form*>(&g), static_cast<const ui::Form*>(&display)}) {
            SCOPED_TRACE(f->Name);
            EXPECT_GE(f->Left, 0);
            EXPECT_GE(f->Top, 0);
            EXPECT_LE(f->Left + f->Width, 2560);
            EXPECT_LE(f->Top + f->Height, 1024);
        }
        if (!c.moves) {
            EXPECT_EQ(g.Left, c.formX);
            EXPECT_EQ(g.Top, c.formY);
            EXPECT_EQ(display.Left, c.displayX);
            EXPECT_EQ(display.Width, c.displayW);
        }
    }
}

// --- Saving -------------------------------------------------------------------------------------

TEST(SettingsStore, ACloseWritesEveryValueWithItsKind) {
    HeadlessProgram p;
    putFullKey(p);
    p.start();
    ASSERT_TRUE(p.gen().Close());
    EXPECT_FALSE(p.program.Running());
    const MemoryRegistry::Values& key = programKey(p);
    for (const Written& w : kWriteOrder) {
        SCOPED_TRACE(w.name);
        ASSERT_EQ(key.count(w.name), 1u);
        EXPECT_EQ(key.at(w.name).kind, w.kind);
    }
    // Loaded and saved without a change, the key is what it was.
    for (const auto& [name, value] : KeyAwayFromReset()) EXPECT_EQ(key.at(name), value) << name;
    EXPECT_EQ(p.hp.registry.openHandles(), 0);
}

TEST(SettingsStore, ACloseWritesTheValuesInTheirOrder) {
    // With the store refusing every write after the first k, the message names value k and
    // exactly the values before it are in the store.
    for (int k = 0; k <= static_cast<int>(std::size(kWriteOrder)); ++k) {
        SCOPED_TRACE(k);
        HeadlessProgram p;
        p.start();
        programKey(p).clear();
        p.hp.registry.writesBeforeRefusal = k;
        const bool saved = p.gen().SaveSettings();
        std::vector<std::string> written;
        for (const auto& entry : programKey(p)) written.push_back(entry.first);
        std::vector<std::string> expected;
        for (int i = 0; i < k && i < static_cast<int>(std::size(kWriteOrder)); ++i)
            expected.emplace_back(kWriteOrder[i].name);
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(written, expected);
        if (k == static_cast<int>(std::size(kWriteOrder))) {
            EXPECT_TRUE(saved);
            EXPECT_TRUE(p.hp.dialogs.calls.empty());
        } else {
            EXPECT_FALSE(saved);
            EXPECT_EQ(p.hp.dialogs.messages(),
                      std::vector<std::string>{std::string("Failed to set data for '") +
                                               kWriteOrder[k].name + "'"});
        }
        EXPECT_EQ(p.hp.registry.openHandles(), 0);
    }
}

TEST(SettingsStore, FlagsAreWrittenAsOneAndZero) {
    HeadlessProgram p;
    p.start();  // reset values: Loop and LogarithmicLeft ticked, BidirectionalLeft clear
    ASSERT_TRUE(p.gen().Close());
    const MemoryRegistry::Values& key = programKey(p);
    EXPECT_EQ(key.at("Loop"), RegistryValue::Integer(1));
    EXPECT_EQ(key.at("LogarithmicLeft"), RegistryValue::Integer(1));
    EXPECT_EQ(key.at("chkConstantLeft"), RegistryValue::Integer(1));
    EXPECT_EQ(key.at("BidirectionalLeft"), RegistryValue::Integer(0));
    EXPECT_EQ(key.at("PresetAutoStart"), RegistryValue::Integer(0));
    EXPECT_EQ(key.at("frmFrequencyDisplay"), RegistryValue::Integer(0));
    EXPECT_EQ(key.at("WaveDevice"), RegistryValue::Integer(0));
}

TEST(SettingsStore, NegativeWindowCoordinatesSurviveARoundTrip) {
    HeadlessProgram first;
    first.start();
    first.gen().Left = -1280;
    first.gen().Top = -20;
    first.gen().FrequencyDisplay1Click(nullptr);
    first.program.frmFrequencyDisplay->Left = -700;
    ASSERT_TRUE(first.gen().Close());

    HeadlessProgram second;
    second.hp.registry.keys = first.hp.registry.keys;
    second.program.Startup();  // loaded, not yet shown
    EXPECT_EQ(second.gen().Left, -1280);
    EXPECT_EQ(second.gen().Top, -20);
    EXPECT_EQ(second.program.frmFrequencyDisplay->Left, -700);
    EXPECT_TRUE(second.program.frmFrequencyDisplay->Visible());
}

TEST(SettingsStore, AProgramClosedInSweepModeStartsInConstantModeWithItsSweepChoices) {
    HeadlessProgram first;
    first.start();
    vpg::TfrmGenerator& g = first.gen();
    g.MemRecall(1);  // a slot not stored since start-up recalls into sweep mode
    ASSERT_TRUE(g.chkSweepLeft.Checked());
    g.fFinalLeft.userTyped("420");
    g.LogarithmicLeft.userClicked();  // ticked by the reset: now clear
    g.BidirectionalLeft.userClicked();
    g.btnPause.userFocused();
    ASSERT_TRUE(g.Close());
    EXPECT_EQ(programKey(first).at("chkConstantLeft"), RegistryValue::Integer(0));

    HeadlessProgram second;
    second.hp.registry.keys = first.hp.registry.keys;
    second.start();
    vpg::TfrmGenerator& h = second.gen();
    EXPECT_TRUE(h.chkConstantLeft.Checked());
    EXPECT_FALSE(h.chkSweepLeft.Checked());
    EXPECT_TRUE(frequencyLayoutApplied(h));
    EXPECT_FALSE(h.fFinalLeft.Visible());
    EXPECT_EQ(h.fFinalLeft.Text(), "420");
    EXPECT_FALSE(h.LogarithmicLeft.Checked());
    EXPECT_TRUE(h.BidirectionalLeft.Checked());
    // The way back into the sweep brings them along.
    h.MemRecall(1);
    EXPECT_TRUE(h.chkSweepLeft.Checked());
    EXPECT_EQ(h.fFinalLeft.Text(), "420");
    EXPECT_TRUE(h.BidirectionalLeft.Checked());
}

TEST(SettingsStore, AFieldTypedIntoAndNotLeftIsStoredAsTypedAndComesBackThroughItsRule) {
    struct Case {
        ui::Edit vpg::TfrmGenerator::*field;
        const char* typed;
        const char* loaded;  // what the field shows at the next start
    };
    const Case cases[] = {
        {&vpg::TfrmGenerator::Duration, "7,5", "7.5"},
        {&vpg::TfrmGenerator::txtRound, "abc", "1"},
        {&vpg::TfrmGenerator::AmplitudeRight, "-3", "-3"},
        {&vpg::TfrmGenerator::txtPulseLength, "12.5", "10"},
        {&vpg::TfrmGenerator::AmplitudeLeft, "loud", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        HeadlessProgram first;
        first.start();
        ui::Edit& typedInto = first.gen().*c.field;
        typedInto.userTyped(c.typed);
        ASSERT_TRUE(typedInto.Focused());  // its exit check has not run
        ASSERT_TRUE(first.gen().Close());
        EXPECT_EQ(programKey(first).at(typedInto.Name), RegistryValue::Text(c.typed));

        HeadlessProgram second;
        second.hp.registry.keys = first.hp.registry.keys;
        second.start();
        EXPECT_EQ((second.gen().*c.field).Text(), c.loaded);
    }
}

// --- A close whose write fails ------------------------------------------------------------------

TEST(SettingsStore, AFailedWriteAtCloseShowsTheMessageThenAsksWhetherToCloseWithoutSaving) {
    struct Case {
        const char* what;
        int answer;
        bool closes;
    };
    for (const Case& c : {Case{"Yes", ui::mrYes, true}, Case{"No", ui::mrNo, false}}) {
        SCOPED_TRACE(c.what);
        HeadlessProgram p;
        p.start();
        p.hp.registry.denyCreate = true;
        p.hp.dialogs.answerQuestion(c.answer);
        EXPECT_EQ(p.gen().Close(), c.closes);

        const auto& calls = p.hp.dialogs.calls;
        ASSERT_EQ(calls.size(), 2u);
        EXPECT_EQ(calls[0].kind, ScriptedDialogs::Kind::Message);
        EXPECT_EQ(calls[0].text, "Failed to set data for 'fInitLeft'");
        EXPECT_EQ(calls[1].kind, ScriptedDialogs::Kind::Question);
        EXPECT_EQ(calls[1].buttons, unsigned{ui::mbYes | ui::mbNo});
        EXPECT_EQ(p.program.Running(), !c.closes);
        EXPECT_EQ(p.gen().Visible(), !c.closes);
        EXPECT_EQ(programKey(p).count("fInitLeft"), 0u);
    }
}

TEST(SettingsStore, AWindowKeptOpenAfterAFailedWriteSavesAtTheNextClose) {
    HeadlessProgram p;
    p.start();
    p.hp.registry.writesBeforeRefusal = 0;
    EXPECT_FALSE(p.gen().Close());  // unscripted questions are answered No
    EXPECT_TRUE(p.program.Running());

    p.hp.registry.writesBeforeRefusal = -1;
    p.gen().fInitLeft.userTyped("321");
    EXPECT_TRUE(p.gen().Close());
    EXPECT_FALSE(p.program.Running());
    EXPECT_EQ(programKey(p).at("fInitLeft"), RegistryValue::Text("321"));
    EXPECT_EQ(p.hp.dialogs.calls.size(), 2u);  // only the first close asked
}

TEST(SettingsStore, ValuesWrittenBeforeAFailedWriteStay) {
    HeadlessProgram p;
    putFullKey(p);
    p.start();
    vpg::TfrmGenerator& g = p.gen();
    g.fInitLeft.userTyped("111");
    g.WndProc(1033, 22200, 0);  // the final frequency field is hidden in constant mode
    g.AmplitudeLeft.userTyped("-1");
    g.btnPause.userFocused();
    g.BidirectionalLeft.setChecked(false);  // stored ticked
    p.hp.registry.writesBeforeRefusal = 5;
    p.hp.dialogs.answerQuestion(ui::mrYes);
    EXPECT_TRUE(g.Close());

    EXPECT_EQ(p.hp.dialogs.calls.front().text, "Failed to set data for 'BidirectionalLeft'");
    const MemoryRegistry::Values& key = programKey(p);
    EXPECT_EQ(key.at("fInitLeft"), RegistryValue::Text("111"));
    EXPECT_EQ(key.at("fFinalLeft"), RegistryValue::Text("222"));
    EXPECT_EQ(key.at("AmplitudeLeft"), RegistryValue::Text("-1"));
    // Not reached: the stored value is the old one.
    EXPECT_EQ(key.at("BidirectionalLeft"), RegistryValue::Integer(1));
    EXPECT_EQ(p.hp.registry.openHandles(), 0);
}

// --- The reset command --------------------------------------------------------------------------

TEST(SettingsStore, ResetPutsInTheDefaultsAndLeavesTheRestAlone) {
    HeadlessProgram p;
    putFullKey(p);
    p.start();
    vpg::TfrmGenerator& g = p.gen();
    // Into sweep mode without a recall: with autostart on, a recall would start the signal.
    g.chkSweepLeft.setChecked(true);
    g.MemStore(3);
    ASSERT_TRUE(g.fFinalLeft.Visible());
    g.barAmplitudeLeft.userMoved(20);
    g.barAmplitudeRight.userMoved(35);
    ASSERT_EQ(g.AmplitudeLeft.Text(), "-20");
    ASSERT_TRUE(g.chkFlashLock.Checked());  // from the key; the reset turns it off
    const auto presetsBefore = g.Presets;
    const MemoryRegistry::Values keyBefore = programKey(p);
    const int writesBefore = p.hp.registry.writes();

    EXPECT_TRUE(g.userKeyDown('Z', ui::ShiftState{false, true, false}));  // Ctrl+Z

    expectResetValues(g);
    EXPECT_EQ(g.AmplitudeLeft.Text(), "0");
    EXPECT_EQ(g.AmplitudeRight.Text(), "0");
    EXPECT_EQ(g.trkPulseLength.Position(), 10);
    // Switched from sweep to constant mode: the controls are laid out for it.
    EXPECT_TRUE(frequencyLayoutApplied(g));
    EXPECT_FALSE(g.fFinalLeft.Visible());
    EXPECT_DOUBLE_EQ(g.Parameters.InitStepLeft, 100.0 / 11025);
    // Left alone.
    EXPECT_EQ(g.PhaseEdit.Text(), "45");
    EXPECT_EQ(g.FreqSliderRight.Position(), 30);
    EXPECT_EQ(g.txtRound.Text(), "5");
    EXPECT_TRUE(g.PresetRecallAutostart1.Checked());
    EXPECT_TRUE(p.program.frmFrequencyDisplay->Visible());
    EXPECT_EQ(p.program.frmFrequencyDisplay->Left, 600);
    EXPECT_EQ(g.Left, 100);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(g.Presets[i].fInitLeft, presetsBefore[i].fInitLeft);
        EXPECT_EQ(g.Presets[i].ConstantMode, presetsBefore[i].ConstantMode);
    }
    // Nothing is written: the store is written at the close only.
    EXPECT_EQ(p.hp.registry.writes(), writesBefore);
    EXPECT_EQ(programKey(p), keyBefore);
    EXPECT_TRUE(p.hp.dialogs.calls.empty());
}

TEST(SettingsStore, ResetPutsTheDefaultRangeWhateverRangeItReplaces) {
    for (const char* upper : {"10", "15", "5000"}) {
        SCOPED_TRACE(upper);
        HeadlessProgram p;
        p.startAt44100();
        vpg::TfrmGenerator& g = p.gen();
        p.typeAndLeave(g.MinFreqEdit, "5");
        p.typeAndLeave(g.MaxFreqEdit, upper);
        ASSERT_EQ(g.MaxFreqEdit.Text(), upper);
        g.rESETTOdEFAULT1.Click();
        EXPECT_EQ(g.MinFreqEdit.Text(), "20");
        EXPECT_EQ(g.MaxFreqEdit.Text(), "500");
        EXPECT_EQ(g.FreqSliderLeft.Min(), 1000);
        EXPECT_EQ(g.FreqSliderLeft.Max(), 2398);
    }
}

TEST(SettingsStore, ResetInConstantModeRunsNoModeChange) {
    HeadlessProgram p;
    p.start();
    vpg::TfrmGenerator& g = p.gen();
    int clicks = 0;
    g.chkConstantLeft.OnClick = [&](ui::Object*) { ++clicks; };
    g.rESETTOdEFAULT1.Click();
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(frequencyLayoutApplied(g));
}

TEST(SettingsStore, ResetHandsTheDefaultDeviceToTheOutput) {
    HeadlessProgram p;
    putFullKey(p);
    p.start();
    ASSERT_EQ(p.gen().AudioOut1->WaveDevice(), 0u);
    p.gen().rESETTOdEFAULT1.Click();
    EXPECT_EQ(p.gen().WaveDevice.Text(), "Windows Default");
    EXPECT_EQ(p.gen().AudioOut1->WaveDevice(), audio::WAVE_MAPPER);
    p.render(16);
    EXPECT_EQ(p.hp.waveOut.openedDeviceId(), audio::WAVE_MAPPER);
}

}  // namespace
