// One run of the signal through the main window: its start, its buffer fills, its end, its loop
// and what the window shows while the output is open.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/signal_engine.h"
#include "support/headless_program.h"

namespace {

using doubles::FakeWaveOut;
using doubles::ScriptedDialogs;
using persistence::RegistryValue;
using testing_support::At44100;
using testing_support::Frame;
using testing_support::HeadlessProgram;
using testing_support::MeasuredHz;

constexpr double kFs = 44100;
constexpr const char* kPerformance = "There is an issue with performance. See help for details";
constexpr const char* kShortSignal =
    "For very short signals please decrease the buffer number and size in the 'Output "
    "Settings' via the 'Tools' menu";

// What one call of the fill did.
struct Fill {
    bool result = false;
    std::int32_t counterBefore = 0;
    std::vector<Frame> frames;
    std::string display;
    bool acknowledged = false;
    double stepAfter = 0;
};

std::vector<Frame> decode(const std::uint8_t* b, std::int32_t size) {
    std::vector<Frame> frames(static_cast<std::size_t>(size / 4));
    for (std::size_t i = 0; i < frames.size(); ++i, b += 4) {
        frames[i].left = static_cast<std::int16_t>(b[0] | (b[1] << 8));
        frames[i].right = static_cast<std::int16_t>(b[2] | (b[3] << 8));
    }
    return frames;
}

// Wraps the window's fill so that each call is logged; the display text is cleared before
// each fill, so a text after it was written by that fill.
void logFills(HeadlessProgram& p, std::vector<Fill>& log) {
    audio::TBufferEvent fill = p.out().OnFillBuffer();
    vpg::TfrmGenerator* g = &p.gen();
    p.out().setOnFillBuffer([g, &log, fill](std::uint8_t* buffer, std::int32_t& size) {
        Fill f;
        f.counterBefore = g->State.SampleCounter;
        g->frmFrequencyDisplay->lblDisplay.setCaption("");
        f.result = fill(buffer, size);
        f.frames = decode(buffer, size);
        f.display = g->frmFrequencyDisplay->lblDisplay.Caption();
        f.acknowledged = g->State.FillAcknowledged;
        f.stepAfter = g->State.StepLeft;
        log.push_back(f);
        return f.result;
    });
}

// What the window shows while the output plays (`on`) and once it has stopped: the title, the
// default button, the lamp and the presets, which may not be recalled during a run.
void expectRunLook(vpg::TfrmGenerator& g, bool on) {
    EXPECT_EQ(g.Application.Title(),
              on ? "ON - Vimbrel Pulse Generator 1.2" : "Vimbrel Pulse Generator 1.2");
    EXPECT_EQ(g.btnOFF.Default(), on);
    EXPECT_EQ(g.btnON.Default(), !on);
    EXPECT_EQ(g.LED.Brush(), on ? ui::clGreen : ui::clMaroon);
    EXPECT_EQ(g.Presets1.Enabled(), !on);
}

// The program at 44100 Hz with every fill logged.
struct LoggedAt44100 : At44100 {
    LoggedAt44100() { logFills(*this, fills); }
    std::vector<Fill> fills;
};

bool silent(const std::vector<Frame>& frames, std::size_t from = 0) {
    return std::all_of(frames.begin() + static_cast<std::ptrdiff_t>(from), frames.end(),
                       [](const Frame& f) { return f.left == 0 && f.right == 0; });
}

int highPulses(const std::vector<Frame>& frames) {
    return static_cast<int>(
        std::count_if(frames.begin(), frames.end(), [](const Frame& f) { return f.right != 0; }));
}

// The pulses of the right channel between two frames: where each begins and how long it is
// high. A pulse cut off by either end is left out.
struct Pulse {
    std::size_t start, width;
};
std::vector<Pulse> pulsesIn(const std::vector<Frame>& f, std::size_t from, std::size_t to) {
    std::vector<Pulse> out;
    std::size_t i = from;
    while (i < to && f[i].right != 0) ++i;
    while (i < to) {
        if (f[i].right == 0) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < to && f[j].right != 0) ++j;
        if (j < to) out.push_back({i, j - i});
        i = j;
    }
    return out;
}

