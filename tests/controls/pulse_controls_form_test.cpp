// The delta, phase, pulse length and level controls of the main window. Each value is
// a trackbar and a number; each side updates the other and the value reaches the engine.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/headless_program.h"

namespace {

using persistence::RegistryValue;
using testing_support::Frame;
using testing_support::HeadlessProgram;
using vpg::TfrmGenerator;

constexpr double kPi = 3.141592653589793;

// The degrees typed, read as a 32-bit float, in radians.
double radians(float degrees) {
    return degrees * kPi / 180.0;
}

// The frames at which a pulse begins on the right channel.
std::vector<std::size_t> pulseStarts(const std::vector<Frame>& frames) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < frames.size(); ++i)
        if (frames[i].right != 0 && (i == 0 || frames[i - 1].right == 0)) starts.push_back(i);
    return starts;
}

// --- The frequency delta ---------------------------------------------------------

TEST(PulseControls, TheFlashLockBoxSitsInTheDeltaGroupAndReachesTheEngine) {
    HeadlessProgram p;
    p.startAt44100();
    TfrmGenerator& g = p.gen();
    EXPECT_EQ(g.chkFlashLock.Parent, &g.grpDelta);
    EXPECT_EQ(g.chkFlashLock.Caption, "Lock flashes to the sine");
    EXPECT_FALSE(g.chkFlashLock.Checked());
    g.chkFlashLock.userClicked();
    EXPECT_TRUE(g.Parameters.FlashLock);
    // The delta's phase per sample comes with the recomputation.
    g.FreqSliderRight.userMoved(25);  // 0.5 Hz
    EXPECT_DOUBLE_EQ(g.Parameters.DeltaStep, 2 * kPi * (0.5 / 44100));
    // Usable while playing: switched on and off during play.
    p.render(4096);
    EXPECT_TRUE(g.chkFlashLock.Enabled());
    g.chkFlashLock.userClicked();
    EXPECT_FALSE(g.Parameters.FlashLock);
}

TEST(PulseControls, TheFillPlaysTheLockedTrainOfTheEngineAcrossThePasses) {
    // A looping sweep 20 -> 2000 Hz in passes of 0.1085 s: what the window plays is the engine's
    // locked train run frame by frame with the same inputs, 23 pass ends included.
    const struct {
        const char* name;
        bool bidirectional;
    } cases[] = {{"starting over", false}, {"back and forth", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HeadlessProgram p;
        p.startAt44100();
        TfrmGenerator& g = p.gen();
        g.chkSweepLeft.setChecked(true);
        g.LogarithmicLeft.setChecked(false);
        g.BidirectionalLeft.setChecked(c.bidirectional);
        g.Duration.setText("0.1085");
        g.fInitLeft.setText("20");
        g.fFinalLeft.setText("2000");
        g.chkFlashLock.userClicked();
        const auto frames = p.render(44100 * 5 / 2);
        ASSERT_EQ(frames.size(), 44100u * 5 / 2);

        // The inputs as the start computed them (a pass end changes none of them).
        engine::SignalParameters params = g.Parameters;
        ASSERT_EQ(params.TotalSamples, 4785);
        engine::SignalState s;
        engine::ResetForStart(params, s);
        s.RestartsAtPassEnd = !c.bidirectional;
        for (std::size_t n = 0; n < frames.size(); ++n) {
            engine::SineSample(params, s, false);
            ASSERT_EQ(frames[n].right, engine::PulseSample(params, s)) << "frame " << n;
            ++s.SampleCounter;
            if (s.SampleCounter >= params.TotalSamples)
                engine::EndOfPass(params, s, false, c.bidirectional);
        }
    }
}

TEST(PulseControls, DeltaSliderShowsPositionOverFiftyAndRetunesThePulses) {
    struct Case {
        int position;
        const char* label;
    };
    const Case cases[] = {{1, "0.02"}, {-33, "-0.66"}, {100, "2"}, {-100, "-2"}, {0, "0"}};
    HeadlessProgram p;
    p.startAt44100();
    TfrmGenerator& g = p.gen();
    g.FreqSliderRight.userMoved(50);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        g.FreqSliderRight.userMoved(c.position);
        EXPECT_EQ(g.lblFdelta.Caption(), c.label);
        EXPECT_DOUBLE_EQ(g.Parameters.InitStepRight, (100 + c.position / 50.0) / 44100);
        EXPECT_DOUBLE_EQ(g.Parameters.TargetRight, 2 * kPi * g.Parameters.InitStepRight);
        EXPECT_DOUBLE_EQ(g.Parameters.InitStepLeft, 100.0 / 44100);  // the sine keeps its rate
    }
}

