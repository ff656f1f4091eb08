// The Win32 views over the form kit: each native control shows its model, the person's actions
// reach the model once, a model change never comes back as a user action, the builder places
// every control at its scaled rectangle, the main window's class and procedure are what other
// programs rely on, and the notice dialog is laid out as the program asks.
#include "platform/win32/windows_api.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/control_view.h"
#include "platform/win32/form_window.h"
#include "platform/win32/menu_view.h"
#include "platform/win32/views.h"
#include "platform/win32/win32_dialogs.h"
#include "platform/win32/win32_hot_key.h"
#include "platform/win32/win32_shell.h"
#include "shell/remote_catalogue.h"
#include "ui/application.h"
#include "ui/button.h"
#include "ui/check_box.h"
#include "ui/combo_box.h"
#include "ui/edit.h"
#include "ui/label.h"
#include "ui/trackbar.h"

namespace {

// A window that, like the main window, takes the program's messages.
class TestForm final : public ui::Form, public ui::MessageTarget {
public:
    explicit TestForm(std::string name) : ui::Form(std::move(name), "Test") {}
    void handleMessage(const ui::Message& m) override { received.push_back(m.msg); }
    // What the model's window procedure answers a sender: 1031 is refused, 1032 busy.
    std::intptr_t answerMessage(const ui::Message& m) override {
        handleMessage(m);
        return m.msg == 1031 ? 2 : m.msg == 1032 ? 3 : 1;
    }
    std::vector<std::uint32_t> received;
};

std::wstring TextOf(HWND window) {
    wchar_t text[256] = {};
    ::GetWindowTextW(window, text, 256);
    return text;
}

RECT ClientRectOf(HWND child) {
    RECT r;
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// A form with one control of each kind the bindings know, made into a window at 240 ppi (twice
// the design resolution, so that a missing scale shows).
class ViewsTest : public ::testing::Test {
protected:
    ViewsTest() {
        app.PixelsPerInch = 240;
        form.add(group);
        form.add(edit);
        form.add(bar);
        form.add(check);
        form.add(combo);
        form.add(button);
        form.add(label);
        group.setBounds(5, 6, 300, 200);
        edit.Parent = &group;
        edit.setBounds(10, 20, 100, 24);
        bar.setBounds(10, 220, 200, 34);
        check.setBounds(10, 260, 120, 22);
        combo.setBounds(140, 260, 100, 26);
        button.setBounds(250, 260, 80, 30);
        label.setBounds(10, 300, 200, 18);
        form.setClientSize(700, 700);
        edit.OnChange = [this](ui::Object*) { ++editChanges; };
        bar.OnChange = [this](ui::Object*) { barMoves.push_back(bar.UserMoving()); };
        combo.OnChange = [this](ui::Object*) { ++comboChanges; };
        button.OnClick = [this](ui::Object*) { ++clicks; };
        shortcut.OnClick = [this](ui::Object*) { ++shortcutClicks; };
        menu.add(shortcut).addSeparator().add(checkable);
        hidden.add(hiddenCommand).add(undoCommand);
        undoCommand.OnClick = [this](ui::Object*) { ++undoClicks; };
        hidden.setVisible(false);
        form.Menu.add(menu);
        form.Menu.add(hidden);
        window = &views.formCreated(form);
    }
    ~ViewsTest() override { views.formDestroyed(form); }

    HWND hwndOf(const ui::Control& c) const { return window->viewOf(&c)->hwnd(); }

    ui::Application app;
    win32::Views views{app};
    TestForm form{"frmTest"};
    ui::GroupBox group{"group", "Group"};
    ui::Edit edit{"edit", "100"};
    ui::TrackBar bar{"bar", 0, 100, 10};
    ui::CheckBox check{"check", "Loop"};
    ui::ComboBox combo{"combo", {"2", "3", "4"}, 2};
    ui::Button button{"button", "ON"};
    ui::Label label{"label", "Hertz"};
    ui::MenuItem menu{"menu", "&File"};
    ui::MenuItem shortcut{"shortcut", "&Reset", ui::Key(VK_F5)};
    ui::MenuItem checkable{"checkable", "Frequency &Display", ui::Ctrl('D')};
    ui::MenuItem hidden{"hidden", "&Presets"};
    ui::MenuItem hiddenCommand{"hiddenCommand", "Recall", ui::Key(VK_F6)};
    ui::MenuItem undoCommand{"undoCommand", "&Reset current settings", ui::Ctrl('Z')};
    win32::FormWindow* window = nullptr;
    int editChanges = 0, comboChanges = 0, clicks = 0, shortcutClicks = 0, undoClicks = 0;
    std::vector<bool> barMoves;
};

TEST_F(ViewsTest, TheBuilderPlacesEachControlAtItsScaledRectangleInsideItsGroupBox) {
    struct Case {
        const char* what;
        const ui::Control* control;
        RECT expected;  // client pixels at 240 ppi: twice the design pixels
    };
    const Case cases[] = {
        {"the group box", &group, {10, 12, 610, 412}},
        {"a control in the group box, at the box's offset", &edit, {30, 52, 230, 100}},
        {"a slider in the window", &bar, {20, 440, 420, 508}},
        {"a button", &button, {500, 520, 660, 580}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RECT r = ClientRectOf(hwndOf(*c.control));
        EXPECT_EQ(r.left, c.expected.left);
        EXPECT_EQ(r.top, c.expected.top);
        EXPECT_EQ(r.right, c.expected.right);
        EXPECT_EQ(r.bottom, c.expected.bottom);
    }
    // The group box is a sibling of its controls, not their parent.
    EXPECT_EQ(::GetParent(hwndOf(edit)), window->hwnd());
    // The window's font height is scaled as well: 15 design pixels of character height.
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(hwndOf(edit), WM_GETFONT, 0, 0)),
                 sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -30);
    EXPECT_EQ(std::wstring(font.lfFaceName), L"Arial");
}

TEST_F(ViewsTest, TypingIntoAnEditReachesTheModelOnce) {
    const HWND field = hwndOf(edit);
    ::SendMessageW(field, EM_SETSEL, 3, 3);
    ::SendMessageW(field, WM_CHAR, L'5', 1);
    EXPECT_EQ(edit.Text(), "1005");
    EXPECT_EQ(editChanges, 1);
    EXPECT_TRUE(edit.Focused());  // what the person types into has the focus
}

TEST_F(ViewsTest, AFieldEnteredWithoutTheMouseHasItsTextSelectedForTyping) {
    // As a rename field opened with the button's caption: what the person types replaces it.
    ::SetFocus(hwndOf(edit));
    DWORD from = 1, to = 0;
    ::SendMessageW(hwndOf(edit), EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                   reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 3u);
    EXPECT_TRUE(edit.Focused());  // and the model knows where the focus is
    ::SendMessageW(hwndOf(edit), WM_CHAR, L'B', 1);
    EXPECT_EQ(edit.Text(), "B");
}

TEST_F(ViewsTest, ModelChangesShowInTheControlsAndFireNothingBack) {
    edit.setText("250");
    EXPECT_EQ(TextOf(hwndOf(edit)), L"250");
    EXPECT_EQ(editChanges, 1);     // the program change itself
    EXPECT_FALSE(edit.Focused());  // not turned into the person's typing

    bar.setPosition(42);
    EXPECT_EQ(::SendMessageW(hwndOf(bar), TBM_GETPOS, 0, 0), 42);
    EXPECT_EQ(barMoves, std::vector<bool>{false});

    combo.setItemIndex(0);
    EXPECT_EQ(::SendMessageW(hwndOf(combo), CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(comboChanges, 0);  // selecting from code fires nothing, and nothing came back

    check.setChecked(true);
    EXPECT_EQ(::SendMessageW(hwndOf(check), BM_GETCHECK, 0, 0), BST_CHECKED);

    button.setCaption("OFF");
    EXPECT_EQ(TextOf(hwndOf(button)), L"OFF");
    EXPECT_EQ(clicks, 0);

    edit.setEnabled(false);
    EXPECT_FALSE(::IsWindowEnabled(hwndOf(edit)));
    edit.setVisible(false);
    EXPECT_FALSE(::GetWindowLongW(hwndOf(edit), GWL_STYLE) & WS_VISIBLE);
    group.setVisible(false);  // what lies in a hidden group box is hidden with it
    edit.setVisible(true);
    EXPECT_FALSE(::GetWindowLongW(hwndOf(edit), GWL_STYLE) & WS_VISIBLE);
}

TEST_F(ViewsTest, ThePersonsActionsBecomeTheModelsUserActions) {
    // A slider moved by the person reports a movement by the user.
    ::SendMessageW(hwndOf(bar), TBM_SETPOS, TRUE, 77);
    ::SendMessageW(window->hwnd(), WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 77),
                   reinterpret_cast<LPARAM>(hwndOf(bar)));
    ::SendMessageW(window->hwnd(), WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0),
                   reinterpret_cast<LPARAM>(hwndOf(bar)));
    EXPECT_EQ(bar.Position(), 77);
    EXPECT_EQ(barMoves, std::vector<bool>{true});  // the end of the drag is no second move

    // A pick from the list.
    ::SendMessageW(hwndOf(combo), CB_SETCURSEL, 1, 0);
    ::SendMessageW(window->hwnd(), WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(hwndOf(combo)));
    EXPECT_EQ(combo.ItemIndex(), 1);
    EXPECT_EQ(comboChanges, 1);

    // A click on the check box and on the button.
    ::SendMessageW(hwndOf(check), BM_CLICK, 0, 0);
    EXPECT_TRUE(check.Checked());
    EXPECT_EQ(::SendMessageW(hwndOf(check), BM_GETCHECK, 0, 0), BST_CHECKED);
    ::SendMessageW(hwndOf(button), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ViewsTest, KeysGoToTheModelFirstAndTheControlGetsOnlyWhatItLeaves) {
    edit.SetFocus();
    // F5 is a menu shortcut: the model takes it, the field sees nothing.
    ::SendMessageW(hwndOf(edit), WM_KEYDOWN, VK_F5, 1);
    EXPECT_EQ(shortcutClicks, 1);
    // The hidden menu's shortcuts work too.
    int hiddenClicks = 0;
    hiddenCommand.OnClick = [&](ui::Object*) { ++hiddenClicks; };
    ::SendMessageW(hwndOf(edit), WM_KEYDOWN, VK_F6, 1);
    EXPECT_EQ(hiddenClicks, 1);
    // A letter is the field's: it still types.
    ::SendMessageW(hwndOf(edit), EM_SETSEL, 3, 3);
    ::SendMessageW(hwndOf(edit), WM_KEYDOWN, '7', 1);
    ::SendMessageW(hwndOf(edit), WM_CHAR, L'7', 1);
    EXPECT_EQ(edit.Text(), "1007");
    EXPECT_EQ(shortcutClicks, 1);
}

// A key held down (Ctrl, Shift), as the keyboard state tells it to the window procedure.
struct KeyHeld {
    BYTE saved[256] = {};
    explicit KeyHeld(BYTE key) {
        ::GetKeyboardState(saved);
        BYTE held[256];
        std::copy(std::begin(saved), std::end(saved), held);
        held[key] = 0x80;
        ::SetKeyboardState(held);
    }
    ~KeyHeld() { ::SetKeyboardState(saved); }
    KeyHeld(const KeyHeld&) = delete;
    KeyHeld& operator=(const KeyHeld&) = delete;
};

// In a field Ctrl+Z is the field's undo (the key, then the control character the keyboard
// makes of it); elsewhere it stays the command's shortcut.
TEST_F(ViewsTest, EditingKeysAreTheFieldsAndShortcutsElsewhere) {
    const HWND field = hwndOf(edit);
    edit.SetFocus();
    ::SendMessageW(field, EM_SETSEL, 3, 3);
    ::SendMessageW(field, WM_CHAR, L'5', 1);
    ASSERT_EQ(edit.Text(), "1005");
    {
        KeyHeld ctrl(VK_CONTROL);
        ::SendMessageW(field, WM_KEYDOWN, 'Z', 1);
        ::SendMessageW(field, WM_CHAR, 0x1A, 1);  // Ctrl+Z as a character
    }
    EXPECT_EQ(undoClicks, 0) << "the command took the field's undo";
    EXPECT_EQ(TextOf(field), L"100");
    EXPECT_EQ(edit.Text(), "100");
    button.SetFocus();
    {
        KeyHeld ctrl(VK_CONTROL);
        ::SendMessageW(hwndOf(button), WM_KEYDOWN, 'Z', 1);
    }
    EXPECT_EQ(undoClicks, 1);
}

// F1 in an open menu comes as WM_HELP, and where the window saw the key press too, as that
// key: one press opens the menu's help once.
// Tab and Shift+Tab pressed in the focused control, `count` times: the model's focused
// control after each press.
std::vector<std::string> TabWalk(const ui::Form& form, const win32::FormWindow& window,
                                 std::size_t count, bool backwards) {
    std::vector<std::string> seen;
    for (std::size_t i = 0; i < count; ++i) {
        std::optional<KeyHeld> shift;
        if (backwards) shift.emplace(VK_SHIFT);
        const ui::Control* at = form.ActiveControl();
        ::SendMessageW(at ? window.viewOf(at)->hwnd() : window.hwnd(), WM_KEYDOWN, VK_TAB, 1);
        seen.push_back(form.ActiveControl() ? form.ActiveControl()->Name : "(none)");
    }
    return seen;
}

// The Tab key follows the layout's order, not the order the controls were added in, and
// passes over what cannot take the focus; the Qt front-end walks the same chain.
TEST_F(ViewsTest, TabFollowsTheLayoutsOrderBothWays) {
    form.TabOrder = {&button, &combo, &edit, &check, &bar};
    button.SetFocus();
    EXPECT_EQ(TabWalk(form, *window, 5, false),
              (std::vector<std::string>{"combo", "edit", "check", "bar", "button"}));
    EXPECT_EQ(TabWalk(form, *window, 2, true), (std::vector<std::string>{"bar", "check"}));
    bar.SetFocus();
    check.setVisible(false);
    combo.setEnabled(false);
    EXPECT_EQ(TabWalk(form, *window, 3, true), (std::vector<std::string>{"edit", "button", "bar"}));
}

TEST_F(ViewsTest, F1InAnOpenMenuOpensItsHelpOncePerPress) {
    std::vector<int> topics;
    app.helpViewer = [&](const std::string&, int context) { topics.push_back(context); };
    form.HelpApplication = &app;
    menu.HelpContext = 5;
    form.userHighlightedMenu(&menu);
    ::SendMessageW(window->hwnd(), WM_KEYDOWN, VK_F1, 1);
    HELPINFO info{};
    info.cbSize = sizeof info;
    ::SendMessageW(window->hwnd(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(topics, std::vector<int>{5});
    // The next press, which only the menu saw.
    ::Sleep(50);
    ::PostMessageW(window->hwnd(), WM_NULL, 0, 0);
    MSG m;
    ASSERT_TRUE(::PeekMessageW(&m, window->hwnd(), WM_NULL, WM_NULL, PM_REMOVE));
    ::SendMessageW(window->hwnd(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(topics, (std::vector<int>{5, 5}));
    form.userHighlightedMenu(nullptr);
}

TEST_F(ViewsTest, EscapeInAFieldPressesTheCancelButton) {
    button.setCancel(true);
    edit.SetFocus();
    ::SendMessageW(hwndOf(edit), WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_EQ(clicks, 1);
}

// A caption longer than its button shows its start and "…", not a middle cut at both edges.
TEST_F(ViewsTest, ALongButtonCaptionIsShortenedAtItsEnd) {
    button.setCaption("Memory 2Tweeter and woofer");
    const std::wstring shown = TextOf(hwndOf(button));
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.substr(0, 3), L"Mem");
    EXPECT_EQ(shown.back(), L'\u2026');
    EXPECT_LT(shown.size(), std::wstring(L"Memory 2Tweeter and woofer").size());
    button.setCaption("OFF");
    EXPECT_EQ(TextOf(hwndOf(button)), L"OFF");
}

TEST_F(ViewsTest, TheMenuBarShowsTheModelsMenusWithShortcutsAndCheckMarks) {
    const HMENU menuBar = ::GetMenu(window->hwnd());
    ASSERT_NE(menuBar, nullptr);
    EXPECT_EQ(::GetMenuItemCount(menuBar), 1);  // the hidden menu is not in the bar
    const HMENU file = ::GetSubMenu(menuBar, 0);
    wchar_t text[64] = {};
    ::GetMenuStringW(file, 2, text, 64, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(text), L"Frequency &Display\tCtrl+D");
    ::GetMenuStringW(file, 0, text, 64, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(text), L"&Reset\tF5");

    checkable.setChecked(true);
    EXPECT_TRUE(::GetMenuState(file, 2, MF_BYPOSITION) & MF_CHECKED);
    checkable.setEnabled(false);
    EXPECT_TRUE(::GetMenuState(file, 2, MF_BYPOSITION) & MF_GRAYED);

    // Choosing the command is the item's click.
    ::SendMessageW(window->hwnd(), WM_COMMAND, MAKEWPARAM(::GetMenuItemID(file, 0), 0), 0);
    EXPECT_EQ(shortcutClicks, 1);
}

TEST_F(ViewsTest, TheWindowProcedureHandsTheProgramsMessagesToTheModel) {
    for (UINT msg : {1024u, 1031u, 1048u, 1049u, 1050u, 1099u, 1100u, 0x0312u, 1023u})
        ::SendMessageW(window->hwnd(), msg, 44100, 0);
    EXPECT_EQ(form.received, (std::vector<std::uint32_t>{1024, 1031, 1048, 1049, 1100, 0x0312}));
}

TEST_F(ViewsTest, TheSenderGetsTheModelsAnswer) {
    EXPECT_EQ(::SendMessageW(window->hwnd(), 1024, 0, 0), 1);
    EXPECT_EQ(::SendMessageW(window->hwnd(), 1031, 5000000, 0), 2);
    EXPECT_EQ(::SendMessageW(window->hwnd(), 1032, 0, 0), 3);
}

TEST_F(ViewsTest, ALongTextTheProgramWritesShowsFromItsStart) {
    ::SetFocus(hwndOf(button));
    edit.setText("0.123456789012345678901234567890");
    DWORD from = 1, to = 1;
    ::SendMessageW(hwndOf(edit), EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                   reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 0u);
}

// The volume control tries the next mixer when one is not there: the shell says so, and shows
// no error box of its own.
TEST(Win32Shell, AProgramThatIsNotThereIsReportedNotOpened) {
    win32::Win32Shell shell({}, {});
    EXPECT_FALSE(
        shell.ShellExecute(nullptr, "open", "vpg-no-such-mixer.exe", shell::ShowMode::ShowNormal));
}

TEST(Win32Views, TheMainWindowsClassIsTfrmGeneratorForOtherProgramsToFind) {
    ui::Application app;
    win32::Views views{app};
    TestForm main{"frmGenerator"};
    app.MainForm = &main;
    const HWND made = views.formCreated(main).hwnd();
    EXPECT_EQ(::FindWindowW(L"TfrmGenerator", nullptr), made);
    // The hot key is registered for that window.
    win32::Win32HotKey hotKey(
        [&views](ui::MessageTarget* t) { return views.windowOf(dynamic_cast<ui::Form*>(t)); });
    if (hotKey.RegisterHotKey(&main, 1, ui::ShiftState{false, true, false}, VK_INSERT)) {
        // Held: the same combination cannot be registered again for another id.
        EXPECT_FALSE(::RegisterHotKey(nullptr, 7, MOD_CONTROL, VK_INSERT));
        hotKey.UnregisterHotKey(&main, 1);
        EXPECT_TRUE(::RegisterHotKey(nullptr, 7, MOD_CONTROL, VK_INSERT));
        ::UnregisterHotKey(nullptr, 7);
    }
    views.formDestroyed(main);
    EXPECT_EQ(::FindWindowW(L"TfrmGenerator", nullptr), nullptr);
}

TEST(Win32Views, TheFrameMeasuredMakesTheOuterSizeExact) {
    ui::Application app;
    win32::Views views{app};
    views.measureScreen();
    ui::Form f{"frmFrame", "Frame"};
    f.borderStyle = ui::BorderStyle::SizeToolWin;
    f.setFrame(app.FrameOf(f));
    f.setClientSize(208, 72);
    const HWND w = views.formCreated(f).hwnd();
    RECT client;
    ::GetClientRect(w, &client);
    EXPECT_EQ(client.right, 208);
    EXPECT_EQ(client.bottom, 72);
    RECT outer;
    ::GetWindowRect(w, &outer);
    EXPECT_EQ(outer.right - outer.left, f.Width);
    views.formDestroyed(f);
}

// The notice dialog as the person meets it: laid out, then answered.
struct NoticeCase {
    const char* what;
    std::function<void(HWND)> answer;
    int result;
    bool checked;
};

// F1 in a notice (WM_HELP to the dialog) opens the notice's help, the dialog stays open.
TEST(Win32Dialogs, F1InANoticeOpensItsHelp) {
    win32::Win32Dialogs dialogs([] { return std::string("Title"); }, [] { return 96; });
    int helps = 0;
    bool openAfterHelp = false;
    dialogs.noticeShown = [&](HWND d) {
        HELPINFO info{};
        info.cbSize = sizeof info;
        ::SendMessageW(d, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        openAfterHelp = ::IsWindow(d) != FALSE;
        ::SendMessageW(::GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
    };
    ui::NoticeDialogRequest request;
    request.text = "There is an issue with performance. See help for details";
    request.caption = "Information";
    request.help = [&] { ++helps; };
    bool checked = false;
    EXPECT_EQ(dialogs.ShowNoticeDialog(request, checked), ui::mrOk);
    EXPECT_EQ(helps, 1);
    EXPECT_TRUE(openAfterHelp);
}

TEST(Win32Dialogs, TheNoticeHasItsCheckBoxAndHeightAndAnswersAsPressed) {
    const NoticeCase cases[] = {
        {"box ticked, then No",
         [](HWND d) {
             ::SendMessageW(::GetDlgItem(d, win32::Win32Dialogs::kCheckBoxId), BM_CLICK, 0, 0);
             ::SendMessageW(::GetDlgItem(d, IDNO), BM_CLICK, 0, 0);
         },
         ui::mrNo, true},
        {"Yes", [](HWND d) { ::SendMessageW(::GetDlgItem(d, IDYES), BM_CLICK, 0, 0); }, ui::mrYes,
         false},
        {"Escape presses the request's Escape button",
         [](HWND d) { ::SendMessageW(d, WM_COMMAND, IDCANCEL, 0); }, ui::mrNo, false},
        {"the close box gives Cancel", [](HWND d) { ::SendMessageW(d, WM_CLOSE, 0, 0); },
         ui::mrCancel, false},
    };
    for (const NoticeCase& c : cases) {
        SCOPED_TRACE(c.what);
        win32::Win32Dialogs dialogs([] { return std::string("Title"); }, [] { return 240; });
        RECT check{}, outer{};
        HWND defaultButton = nullptr;
        dialogs.noticeShown = [&](HWND d) {
            check = ClientRectOf(::GetDlgItem(d, win32::Win32Dialogs::kCheckBoxId));
            ::GetWindowRect(d, &outer);
            defaultButton = ::GetDlgItem(d, LOWORD(::SendMessageW(d, DM_GETDEFID, 0, 0)));
            EXPECT_EQ(TextOf(d), L"Welcome");
            EXPECT_EQ(defaultButton, ::GetDlgItem(d, IDYES));
            c.answer(d);
        };
        ui::NoticeDialogRequest request;
        request.text = "Welcome to Vimbrel Pulse Generator!";
        request.caption = "Welcome";
        request.buttons = ui::mbYes | ui::mbNo;
        request.defaultResult = ui::mrYes;
        request.cancelResult = ui::mrNo;
        request.checkBoxCaption = "Don't show this message again.";
        bool checked = !c.checked;
        EXPECT_EQ(dialogs.ShowNoticeDialog(request, checked), c.result);
        EXPECT_EQ(checked, c.checked);
        // 10, 110, 300 x 30 and a height of 200, in design pixels scaled to 240 ppi.
        EXPECT_EQ(check.left, 20);
        EXPECT_EQ(check.top, 220);
        EXPECT_EQ(check.right - check.left, 600);
        EXPECT_EQ(check.bottom - check.top, 60);
        EXPECT_EQ(outer.bottom - outer.top, 400);
    }
}

// The window passes every catalogued remote message on, and those between them (to be refused
// with a reason), but not the numbers around the catalogue's span.
TEST(FormWindowMessages, TheRemoteSpanIsTheCataloguesOwn) {
    for (const vpg::RemoteMessageInfo& m : vpg::kRemoteMessages)
        EXPECT_TRUE(win32::FormWindow::IsModelMessage(m.number)) << m.number;
    for (UINT n = vpg::kFirstRemoteMessage; n <= vpg::kLastRemoteMessage; ++n)
        EXPECT_TRUE(win32::FormWindow::IsModelMessage(n)) << n;
    EXPECT_FALSE(win32::FormWindow::IsModelMessage(vpg::kFirstRemoteMessage - 1));
    EXPECT_FALSE(win32::FormWindow::IsModelMessage(vpg::kLastRemoteMessage + 1));
}

}  // namespace
