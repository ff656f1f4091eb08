// The speaker frequency controls of the main window, driven as a person drives them
// (user actions) or as other parts of the program do (program changes, handler calls).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "support/headless_program.h"

namespace {

using doubles::ScriptedDialogs;
using persistence::RegistryValue;
using testing_support::HeadlessProgram;
using vpg::TfrmGenerator;

constexpr double kTwoPi = 6.283185307179586;
constexpr const char* kNyquistFlag = "AboveNyquistLimit";

// On a first start the restore fails and the defaults leave the mode layout unapplied
// at start-up; a successful restore runs the layout handler, as this does.
void showConstantLayout(HeadlessProgram& p) {
    p.gen().chkConstantLeftClick(&p.gen().chkConstantLeft);
}

// Sweep mode comes from a preset recall, which checks the sweep radio button.
void enterSweepMode(HeadlessProgram& p) {
    p.gen().chkSweepLeft.setChecked(true);
}

std::vector<ScriptedDialogs::Call> notices(const HeadlessProgram& p) {
    std::vector<ScriptedDialogs::Call> out;
    for (const auto& c : p.hp.dialogs.calls)
        if (c.kind == ScriptedDialogs::Kind::Notice) out.push_back(c);
    return out;
}

double initStepFor(HeadlessProgram& p, double hz) {
    return hz / p.gen().Parameters.SampleRate;
}

// --- The defaults the tests start from -------------------------------------------------------

TEST(FrequencyControls, FirstStartLeavesTheDefaultsAndTheSliderRangeTheyGive) {
    HeadlessProgram p;
    p.start();
    TfrmGenerator& g = p.gen();
    EXPECT_EQ(g.fInitLeft.Text(), "100");
    EXPECT_EQ(g.MinFreqEdit.Text(), "20");
    EXPECT_EQ(g.MaxFreqEdit.Text(), "500");
    EXPECT_EQ(g.FreqSliderLeft.Min(), 1000);       // p(20)
    EXPECT_EQ(g.FreqSliderLeft.Max(), 2398);       // p(500)
    EXPECT_EQ(g.FreqSliderLeft.Position(), 1699);  // p(100)
    EXPECT_EQ(g.Parameters.SampleRate, 11025);
}

// --- The slider writes the start frequency, rounded to the step ------------------

struct SliderCase {
    const char* step;  // typed into txtRound and left
    int moveTo;        // the user drags the slider here
    const char* written;
    int endsAt;  // the recomputation moves the slider to p(written)
};

TEST(FrequencyControls, SliderWritesTheFrequencyRoundedToTheStep) {
    const SliderCase cases[] = {
        {"1", 1000, "20", 1000},
        {"1", 2398, "500", 2398},  // f = 500.069...
        {"1", 1699, "100", 1699},
        {"10", 2000, "200", 2000},
        {"10", 2010, "200", 2000},  // snaps back to the position of 200
        {"10", 2030, "210", 2021},  // snaps to the position of 210
        {"10", 2045, "220", 2041},
        {"0.1", 1006, "20.3", 1006},    // the 32-bit product of 203 and 0.1, as typed
        {"-10", 2030, "210", 2021},     // a negative step: the same multiples
        {"0", 1500, "63.24555", 1500},  // step 0: unrounded, to the field's five decimals
    };
    for (const SliderCase& c : cases) {
        SCOPED_TRACE(std::string("step ") + c.step + ", position " + std::to_string(c.moveTo));
        HeadlessProgram p;
        p.start();
        TfrmGenerator& g = p.gen();
        g.txtRound.userTyped(c.step);
        g.FreqSliderLeft.userMoved(c.moveTo);  // takes the focus: txtRound's exit runs first
        EXPECT_TRUE(g.FreqSliderLeft.Focused());
        EXPECT_EQ(g.fInitLeft.Text(), c.written);
        EXPECT_EQ(g.FreqSliderLeft.Position(), c.endsAt);
        // The written text went through the recomputation.
        EXPECT_DOUBLE_EQ(g.Parameters.InitStepLeft, initStepFor(p, g.IntlStrToFloat(c.written)));
    }
}

TEST(FrequencyControls, WithStepTenEveryPositionSnapsToAMultipleOfTen) {
    HeadlessProgram p;
    p.start();
    TfrmGenerator& g = p.gen();
    g.txtRound.userTyped("10");
    for (int position = g.FreqSliderLeft.Min(); position <= g.FreqSliderLeft.Max(); ++position) {
        SCOPED_TRACE(position);
        // From a text the move cannot write, so that the move always changes the text.
        p.tabAway();
        g.fInitLeft.setText("1");
        g.FreqSliderLeft.userMoved(position);
        const float written = g.IntlStrToFloat(g.fInitLeft.Text());
        EXPECT_EQ(std::fmod(written, 10.0f), 0.0f);
        EXPECT_EQ(g.FreqSliderLeft.Position(), vpg::SliderPosition(written));
    }
}

TEST(FrequencyControls, AMoveThatWritesTheSameTextLeavesTheSliderWhereItIs) {
    // The snap is the recomputation's, and it runs only when the text changes.
    HeadlessProgram p;
    p.start();
    TfrmGenerator& g = p.gen();
    g.txtRound.userTyped("10");
    g.FreqSliderLeft.userMoved(2000);
    ASSERT_EQ(g.fInitLeft.Text(), "200");
    g.FreqSliderLeft.userMoved(2005);
    EXPECT_EQ(g.fInitLeft.Text(), "200");
    EXPECT_EQ(g.FreqSliderLeft.Position(), 2005);
    g.FreqSliderLeft.userMoved(2015);
    EXPECT_EQ(g.fInitLeft.Text(), "210");
    EXPECT_EQ(g.FreqSliderLeft.Position(), 2021);
}

TEST(FrequencyControls, AStepThatCannotBeReadWritesTheUnroundedFrequency) {
    // Only restored settings can leave such a step; the slider then writes f unrounded.
    HeadlessProgram p;
    p.start();
    TfrmGenerator& g = p.gen();
    g.txtRound.setText("abc");
    g.FreqSliderLeft.userMoved(1500);
    EXPECT_EQ(g.fInitLeft.Text(), "63.24555");
    EXPECT_EQ(g.txtRound.Text(), "abc");  // the slider does not repair the step
}

TEST(FrequencyControls, SliderWritesOnlyWhenTheUserMovesIt) {
    HeadlessProgram p;
    p.start();
    TfrmGenerator& g = p.gen();
    p.tabAway();
    ASSERT_FALSE(g.FreqSliderLeft.Focused());

    g.FreqSliderLeft.setPosition(2000);  // a program change
    EXPECT_EQ(g.FreqSliderLeft.Position(), 2000);
    EXPECT_EQ(g.fInitLeft.Text(), "100");
    g.FreqSliderLeftChange(&g.FreqSliderLeft);  // the handler itself, run by the program
    EXPECT_EQ(g.fInitLeft.Text(), "100");

    // The focus alone does not make a program change the user's.
    g.FreqSliderLeft.userFocused();
    g.FreqSliderLeft.setPosition(2100);
    g.FreqSliderLeftChange(&g.FreqSliderLeft);
    EXPECT_EQ(g.fInitLeft.Text(), "100");

    g.FreqSliderLeft.userMoved(2000);
    EXPECT_EQ(g.fInitLeft.Text(), "200");
}

TEST(FrequencyControls, AfterTheUserMovedTheSliderOtherRoadsKeepTheValuesTheySet) {
    // The slider keeps the focus after the user's move; the recomputation then moves it to
    // each new value (clamped to its upper end of 500 Hz), which must not write back.
    struct Case {
        const char* road;
        std::function<void(TfrmGenerator&)> set;
        const char* text;
        double hz;
    };
    const Case cases[] = {
        {"message 1031 with 12345", [](TfrmGenerator& g) { g.WndProc(1031, 12345, 0); }, "123.45",
         123.45},
        {"message 1031 with 100000", [](TfrmGenerator& g) { g.WndProc(1031, 100000, 0); }, "1000",
         1000},
        {"message 1032 with 44", [](TfrmGenerator& g) { g.WndProc(1032, 44, 0); }, "0.44", 0.44},
        {"a preset holding 1000 Hz", [](TfrmGenerator& g) { g.WndProc(1048, 0, 2); }, "1000", 1000},
        {"the semitone button", [](TfrmGenerator& g) { g.SemiUpLeft.userClicked(); }, "211.89262",
         211.89262},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.road);
        HeadlessProgram p;
        p.start();
        TfrmGenerator& g = p.gen();
        showConstantLayout(p);
        p.typeAndLeave(g.fInitLeft, "1000");
        g.MemStore(2);
        g.btnON.userClicked();
        p.pump();
        g.FreqSliderLeft.userMoved(2000);  // 200 Hz
        ASSERT_EQ(g.fInitLeft.Text(), "200");
        ASSERT_TRUE(g.FreqSliderLeft.Focused());

        c.set(g);
        EXPECT_EQ(g.fInitLeft.Text(), c.text);
        EXPECT_NEAR(g.Parameters.InitStepLeft * g.Parameters.SampleRate, c.hz, 1e-4);
    }
}