TEST(PulseControls, DeltaReachesThePulsePeriod) {
    struct Case {
        int position;
        std::size_t period;  // Round(fs / (100 Hz + delta))
    };
    const Case cases[] = {{0, 441}, {10, 440}, {-100, 450}, {100, 432}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        HeadlessProgram p;
        p.startAt44100();
        p.gen().FreqSliderRight.userMoved(c.position);
        const auto starts = pulseStarts(p.render(3 * 450));
        ASSERT_GE(starts.size(), 3u);
        EXPECT_EQ(starts[0], 0u);
        EXPECT_EQ(starts[1], c.period);
        EXPECT_EQ(starts[2], 2 * c.period);
    }
}

TEST(PulseControls, DeltaSliderStaysUsableWhilePlaying) {
    HeadlessProgram p;
    p.startAt44100();
    TfrmGenerator& g = p.gen();
    ASSERT_FALSE(p.render(100).empty());
    g.FreqSliderRight.userMoved(10);
    EXPECT_TRUE(g.AudioOut1->Active);
    EXPECT_EQ(g.lblFdelta.Caption(), "0.2");
    EXPECT_DOUBLE_EQ(g.Parameters.TargetRight, 2 * kPi * 100.2 / 44100);
}

// --- The levels ---------------------------------------------------------------

struct Channel {
    const char* name;
    ui::TrackBar TfrmGenerator::*bar;
    ui::Edit TfrmGenerator::*field;
    float engine::SignalParameters::*gain;
};

const Channel kChannels[] = {
    {"left", &TfrmGenerator::barAmplitudeLeft, &TfrmGenerator::AmplitudeLeft,
     &engine::SignalParameters::GainLeft},
    {"right", &TfrmGenerator::barAmplitudeRight, &TfrmGenerator::AmplitudeRight,
     &engine::SignalParameters::GainRight},
};

float gainFor(int dB) {
    return static_cast<float>(std::pow(10.0, dB / 20.0));
}

TEST(PulseControls, LevelTrackbarWritesMinusItsPositionAndSetsTheGain) {
    for (const Channel& ch : kChannels) {
        SCOPED_TRACE(ch.name);
        HeadlessProgram p;
        p.start();
        TfrmGenerator& g = p.gen();
        EXPECT_EQ(g.Parameters.*ch.gain, 1.0f);
        (g.*ch.bar).userMoved(20);
        EXPECT_EQ((g.*ch.field).Text(), "-20");
        EXPECT_EQ(g.Parameters.*ch.gain, 0.1f);
        (g.*ch.bar).userMoved(100);
        EXPECT_EQ((g.*ch.field).Text(), "-100");
        EXPECT_EQ(g.Parameters.*ch.gain, 1e-5f);
        (g.*ch.bar).userMoved(0);
        EXPECT_EQ((g.*ch.field).Text(), "0");
        EXPECT_EQ(g.Parameters.*ch.gain, 1.0f);
    }
}

TEST(PulseControls, TypedLevelSetsTheGainAtOnceWithoutBounds) {
    for (const Channel& ch : kChannels) {
        SCOPED_TRACE(ch.name);
        HeadlessProgram p;
        p.start();
        TfrmGenerator& g = p.gen();
        ui::Edit& field = g.*ch.field;
        (g.*ch.bar).userMoved(30);

        field.userTyped("-");  // not a whole number yet: the gain keeps its value
        EXPECT_EQ(g.Parameters.*ch.gain, gainFor(-30));
        field.userTyped("-6");
        EXPECT_TRUE(field.Focused());
        EXPECT_FLOAT_EQ(g.Parameters.*ch.gain, 0.5011872f);
        EXPECT_EQ((g.*ch.bar).Position(), 30);  // the trackbar follows only on leaving

        field.userTyped("20");
        EXPECT_EQ(g.Parameters.*ch.gain, 10.0f);
        p.tabAway();
        EXPECT_EQ(field.Text(), "0");
        EXPECT_EQ(g.Parameters.*ch.gain, 1.0f);
        EXPECT_EQ((g.*ch.bar).Position(), 0);  // at the top
    }
}

