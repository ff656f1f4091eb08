// The four memory slots: seeded at start-up into sweep mode, stored and recalled from the buttons,
// their menus, the function keys and message 1048, renamed in place.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/headless_program.h"
#include "support/stored_settings.h"

namespace {

using doubles::FakeWaveOut;
using persistence::RegistryValue;
using portable::MemoryRegistry;
using testing_support::HeadlessProgram;
using vpg::TfrmGenerator;

constexpr std::uint32_t kPresetMessage = 1048;
constexpr ui::ShiftState kShift{true, false, false};

MemoryRegistry::Values& programKey(HeadlessProgram& p) {
    return p.hp.registry.keys[vpg::ProgramKey()];
}

// A key whose load puts values away from the reset's into the controls; autostart off unless
// asked for.
void putLoadedValues(HeadlessProgram& p, bool autostart = false) {
    MemoryRegistry::Values values = testing_support::KeyAwayFromReset();
    // This key holds no mode and no lock value.
    values.erase("chkConstantLeft");
    values.erase("FlashLock");
    values["Loop"] = RegistryValue::Integer(1);
    values["PresetAutoStart"] = RegistryValue::Integer(autostart ? 1 : 0);
    values["frmFrequencyDisplay"] = RegistryValue::Integer(0);
    for (const auto& [name, value] : values) programKey(p)[name] = value;
}

HeadlessProgram& startLoaded(HeadlessProgram& p, bool autostart = false) {
    putLoadedValues(p, autostart);
    return p.start();
}

bool inSweepLayout(TfrmGenerator& g) {
    return g.chkSweepLeft.Checked() && !g.chkConstantLeft.Checked() && g.fFinalLeft.Visible() &&
           g.LogarithmicLeft.Visible() && g.BidirectionalLeft.Visible() &&
           g.lblFreqToLeft.Visible() && !g.SemiUpLeft.Visible() && !g.fInitLeftPlus.Visible();
}

bool inConstantLayout(TfrmGenerator& g) {
    return g.chkConstantLeft.Checked() && !g.chkSweepLeft.Checked() && !g.fFinalLeft.Visible() &&
           !g.LogarithmicLeft.Visible() && g.SemiUpLeft.Visible() && g.fInitLeftPlus.Visible();
}

ui::Button& memoryButton(TfrmGenerator& g, int slot) {
    ui::Button* buttons[] = {&g.Memory1, &g.Memory2, &g.Memory3, &g.Memory4};
    return *buttons[slot - 1];
}

// --- Recall -------------------------------------------------------------------------------------

TEST(MemoryPresets, ASlotNotStoredSinceStartUpRecallsIntoSweepModeWithTheLoadedValues) {
    for (int slot = 1; slot <= 4; ++slot) {
        SCOPED_TRACE(slot);
        HeadlessProgram p;
        startLoaded(p);
        TfrmGenerator& g = p.gen();
        ASSERT_TRUE(inConstantLayout(g));
        memoryButton(g, slot).userClicked();

        EXPECT_TRUE(inSweepLayout(g));
        EXPECT_EQ(g.fInitLeft.Text(), "250");
        EXPECT_EQ(g.fFinalLeft.Text(), "750");
        EXPECT_FALSE(g.LogarithmicLeft.Checked());
        EXPECT_TRUE(g.BidirectionalLeft.Checked());
        EXPECT_EQ(g.AmplitudeLeft.Text(), "-6");
        EXPECT_EQ(g.AmplitudeRight.Text(), "-12");
        EXPECT_EQ(g.barAmplitudeLeft.Position(), 6);  // the level exits ran
        EXPECT_EQ(g.barAmplitudeRight.Position(), 12);
        EXPECT_EQ(g.Duration.Text(), "5");
        EXPECT_TRUE(g.Loop.Checked());
        // The engine's inputs follow: a sweep from 250 to 750 Hz.
        EXPECT_DOUBLE_EQ(g.Parameters.InitStepLeft, 250.0 / 11025);
        EXPECT_DOUBLE_EQ(g.Parameters.FinalStepLeft, 750.0 / 11025);
        // Without autostart nothing plays.
        EXPECT_FALSE(g.AudioOut1->Active);
        EXPECT_EQ(p.hp.waveOut.count(FakeWaveOut::Call::Open), 0u);
        EXPECT_TRUE(p.hp.dialogs.calls.empty());
    }
}

TEST(MemoryPresets, ASlotStoredInConstantModeRecallsIntoConstantMode) {
    HeadlessProgram p;
    startLoaded(p);
    TfrmGenerator& g = p.gen();
    p.typeAndLeave(g.fInitLeft, "300");
    p.typeAndLeave(g.AmplitudeLeft, "-9");
    g.Store.Click();                             // slot 1's right-click menu
    EXPECT_EQ(g.Memory1.Caption(), "Memory 1");  // a store changes nothing else

    g.Memory2.userClicked();  // a seeded slot: sweep mode
    ASSERT_TRUE(inSweepLayout(g));
    p.typeAndLeave(g.fInitLeft, "400");
    p.typeAndLeave(g.AmplitudeLeft, "-30");

    g.Memory1.userClicked();
    EXPECT_TRUE(inConstantLayout(g));
    EXPECT_EQ(g.fInitLeft.Text(), "300");
    EXPECT_EQ(g.AmplitudeLeft.Text(), "-9");
    EXPECT_EQ(g.barAmplitudeLeft.Position(), 9);
    EXPECT_EQ(g.Duration.Text(), "5");
    EXPECT_DOUBLE_EQ(g.Parameters.InitStepLeft, 300.0 / 11025);
    EXPECT_DOUBLE_EQ(g.Parameters.FinalStepLeft, g.Parameters.InitStepLeft);
    EXPECT_TRUE(p.hp.dialogs.calls.empty());
}

TEST(MemoryPresets, ASlotKeepsTheFlashLock) {
    HeadlessProgram p;
    startLoaded(p);
    TfrmGenerator& g = p.gen();
    g.chkFlashLock.userClicked();
    ASSERT_TRUE(g.Parameters.FlashLock);
    g.MemStore(1);
    g.chkFlashLock.userClicked();
    g.MemStore(2);
    g.MemRecall(1);
    EXPECT_TRUE(g.chkFlashLock.Checked());
    EXPECT_TRUE(g.Parameters.FlashLock);
    g.MemRecall(2);
    EXPECT_FALSE(g.chkFlashLock.Checked());
    EXPECT_FALSE(g.Parameters.FlashLock);
    // A seeded slot holds the lock as it was loaded (off here).
    g.chkFlashLock.userClicked();
    g.MemRecall(3);
    EXPECT_FALSE(g.chkFlashLock.Checked());
}

TEST(MemoryPresets, ARecallThroughTheMessageStopsTheOutputAndAutostartStartsItAgain) {
    struct Case {
        const char* what;
        bool playing;
        bool autostart;
        bool playsAfter;
        std::size_t opens;
    };
    const Case cases[] = {
        {"playing, no autostart", true, false, false, 1},
        {"playing, autostart", true, true, true, 2},
        {"stopped, autostart", false, true, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HeadlessProgram p;
        startLoaded(p, c.autostart);
        TfrmGenerator& g = p.gen();
        p.typeAndLeave(g.fInitLeft, "300");
        g.MemStore(2);
        p.typeAndLeave(g.fInitLeft, "200");
        if (c.playing) {
            p.render(100);
            ASSERT_TRUE(g.AudioOut1->Active);
        }

        g.WndProc(kPresetMessage, 0, 2);
        p.pump();
        EXPECT_EQ(g.AudioOut1->Active, c.playsAfter);
        EXPECT_EQ(p.hp.waveOut.isOpen(), c.playsAfter);
        EXPECT_EQ(p.hp.waveOut.count(FakeWaveOut::Call::Open), c.opens);
        EXPECT_EQ(g.LED.Brush(), c.playsAfter ? ui::clGreen : ui::clMaroon);
        EXPECT_EQ(g.fInitLeft.Text(), "300");
        EXPECT_TRUE(inConstantLayout(g));
        if (c.playsAfter) {
            // The new run starts from the recalled frequency.
            EXPECT_DOUBLE_EQ(g.Parameters.InitStepLeft, 300.0 / 11025);
            EXPECT_DOUBLE_EQ(g.State.StepLeft, engine::TwoPi * 300.0 / 11025);
        }
        EXPECT_TRUE(p.hp.dialogs.calls.empty());
    }
}

TEST(MemoryPresets, ARecallLeavesPhasePulseLengthDeltaDeviceRangeAndRoundingAlone) {
    HeadlessProgram p;
    startLoaded(p);
    TfrmGenerator& g = p.gen();
    p.typeAndLeave(g.PhaseEdit, "90");
    p.typeAndLeave(g.txtPulseLength, "30");
    g.FreqSliderRight.userMoved(-40);
    g.WaveDevice.userSelected(0);
    p.typeAndLeave(g.MinFreqEdit, "50");
    p.typeAndLeave(g.MaxFreqEdit, "1500");
    p.typeAndLeave(g.txtRound, "2");
    const int minPosition = g.FreqSliderLeft.Min();
    const int maxPosition = g.FreqSliderLeft.Max();
    const double phase = g.Parameters.PhaseOffset;
    const double pulseLength = g.Parameters.PulseLength;

    g.Memory1.userClicked();
    ASSERT_TRUE(inSweepLayout(g));  // the recall did happen

    EXPECT_EQ(g.PhaseEdit.Text(), "90");
    EXPECT_EQ(g.trkPhase.Position(), 90);
    EXPECT_EQ(g.Parameters.PhaseOffset, phase);
    EXPECT_EQ(g.txtPulseLength.Text(), "30");
    EXPECT_EQ(g.trkPulseLength.Position(), 30);
    EXPECT_EQ(g.Parameters.PulseLength, pulseLength);
    EXPECT_EQ(g.FreqSliderRight.Position(), -40);
    EXPECT_EQ(g.WaveDevice.ItemIndex(), 0);
    EXPECT_EQ(g.AudioOut1->WaveDevice(), audio::WAVE_MAPPER);
    EXPECT_EQ(g.MinFreqEdit.Text(), "50");
    EXPECT_EQ(g.MaxFreqEdit.Text(), "1500");
    EXPECT_EQ(g.FreqSliderLeft.Min(), minPosition);
    EXPECT_EQ(g.FreqSliderLeft.Max(), maxPosition);
    EXPECT_EQ(g.txtRound.Text(), "2");
    // The pulse channel still runs at the recalled frequency plus the delta the user set.
    EXPECT_DOUBLE_EQ(g.Parameters.InitStepRight, (250.0 - 40 / 50.0) / 11025);
}

// --- Keys, buttons and the message while the output is open -------------------------------------

TEST(MemoryPresets, FunctionKeysStoreAndRecallTheirSlotThoughThePresetsMenuIsNeverShown) {
    for (int slot = 1; slot <= 4; ++slot) {
        SCOPED_TRACE(slot);
        const auto key = static_cast<std::uint16_t>(ui::VK_F5 + slot - 1);
        HeadlessProgram p;
        p.start();
        TfrmGenerator& g = p.gen();
        ASSERT_FALSE(g.Presets1.Visible());
        const std::string stored = std::to_string(200 + slot);
        p.typeAndLeave(g.fInitLeft, stored);

        EXPECT_TRUE(g.userKeyDown(key, kShift));
        for (int other = 1; other <= 4; ++other) {
            const vpg::MemoryPreset& m = g.Presets[static_cast<std::size_t>(other - 1)];
            EXPECT_EQ(m.fInitLeft, other == slot ? stored : "100") << other;
            EXPECT_EQ(m.ConstantMode, other == slot) << other;
        }

        p.typeAndLeave(g.fInitLeft, "150");
        EXPECT_TRUE(g.userKeyDown(key));
        EXPECT_EQ(g.fInitLeft.Text(), stored);
        EXPECT_TRUE(g.chkConstantLeft.Checked());
    }
}

TEST(MemoryPresets, KeysAndButtonsDoNothingWhileTheOutputIsOpenButTheMessageStillWorks) {
    for (const bool paused : {false, true}) {
        SCOPED_TRACE(paused ? "paused" : "playing");
        HeadlessProgram p;
        p.start();
        TfrmGenerator& g = p.gen();
        p.render(100);
        if (paused) g.btnPauseClick(nullptr);
        ASSERT_TRUE(g.AudioOut1->Active);
        EXPECT_FALSE(g.Presets1.Enabled());
        EXPECT_FALSE(g.Memory1.Enabled());

        g.WndProc(1031, 12300, 0);  // another program sets 123 Hz
        ASSERT_EQ(g.fInitLeft.Text(), "123");
        g.userKeyDown(ui::VK_F5, kShift);
        EXPECT_EQ(g.Presets[0].fInitLeft, "100");
        g.userKeyDown(ui::VK_F6);
        g.Memory3.userClicked();
        EXPECT_TRUE(g.chkConstantLeft.Checked());  // a seeded slot would have switched to sweep
        EXPECT_TRUE(g.AudioOut1->Active);

        // The message stores, and the output plays on ...
        g.WndProc(kPresetMessage, 1, 1);
        EXPECT_EQ(g.Presets[0].fInitLeft, "123");
        EXPECT_TRUE(g.Presets[0].ConstantMode);
        EXPECT_TRUE(g.AudioOut1->Active);
        // ... and recalls, which stops it.
        g.WndProc(kPresetMessage, 0, 2);
        p.pump();
        EXPECT_FALSE(g.AudioOut1->Active);
        EXPECT_TRUE(inSweepLayout(g));
        EXPECT_EQ(g.fInitLeft.Text(), "100");

        // Stopped, the keys work again.
        EXPECT_TRUE(g.Presets1.Enabled());
        EXPECT_TRUE(g.userKeyDown(ui::VK_F5));
        EXPECT_EQ(g.fInitLeft.Text(), "123");
        EXPECT_TRUE(g.chkConstantLeft.Checked());
    }
}

TEST(MemoryPresets, TheMessageIgnoresSlotsOutsideOneToFourAndUnknownCommands) {
    struct Case {
        std::uint32_t wParam;
        std::intptr_t lParam;
    };
    for (const Case& c : {Case{0, 0}, Case{0, 5}, Case{1, 0}, Case{1, 5}, Case{0, -1},
                          Case{1, 1000}, Case{2, 1}, Case{0xFFFFFFFFu, 1}}) {
        SCOPED_TRACE(std::to_string(c.wParam) + "," + std::to_string(c.lParam));
        HeadlessProgram p;
        p.start();
        TfrmGenerator& g = p.gen();
        p.typeAndLeave(g.fInitLeft, "321");
        const auto before = g.Presets;
        g.WndProc(kPresetMessage, c.wParam, c.lParam);
        EXPECT_TRUE(g.chkConstantLeft.Checked());
        EXPECT_EQ(g.fInitLeft.Text(), "321");
        for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(g.Presets[i].fInitLeft, before[i].fInitLeft);
    }
}

// --- Texts --------------------------------------------------------------------------------------

TEST(MemoryPresets, TextsLongerThan255CharactersAreCutToTheirFirst255) {
    // The first 255 characters differ from the rest, so a cut from the wrong end shows.
    const auto longText = [](char head) { return std::string(255, head) + std::string(45, 'x'); };
    HeadlessProgram p;
    p.start();
    TfrmGenerator& g = p.gen();
    g.fInitLeft.setText(longText('1'));
    g.fFinalLeft.setText(longText('2'));
    g.AmplitudeLeft.setText(longText('3'));
    g.AmplitudeRight.setText(longText('4'));
    g.Duration.setText(longText('5'));
    g.MemStore(4);
    const vpg::MemoryPreset& m = g.Presets[3];
    EXPECT_EQ(m.fInitLeft, std::string(255, '1'));
    EXPECT_EQ(m.fFinalLeft, std::string(255, '2'));
    EXPECT_EQ(m.AmplitudeLeft, std::string(255, '3'));
    EXPECT_EQ(m.AmplitudeRight, std::string(255, '4'));
    EXPECT_EQ(m.Duration, std::string(255, '5'));
}

TEST(MemoryPresets, ALongTextIsCutOnACharacterBoundaryNeverInsideOne) {
    // Texts of 256 bytes or more whose 255th byte lies inside a character: the cut keeps the
    // whole characters before it.
    struct Case {
        const char* what;
        std::string text;
        std::size_t kept;  // bytes
    };
    const std::string a254(254, '1'), a253(253, '1'), a252(252, '1');
    const Case cases[] = {
        {"a two-byte character at bytes 255-256", a254 + "\xC3\xA9" + "9", 254},
        {"a three-byte character at bytes 254-256", a253 + "\xE2\x82\xAC", 253},
        {"a three-byte character at bytes 255-257", a254 + "\xE2\x82\xAC", 254},
        {"a four-byte character at bytes 253-256", a252 + "\xF0\x9F\x98\x80", 252},
        {"a two-byte character ending at byte 255", a253 + "\xC3\xA9" + "9", 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HeadlessProgram p;
        p.start();
        TfrmGenerator& g = p.gen();
        for (ui::Edit* field :
             {&g.fInitLeft, &g.fFinalLeft, &g.AmplitudeLeft, &g.AmplitudeRight, &g.Duration})
            field->setText(c.text);
        g.MemStore(1);
        const vpg::MemoryPreset& m = g.Presets[0];
        for (const std::string* stored :
             {&m.fInitLeft, &m.fFinalLeft, &m.AmplitudeLeft, &m.AmplitudeRight, &m.Duration})
            EXPECT_EQ(*stored, c.text.substr(0, c.kept));
        g.SeedPresets();
        EXPECT_EQ(g.Presets[2].Duration, c.text.substr(0, c.kept));
    }
}

TEST(MemoryPresets, ALongLoadedTextIsBroughtUnderItsRuleBeforeThePresetsAreSeeded) {
    // A 260-digit duration is a number far too long for a signal: the field and every seeded
    // preset hold the longest signal at the loaded rate (11025 Hz) instead.
    HeadlessProgram p;
    const std::string loaded = "1" + std::string(254, '0') + "23456";  // 260 characters
    putLoadedValues(p);
    programKey(p)["Duration"] = RegistryValue::Text(loaded);
    p.start();
    TfrmGenerator& g = p.gen();
    EXPECT_EQ(g.Duration.Text(), "194783.0938");
    for (const vpg::MemoryPreset& m : g.Presets) EXPECT_EQ(m.Duration, "194783.0938");
    g.Memory1.userClicked();
    EXPECT_EQ(g.Duration.Text(), "194783.0938");
}

// --- Rename -------------------------------------------------------------------------------------

struct RenameWiring {
    ui::Button TfrmGenerator::*button;
    ui::MenuItem TfrmGenerator::*popup;
    ui::MenuItem TfrmGenerator::*rename;
    ui::Edit TfrmGenerator::*field;
    const char* designed;
};
constexpr RenameWiring kSlots[] = {
    {&TfrmGenerator::Memory1, &TfrmGenerator::PopupMenu1, &TfrmGenerator::Rename,
     &TfrmGenerator::Mem1Edit, "Memory 1"},
    {&TfrmGenerator::Memory2, &TfrmGenerator::PopupMenu2, &TfrmGenerator::Rename1,
     &TfrmGenerator::Mem2Edit, "Memory 2"},
    {&TfrmGenerator::Memory3, &TfrmGenerator::PopupMenu3, &TfrmGenerator::Rename2,
     &TfrmGenerator::Mem3Edit, "Memory 3"},
    {&TfrmGenerator::Memory4, &TfrmGenerator::PopupMenu4, &TfrmGenerator::Rename3,
     &TfrmGenerator::Mem4Edit, "Memory 4"},
};

TEST(MemoryPresets, RenameWithEnterNamesTheButtonAndDoesNotStartTheSignal) {
    for (const RenameWiring& s : kSlots) {
        SCOPED_TRACE(s.designed);
        HeadlessProgram p;
        p.start();
        TfrmGenerator& g = p.gen();
        ui::Button& button = g.*s.button;
        ui::Edit& field = g.*s.field;
        ASSERT_EQ(button.PopupMenu, &(g.*s.popup));
        EXPECT_FALSE(field.Visible());
        EXPECT_FALSE(field.Enabled());

        (g.*s.rename).Click();
        EXPECT_TRUE(field.Visible());
        EXPECT_TRUE(field.Enabled());
        EXPECT_TRUE(field.Focused());
        EXPECT_EQ(field.Text(), s.designed);
        EXPECT_EQ(button.Caption(), "");
        EXPECT_NE(g.DefaultButton(), &g.btnON);

        // Escape gives up the typed name: the old one comes back, Enter is ON's again.
        field.userTyped("Bass");
        EXPECT_TRUE(g.userKeyDown(ui::VK_ESCAPE));
        EXPECT_EQ(button.Caption(), s.designed);
        EXPECT_FALSE(field.Visible());
        EXPECT_EQ(g.DefaultButton(), &g.btnON);
        // A rename given up after an earlier one keeps that earlier name.
        (g.*s.rename).Click();
        field.userTyped("Bass");
        g.userKeyDown(ui::VK_RETURN);
        ASSERT_EQ(button.Caption(), "Bass");
        (g.*s.rename).Click();
        EXPECT_EQ(field.Text(), "Bass");
        field.userTyped("Treble");
        g.userKeyDown(ui::VK_ESCAPE);
        EXPECT_EQ(button.Caption(), "Bass");
        EXPECT_FALSE(field.Visible());

        (g.*s.rename).Click();
        field.userTyped("Bass");
        g.userKeyDown(ui::VK_RETURN);
        EXPECT_EQ(button.Caption(), "Bass");
        EXPECT_FALSE(field.Visible());
        EXPECT_FALSE(field.Enabled());
        EXPECT_EQ(g.DefaultButton(), &g.btnON);
        p.pump();
        EXPECT_FALSE(g.AudioOut1->Active);
        EXPECT_EQ(p.hp.waveOut.count(FakeWaveOut::Call::Open), 0u);
        for (const RenameWiring& other : kSlots) {
            if (&other != &s) {
                EXPECT_EQ((g.*other.button).Caption(), other.designed);
            }
        }

        // With the field closed, Enter belongs to ON again.
        g.userKeyDown(ui::VK_RETURN);
        p.pump();
        EXPECT_TRUE(g.AudioOut1->Active);
    }
}

TEST(MemoryPresets, RenameEndsWhenTheFieldLosesTheFocus) {
    HeadlessProgram p;
    p.start();
    TfrmGenerator& g = p.gen();
    g.Rename2.Click();
    g.Mem3Edit.userTyped("Low");
    g.Duration.userFocused();  // a click in another field
    EXPECT_EQ(g.Memory3.Caption(), "Low");
    EXPECT_FALSE(g.Mem3Edit.Visible());
    EXPECT_EQ(g.DefaultButton(), &g.btnON);

    // Opening another slot's rename takes the open one's name first.
    g.Rename.Click();
    g.Mem1Edit.userTyped("One");
    g.Rename1.Click();
    EXPECT_EQ(g.Memory1.Caption(), "One");
    EXPECT_FALSE(g.Mem1Edit.Visible());
    EXPECT_TRUE(g.Mem2Edit.Focused());
    EXPECT_EQ(g.Memory2.Caption(), "");
}

TEST(MemoryPresets, AnEmptyNameLeavesNoCaptionUntilTheNextStart) {
    HeadlessProgram p;
    p.start();
    TfrmGenerator& g = p.gen();
    g.Rename.Click();
    g.Mem1Edit.userTyped("");
    g.userKeyDown(ui::VK_RETURN);
    EXPECT_EQ(g.Memory1.Caption(), "");
    EXPECT_FALSE(g.Mem1Edit.Visible());
    ASSERT_TRUE(g.Close());

    HeadlessProgram next;
    next.hp.registry.keys = p.hp.registry.keys;
    next.start();
    EXPECT_EQ(next.gen().Memory1.Caption(), "Memory 1");
    for (const auto& [name, value] : programKey(next))
        EXPECT_EQ(name.find("Mem"), std::string::npos) << name;  // names are never stored
}

}  // namespace