TEST(FrequencyControls, TheStepIsReadAnewOnEveryMove) {
    HeadlessProgram p;
    p.start();
    TfrmGenerator& g = p.gen();
    g.FreqSliderLeft.userMoved(2030);
    EXPECT_EQ(g.fInitLeft.Text(), "214");
    g.txtRound.userTyped("10");
    EXPECT_EQ(g.fInitLeft.Text(), "214");  // a new step does not round the start frequency
    p.tabAway();
    EXPECT_EQ(g.fInitLeft.Text(), "214");
    g.FreqSliderLeft.userMoved(2031);
    EXPECT_EQ(g.fInitLeft.Text(), "210");
}

// --- The slider's ends ------------------------------------------------------

struct EndCase {
    const char* typed;
    const char* text;  // after leaving the field
    int sliderEnd;
};

// Types into the lower end at the first start's 11025 Hz (where it must leave the start
// frequency alone) or into the upper end at 44100 Hz, and leaves the field.
void typeEnd(bool lower, const EndCase& c) {
    SCOPED_TRACE(std::string(lower ? "MinFreqEdit " : "MaxFreqEdit ") + c.typed);
    HeadlessProgram p;
    if (lower)
        p.start();
    else
        p.startAt44100();
    TfrmGenerator& g = p.gen();
    ui::Edit& end = lower ? g.MinFreqEdit : g.MaxFreqEdit;
    p.typeAndLeave(end, c.typed);
    EXPECT_EQ(end.Text(), c.text);
    EXPECT_EQ(lower ? g.FreqSliderLeft.Min() : g.FreqSliderLeft.Max(), c.sliderEnd);
    if (lower) {
        EXPECT_EQ(g.fInitLeft.Text(), "100");
    }
}

