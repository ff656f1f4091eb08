// The frequency display window: its text, written by the buffer fill while it is shown, and
// the View menu command that shows and hides it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/signal_engine.h"
#include "support/headless_program.h"

namespace {

using persistence::RegistryValue;
using testing_support::HeadlessProgram;

constexpr ui::ShiftState kCtrl{false, true, false};

struct At44100 : HeadlessProgram {
    At44100() { startAt44100(); }
    vpg::TfrmFrequencyDisplay& display() { return *program.frmFrequencyDisplay; }
};

// What the display read after each fill, and how often its text changed during that fill.
struct Write {
    std::string text;
    int changes;
    std::string expected;  // the momentary frequency as the fill began
};

void logWrites(At44100& p, std::vector<Write>& log) {
    audio::TBufferEvent fill = p.out().OnFillBuffer();
    vpg::TfrmGenerator* g = &p.gen();
    ui::Label* label = &p.display().lblDisplay;
    auto changes = std::make_shared<int>(0);
    label->viewChanged = [changes] { ++*changes; };
    p.out().setOnFillBuffer([g, label, changes, &log, fill](std::uint8_t* b, std::int32_t& size) {
        label->setCaption("-");
        *changes = 0;
        const std::string expected =
            vpg::FrequencyDisplayText(g->Parameters.SampleRate, g->State.StepLeft);
        const bool result = fill(b, size);
        log.push_back({label->Caption(), *changes, expected});
        return result;
    });
}

TEST(FrequencyDisplayText, RoundsTheMomentaryFrequencyToWholeHertz) {
    const struct {
        std::int32_t fs;
        double hz;
        const char* text;
    } cases[] = {
        {44100, 440.4, "440 Hz"},
        {44100, 440.6, "441 Hz"},
        {44100, 100, "100 Hz"},
        {8000, 0.2, "0 Hz"},
        {96000, 48000, "48000 Hz"},
        {44100, 12345.4, "12345 Hz"},
        // Halves go to the even neighbour (exact in binary at fs 2).
        {2, 0.5, "0 Hz"},
        {2, 1.5, "2 Hz"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(vpg::FrequencyDisplayText(c.fs, engine::TwoPi * c.hz / c.fs), c.text);
    }
}

TEST(FrequencyDisplay, ShownItIsWrittenOncePerBufferWithTheFrequencyAtItsStart) {
    At44100 p;
    std::vector<Write> writes;
    logWrites(p, writes);
    p.gen().FrequencyDisplay1Click(nullptr);
    ASSERT_TRUE(p.display().Visible());
    EXPECT_EQ(p.display().lblDisplay.Caption(), "");  // black and empty before any signal

    p.render(4096);
    p.gen().WndProc(1031, 44100, 0);  // 441 Hz: the next buffers glide there
    p.play(3);
    ASSERT_EQ(writes.size(), 8u);
    for (std::size_t i = 0; i < writes.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(writes[i].changes, 1);
        EXPECT_EQ(writes[i].text, writes[i].expected);
    }
    // Five fills at 100 Hz; the glide's buffer still begins at 100 Hz, the next ones at 441.
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(writes[i].text, "100 Hz");
    EXPECT_EQ(writes[6].text, "441 Hz");
    EXPECT_EQ(writes[7].text, "441 Hz");
}

TEST(FrequencyDisplay, HiddenItIsNotWritten) {
    At44100 p;
    std::vector<Write> writes;
    logWrites(p, writes);
    p.render(4096);
    for (const Write& w : writes) EXPECT_EQ(w.changes, 0);
    EXPECT_EQ(p.display().lblDisplay.Caption(), "-");

    // Hidden while the tone glides elsewhere: it keeps what it had.
    p.gen().FrequencyDisplay1Click(nullptr);
    p.play(1);
    EXPECT_EQ(p.display().lblDisplay.Caption(), "100 Hz");
    p.gen().FrequencyDisplay1Click(nullptr);
    p.gen().WndProc(1031, 44100, 0);
    const std::size_t before = writes.size();
    p.play(3);
    ASSERT_EQ(writes.size(), before + 3);
    for (std::size_t i = before; i < writes.size(); ++i) EXPECT_EQ(writes[i].changes, 0);
}

TEST(FrequencyDisplay, TheLastTextStaysAfterTheStop) {
    At44100 p;
    p.gen().FrequencyDisplay1Click(nullptr);
    p.gen().fInitLeft.setText("250");
    p.render(4096);
    EXPECT_EQ(p.display().lblDisplay.Caption(), "250 Hz");
    p.gen().btnOFFClick(nullptr);
    p.pump();
    ASSERT_FALSE(p.out().Active);
    p.gen().fInitLeft.setText("300");
    EXPECT_EQ(p.display().lblDisplay.Caption(), "250 Hz");
}

TEST(FrequencyDisplay, CtrlDShowsAndHidesTheWindowWithTheCheckMark) {
    At44100 p;
    vpg::TfrmGenerator& g = p.gen();
    ASSERT_FALSE(p.display().Visible());
    ASSERT_FALSE(g.FrequencyDisplay1.Checked());
    EXPECT_TRUE(g.userKeyDown('D', kCtrl));
    EXPECT_TRUE(p.display().Visible());
    EXPECT_TRUE(g.FrequencyDisplay1.Checked());
    EXPECT_TRUE(g.userKeyDown('D', kCtrl));
    EXPECT_FALSE(p.display().Visible());
    EXPECT_FALSE(g.FrequencyDisplay1.Checked());
}

TEST(FrequencyDisplay, ClosingTheWindowClearsTheMarkAndKeepsItsPlace) {
    At44100 p;
    vpg::TfrmGenerator& g = p.gen();
    g.userKeyDown('D', kCtrl);
    p.display().Left = 700;
    p.display().Top = 40;
    EXPECT_TRUE(p.display().userClosed());
    EXPECT_FALSE(p.display().Visible());
    EXPECT_FALSE(g.FrequencyDisplay1.Checked());
    // Hidden, not destroyed: the next Ctrl+D brings back the same window where it was.
    g.userKeyDown('D', kCtrl);
    EXPECT_TRUE(p.display().Visible());
    EXPECT_TRUE(g.FrequencyDisplay1.Checked());
    EXPECT_EQ(p.display().Left, 700);
    EXPECT_EQ(p.display().Top, 40);
}

}  // namespace
