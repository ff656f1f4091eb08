// The controls' hints on Windows: the window's tooltip control has a tool for each control with
// a hint, showing that hint, and a hint the program changes while the window is up (the pulse
// length's limit) replaces the tool's text.
#include <gtest/gtest.h>

// The form kit names virtual keys as <windows.h> does (as macros there), so it comes first.
#include "support/headless_program.h"

#include "platform/win32/windows_api.h"

#include <commctrl.h>

#include <iterator>
#include <string>

#include "platform/win32/control_view.h"
#include "platform/win32/form_window.h"
#include "platform/win32/utf.h"
#include "platform/win32/views.h"
#include "ui/application.h"
#include "ui/button.h"
#include "ui/check_box.h"
#include "ui/combo_box.h"
#include "ui/edit.h"
#include "ui/label.h"
#include "ui/trackbar.h"

namespace {

// The tool of `control` in `tips`: whether there is one, its flags and the text it shows.
struct Tool {
    bool present = false;
    UINT flags = 0;
    std::wstring text;
};

Tool ToolOf(HWND tips, HWND form, HWND control) {
    wchar_t text[INFOTIPSIZE + 1] = {};
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = form;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = text;
    Tool tool;
    tool.present = ::SendMessageW(tips, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info)) != 0;
    tool.flags = info.uFlags;
    text[0] = L'\0';
    info.lpszText = text;
    ::SendMessageW(tips, TTM_GETTEXTW, INFOTIPSIZE, reinterpret_cast<LPARAM>(&info));
    tool.text = text;
    return tool;
}

// A form with controls of each kind, some with hints, made into a window.
class HintTooltipsTest : public ::testing::Test {
protected:
    HintTooltipsTest() {
        form.add(group);
        form.add(edit);
        form.add(bar);
        form.add(check);
        form.add(combo);
        form.add(button);
        form.add(label);
        form.add(plain);
        group.setBounds(5, 5, 300, 60);
        edit.Parent = &group;
        edit.setBounds(10, 20, 100, 24);
        bar.setBounds(10, 80, 200, 34);
        check.setBounds(10, 120, 120, 22);
        combo.setBounds(140, 120, 100, 26);
        button.setBounds(250, 120, 80, 30);
        label.setBounds(10, 160, 200, 18);
        plain.setBounds(10, 190, 80, 30);
        form.setClientSize(400, 260);
        group.Hint = "The group";
        edit.Hint = "Pulse length in samples";
        bar.Hint = "Drag to set the length";
        check.Hint = "Lock & hold";
        combo.Hint = "Phase in \xC2\xB0";
        button.Hint = "Start the output";
        label.Hint = "Hertz";
        window = &views.formCreated(form);
    }
    ~HintTooltipsTest() override { views.formDestroyed(form); }

    HWND hwndOf(const ui::Control& c) const { return window->viewOf(&c)->hwnd(); }
    Tool toolOf(const ui::Control& c) const {
        return ToolOf(window->tooltip(), window->hwnd(), hwndOf(c));
    }

    ui::Application app;
    win32::Views views{app};
    ui::Form form{"frmHints", "Hints"};
    ui::GroupBox group{"group", "Group"};
    ui::Edit edit{"edit", "10"};
    ui::TrackBar bar{"bar", 1, 50, 10};
    ui::CheckBox check{"check", "Lock"};
    ui::ComboBox combo{"combo", {"0", "90"}, 0};
    ui::Button button{"button", "ON"};
    ui::Label label{"label", "Hz"};
    ui::Button plain{"plain", "OFF"};  // no hint
    win32::FormWindow* window = nullptr;
};