TEST(FrequencyControls, LowerEndAcceptsAPositiveNumberBelowTheUpperEnd) {
    const EndCase cases[] = {
        {"2.5", "2.5", 97},  // accepted, the text stays as typed
        {"30", "30", 1176},
        {"2,5", "20", 1000},  // a comma is refused here
        {"0", "20", 1000},
        {"-1", "20", 1000},
        {"abc", "20", 1000},
        {"500", "20", 1000},  // not below the upper end
        {"600", "20", 1000},
        {"", "", 1000},  // an empty field is left alone
        // Just above and just below 0 (just below the upper end carries the start frequency
        // along: see MovingAnEndPastTheStartFrequencyCarriesItAlong).
        {"0.01", "0.01", -2301},
        {"-0.01", "20", 1000},
    };
    for (const EndCase& c : cases) typeEnd(true, c);
}

TEST(FrequencyControls, UpperEndMustStayBelowHalfTheSamplingRate) {
    const EndCase cases[] = {
        {"22049", "22049", 4042},
        {"1000", "1000", 2699},
        {"22050", "500", 2398},  // fs/2 itself is refused
        {"30000", "500", 2398},
        {"20", "500", 2398},  // not above the lower end
        {"abc", "500", 2398},
        {"1000,5", "500", 2398},
        // The bounds: just above the lower end and just below fs/2.
        {"20.5", "20.5", 1011},
        {"22049.9", "22049.9", 4042},
        {"22050.1", "500", 2398},
        {"19.9", "500", 2398},
    };
    for (const EndCase& c : cases) typeEnd(false, c);
}

TEST(FrequencyControls, UpperEndLimitFollowsTheSamplingRate) {
    HeadlessProgram p;  // 11025 Hz
    p.start();
    TfrmGenerator& g = p.gen();
    p.typeAndLeave(g.MaxFreqEdit, "5512.5");
    EXPECT_EQ(g.MaxFreqEdit.Text(), "500");
    p.typeAndLeave(g.MaxFreqEdit, "5512");
    EXPECT_EQ(g.MaxFreqEdit.Text(), "5512");
}

TEST(FrequencyControls, AnEndComparedWithAnEmptyOtherEndUsesTheSlidersEnd) {
    HeadlessProgram p;
    p.start();
    TfrmGenerator& g = p.gen();
    p.typeAndLeave(g.MinFreqEdit, "");  // stays empty; the slider's lower end is still 20 Hz
    ASSERT_EQ(g.MinFreqEdit.Text(), "");
    p.typeAndLeave(g.MaxFreqEdit, "15");
    EXPECT_EQ(g.MaxFreqEdit.Text(), "500");
    p.typeAndLeave(g.MaxFreqEdit, "30");
    EXPECT_EQ(g.MaxFreqEdit.Text(), "30");

    p.typeAndLeave(g.MaxFreqEdit, "");  // the upper end (30 Hz) stands in for the empty text
    p.typeAndLeave(g.MinFreqEdit, "40");
    EXPECT_EQ(g.MinFreqEdit.Text(), "20");
    p.typeAndLeave(g.MinFreqEdit, "25");
    EXPECT_EQ(g.MinFreqEdit.Text(), "25");
}

TEST(FrequencyControls, EnterInTheUpperEndMovesToTheSliderAndDoesNotStartTheSignal) {
    HeadlessProgram p;
    p.start();
    TfrmGenerator& g = p.gen();
    ASSERT_TRUE(g.btnON.Default());
    g.MaxFreqEdit.userTyped("400");
    EXPECT_TRUE(g.userKeyDown(ui::VK_RETURN));
    p.pump();
    EXPECT_TRUE(g.FreqSliderLeft.Focused());
    EXPECT_EQ(g.MaxFreqEdit.Text(), "400");  // the exit rule ran and accepted it
    EXPECT_EQ(g.FreqSliderLeft.Max(), 2301);
    EXPECT_EQ(g.fInitLeft.Text(), "100");  // gaining the focus moves nothing
    EXPECT_FALSE(g.AudioOut1->Active);
    EXPECT_TRUE(p.played().empty());
    EXPECT_EQ(g.LED.Brush(), ui::clMaroon);

    g.MaxFreqEdit.userTyped("abc");
    g.userKeyDown(ui::VK_RETURN);
    EXPECT_EQ(g.MaxFreqEdit.Text(), "400");  // refused: restored from the slider's end
    EXPECT_FALSE(g.AudioOut1->Active);
}