TEST(PulseControls, LevelOnLeavingIsAWholeNumberFromMinus100To0) {
    struct Case {
        const char* typed;
        const char* text;
        int position;
    };
    const Case cases[] = {
        {"-20.5", "-20", 20},  // ties to even
        {"-21.5", "-22", 22},
        {"-6.5", "-6", 6},
        {"abc", "0", 0},
        {"", "0", 0},
        {"12,5", "0", 0},
        {"-150", "-100", 100},
        {"-6", "-6", 6},
        {"-30", "-30", 30},  // the text it already holds: the trackbar still
                             // follows
        // The bounds and just outside them.
        {"-100", "-100", 100},
        {"-101", "-100", 100},
        {"-100.5", "-100", 100},
        {"0", "0", 0},
        {"1", "0", 0},
        {"0.4", "0", 0},
        {"-99.6", "-100", 100},
        {"-0.6", "-1", 1},
    };
    for (const Channel& ch : kChannels) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(ch.name) + " " + c.typed);
            HeadlessProgram p;
            p.start();
            TfrmGenerator& g = p.gen();
            (g.*ch.bar).userMoved(50);
            (g.*ch.field).userTyped("-30");
            p.typeAndLeave(g.*ch.field, c.typed);
            EXPECT_EQ((g.*ch.field).Text(), c.text);
            EXPECT_EQ((g.*ch.bar).Position(), c.position);
            EXPECT_EQ(g.Parameters.*ch.gain, gainFor(-c.position));
        }
    }
}

TEST(PulseControls, LevelsReachTheSamples) {
    HeadlessProgram p;
    p.startAt44100();
    TfrmGenerator& g = p.gen();
    g.AmplitudeRight.userTyped("-6");
    g.AmplitudeLeft.userTyped("-20.5");  // the start applies the exit rule: -20
    const auto frames = p.render(10);
    ASSERT_EQ(frames.size(), 10u);
    EXPECT_EQ(g.AmplitudeLeft.Text(), "-20");
    EXPECT_EQ(frames[0].right, 16422);  // Round(32767 x 0.50118721)
    EXPECT_EQ(frames[0].left,
              static_cast<int>(std::nearbyint(std::sin(2 * kPi * 100 / 44100) * 32767 * 0.1f)));

    // While playing the fields are disabled, but the trackbars stay usable.
    EXPECT_FALSE(g.AmplitudeRight.Enabled());
    g.barAmplitudeRight.userMoved(0);
    EXPECT_EQ(g.AmplitudeRight.Text(), "0");
    EXPECT_EQ(g.Parameters.GainRight, 1.0f);
}

// --- The phase ------------------------------------------------------------

struct PhaseCase {
    int trackbarBefore;  // where the user put the trackbar first
    const char* typed;
    const char* text;
    int position;
    float offsetDegrees;
};

TEST(PulseControls, PhaseOnLeavingGoesToHundredthsAndTheTrackbarFollows) {
    // The same result wherever the trackbar stood: the field's rule bounds and rounds the
    // value itself, the offset in use is the value shown, and the trackbar shows the nearest
    // whole degree without writing it back.
    const PhaseCase cases[] = {
        {0, "90", "90", 90, 90.0f},
        {90, "90.004", "90", 90, 90.0f},
        {100, "400", "360", 360, 360.0f},
        {360, "400", "360", 360, 360.0f},
        {100, "-30", "0", 0, 0.0f},
        {0, "-30", "0", 0, 0.0f},
        {50, "abc", "0", 0, 0.0f},
        {50, "", "0", 0, 0.0f},
        {50, "12.5", "12.5", 12, 12.5f},  // the nearest whole degree, ties to even
        {12, "12.5", "12.5", 12, 12.5f},
        {50, "45.5", "45.5", 46, 45.5f},
        {0, "45.5", "45.5", 46, 45.5f},
        {46, "45.678", "45.68", 46, 45.68f},
        {0, "90,5", "90.5", 90, 90.5f},
        {0, "1e30", "360", 360, 360.0f},
        // The trackbar's ends and just outside them.
        {100, "360", "360", 360, 360.0f},
        {100, "360.01", "360", 360, 360.0f},
        {100, "0", "0", 0, 0.0f},
        {100, "-0.01", "0", 0, 0.0f},
        {100, "359.99", "359.99", 360, 359.99f},
        {100, "0.01", "0.01", 0, 0.01f},
    };
    for (const PhaseCase& c : cases) {
        for (const int before : {c.trackbarBefore, 0, 360}) {
            SCOPED_TRACE(std::string(c.typed) + " from " + std::to_string(before));
            HeadlessProgram p;
            p.start();
            TfrmGenerator& g = p.gen();
            g.trkPhase.userMoved(before);
            p.typeAndLeave(g.PhaseEdit, c.typed);
            EXPECT_EQ(g.PhaseEdit.Text(), c.text);
            EXPECT_EQ(g.trkPhase.Position(), c.position);
            EXPECT_NEAR(g.Parameters.PhaseOffset, radians(c.offsetDegrees), 1e-6);
        }
    }
}