// Every pulse between the two frames is `width` samples high and `period` after the one before.
void expectSteadyPulses(const std::vector<Frame>& f, std::size_t from, std::size_t to,
                        std::size_t period, std::size_t width) {
    const std::vector<Pulse> pulses = pulsesIn(f, from, to);
    ASSERT_GE(pulses.size(), 2u);
    EXPECT_GE(pulses.size(), (to - from) / period - 1);
    for (std::size_t k = 0; k < pulses.size(); ++k) {
        EXPECT_EQ(pulses[k].width, width) << "pulse at frame " << pulses[k].start;
        if (k > 0) {
            EXPECT_EQ(pulses[k].start - pulses[k - 1].start, period)
                << "pulse at frame " << pulses[k].start;
        }
    }
}

// The same signal with Loop ticked: what the first n frames must be.
std::vector<Frame> loopingReference(const char* duration, std::size_t n) {
    At44100 ref;
    ref.gen().Duration.setText(duration);
    return ref.render(n);
}

// --- the end of a signal without Loop

TEST(PlaybackEnd, TheBufferThatReachesTheEndHoldsTheRestOfTheSignalAndPlays) {
    LoggedAt44100 p;
    const std::vector<Fill>& fills = p.fills;
    vpg::TfrmGenerator& g = p.gen();
    g.Loop.setChecked(false);
    g.Duration.setText("1");
    g.btnONClick(nullptr);
    p.playOut();
    const auto ref = loopingReference("1", 44100);

    // 10 x 4096 frames, then one buffer with the remaining 3140 frames followed by zeros.
    ASSERT_GE(fills.size(), 12u);
    for (std::size_t i = 0; i < 11; ++i) EXPECT_TRUE(fills[i].result) << "fill " << i;
    EXPECT_EQ(fills[10].counterBefore, 40960);
    EXPECT_TRUE(
        std::equal(fills[10].frames.begin(), fills[10].frames.begin() + 3140, ref.begin() + 40960));
    EXPECT_TRUE(silent(fills[10].frames, 3140));
    for (std::size_t i = 11; i < fills.size(); ++i) {
        EXPECT_FALSE(fills[i].result) << "fill " << i;
        EXPECT_TRUE(silent(fills[i].frames)) << "fill " << i;
    }

    // Exactly the 44100 frames of the signal have sounded: 100 pulses, nothing after them.
    const auto f = p.played();
    ASSERT_EQ(f.size(), 11u * 4096);
    EXPECT_TRUE(silent(f, 44100));
    EXPECT_EQ(highPulses(f), 100 * 11);
    EXPECT_TRUE(std::equal(ref.begin(), ref.end(), f.begin()));

    // Then the output has closed.
    EXPECT_FALSE(p.out().Active);
    EXPECT_FALSE(p.hp.waveOut.isOpen());
    EXPECT_EQ(g.LED.Brush(), ui::clMaroon);
    EXPECT_EQ(g.Application.Title(), "Vimbrel Pulse Generator 1.2");
    EXPECT_TRUE(g.fInitLeft.Enabled());
    EXPECT_TRUE(g.btnON.Default());
}

TEST(PlaybackEnd, ASignalShorterThanOneBufferPlaysInsteadOfFailing) {
    // 0.1 s is 4410 frames; a buffer of 64536 bytes holds 16134.
    At44100 p({.bufferSizePosition = 4, .buffersPosition = 2});
    vpg::TfrmGenerator& g = p.gen();
    g.Loop.setChecked(false);
    g.Duration.setText("0.1");
    g.btnONClick(nullptr);
    p.pump();
    EXPECT_TRUE(p.hp.dialogs.calls.empty());
    EXPECT_EQ(g.LED.Brush(), ui::clGreen);
    p.playOut();

    const auto f = p.played();
    ASSERT_GE(f.size(), 16134u);
    EXPECT_TRUE(silent(f, 4410));
    EXPECT_EQ(highPulses(f), 10 * 11);
    const auto ref = loopingReference("0.1", 4410);
    EXPECT_TRUE(std::equal(ref.begin(), ref.end(), f.begin()));
    EXPECT_FALSE(p.hp.waveOut.isOpen());
    EXPECT_EQ(g.LED.Brush(), ui::clMaroon);
}