TEST(FrequencyControls, MovingAnEndPastTheStartFrequencyCarriesItAlong) {
    HeadlessProgram p;
    p.start();
    TfrmGenerator& g = p.gen();
    // One after the other on the same window; `slider` is the slider's new end and position
    // when the start frequency is carried, 0 when it stays.
    const struct {
        bool lower;
        const char* typed;
        const char* start;
        int slider;
    } steps[] = {
        {true, "150", "150", 1875},
        {true, "50", "150", 0},  // lowering the lower end leaves it alone
        {false, "80", "80", 1602},
        {false, "300", "80", 0},  // raising the upper end leaves it alone
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(std::string(step.lower ? "lower end " : "upper end ") + step.typed);
        p.typeAndLeave(step.lower ? g.MinFreqEdit : g.MaxFreqEdit, step.typed);
        EXPECT_EQ(g.fInitLeft.Text(), step.start);
        if (step.slider == 0) continue;
        EXPECT_EQ(step.lower ? g.FreqSliderLeft.Min() : g.FreqSliderLeft.Max(), step.slider);
        EXPECT_EQ(g.FreqSliderLeft.Position(), step.slider);
        EXPECT_DOUBLE_EQ(g.Parameters.InitStepLeft, initStepFor(p, std::stod(step.start)));
    }

    // The end is read as a 32-bit float, and the start frequency is written from that value.
    p.typeAndLeave(g.MinFreqEdit, "150.3");
    EXPECT_EQ(g.MinFreqEdit.Text(), "150.3");
    EXPECT_EQ(g.fInitLeft.Text(), "150.300003051758");
}

TEST(FrequencyControls, EnterInTheUpperEndAlsoCarriesTheStartFrequencyDown) {
    HeadlessProgram p;
    p.start();
    TfrmGenerator& g = p.gen();
    g.MaxFreqEdit.userTyped("80");
    g.userKeyDown(ui::VK_RETURN);
    EXPECT_EQ(g.MaxFreqEdit.Text(), "80");
    EXPECT_EQ(g.fInitLeft.Text(), "80");
    EXPECT_EQ(g.FreqSliderLeft.Position(), 1602);
    EXPECT_FALSE(g.AudioOut1->Active);
}

TEST(FrequencyControls, EnterAndTabGiveTheSameStartFrequencyWhateverTheStep) {
    // With a coarse step, the slider clamped by the new end must not write its own rounded
    // frequency first: the start frequency takes the new end, as when the field is left by Tab.
    for (const bool byEnter : {true, false}) {
        HeadlessProgram p;
        p.start();
        TfrmGenerator& g = p.gen();
        p.typeAndLeave(g.txtRound, "10");
        g.MaxFreqEdit.userTyped("85");
        if (byEnter) {
            g.userKeyDown(ui::VK_RETURN);
        } else {
            p.tabAway();
        }
        EXPECT_EQ(g.fInitLeft.Text(), "85") << (byEnter ? "Enter" : "Tab");
    }
}

// --- The rounding step -------------------------------------------------------------

TEST(FrequencyControls, RoundingStepIsRewrittenOnLeaving) {
    const std::pair<const char*, const char*> cases[] = {
        {"0.1", "0.1"},  // the 32-bit value, written as typed
        {"abc", "1"},   {"", "1"}, {"0", "0"}, {"-5", "-5"}, {"2,5", "2.5"}, {"10", "10"},
    };
    for (const auto& [typed, text] : cases) {
        SCOPED_TRACE(typed);
        HeadlessProgram p;
        p.start();
        p.typeAndLeave(p.gen().txtRound, typed);
        EXPECT_EQ(p.gen().txtRound.Text(), text);
        EXPECT_EQ(p.gen().fInitLeft.Text(), "100");
    }
}

// --- The start and final frequency on leaving ----------------------------------

struct ExitCase {
    const char* typed;
    bool notice;
    const char* text;
};

TEST(FrequencyControls, StartFrequencyOnLeavingAt44100) {
    const ExitCase cases[] = {
        // Half the rate and above: the highest whole hertz below it, with the notice.
        {"30000", true, "22049"},
        {"22050.5", true, "22049"},
        {"22050", true, "22049"},
        {"1e300", true, "22049"},
        {"abc", false, "1000"},
        {"0", false, "0.1"},
        {"-3", false, "0.1"},
        {"1234.567891", false, "1234.56787"},
        {"440", false, "440"},
        // The bounds and just outside them.
        {"0.1", false, "0.1"},
        {"0.09", false, "0.1"},
        {"22049", false, "22049"},
        {"22049.99", false, "22049.99023"},  // the 32-bit reading, to five decimals
        {"22050.01", true, "22049"},
    };
    for (const ExitCase& c : cases) {
        SCOPED_TRACE(std::string("fInitLeft ") + c.typed);
        HeadlessProgram p;
        p.startAt44100();
        p.hp.dialogs.answerNotice(ui::mrNo, false);
        p.typeAndLeave(p.gen().fInitLeft, c.typed);
        const auto shown = notices(p);
        ASSERT_EQ(shown.size(), c.notice ? 1u : 0u);
        if (c.notice) {
            EXPECT_EQ(shown[0].caption, "Information");
            EXPECT_EQ(shown[0].buttons, ui::mbYes | ui::mbNo);
            EXPECT_EQ(shown[0].text.rfind("The output frequency can never be higher than half "
                                          "the sampling rate.",
                                          0),
                      0u);
        }
        EXPECT_EQ(p.gen().fInitLeft.Text(), c.text);
        EXPECT_DOUBLE_EQ(p.gen().Parameters.InitStepLeft,
                         initStepFor(p, p.gen().IntlStrToFloat(c.text)));
        EXPECT_FALSE(p.settings().Visible());
    }
}