TEST_F(HintTooltipsTest, EachControlWithAHintIsAToolOfTheWindowsTooltipShowingTheHint) {
    const HWND tips = window->tooltip();
    ASSERT_NE(tips, nullptr);
    wchar_t className[64] = {};
    ::GetClassNameW(tips, className, 64);
    EXPECT_EQ(std::wstring(className), TOOLTIPS_CLASSW);
    EXPECT_EQ(::GetWindow(tips, GW_OWNER), window->hwnd());
    // A hint's ampersand is shown, not taken as a mnemonic.
    EXPECT_NE(::GetWindowLongW(tips, GWL_STYLE) & TTS_NOPREFIX, 0);

    const struct {
        const char* what;
        const ui::Control& control;
        const wchar_t* text;
    } cases[] = {
        {"group box", group, L"The group"},
        {"field inside the group", edit, L"Pulse length in samples"},
        {"slider", bar, L"Drag to set the length"},
        {"check box", check, L"Lock & hold"},
        {"list", combo, L"Phase in \u00B0"},
        {"button", button, L"Start the output"},
        {"label", label, L"Hertz"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Tool tool = toolOf(c.control);
        EXPECT_TRUE(tool.present);
        EXPECT_EQ(tool.text, c.text);
        // The tooltip control takes the mouse messages from the control itself: without that
        // it never learns that the mouse rests there, and shows nothing.
        EXPECT_EQ(tool.flags & (TTF_IDISHWND | TTF_SUBCLASS), UINT{TTF_IDISHWND | TTF_SUBCLASS});
    }
    EXPECT_FALSE(toolOf(plain).present);
    EXPECT_EQ(::SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), static_cast<LRESULT>(std::size(cases)));
}

TEST_F(HintTooltipsTest, AHintChangedWhileTheWindowIsUpReachesTheTooltip) {
    edit.setHint("Pulse length in samples: limited to 19 samples");
    EXPECT_EQ(toolOf(edit).text, L"Pulse length in samples: limited to 19 samples");
    // Other changes of the control leave the new text as it is.
    edit.setText("20");
    EXPECT_EQ(toolOf(edit).text, L"Pulse length in samples: limited to 19 samples");

    // A hint that goes takes its tool along; one that comes makes a tool.
    edit.setHint("");
    EXPECT_FALSE(toolOf(edit).present);
    plain.setHint("Stop the output");
    EXPECT_TRUE(toolOf(plain).present);
    EXPECT_EQ(toolOf(plain).text, L"Stop the output");
    edit.setHint("Pulse length in samples");
    EXPECT_EQ(toolOf(edit).text, L"Pulse length in samples");
    EXPECT_EQ(::SendMessageW(window->tooltip(), TTM_GETTOOLCOUNT, 0, 0), 8);
}

// The main window on Windows: a pulse as long as the period shows its limit in the tooltips of
// the Pulse Length field and slider.
TEST(HintTooltips, ThePulseLengthLimitShowsInTheFieldsAndSlidersTooltips) {
    struct ProgramOnWindows {
        ProgramOnWindows() {
            p.program.formCreated = [this](ui::Form& f) { windows.formCreated(f); };
            p.program.formDestroyed = [this](ui::Form& f) { windows.formDestroyed(f); };
        }
        // The views go first and take the windows along; the program's forms go after them.
        ~ProgramOnWindows() { p.program.formDestroyed = nullptr; }
        testing_support::HeadlessProgram p;
        win32::Views windows{p.program.Application, ::GetModuleHandleW(nullptr)};
    } w;
    w.p.startAt44100();
    vpg::TfrmGenerator& g = w.p.gen();
    const win32::FormWindow* main = w.windows.find(&g);
    ASSERT_NE(main, nullptr);
    const auto tipOf = [main](const ui::Control& c) {
        return ToolOf(main->tooltip(), main->hwnd(), main->viewOf(&c)->hwnd()).text;
    };
    EXPECT_EQ(tipOf(g.txtPulseLength), L"Pulse length in samples");

    // 2205 Hz at 44.1 kHz: a period of 20 samples, so a pulse of 20 keeps only 19.
    w.p.typeAndLeave(g.fInitLeft, "2205");
    w.p.typeAndLeave(g.txtPulseLength, "20");
    const ui::Control* const limited[] = {&g.txtPulseLength, &g.trkPulseLength};
    for (const ui::Control* c : limited) {
        SCOPED_TRACE(c->Name);
        const std::wstring tip = tipOf(*c);
        EXPECT_NE(tip.find(L"limited to 19 samples"), std::wstring::npos) << tip.size();
        EXPECT_EQ(tip, win32::Utf8ToWide(c->Hint));
    }

    // Back to a pulse that fits: the limit goes from the tooltips too.
    w.p.typeAndLeave(g.txtPulseLength, "10");
    EXPECT_EQ(tipOf(g.txtPulseLength), L"Pulse length in samples");
    EXPECT_EQ(tipOf(g.trkPulseLength), L"Pulse length in samples");
}

}  // namespace
