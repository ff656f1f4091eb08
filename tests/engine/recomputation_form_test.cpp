// Bad input never crashes and never changes the engine's inputs: texts that are not numbers
// go through the reading rule, the exit rules and the recomputation with their documented
// outcome.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "controls/numeric_entry.h"
#include "support/headless_program.h"

namespace {

using testing_support::HeadlessProgram;

const std::string kBadTexts[] = {"",
                                 std::string(10000, '9'),
                                 std::string(10000, 'x'),
                                 "nan",
                                 "inf",
                                 "-inf",
                                 "1e999",
                                 "-",
                                 "+",
                                 ".",
                                 ",",
                                 "1,000.5",
                                 " ",
                                 "0x1p3"};

bool sameParameters(const engine::SignalParameters& a, const engine::SignalParameters& b) {
    const auto fields = [](const engine::SignalParameters& p) {
        return std::tie(p.SampleRate, p.InitStepLeft, p.FinalStepLeft, p.InitStepRight,
                        p.TargetLeft, p.TargetRight, p.SweepMultiplier, p.SweepAdder,
                        p.TotalSamples, p.PhaseOffset, p.PulseLength, p.GainLeft, p.GainRight);
    };
    return fields(a) == fields(b);
}

TEST(Recomputation, TextsThatAreNotNumbersLeaveTheParametersAsTheyWere) {
    HeadlessProgram p;
    p.startAt44100();
    vpg::TfrmGenerator& g = p.gen();
    for (ui::Edit* field : {&g.fInitLeft, &g.fFinalLeft, &g.Duration}) {
        for (const std::string& text : kBadTexts) {
            // Sweep mode reads all three fields; Loop off makes the duration count too.
            g.chkSweepLeft.setChecked(true);
            g.Loop.setChecked(false);
            g.fInitLeft.setText("100");
            g.fFinalLeft.setText("1000");
            g.Duration.setText("10");
            g.fConstLeftChange(nullptr);
            const engine::SignalParameters before = g.Parameters;
            field->setText(text);  // runs the recomputation through the change event
            g.fConstLeftChange(nullptr);
            EXPECT_TRUE(sameParameters(before, g.Parameters))
                << field->Name << " = '" << text.substr(0, 20) << "'";
        }
    }
}

TEST(Recomputation, TextsThatAreNotNumbersStopAPlayingOutput) {
    for (const std::string& text : kBadTexts) {
        HeadlessProgram p;
        p.startAt44100();
        p.render(100);
        ASSERT_TRUE(p.out().Active);
        p.gen().fInitLeft.setText(text);
        EXPECT_FALSE(p.out().Active) << "'" << text.substr(0, 20) << "'";
        p.pump();
        EXPECT_EQ(p.gen().LED.Brush(), ui::clMaroon);
    }
}

TEST(Recomputation, ExitRulesTurnTextsThatAreNotNumbersIntoTheirStandardValues) {
    for (const std::string& text : kBadTexts) {
        HeadlessProgram p;
        p.startAt44100();
        vpg::TfrmGenerator& g = p.gen();
        // A well-formed number too large for a 32-bit float is bounded, not replaced: it
        // becomes the field's largest value.
        const bool tooLarge = text == std::string(10000, '9') || text == "1e999";
        const struct {
            ui::Edit& field;
            const char* standard;
            const char* largest;
        } rows[] = {{g.fInitLeft, "1000", "22049"},
                    {g.fFinalLeft, "1000", "1000"},  // hidden: typing misses it
                    {g.Duration, "1", "48695.7734"},
                    {g.AmplitudeLeft, "0", "0"},
                    {g.AmplitudeRight, "0", "0"},
                    {g.PhaseEdit, "0", "360"},
                    {g.txtPulseLength, "10", "50"},
                    {g.txtRound, "1", "1"}};
        for (const auto& row : rows) {
            p.typeAndLeave(row.field, text);
            EXPECT_EQ(row.field.Text(), tooLarge ? row.largest : row.standard)
                << row.field.Name << " = '" << text.substr(0, 20) << "'";
        }
        // After the rules the signal plays with the standard values.
        EXPECT_EQ(p.render(10).size(), 10u);
    }
}

}  // namespace