TEST(FrequencyControls, WithTheNoticeSuppressedTheStartFrequencyIsOnlyClamped) {
    HeadlessProgram p;
    p.hp.registry.keys[vpg::ProgramKey()][kNyquistFlag] = RegistryValue::Integer(1);
    p.startAt44100();
    p.typeAndLeave(p.gen().fInitLeft, "30000");
    EXPECT_TRUE(notices(p).empty());
    EXPECT_EQ(p.gen().fInitLeft.Text(), "22049");
    EXPECT_FALSE(p.settings().Visible());
}

TEST(FrequencyControls, FinalFrequencyFollowsTheSameRule) {
    HeadlessProgram p;
    p.startAt44100();
    enterSweepMode(p);
    p.hp.dialogs.answerNotice(ui::mrNo, false);
    p.typeAndLeave(p.gen().fFinalLeft, "30000");
    EXPECT_EQ(notices(p).size(), 1u);
    EXPECT_EQ(p.gen().fFinalLeft.Text(), "22049");
    p.typeAndLeave(p.gen().fFinalLeft, "abc");
    EXPECT_EQ(notices(p).size(), 1u);
    EXPECT_EQ(p.gen().fFinalLeft.Text(), "1000");
    // The bounds and just outside them.
    for (const auto& [typed, text] : {std::pair{"0.1", "0.1"}, std::pair{"0.09", "0.1"},
                                      std::pair{"22049", "22049"}, std::pair{"-0.01", "0.1"}}) {
        SCOPED_TRACE(typed);
        p.typeAndLeave(p.gen().fFinalLeft, typed);
        EXPECT_EQ(p.gen().fFinalLeft.Text(), text);
    }
    EXPECT_EQ(notices(p).size(), 1u);
}

TEST(FrequencyControls, YesOnTheNoticeShowsTheOutputSettings) {
    HeadlessProgram p;
    p.startAt44100();
    TfrmGenerator& g = p.gen();
    p.hp.dialogs.answerNotice(ui::mrYes, false);
    p.typeAndLeave(g.fInitLeft, "30000");
    ASSERT_EQ(notices(p).size(), 1u);
    EXPECT_TRUE(p.settings().Visible());
    EXPECT_EQ(g.fInitLeft.Text(), "22049");  // still clamped with the old sampling rate
}

TEST(FrequencyControls, TypedAboveHalfTheRateAndStartedWithF11PlaysWhatTheFieldShows) {
    // Still in the field: the start brings it under its rule, so the field and the sound
    // agree from the first sample.
    HeadlessProgram p;
    p.startAt44100();
    TfrmGenerator& g = p.gen();
    g.fInitLeft.userTyped("30000");
    g.userKeyDown(ui::VK_F11);
    p.pump();
    EXPECT_TRUE(g.AudioOut1->Active);
    EXPECT_EQ(g.fInitLeft.Text(), "22049");
    EXPECT_DOUBLE_EQ(g.Parameters.InitStepLeft, 22049.0 / 44100);
}

TEST(FrequencyControls, NoOnTheNoticeOnlyClamps) {
    HeadlessProgram p;
    p.startAt44100();
    TfrmGenerator& g = p.gen();
    p.hp.dialogs.answerNotice(ui::mrNo, false);
    p.typeAndLeave(g.fInitLeft, "30000");
    ASSERT_EQ(notices(p).size(), 1u);
    EXPECT_FALSE(p.settings().Visible());
    EXPECT_EQ(g.fInitLeft.Text(), "22049");
    EXPECT_DOUBLE_EQ(g.Parameters.InitStepLeft, 22049.0 / 44100);
}

TEST(FrequencyControls, OneFlagCoversBothFrequencyFields) {
    for (const bool fromStart : {true, false}) {
        SCOPED_TRACE(fromStart ? "suppressed from fInitLeft" : "suppressed from fFinalLeft");
        HeadlessProgram p;
        p.startAt44100();
        enterSweepMode(p);
        ui::Edit& first = fromStart ? p.gen().fInitLeft : p.gen().fFinalLeft;
        ui::Edit& second = fromStart ? p.gen().fFinalLeft : p.gen().fInitLeft;
        p.hp.dialogs.answerNotice(ui::mrNo, true);
        p.typeAndLeave(first, "30000");
        ASSERT_EQ(notices(p).size(), 1u);
        p.typeAndLeave(second, "30000");
        EXPECT_EQ(notices(p).size(), 1u);
        EXPECT_EQ(second.Text(), "22049");
    }
}

// --- Plus and minus one hertz ------------------------------------------------------

enum class Press { Plus, Minus };

struct StepCase {
    const char* before;  // typed into fInitLeft and left, or (unreadable) set by the program
    Press press;
    const char* after;
    bool accepted;  // by the recomputation
};

TEST(FrequencyControls, PlusAndMinusStepOneHertzWithinThePlayableRange) {
    const StepCase cases[] = {
        {"100", Press::Plus, "101", true},
        {"100", Press::Minus, "99", true},
        {"100.25", Press::Plus, "101.25", true},
        {"22049", Press::Plus, "22049", true},  // 22050 is fs/2: nothing
        {"22048.5", Press::Plus, "22049.5", true},
        {"22049.5", Press::Plus, "22049.5", true},  // nothing
        {"1.1", Press::Minus, "0.1", true},         // the 32-bit difference, as typed
        {"0.5", Press::Minus, "0.5", true},         // below 0.1 Hz: nothing
        {"0.1", Press::Minus, "0.1", true},
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE(std::string(c.before) + (c.press == Press::Plus ? " +" : " -"));
        HeadlessProgram p;
        p.startAt44100();
        showConstantLayout(p);
        TfrmGenerator& g = p.gen();
        g.txtRound.userTyped("10");  // the step plays no part
        p.typeAndLeave(g.fInitLeft, c.before);
        (c.press == Press::Plus ? g.fInitLeftPlus : g.fInitLeftMinus).userMouseDown();
        EXPECT_EQ(g.fInitLeft.Text(), c.after);
        EXPECT_DOUBLE_EQ(g.Parameters.InitStepLeft, initStepFor(p, g.IntlStrToFloat(c.after)));
    }
}

