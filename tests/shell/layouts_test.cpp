// The windows' layout as data: every control inside its group box and its window, no two
// controls on top of each other, the windows sized from their design at the screen's resolution.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/headless_program.h"

using testing_support::HeadlessProgram;

namespace {

struct Rect {
    int left, top, right, bottom;
};

// A control's rectangle in the window's client coordinates (design pixels).
Rect InWindow(const ui::Control& c) {
    int left = c.Left, top = c.Top;
    for (const ui::Control* p = c.Parent; p; p = p->Parent) {
        left += p->Left;
        top += p->Top;
    }
    return {left, top, left + c.Width, top + c.Height};
}

bool Overlap(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Controls that are meant to lie over another one.
bool DesignedOverlay(const ui::Control& a, const ui::Control& b) {
    const auto is = [&](const char* x, const char* y) {
        return (a.Name == x && b.Name == y) || (a.Name == y && b.Name == x);
    };
    // The About box's texts lie over its picture, and Homepage over Label1.
    if (a.Name == "ProgramIcon" || b.Name == "ProgramIcon") return true;
    return is("Homepage", "Label1");
}

// Every showing control has a size, lies inside its group box and inside the client area, and
// overlaps no other showing control of the same window unless it is designed to.
void ExpectTidy(const ui::Form& form, int clientWidth, int clientHeight) {
    SCOPED_TRACE(form.Name);
    std::vector<const ui::Control*> showing;
    for (const ui::Control* c : form.Controls()) {
        if (!c->Showing()) continue;
        SCOPED_TRACE(c->Name);
        EXPECT_GT(c->Width, 0);
        EXPECT_GT(c->Height, 0);
        const Rect r = InWindow(*c);
        EXPECT_GE(r.left, 0);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.right, clientWidth);
        EXPECT_LE(r.bottom, clientHeight);
        if (c->Parent) {
            // Below the group box's caption line and inside its frame.
            EXPECT_GE(c->Top, 18);
            EXPECT_GE(c->Left, 4);
            EXPECT_LE(c->Left + c->Width, c->Parent->Width - 4);
            EXPECT_LE(c->Top + c->Height, c->Parent->Height - 4);
        }
        showing.push_back(c);
    }
    for (std::size_t i = 0; i < showing.size(); ++i)
        for (std::size_t j = i + 1; j < showing.size(); ++j) {
            const ui::Control& a = *showing[i];
            const ui::Control& b = *showing[j];
            // A group box holds its controls; boxes side by side must not touch.
            const bool nested = [&] {
                for (const ui::Control* p = a.Parent; p; p = p->Parent)
                    if (p == &b) return true;
                for (const ui::Control* p = b.Parent; p; p = p->Parent)
                    if (p == &a) return true;
                return false;
            }();
            if (nested || DesignedOverlay(a, b)) continue;
            EXPECT_FALSE(Overlap(InWindow(a), InWindow(b))) << a.Name << " and " << b.Name;
        }
}

}  // namespace

TEST(Layouts, EveryWindowIsTidyInEveryLayout) {
    HeadlessProgram p;
    p.start();
    vpg::TfrmGenerator& g = p.gen();
    const int width = g.ClientWidth, height = g.ClientHeight;

    // A first start leaves the designed look (neither mode's controls), then each mode.
    ExpectTidy(g, width, height);
    g.MemRecall(1);  // a seeded slot recalls into sweep mode
    ASSERT_TRUE(g.fFinalLeft.Visible());
    ExpectTidy(g, width, height);
    g.FreqSliderLeft.userMouseDown();  // back to constant mode
    g.FreqSliderLeft.userMouseUp();
    ASSERT_TRUE(g.SemiUpLeft.Visible());
    ExpectTidy(g, width, height);
    // A rename field lies over its button alone.
    g.openRename(3);
    ASSERT_TRUE(g.Mem3Edit.Visible());
    const Rect field = InWindow(g.Mem3Edit);
    const Rect button = InWindow(g.Memory3);
    EXPECT_GT(field.left, button.left);
    EXPECT_LT(field.right, button.right);
    EXPECT_GT(field.top, button.top);
    EXPECT_LT(field.bottom, button.bottom);
    g.closeRename(3);

    for (const ui::Form* f : std::initializer_list<const ui::Form*>{
             p.program.frmSettings.get(), p.program.frmAbout.get(),
             p.program.frmFrequencyDisplay.get()})
        ExpectTidy(*f, f->ClientWidth, f->ClientHeight);
}