TEST(PulseControls, PhaseTrackbarWritesWholeDegrees) {
    HeadlessProgram p;
    p.start();
    TfrmGenerator& g = p.gen();
    for (const int degrees : {45, 90, 360, 0, 1}) {
        SCOPED_TRACE(degrees);
        g.trkPhase.userMoved(degrees);
        EXPECT_EQ(g.PhaseEdit.Text(), std::to_string(degrees));
        EXPECT_DOUBLE_EQ(g.Parameters.PhaseOffset, degrees * kPi / 180);
    }
    g.PhaseEdit.userTyped("12.5");  // the new offset waits for the field's exit
    EXPECT_DOUBLE_EQ(g.Parameters.PhaseOffset, kPi / 180);
}

TEST(PulseControls, PhaseReachesTheSineAndStaysUsableWhilePlaying) {
    HeadlessProgram p;
    p.startAt44100();
    TfrmGenerator& g = p.gen();
    p.typeAndLeave(g.PhaseEdit, "90");
    EXPECT_DOUBLE_EQ(g.Parameters.PhaseOffset, kPi / 2);
    const auto frames = p.render(10);
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames[0].left, -32764);
    EXPECT_EQ(frames[0].right, 32767);  // the pulses do not move
    EXPECT_TRUE(g.PhaseEdit.Enabled());
    g.trkPhase.userMoved(0);
    EXPECT_EQ(g.PhaseEdit.Text(), "0");
    EXPECT_EQ(g.Parameters.PhaseOffset, 0.0);
}

// --- The pulse length -----------------------------------------------------

struct PulseLengthCase {
    int trackbarBefore;
    const char* typed;
    const char* text;
    int position;
    double samples;
};

TEST(PulseControls, PulseLengthOnLeavingIsAWholeNumberAndTheTrackbarFollows) {
    const PulseLengthCase cases[] = {
        {10, "25", "25", 25, 25},
        {10, "80", "50", 50, 50},
        {10, "0", "1", 1, 1},
        {10, "-5", "1", 1, 1},
        {10, "12,5", "10", 10, 10},
        {10, "2.5", "10", 10, 10},
        {10, "abc", "10", 10, 10},
        {10, "", "10", 10, 10},
        {30, "2.5", "10", 10, 10},
        {10, "1e1", "10", 10, 10},
        {10, "020", "20", 20, 20},
        // The trackbar's ends and just outside them.
        {10, "1", "1", 1, 1},
        {10, "50", "50", 50, 50},
        {10, "51", "50", 50, 50},
        {10, "0.9", "10", 10, 10},
        // Already at the bound the clamp gives: the field's rule bounds it all the same.
        {50, "80", "50", 50, 50},
        {50, "300", "50", 50, 50},
        {1, "0", "1", 1, 1},
        {1, "-5", "1", 1, 1},
        {10, "12345678901234567890", "50", 50, 50},  // a whole 32-bit value, far too long
        {10, "1e40", "50", 50, 50},
        {10, "-1e40", "1", 1, 1},
    };
    for (const PulseLengthCase& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " from " + std::to_string(c.trackbarBefore));
        HeadlessProgram p;
        p.start();
        TfrmGenerator& g = p.gen();
        g.trkPulseLength.userMoved(c.trackbarBefore);
        ASSERT_EQ(g.txtPulseLength.Text(), std::to_string(c.trackbarBefore));
        p.typeAndLeave(g.txtPulseLength, c.typed);
        EXPECT_EQ(g.txtPulseLength.Text(), c.text);
        EXPECT_EQ(g.trkPulseLength.Position(), c.position);
        EXPECT_EQ(g.Parameters.PulseLength, c.samples);
    }
}

TEST(PulseControls, PulseLengthReachesThePulses) {
    struct Case {
        int trackbarBefore;
        const char* typed;
        std::size_t high;  // samples per pulse: the length plus one
    };
    const Case cases[] = {{10, "10", 11}, {10, "1", 2},    {10, "80", 51},
                          {50, "80", 51}, {50, "300", 51}, {1, "-5", 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " from " + std::to_string(c.trackbarBefore));
        HeadlessProgram p;
        p.startAt44100();
        TfrmGenerator& g = p.gen();
        g.trkPulseLength.userMoved(c.trackbarBefore);
        p.typeAndLeave(g.txtPulseLength, c.typed);
        const auto frames = p.render(441);
        ASSERT_EQ(frames.size(), 441u);
        std::size_t high = 0;
        while (high < frames.size() && frames[high].right != 0) ++high;
        EXPECT_EQ(high, c.high);
    }
}