TEST(FrequencyControls, AnUnreadableTextMakesTheStepsDoNothing) {
    HeadlessProgram p;
    p.startAt44100();
    showConstantLayout(p);
    TfrmGenerator& g = p.gen();
    g.fInitLeft.setText("abc");  // as only a program change could leave it
    g.fInitLeftPlus.userMouseDown();
    g.fInitLeftMinus.userMouseDown();
    g.SemiUpLeft.userClicked();
    EXPECT_EQ(g.fInitLeft.Text(), "abc");
    EXPECT_TRUE(p.hp.dialogs.calls.empty());
}

TEST(FrequencyControls, AnyMouseButtonStepsButTheKeyboardDoesNot) {
    HeadlessProgram p;
    p.startAt44100();
    showConstantLayout(p);
    TfrmGenerator& g = p.gen();
    g.fInitLeftPlus.userMouseDown(ui::MouseButton::Right);
    EXPECT_EQ(g.fInitLeft.Text(), "101");
    g.fInitLeftMinus.userMouseDown(ui::MouseButton::Middle);
    EXPECT_EQ(g.fInitLeft.Text(), "100");
    g.fInitLeftPlus.Click();  // Enter or Space on the focused button
    g.fInitLeftPlus.userFocused();
    g.userKeyDown(ui::VK_RETURN);
    EXPECT_EQ(g.fInitLeft.Text(), "100");
}

TEST(FrequencyControls, PlusNeverReachesHalfTheSamplingRateWhilePlaying) {
    HeadlessProgram p;
    p.startAt44100();
    showConstantLayout(p);
    TfrmGenerator& g = p.gen();
    p.typeAndLeave(g.fInitLeft, "22048.5");
    ASSERT_FALSE(p.render(100).empty());
    g.fInitLeftPlus.userMouseDown();  // the fine-step buttons stay usable while playing
    g.fInitLeftPlus.userMouseDown();
    p.pump();
    EXPECT_EQ(g.fInitLeft.Text(), "22049.5");
    EXPECT_TRUE(g.AudioOut1->Active);
    EXPECT_DOUBLE_EQ(g.Parameters.TargetLeft, kTwoPi * 22049.5 / 44100);
}

TEST(FrequencyControls, PlusWhilePlayingRetunesTheTone) {
    HeadlessProgram p;
    p.startAt44100();
    showConstantLayout(p);
    TfrmGenerator& g = p.gen();
    ASSERT_FALSE(p.render(100).empty());
    g.fInitLeftPlus.userMouseDown();
    EXPECT_EQ(g.fInitLeft.Text(), "101");
    EXPECT_TRUE(g.AudioOut1->Active);
    EXPECT_DOUBLE_EQ(g.Parameters.TargetLeft, kTwoPi * 101 / 44100);
}

// --- One semitone ---------------------------------------------------------------

struct SemitoneCase {
    const char* before;
    bool up;
    const char* after;
};

TEST(FrequencyControls, SemitoneButtonsStepByTwoToTheTwelfthBelowHalfTheSamplingRate) {
    const SemitoneCase cases[] = {
        {"100", true, "105.94631"},                         // to the field's five decimals
        {"100", false, "94.38743"}, {"0.1", false, "0.1"},  // 0.094 would be below 0.1 Hz: nothing
        {"21000", true, "21000"},                           // 22249 would be above fs/2: nothing
        {"22049", true, "22049"},   {"22049", false, "20811.48438"},
    };
    for (const SemitoneCase& c : cases) {
        SCOPED_TRACE(std::string(c.before) + (c.up ? " up" : " down"));
        HeadlessProgram p;
        p.startAt44100();
        showConstantLayout(p);
        TfrmGenerator& g = p.gen();
        g.txtRound.userTyped("10");  // not rounded to the step
        p.typeAndLeave(g.fInitLeft, c.before);
        (c.up ? g.SemiUpLeft : g.SemiDownLeft).userClicked();
        EXPECT_EQ(g.fInitLeft.Text(), c.after);
        EXPECT_DOUBLE_EQ(g.Parameters.InitStepLeft, initStepFor(p, g.IntlStrToFloat(c.after)));
    }
}

// --- The mouse on the slider and the mode layout -------------------------------------------

struct LayoutRow {
    const ui::Control* control;
    bool constant;
    bool sweep;
};

// The mode layout: which controls each mode shows.
std::vector<LayoutRow> layoutTable(const TfrmGenerator& g) {
    return {
        {&g.fInitLeftPlus, true, false},    {&g.fInitLeftMinus, true, false},
        {&g.SemiUpLeft, true, false},       {&g.SemiDownLeft, true, false},
        {&g.lblFreqFromLeft, false, true},  {&g.lblFreqToLeft, false, true},
        {&g.lblHzToLeft, false, true},      {&g.fFinalLeft, false, true},
        {&g.LogarithmicLeft, false, true},  {&g.BidirectionalLeft, false, true},
        {&g.fInitLeft, true, true},         {&g.lblFromFreqLeft, true, true},
        {&g.chkConstantLeft, false, false}, {&g.chkSweepLeft, false, false},
    };
}