TEST(PlaybackEnd, LaterBuffersAreSilentButStillAcknowledgedAndShown) {
    LoggedAt44100 p;
    const std::vector<Fill>& fills = p.fills;
    vpg::TfrmGenerator& g = p.gen();
    g.FrequencyDisplay1Click(nullptr);
    g.Loop.setChecked(false);
    g.Duration.setText("0.1");
    g.btnONClick(nullptr);
    p.playOut();

    // The first two fills hold the 4410 frames; every one after them is past the end.
    ASSERT_GT(fills.size(), 4u);
    EXPECT_TRUE(fills[0].result);
    EXPECT_TRUE(fills[1].result);
    for (std::size_t i = 2; i < fills.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(fills[i].result);
        EXPECT_TRUE(silent(fills[i].frames));
        EXPECT_TRUE(fills[i].acknowledged);
        EXPECT_EQ(fills[i].display, "100 Hz");
    }
}

// --- the start

TEST(PlaybackStart, TheShortestSignalPlaysWholeEvenInTheLargestBuffers) {
    // 0.1 s (4410 frames), the field's minimum on every road, and buffers of 64536 bytes
    // (16134 frames): the first buffer holds the whole signal and the output starts.
    At44100 p({.bufferSizePosition = 4});
    vpg::TfrmGenerator& g = p.gen();
    g.Loop.setChecked(false);
    EXPECT_EQ(g.WndProc(1034, 0, 0), vpg::RemoteOutcome::Refused);
    g.Duration.setText("0");  // as a program change could leave it
    g.btnONClick(nullptr);
    EXPECT_EQ(g.Duration.Text(), "0.1");
    EXPECT_EQ(g.Parameters.TotalSamples, 4410);
    p.playOut();
    EXPECT_TRUE(p.hp.dialogs.calls.empty());
    const auto f = p.played();
    ASSERT_GE(f.size(), 4410u);
    EXPECT_NE(f[4409].right + f[4408].left, 0);
}

