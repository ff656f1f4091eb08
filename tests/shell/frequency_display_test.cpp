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
using testing_support::At44100;
using testing_support::HeadlessProgram;

constexpr ui::ShiftState kCtrl{false, true, false};

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

TEST(FrequencyDisplay, UnderTheFrequencyItShowsTheRateThePulsesReallyHave) {
    // Unlocked: fs / P with the whole-sample period; locked: the sine's rate plus the delta.
    const struct {
        const char* freq;
        int deltaPosition;
        bool lock;
        const char* frequency;
        const char* flash;
    } cases[] = {
        {"1000", 0, false, "1000 Hz", "flash 1002.27 Hz"},
        {"1000", 0, true, "1000 Hz", "flash 1000.00 Hz"},
        {"250", 0, false, "250 Hz", "flash 250.57 Hz"},
        {"250", 25, true, "250 Hz", "flash 250.50 Hz"},
        {"100", -100, true, "100 Hz", "flash 98.00 Hz"},
        {"1", -100, true, "1 Hz", "flash 1.00 Hz"},  // a negative rate flashes at its magnitude
        {"2", -100, false, "2 Hz", "flash 0.00 Hz"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.freq << " " << c.deltaPosition << " " << c.lock);
        At44100 p;
        vpg::TfrmGenerator& g = p.gen();
        g.FrequencyDisplay1Click(nullptr);
        g.fInitLeft.setText(c.freq);
        g.FreqSliderRight.userMoved(c.deltaPosition);
        if (c.lock) g.chkFlashLock.userClicked();
        p.render(4096);
        EXPECT_EQ(p.display().lblDisplay.Caption(), c.frequency);
        EXPECT_EQ(p.display().lblFlashRate.Caption(), c.flash);
    }
}

TEST(FrequencyDisplay, TheFlashRateLineDocksUnderTheFrequencyInLimeOnBlack) {
    At44100 p;
    const vpg::TfrmFrequencyDisplay& d = p.display();
    EXPECT_TRUE(d.lblFlashRate.DocksBottom);
    EXPECT_EQ(d.lblFlashRate.font.color, ui::clLime);
    EXPECT_EQ(d.lblFlashRate.font.Name, "Courier New");
    // The frequency fills what the line leaves: the design client is 208 x 96.
    const auto scale = [](int v) { return v; };
    const ui::PixelRect client{0, 0, 208, 96};
    const ui::PixelRect frequency = ui::DockedRect(d.lblDisplay, client, scale);
    const ui::PixelRect flash = ui::DockedRect(d.lblFlashRate, client, scale);
    EXPECT_EQ(frequency.bottom, 72);
    EXPECT_EQ(flash.top, 72);
    EXPECT_EQ(flash.bottom, 96);
    EXPECT_EQ(flash.right, 208);
    // Wider and taller: the line stays at the bottom, as wide as the window.
    const ui::PixelRect big = ui::DockedRect(d.lblFlashRate, {0, 0, 400, 150}, scale);
    EXPECT_EQ(big.top, 126);
    EXPECT_EQ(big.right, 400);
    EXPECT_EQ(ui::DockedRect(d.lblDisplay, {0, 0, 400, 150}, scale).bottom, 126);
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