void expectLayout(TfrmGenerator& g, bool constant) {
    for (const LayoutRow& row : layoutTable(g)) {
        const ui::Control& c = *row.control;
        EXPECT_EQ(c.Visible(), constant ? row.constant : row.sweep) << c.Name;
    }
}

TEST(FrequencyControls, ModeLayoutFollowsTheCheckedMode) {
    HeadlessProgram p;
    p.start();
    TfrmGenerator& g = p.gen();
    // A first start (nothing to restore) shows the constant mode's layout, as every start.
    expectLayout(g, true);

    enterSweepMode(p);
    EXPECT_FALSE(g.chkConstantLeft.Checked());
    expectLayout(g, false);
    EXPECT_TRUE(g.BidirectionalLeft.Enabled());  // Loop is checked by the defaults

    g.chkConstantLeft.setChecked(true);
    EXPECT_FALSE(g.chkSweepLeft.Checked());
    expectLayout(g, true);

    // The layout also runs LoopClick: Bi-directional is usable only with Loop.
    g.Loop.userClicked();
    ASSERT_FALSE(g.Loop.Checked());
    enterSweepMode(p);
    EXPECT_FALSE(g.BidirectionalLeft.Enabled());
}

TEST(FrequencyControls, MouseOnTheSliderInSweepModeTurnsToConstantEvenWithoutAMove) {
    for (const ui::MouseButton button : {ui::MouseButton::Left, ui::MouseButton::Right}) {
        HeadlessProgram p;
        p.start();
        TfrmGenerator& g = p.gen();
        enterSweepMode(p);
        const int position = g.FreqSliderLeft.Position();
        g.FreqSliderLeft.userMouseDown(button);
        EXPECT_TRUE(g.chkConstantLeft.Checked());
        expectLayout(g, true);
        EXPECT_EQ(g.fInitLeft.color, ui::clYellow);
        EXPECT_EQ(g.FreqSliderLeft.Position(), position);
        EXPECT_EQ(g.fInitLeft.Text(), "100");
        g.FreqSliderLeft.userMouseUp(button);
        EXPECT_EQ(g.fInitLeft.color, ui::clWindow);
    }
}

TEST(FrequencyControls, StartFieldIsYellowExactlyWhileTheMouseIsHeldOnTheSlider) {
    HeadlessProgram p;
    p.start();
    TfrmGenerator& g = p.gen();
    int modeClicks = 0;
    g.chkConstantLeft.OnClick = [&](ui::Object*) { ++modeClicks; };
    EXPECT_EQ(g.fInitLeft.color, ui::clWindow);
    g.FreqSliderLeft.userMouseDown();
    EXPECT_EQ(g.fInitLeft.color, ui::clYellow);
    g.FreqSliderLeft.userMoved(2000);
    EXPECT_EQ(g.fInitLeft.color, ui::clYellow);
    EXPECT_EQ(g.fInitLeft.Text(), "200");
    g.FreqSliderLeft.userMouseUp();
    EXPECT_EQ(g.fInitLeft.color, ui::clWindow);
    // In constant mode the press changes no mode: the radio button is already checked.
    EXPECT_EQ(modeClicks, 0);
    expectLayout(g, true);
}

// --- The sweep law restarts the sweep -------------------------------------------

TEST(FrequencyControls, SweepLawChangeRestartsTheSweep) {
    HeadlessProgram p;
    p.startAt44100();
    TfrmGenerator& g = p.gen();
    enterSweepMode(p);
    ASSERT_TRUE(g.LogarithmicLeft.Checked());
    ASSERT_FALSE(p.render(5000).empty());
    ASSERT_TRUE(g.AudioOut1->Active);
    ASSERT_GT(g.State.SampleCounter, 0);
    ASSERT_NE(g.State.StepLeft, g.Parameters.TargetLeft);

    const engine::SignalParameters& par = g.Parameters;
    const double n = par.TotalSamples;
    EXPECT_EQ(par.TotalSamples, 441000);  // a looping sweep takes the duration per pass

    g.WndProc(1036, 0, 0);  // linear, while playing
    EXPECT_FALSE(g.LogarithmicLeft.Checked());
    EXPECT_EQ(g.State.SampleCounter, 0);
    EXPECT_EQ(g.State.StepLeft, kTwoPi * par.InitStepLeft);
    EXPECT_EQ(par.TargetLeft, kTwoPi * par.InitStepLeft);
    EXPECT_EQ(par.SweepMultiplier, 1.0);
    EXPECT_DOUBLE_EQ(par.SweepAdder, (par.FinalStepLeft - par.InitStepLeft) * kTwoPi / (n - 1));
    EXPECT_TRUE(g.AudioOut1->Active);

    g.btnOFF.userClicked();
    p.pump();
    p.play(2);
    ASSERT_FALSE(g.AudioOut1->Active);
    g.State.SampleCounter = 1234;
    g.LogarithmicLeft.userClicked();  // the user, while stopped
    EXPECT_TRUE(g.LogarithmicLeft.Checked());
    EXPECT_EQ(g.State.SampleCounter, 0);
    EXPECT_EQ(par.SweepAdder, 0.0);
    EXPECT_DOUBLE_EQ(
        par.SweepMultiplier,
        std::exp((std::log(par.FinalStepLeft) - std::log(par.InitStepLeft)) / (n - 1)));
}