TEST(PulseControls, PulseLengthTrackbarWritesWholeSamplesWhilePlaying) {
    HeadlessProgram p;
    p.startAt44100();
    TfrmGenerator& g = p.gen();
    ASSERT_FALSE(p.render(100).empty());
    g.trkPulseLength.userMoved(33);
    EXPECT_EQ(g.txtPulseLength.Text(), "33");
    EXPECT_EQ(g.Parameters.PulseLength, 33.0);
    EXPECT_TRUE(g.AudioOut1->Active);
}

// --- The comma as the locale's decimal separator ------------------------------------------

TEST(PulseControls, WithTheCommaAsDecimalSeparator) {
    HeadlessProgram p(',');
    p.start();
    TfrmGenerator& g = p.gen();
    g.FreqSliderRight.userMoved(1);
    EXPECT_EQ(g.lblFdelta.Caption(), "0,02");
    g.FreqSliderRight.userMoved(-33);
    EXPECT_EQ(g.lblFdelta.Caption(), "-0,66");

    g.trkPhase.userMoved(46);
    p.typeAndLeave(g.PhaseEdit, "45.678");
    EXPECT_EQ(g.PhaseEdit.Text(), "45,68");
    EXPECT_NEAR(g.Parameters.PhaseOffset, radians(45.68f), 1e-6);
    g.trkPhase.userMoved(90);
    p.typeAndLeave(g.PhaseEdit, "90,004");
    EXPECT_EQ(g.PhaseEdit.Text(), "90");
    EXPECT_DOUBLE_EQ(g.Parameters.PhaseOffset, radians(90.0f));

    p.typeAndLeave(g.txtPulseLength, "12,5");
    EXPECT_EQ(g.txtPulseLength.Text(), "10");
    p.typeAndLeave(g.txtPulseLength, "2.5");
    EXPECT_EQ(g.txtPulseLength.Text(), "10");

    g.barAmplitudeLeft.userMoved(10);
    p.typeAndLeave(g.AmplitudeLeft, "-20,5");
    EXPECT_EQ(g.AmplitudeLeft.Text(), "-20");
    EXPECT_EQ(g.barAmplitudeLeft.Position(), 20);
    EXPECT_EQ(g.Parameters.GainLeft, 0.1f);
}

}  // namespace

namespace {

// Where the pulse rate (speaker frequency plus delta) is zero or below: the lamp flashes at the
// rate's magnitude, from the first sample on, and a rate of exactly zero leaves it dark.
TEST(PulseControls, ADeltaBeyondTheSpeakerFrequencyFlashesAtTheRatesMagnitude) {
    struct Case {
        const char* hz;
        int deltaPosition;                // delta = position / 50 Hz
        std::vector<std::size_t> starts;  // the pulses' first samples in 3 s at 8000 Hz
    };
    const Case cases[] = {
        {"1", -100, {0, 8000, 16000}},                  // -1 Hz: one flash a second
        {"0.5", -100, {0, 5333, 10666, 15999, 21332}},  // -1.5 Hz: a whole period of 5333
        {"2", -100, {}},                                // 0 Hz: no flash
        {"1", 0, {0, 8000, 16000}},                     // +1 Hz, for comparison
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.hz << " Hz, delta position " << c.deltaPosition);
        HeadlessProgram p;
        auto& key = p.hp.registry.keys[vpg::ProgramKey()];
        key["Fs"] = persistence::RegistryValue::Integer(0);  // 8000 Hz
        key["Buffers"] = persistence::RegistryValue::Integer(2);
        key["BufferSize"] = persistence::RegistryValue::Integer(2);
        p.start();
        TfrmGenerator& g = p.gen();
        p.typeAndLeave(g.fInitLeft, c.hz);
        g.FreqSliderRight.userMoved(c.deltaPosition);
        const auto f = p.render(24000);
        ASSERT_EQ(f.size(), 24000u);
        std::vector<std::size_t> starts;
        for (std::size_t i = 0; i < f.size(); ++i)
            if (f[i].right != 0 && (i == 0 || f[i - 1].right == 0)) starts.push_back(i);
        EXPECT_EQ(starts, c.starts);
    }
}

}  // namespace