TEST(PlaybackStart, ADeviceFailureShowsTheSoundDeviceError) {
    const struct {
        audio::MMRESULT code;
        std::string ownText;  // empty: the platform's standard text
    } cases[] = {{audio::MMSYSERR_ALLOCATED, ""}, {audio::MMSYSERR_NODRIVER, "No way out"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        At44100 p;
        if (!c.ownText.empty()) p.hp.waveOut.setErrorText(c.code, c.ownText);
        p.hp.waveOut.failNext(FakeWaveOut::Call::Open, c.code);
        p.gen().btnONClick(nullptr);
        p.pump();
        const std::string text =
            c.ownText.empty() ? audio::StandardWaveErrorText(c.code) : c.ownText;
        ASSERT_EQ(p.hp.dialogs.calls.size(), 1u);
        EXPECT_EQ(p.hp.dialogs.calls[0].text, "Sound Device Error: \r" + text);
        EXPECT_FALSE(p.out().Active);
        EXPECT_EQ(p.gen().LED.Brush(), ui::clMaroon);
    }
}

// A device that fails while playing (unplugged, its sound server gone) ends the run through the
// component's failure path; the window says why once, and the next ON works.
TEST(PlaybackStart, ADeviceThatFailsWhilePlayingEndsTheRunWithTheSoundDeviceError) {
    At44100 p;
    p.hp.waveOut.setErrorText(audio::MMSYSERR_NODRIVER, "The sound device stopped");
    p.gen().btnONClick(nullptr);
    p.pump();
    p.play(3);
    ASSERT_EQ(p.gen().LED.Brush(), ui::clGreen);
    p.hp.waveOut.failNext(FakeWaveOut::Call::Write, audio::MMSYSERR_NODRIVER);
    p.playOut();
    ASSERT_EQ(p.hp.dialogs.calls.size(), 1u);
    EXPECT_EQ(p.hp.dialogs.calls[0].text, "Sound Device Error: \rThe sound device stopped");
    EXPECT_FALSE(p.out().IsWaveDeviceOpen());
    EXPECT_EQ(p.gen().LED.Brush(), ui::clMaroon);
    EXPECT_TRUE(p.gen().fInitLeft.Enabled());

    // The device is back: a new run plays, and stopping it says nothing.
    p.gen().btnONClick(nullptr);
    p.pump();
    p.play(2);
    EXPECT_EQ(p.gen().LED.Brush(), ui::clGreen);
    p.gen().btnOFFClick(nullptr);
    p.playOut();
    EXPECT_EQ(p.gen().LED.Brush(), ui::clMaroon);
    EXPECT_EQ(p.hp.dialogs.calls.size(), 1u);
}

TEST(PlaybackStart, OnWhilePlayingChangesNothing) {
    At44100 p;
    p.render(4096 * 2);
    vpg::TfrmGenerator& g = p.gen();
    const std::size_t opens = p.hp.waveOut.count(FakeWaveOut::Call::Open);
    const audio::HWAVEOUT handle = p.hp.waveOut.handle();
    const auto counter = g.State.SampleCounter;
    const double phase = g.State.PhaseLeft;
    g.btnONClick(nullptr);
    p.pump();
    EXPECT_EQ(p.hp.waveOut.count(FakeWaveOut::Call::Open), opens);
    EXPECT_EQ(p.hp.waveOut.handle(), handle);
    EXPECT_EQ(g.State.SampleCounter, counter);
    EXPECT_EQ(g.State.PhaseLeft, phase);
    EXPECT_TRUE(p.hp.dialogs.calls.empty());
    EXPECT_TRUE(p.out().Active);
}

TEST(PlaybackStart, OffTakesTheFocusAfterEveryStartAttempt) {
    const struct {
        const char* name;
        std::function<void(At44100&)> arrange;
        bool plays;
    } cases[] = {
        {"success", [](At44100&) {}, true},
        // A duration of 0 left in the field: the start makes it 0.1 s, which plays.
        {"duration 0",
         [](At44100& p) {
             p.gen().Loop.setChecked(false);
             p.gen().Duration.setText("0");
         },
         true},
        {"device failure",
         [](At44100& p) {
             p.hp.waveOut.failNext(FakeWaveOut::Call::Open, audio::MMSYSERR_ALLOCATED);
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        At44100 p;
        c.arrange(p);
        ASSERT_TRUE(p.gen().btnON.SetFocus());
        p.gen().btnONClick(nullptr);
        p.pump();
        EXPECT_EQ(p.gen().ActiveControl(), &p.gen().btnOFF);
        EXPECT_EQ(p.out().Active, c.plays);
    }
}

// --- what the window shows while the output is open

TEST(PlaybackWindow, OpenAndCloseSetTitleButtonsLampAndTheRunControls) {
    At44100 p;
    vpg::TfrmGenerator& g = p.gen();
    g.Loop.setChecked(false);  // so BidirectionalLeft starts disabled
    ASSERT_FALSE(g.BidirectionalLeft.Enabled());
    const std::vector<const ui::Control*> locked = {
        &g.WaveDevice, &g.Duration,   &g.Loop,          &g.BidirectionalLeft, &g.LogarithmicLeft,
        &g.fInitLeft,  &g.fFinalLeft, &g.AmplitudeLeft, &g.AmplitudeRight,    &g.Memory1,
        &g.Memory2,    &g.Memory3,    &g.Memory4};
    const auto isLocked = [&](const ui::Control* c) {
        return std::find(locked.begin(), locked.end(), c) != locked.end();
    };
    std::map<const ui::Control*, bool> before;
    for (const ui::Control* c : g.Controls()) before[c] = c->Enabled();

    g.btnONClick(nullptr);
    p.pump();
    expectRunLook(g, true);
    for (const ui::Control* c : g.Controls())
        EXPECT_EQ(c->Enabled(), isLocked(c) ? false : before[c]) << c->Name;
    // What must stay usable while the signal plays.
    for (const ui::Control* c : std::initializer_list<const ui::Control*>{
             &g.FreqSliderLeft, &g.FreqSliderRight, &g.trkPhase, &g.PhaseEdit, &g.trkPulseLength,
             &g.txtPulseLength, &g.barAmplitudeLeft, &g.barAmplitudeRight, &g.btnPause, &g.btnOFF})
        EXPECT_TRUE(c->Enabled()) << c->Name;

    g.btnPauseClick(nullptr);
    ASSERT_TRUE(g.btnPause.Bold());
    g.btnOFFClick(nullptr);
    p.pump();
    expectRunLook(g, false);
    EXPECT_FALSE(g.btnPause.Bold());
    // The locked ones come back, BidirectionalLeft too although Loop is not ticked.
    for (const ui::Control* c : g.Controls())
        EXPECT_EQ(c->Enabled(), isLocked(c) ? true : before[c]) << c->Name;
    EXPECT_FALSE(g.Loop.Checked());
}

// --- the loop

TEST(PlaybackLoop, ABidirectionalSweepTurnsAtTheEndOfEachPass) {
    LoggedAt44100 p;
    const std::vector<Fill>& fills = p.fills;
    vpg::TfrmGenerator& g = p.gen();
    g.chkSweepLeft.setChecked(true);
    g.LogarithmicLeft.setChecked(false);
    g.BidirectionalLeft.setChecked(true);
    g.Duration.setText("1");
    ASSERT_TRUE(g.Loop.Checked());
    const auto f = p.render(3 * 44100 + 4410);
    ASSERT_EQ(g.Parameters.TotalSamples, 44100);

    // 100 -> 1000 Hz, back to 100 Hz, up again: each pass takes the set second.
    const std::size_t N = 44100, w = 4410;
    EXPECT_NEAR(MeasuredHz(f, N / 2 - w / 2, w, 44100), 550, 20);
    EXPECT_NEAR(MeasuredHz(f, N - w, w, 44100), 955, 20);
    EXPECT_NEAR(MeasuredHz(f, N, w, 44100), 955, 20);
    EXPECT_NEAR(MeasuredHz(f, 2 * N - w, w, 44100), 145, 10);
    EXPECT_NEAR(MeasuredHz(f, 2 * N, w, 44100), 145, 10);
    EXPECT_NEAR(MeasuredHz(f, 3 * N - w, w, 44100), 955, 20);

    // The sine step runs up and down a triangle, one sample at a time.
    const double s0 = engine::TwoPi * 100 / kFs;
    const double a = std::abs(g.Parameters.SweepAdder);
    for (std::size_t i = 0; i < fills.size(); ++i) {
        const std::size_t n = (i + 1) * 4096;
        const std::size_t r = n % N;
        const double tri = (n / N) % 2 == 0 ? double(r) : double(N - r);
        EXPECT_NEAR(fills[i].stepAfter, s0 + a * tri, 1e-10) << "fill " << i;
    }
}

TEST(PlaybackLoop, AOneWaySweepStartsOverWithItsPhaseContinuous) {
    At44100 p;
    vpg::TfrmGenerator& g = p.gen();
    g.chkSweepLeft.setChecked(true);
    g.LogarithmicLeft.setChecked(false);
    g.BidirectionalLeft.setChecked(false);
    // A pass whose sine ends far from zero, so that a reset of the phase would show.
    g.Duration.setText("1.0005");
    const auto f = p.render(2 * 44122 + 4410);
    const std::size_t N = 44122;
    ASSERT_EQ(g.Parameters.TotalSamples, static_cast<std::int32_t>(N));
    ASSERT_GT(std::abs(f[N - 1].left), 20000);

    // No jump: the step is at most that of 1000 Hz (4669 at full scale).
    EXPECT_LT(std::abs(f[N].left - f[N - 1].left), 4700);
    // The frequency starts over from 100 Hz; the pulses run on at their own rate.
    EXPECT_NEAR(MeasuredHz(f, N - 4410, 4410, 44100), 955, 20);
    EXPECT_NEAR(MeasuredHz(f, N, 4410, 44100), 145, 10);
    EXPECT_NEAR(MeasuredHz(f, 2 * N - 4410, 4410, 44100), 955, 20);
    expectSteadyPulses(f, N - 2000, N + 2000, 441, 11);
}

TEST(PlaybackLoop, ThePulseTrainRunsOnAtItsOwnRateAcrossEveryPassBoundary) {
    // A pass of 1.0005 s (44122 samples, not a multiple of the 441-sample pulse period).
    struct Case {
        const char* sweep;
        bool logarithmic, bidirectional;
    };
    const Case cases[] = {
        {"linear, one way", false, false},
        {"logarithmic, one way", true, false},
        {"linear, both ways", false, true},
        {"logarithmic, both ways", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sweep);
        At44100 p;
        vpg::TfrmGenerator& g = p.gen();
        g.chkSweepLeft.setChecked(true);
        g.LogarithmicLeft.setChecked(c.logarithmic);
        g.BidirectionalLeft.setChecked(c.bidirectional);
        g.Duration.setText("1.0005");
        const std::size_t N = 44122;
        const auto f = p.render(3 * N + 4410);
        ASSERT_EQ(g.Parameters.TotalSamples, static_cast<std::int32_t>(N));
        // 100 Hz plus no delta: 441 samples apart, 11 high, through three pass boundaries.
        expectSteadyPulses(f, 0, f.size(), 441, 11);
    }
}

TEST(PlaybackLoop, AConstantToneWrapsOnlyTheCounter) {
    // The same tone twice; in one of them the counter is brought 400 samples before the wrap,
    // where a pulse falls before the wrap and the next one after it.
    At44100 wrapped, plain;
    for (At44100* p : {&wrapped, &plain}) {
        p->gen().btnONClick(nullptr);
        p->pump();
        ASSERT_EQ(p->gen().Parameters.TotalSamples, engine::MaxTotalSamples);
    }
    wrapped.gen().State.SampleCounter = engine::MaxTotalSamples - 400;
    wrapped.play(5);
    plain.play(5);
    const auto f = wrapped.played(), ref = plain.played();
    ASSERT_EQ(f.size(), 5u * 4096);
    ASSERT_EQ(ref.size(), f.size());

    const engine::SignalState& s = wrapped.gen().State;
    EXPECT_EQ(s.SampleCounter, 4096 - 400 + 4 * 4096);
    EXPECT_EQ(s.StepLeft, wrapped.gen().Parameters.TargetLeft);
    // The sine goes on as if nothing had happened, and so does the pulse train: the same
    // spacing and width before and after the wrap (400 frames into the fifth buffer).
    for (std::size_t i = 0; i < f.size(); ++i) ASSERT_EQ(f[i].left, ref[i].left) << "frame " << i;
    const std::size_t b = 4 * 4096;
    expectSteadyPulses(f, b, f.size(), 441, 11);
}

TEST(PlaybackLoop, NoCounterStopsThePulsesAtAnyPlayTime) {
    // Each signal is brought to 2^31 - 400 samples into its pass, as if it had played for
    // 13.5 hours, and then plays on.
    struct Case {
        const char* signal;
        bool sweep;
        std::function<void(vpg::TfrmGenerator&)> duration;
    };
    const Case cases[] = {
        {"a constant tone with Loop", false, [](vpg::TfrmGenerator&) {}},
        // Texts no rule leaves, set by the program while the sweep plays.
        {"a looping sweep of duration 0", true,
         [](vpg::TfrmGenerator& g) { g.Duration.setText("0"); }},
        {"a looping sweep of one sample per pass", true,
         [](vpg::TfrmGenerator& g) { g.Duration.setText("0.00002"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.signal);
        At44100 p;
        vpg::TfrmGenerator& g = p.gen();
        g.chkSweepLeft.setChecked(c.sweep);
        g.chkConstantLeft.setChecked(!c.sweep);
        ASSERT_TRUE(g.Loop.Checked());
        p.render(4096);  // one buffer played, the ring refilled
        c.duration(g);
        g.State.SampleCounter = engine::MaxTotalSamples - 400;
        p.play(8);
        const auto f = p.played();
        const std::size_t b = 5 * 4096;  // the first buffer filled after the jump
        ASSERT_GE(f.size(), b + 4 * 4096);
        expectSteadyPulses(f, b, f.size(), 441, 11);
        // A sweep whose pass is shorter than two samples holds its start frequency.
        EXPECT_NEAR(MeasuredHz(f, b, f.size() - b, kFs), 100, 0.5);
        EXPECT_TRUE(p.out().Active);
    }
}

TEST(PlaybackLoop, ALoopingSweepStaysBetweenItsFrequenciesWhateverChangesWhilePlaying) {
    // 100 -> 1000 Hz, linear, looping. Each row changes something in the middle of a pass.
    const struct {
        const char* name;
        bool bidirectional;
        bool loop;
        const char* duration;
        std::size_t framesBefore;
        std::function<void(vpg::TfrmGenerator&)> change;
    } cases[] = {
        {"delta slider on the way down", true, true, "1", 66150,
         [](vpg::TfrmGenerator& g) { g.FreqSliderRight.userMoved(10); }},
        {"delta slider on the way up", true, true, "1", 22050,
         [](vpg::TfrmGenerator& g) { g.FreqSliderRight.userMoved(-10); }},
        {"shorter duration by message, one way", false, true, "2", 66150,
         [](vpg::TfrmGenerator& g) { g.WndProc(1034, 5, 0); }},
        {"shorter duration by message, both ways", true, true, "2", 66150,
         [](vpg::TfrmGenerator& g) { g.WndProc(1034, 5, 0); }},
        {"loop by message after the end", false, false, "0.1", 4096,
         [](vpg::TfrmGenerator& g) { g.WndProc(1035, 1, 0); }},
        // Every one-way pass after it runs from the start to the final frequency.
        {"bi-directional off by message on the way down", true, true, "1", 66150,
         [](vpg::TfrmGenerator& g) { g.WndProc(1037, 0, 0); }},
        {"bi-directional off in the box on the way down", true, true, "1", 66150,
         [](vpg::TfrmGenerator& g) { g.BidirectionalLeft.setChecked(false); }},
        {"bi-directional off and on again on the way down", true, true, "1", 66150,
         [](vpg::TfrmGenerator& g) {
             g.WndProc(1037, 0, 0);
             g.WndProc(1037, 1, 0);
         }},
        {"the law changed on the way down", true, true, "1", 66150,
         [](vpg::TfrmGenerator& g) { g.WndProc(1036, 1, 0); }},
    };
    const double s0 = engine::TwoPi * (100 / kFs), s1 = engine::TwoPi * (1000 / kFs);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoggedAt44100 p;
        const std::vector<Fill>& fills = p.fills;
        vpg::TfrmGenerator& g = p.gen();
        g.chkSweepLeft.setChecked(true);
        g.LogarithmicLeft.setChecked(false);
        g.Loop.setChecked(c.loop);
        g.BidirectionalLeft.setChecked(c.bidirectional);
        g.Duration.setText(c.duration);
        p.render(c.framesBefore);
        c.change(g);
        p.play(40);  // about 3.7 s more

        EXPECT_TRUE(p.out().Active);
        // Two samples' worth of either law's change.
        const double a = 2 * std::abs(g.Parameters.SweepAdder) +
                         2 * s1 * std::abs(g.Parameters.SweepMultiplier - 1);
        const auto [lowest, highest] = std::minmax_element(
            fills.begin(), fills.end(),
            [](const Fill& x, const Fill& y) { return x.stepAfter < y.stepAfter; });
        EXPECT_GE(lowest->stepAfter, s0 - a) << lowest->stepAfter * kFs / engine::TwoPi << " Hz";
        EXPECT_LE(highest->stepAfter, s1 + a) << highest->stepAfter * kFs / engine::TwoPi << " Hz";
        // And it still sweeps the whole range.
        double low = s1, high = s0;
        for (std::size_t i = fills.size() - 30; i < fills.size(); ++i) {
            low = std::min(low, fills[i].stepAfter);
            high = std::max(high, fills[i].stepAfter);
        }
        EXPECT_LT(low, engine::TwoPi * (200 / kFs));
        EXPECT_GT(high, engine::TwoPi * (900 / kFs));
    }
}

// --- the guards of the fill

TEST(PlaybackGuards, AnUnacknowledgedFillStopsTheOutputWithThePerformanceNotice) {
    for (const bool suppressed : {false, true}) {
        SCOPED_TRACE(suppressed);
        At44100 p;
        if (suppressed)
            p.hp.registry.keys[vpg::ProgramKey()]["MBPerformance"] = RegistryValue::Integer(1);
        else
            p.hp.dialogs.answerNotice(ui::mrOk, true);
        p.render(4096);
        bool openWhileShown = true;
        p.hp.dialogs.whileOpen = [&] { openWhileShown = p.hp.waveOut.isOpen(); };
        p.gen().State.FillAcknowledged = false;
        p.play(1);
        p.pump();

        EXPECT_FALSE(p.out().Active);
        EXPECT_FALSE(p.hp.waveOut.isOpen());
        EXPECT_EQ(p.gen().LED.Brush(), ui::clMaroon);
        EXPECT_FALSE(p.gen().State.FillBusy);
        if (suppressed) {
            EXPECT_TRUE(p.hp.dialogs.calls.empty());
            continue;
        }
        ASSERT_EQ(p.hp.dialogs.calls.size(), 1u);
        const auto& call = p.hp.dialogs.calls[0];
        EXPECT_EQ(call.kind, ScriptedDialogs::Kind::Notice);
        EXPECT_EQ(call.text, kPerformance);
        EXPECT_EQ(call.caption, "Information");
        EXPECT_EQ(call.buttons, unsigned{ui::mbOK});
        EXPECT_FALSE(openWhileShown);
        // The ticked box is kept under the notice's own name.
        EXPECT_EQ(p.hp.registry.keys[vpg::ProgramKey()].count("MBPerformance"), 1u);
        // "See help for details": F1 in the notice opens the performance page (topic 6).
        ASSERT_TRUE(call.notice.help);
        call.notice.help();
        ASSERT_EQ(p.hp.shell.help.size(), 1u);
        EXPECT_EQ(p.hp.shell.help[0].second, 6);
    }
}

TEST(PlaybackGuards, AnOverlappingFillStopsTheOutputWithAPlainMessage) {
    At44100 p;
    p.render(4096);
    bool openWhileShown = true;
    p.hp.dialogs.whileOpen = [&] { openWhileShown = p.hp.waveOut.isOpen(); };
    // As if a fill were still running when the next one begins.
    p.gen().State.FillBusy = true;
    p.play(1);
    p.pump();

    ASSERT_EQ(p.hp.dialogs.calls.size(), 1u);
    EXPECT_EQ(p.hp.dialogs.calls[0].kind, ScriptedDialogs::Kind::Message);
    EXPECT_EQ(p.hp.dialogs.calls[0].text, kPerformance);
    EXPECT_FALSE(openWhileShown);
    EXPECT_FALSE(p.gen().State.FillBusy);
    EXPECT_EQ(p.gen().LED.Brush(), ui::clMaroon);

    // The next start is not blocked.
    p.hp.dialogs.whileOpen = nullptr;
    p.gen().btnONClick(nullptr);
    p.pump();
    EXPECT_TRUE(p.out().Active);
    EXPECT_TRUE(p.hp.waveOut.completeNext());
    p.pump();
    EXPECT_TRUE(p.out().Active);
    EXPECT_EQ(p.hp.dialogs.calls.size(), 1u);
}

}  // namespace