// --- The comma as the locale's decimal separator ------------------------------------------

TEST(FrequencyControls, TheSweepLawLeavesAConstantToneAlone) {
    // A 1 s tone at 44100 Hz: the law changed half-way must not make it play longer or move
    // its pulses.
    struct Case {
        const char* road;
        std::function<void(TfrmGenerator&)> change;
    };
    const Case cases[] = {
        {"message 1036", [](TfrmGenerator& g) { g.WndProc(1036, 0, 0); }},
        {"the box", [](TfrmGenerator& g) { g.LogarithmicLeft.setChecked(false); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.road);
        HeadlessProgram p;
        p.startAt44100();
        TfrmGenerator& g = p.gen();
        g.Loop.setChecked(false);
        g.Duration.setText("1");
        ASSERT_TRUE(g.LogarithmicLeft.Checked());
        p.render(22050);
        c.change(g);
        ASSERT_FALSE(g.LogarithmicLeft.Checked());
        p.playOut();
        const auto f = p.played();
        std::size_t last = 0;  // the last frame that holds signal
        for (std::size_t i = 0; i < f.size(); ++i)
            if (f[i].left != 0 || f[i].right != 0) last = i;
        EXPECT_LT(last, 44100u);
        EXPECT_GT(last, 44000u);
        for (std::size_t i = 0; i < 44100; ++i)
            ASSERT_EQ(f[i].right != 0, i % 441 <= 10) << "frame " << i;
    }
}

TEST(FrequencyControls, WithTheCommaAsDecimalSeparator) {
    {
        HeadlessProgram p(',');
        p.start();
        TfrmGenerator& g = p.gen();
        g.txtRound.userTyped("0.1");
        g.FreqSliderLeft.userMoved(1006);
        EXPECT_EQ(g.txtRound.Text(), "0,1");
        EXPECT_EQ(g.fInitLeft.Text(), "20,3");
        EXPECT_EQ(g.FreqSliderLeft.Position(), 1006);
    }
    {
        // The end fields take the period only, whatever the locale.
        HeadlessProgram p(',');
        p.start();
        TfrmGenerator& g = p.gen();
        p.typeAndLeave(g.MinFreqEdit, "2,5");
        EXPECT_EQ(g.MinFreqEdit.Text(), "20");
        p.typeAndLeave(g.MinFreqEdit, "2.5");
        EXPECT_EQ(g.MinFreqEdit.Text(), "2.5");
        EXPECT_EQ(g.FreqSliderLeft.Min(), 97);
    }
    {
        HeadlessProgram p(',');
        p.startAt44100();
        showConstantLayout(p);
        TfrmGenerator& g = p.gen();
        p.typeAndLeave(g.fInitLeft, "22048.5");
        EXPECT_EQ(g.fInitLeft.Text(), "22048,5");
        g.fInitLeftPlus.userMouseDown();
        EXPECT_EQ(g.fInitLeft.Text(), "22049,5");
        p.typeAndLeave(g.fInitLeft, "100");
        g.SemiUpLeft.userClicked();
        EXPECT_EQ(g.fInitLeft.Text(), "105,94631");
        p.hp.dialogs.answerNotice(ui::mrNo, false);
        p.typeAndLeave(g.fInitLeft, "30000,5");
        EXPECT_EQ(g.fInitLeft.Text(), "22049");
        EXPECT_EQ(notices(p).size(), 1u);
    }
}

}  // namespace

namespace {

TEST(FrequencyControls, TheSlidersEndsGiveExactlyTheEndsValues) {
    // At 48 kHz with the upper end 23999, End used to give 23990 Hz (the position's frequency
    // rounded to the step of 10); the ends now write their own values, unrounded.
    const struct {
        const char *lower, *upper, *step;
        int moveTo;
        const char* written;
    } cases[] = {
        {"20", "23999", "10", 100000, "23999"},    {"20", "23999", "1", 100000, "23999"},
        {"2.5", "500", "10", -100000, "2.5"},      {"20", "500", "0", 100000, "500"},
        {"20", "23999.5", "1", 100000, "23999.5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lower << ".." << c.upper << " step " << c.step);
        HeadlessProgram p;
        auto& key = p.hp.registry.keys[vpg::ProgramKey()];
        key["Fs"] = RegistryValue::Integer(4);  // 48000 Hz
        key["Buffers"] = RegistryValue::Integer(2);
        key["BufferSize"] = RegistryValue::Integer(2);
        p.start();
        TfrmGenerator& g = p.gen();
        p.typeAndLeave(g.MaxFreqEdit, c.upper);
        p.typeAndLeave(g.MinFreqEdit, c.lower);
        ASSERT_EQ(g.MaxFreqEdit.Text(), c.upper);
        p.typeAndLeave(g.txtRound, c.step);
        g.FreqSliderLeft.userMoved(c.moveTo);
        EXPECT_EQ(g.fInitLeft.Text(), c.written);
        EXPECT_DOUBLE_EQ(g.Parameters.InitStepLeft, g.IntlStrToFloat(c.written) / 48000.0);
    }
}

}  // namespace