TEST(Layouts, TheWindowsHaveTheirKinds) {
    HeadlessProgram p;
    p.start();
    EXPECT_EQ(p.gen().borderStyle, ui::BorderStyle::Single);
    EXPECT_FALSE(p.gen().borderIcons.Maximize);
    EXPECT_TRUE(p.gen().borderIcons.Minimize);
    EXPECT_EQ(p.gen().Position, ui::FormPosition::ScreenCenter);
    EXPECT_EQ(p.program.frmSettings->borderStyle, ui::BorderStyle::ToolWindow);
    EXPECT_EQ(p.program.frmSettings->Position, ui::FormPosition::ScreenCenter);
    EXPECT_EQ(p.program.frmAbout->borderStyle, ui::BorderStyle::ToolWindow);
    EXPECT_EQ(p.program.frmAbout->Position, ui::FormPosition::ScreenCenter);
    const vpg::TfrmFrequencyDisplay& d = *p.program.frmFrequencyDisplay;
    EXPECT_EQ(d.borderStyle, ui::BorderStyle::SizeToolWin);
    EXPECT_EQ(d.color, ui::clBlack);
    EXPECT_EQ(d.lblDisplay.font, (ui::Font{"Courier New", 33, false, false, false, ui::clLime}));
    EXPECT_TRUE(d.lblDisplay.FillsParent);
    EXPECT_TRUE(d.lblDisplay.WordWrap);
    EXPECT_EQ(d.lblDisplay.alignment, ui::Alignment::Center);
    // The About box: white texts over the picture, Homepage bold and underlined over Label1,
    // which has the same font in black.
    const vpg::TfrmAbout& a = *p.program.frmAbout;
    EXPECT_EQ(a.Version.font.color, ui::clWhite);
    EXPECT_EQ(a.Homepage.font.color, ui::clWhite);
    EXPECT_TRUE(a.Homepage.font.Bold && a.Homepage.font.Underline);
    EXPECT_EQ(a.Label1.font.color, ui::clBlack);
    EXPECT_TRUE(a.Label1.font.Bold && a.Label1.font.Underline);
    EXPECT_EQ(a.Label1.Left, a.Homepage.Left);
    EXPECT_EQ(a.Label1.Top, a.Homepage.Top);
    EXPECT_EQ(a.ProgramIcon.Picture, "splash");
    EXPECT_EQ(a.ProgramIcon.cursor, ui::Cursor::HandPoint);
}

std::vector<std::string> NamesOf(const std::vector<ui::Control*>& controls) {
    std::vector<std::string> names;
    for (const ui::Control* c : controls) names.push_back(c->Name);
    return names;
}

// The layout gives every window's Tab order whole: each focusable control once, nothing else,
// so that no control falls back to the order the controls were added in.
TEST(Layouts, EveryWindowsTabOrderNamesEachFocusableControlOnce) {
    HeadlessProgram p;
    p.start();
    vpg::TfrmGenerator& g = p.gen();
    for (const ui::Form* f : std::initializer_list<const ui::Form*>{
             &g, p.program.frmSettings.get(), p.program.frmAbout.get(),
             p.program.frmFrequencyDisplay.get()}) {
        SCOPED_TRACE(f->Name);
        EXPECT_EQ(NamesOf(f->TabOrder), NamesOf(f->TabSequence()));
    }
    EXPECT_EQ(
        NamesOf(p.program.frmSettings->TabOrder),
        (std::vector<std::string>{"FsList", "BufferSize", "Buffers", "HelpButton", "Button1"}));
    EXPECT_EQ(NamesOf(p.program.frmAbout->TabOrder),
              (std::vector<std::string>{"OKButton", "AboutHelp"}));
    const std::vector<std::string> main = NamesOf(g.TabOrder);
    ASSERT_EQ(main.size(), 38u);
    EXPECT_EQ(main.front(), "FreqSliderLeft");
    EXPECT_EQ(main.back(), "Loop");
    // Each rename field right after its button, and the run's buttons in a row.
    const auto after = [&](const std::string& a, const std::string& b) {
        const auto it = std::find(main.begin(), main.end(), a);
        return it != main.end() && it + 1 != main.end() && *(it + 1) == b;
    };
    for (int i = 1; i <= 4; ++i)
        EXPECT_TRUE(after("Memory" + std::to_string(i), "Mem" + std::to_string(i) + "Edit"));
    EXPECT_TRUE(after("btnON", "btnPause") && after("btnPause", "btnOFF"));
}

TEST(Layouts, TheMainWindowCannotBeResizedAwayFromItsContent) {
    HeadlessProgram p;
    p.start();
    const vpg::TfrmGenerator& g = p.gen();
    EXPECT_EQ(g.Constraints.MinHeight, g.ClientHeight + g.Frame.vertical);
    EXPECT_EQ(g.Constraints.MaxHeight, g.Constraints.MinHeight);
    EXPECT_EQ(g.Constraints.MinWidth, g.ClientWidth + g.Frame.horizontal);
    EXPECT_EQ(g.Width, g.Constraints.MinWidth);
    EXPECT_EQ(g.Height, g.Constraints.MinHeight);
    // The menu bar is part of the frame.
    EXPECT_EQ(g.Frame, ui::DesignFrame(ui::BorderStyle::Single, true));
}

TEST(Layouts, DesignSizesAreScaledToTheScreensResolution) {
    struct Case {
        int ppi;
        int displayClientWidth, displayLeft, mainClientWidth, mainClientHeight;
    };
    // 208 x 0.8 = 166.4, 422 x 0.8 = 337.6, 760 x 0.8 = 608, 564 x 0.8 = 451.2; at 144 ppi
    // everything is 1.2 times larger.
    for (const Case& c : {Case{120, 208, 422, 760, 564}, Case{96, 166, 338, 608, 451},
                          Case{144, 250, 506, 912, 677}}) {
        SCOPED_TRACE(c.ppi);
        HeadlessProgram p;
        p.program.Application.PixelsPerInch = c.ppi;
        p.start();
        const vpg::TfrmFrequencyDisplay& d = *p.program.frmFrequencyDisplay;
        EXPECT_EQ(d.ClientWidth, c.displayClientWidth);
        EXPECT_EQ(d.Left, c.displayLeft);
        EXPECT_EQ(p.gen().ClientWidth, c.mainClientWidth);
        EXPECT_EQ(p.gen().ClientHeight, c.mainClientHeight);
        // A platform that knows its frames gives them; the outer sizes follow.
        EXPECT_EQ(d.Width, d.ClientWidth + d.Frame.horizontal);
    }
}

TEST(Layouts, ThePlatformsFramesReplaceTheEstimate) {
    HeadlessProgram p;
    p.program.Application.frameMetrics = [](ui::BorderStyle style, bool menuBar) {
        return style == ui::BorderStyle::None ? ui::FrameExtent{}
                                              : ui::FrameExtent{2, menuBar ? 50 : 30};
    };
    p.start();
    const vpg::TfrmFrequencyDisplay& d = *p.program.frmFrequencyDisplay;
    EXPECT_EQ(d.Width, 208 + 2);
    EXPECT_EQ(d.Height, 96 + 30);
    EXPECT_EQ(p.gen().Height, p.gen().ClientHeight + 50);
}

// The display window has its outer width from its creation, so the width stored at exit is
// the window's and a second start gives it back.
TEST(Layouts, TheDisplayWindowsWidthIsStoredAndComesBack) {
    HeadlessProgram first;
    first.start();
    const vpg::TfrmFrequencyDisplay& shown = *first.program.frmFrequencyDisplay;
    const int outer = 208 + ui::DesignFrame(ui::BorderStyle::SizeToolWin, false).horizontal;
    EXPECT_EQ(shown.Width, outer);
    ASSERT_TRUE(first.gen().Close());
    EXPECT_EQ(first.hp.registry.keys[vpg::ProgramKey()].at("DisplayW"),
              persistence::RegistryValue::Integer(outer));

    // The user widened it; the next start opens it at that width.
    HeadlessProgram second;
    second.hp.registry.keys = first.hp.registry.keys;
    second.start();
    vpg::TfrmFrequencyDisplay& display = *second.program.frmFrequencyDisplay;
    EXPECT_EQ(display.Width, outer);
    EXPECT_EQ(display.ClientWidth, 208);
    display.userResized(outer + 100, display.Height);
    ASSERT_TRUE(second.gen().Close());

    HeadlessProgram third;
    third.hp.registry.keys = second.hp.registry.keys;
    third.start();
    EXPECT_EQ(third.program.frmFrequencyDisplay->Width, outer + 100);
    EXPECT_EQ(third.program.frmFrequencyDisplay->ClientWidth, 308);
}
