// The change rules of the form kit: the cascades of the main window depend on each of them.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/application.h"
#include "ui/button.h"
#include "ui/check_box.h"
#include "ui/combo_box.h"
#include "ui/edit.h"
#include "ui/form.h"
#include "ui/label.h"
#include "ui/trackbar.h"

namespace {

using namespace ui;

// A form with one control of each kind, recording every event in order.
struct Fixture {
    Form form{"form"};
    Edit edit{"edit", "100"};
    Edit other{"other", ""};
    TrackBar bar{"bar", 100, 4000, 1000};
    CheckBox check{"check"};
    RadioButton radioA{"radioA", "A", true};
    RadioButton radioB{"radioB", "B", false};
    ComboBox combo{"combo", {"a", "b", "c"}, 0};
    Button ok{"ok", "OK"};
    Button cancel{"cancel", "Cancel"};
    Label label{"label"};
    std::vector<std::string> log;

    Fixture() {
        for (Control* c : std::vector<Control*>{&edit, &other, &bar, &check, &radioA, &radioB,
                                                &combo, &ok, &cancel, &label})
            form.add(*c);
        radioA.setPartner(radioB);
        auto record = [this](std::string what) {
            return [this, what](Object*) { log.push_back(what); };
        };
        edit.OnChange = record("edit.change");
        edit.OnExit = record("edit.exit");
        edit.OnEnter = record("edit.enter");
        other.OnExit = record("other.exit");
        bar.OnChange = record("bar.change");
        check.OnClick = record("check.click");
        radioA.OnClick = record("radioA.click");
        radioB.OnClick = record("radioB.click");
        combo.OnChange = record("combo.change");
        ok.OnClick = record("ok.click");
        cancel.OnClick = record("cancel.click");
        ok.setDefault(true);
    }
};

TEST(FormKit, EditFiresOnlyWhenTheTextReallyChanges) {
    struct Case {
        const char* text;
        std::vector<std::string> events;
    } cases[] = {{"100", {}}, {"101", {"edit.change"}}, {"", {"edit.change"}}};
    for (const Case& c : cases) {
        Fixture f;
        f.edit.setText(c.text);
        EXPECT_EQ(f.log, c.events) << c.text;
        EXPECT_EQ(f.edit.Text(), c.text);
    }
}

TEST(FormKit, TypingFocusesTheFieldAndFollowsTheSameRule) {
    Fixture f;
    f.edit.userTyped("100");  // same text: only the focus moves
    EXPECT_EQ(f.log, (std::vector<std::string>{"edit.enter"}));
    f.edit.userTyped("1000");
    EXPECT_EQ(f.log.back(), "edit.change");
    EXPECT_TRUE(f.edit.Focused());
}

TEST(FormKit, TrackBarClampsAndFiresOncePerStoredChange) {
    struct Case {
        int set;
        int expectedPosition;
        int expectedEvents;
    } cases[] = {
        {1000, 1000, 0},  // unchanged
        {1500, 1500, 1},
        {5000, 4000, 1},  // clamped, fires once
        {-7, 100, 1},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.bar.setPosition(c.set);
        EXPECT_EQ(f.bar.Position(), c.expectedPosition) << c.set;
        EXPECT_EQ(static_cast<int>(f.log.size()), c.expectedEvents) << c.set;
    }
}

TEST(FormKit, TrackBarAtTheBoundAlreadyFiresNothingWhenClampedThere) {
    Fixture f;
    f.bar.setPosition(4000);
    f.log.clear();
    f.bar.setPosition(9999);
    EXPECT_TRUE(f.log.empty());
    EXPECT_EQ(f.bar.Position(), 4000);
}

TEST(FormKit, TrackBarRangeChangesClampThePositionAndIgnoreCrossedEnds) {
    Fixture f;
    f.bar.setMin(5000);  // above Max: ignored
    EXPECT_EQ(f.bar.Min(), 100);
    f.bar.setMax(50);  // below Min: ignored
    EXPECT_EQ(f.bar.Max(), 4000);
    EXPECT_TRUE(f.log.empty());

    f.bar.setMin(2000);  // pushes the position up, fires once
    EXPECT_EQ(f.bar.Position(), 2000);
    EXPECT_EQ(f.log, (std::vector<std::string>{"bar.change"}));
    f.bar.setMax(2500);  // position inside: nothing fires
    EXPECT_EQ(f.log.size(), 1u);
    f.bar.setMax(2000);  // equal to Min is allowed
    EXPECT_EQ(f.bar.Max(), 2000);
}

TEST(FormKit, UserMovementFiresEvenWithoutAChangeOfPosition) {
    Fixture f;
    f.bar.userMoved(1000);
    f.bar.userMoved(99999);
    EXPECT_EQ(f.log, (std::vector<std::string>{"bar.change", "bar.change"}));
    EXPECT_EQ(f.bar.Position(), 4000);
    EXPECT_TRUE(f.bar.Focused());
}

TEST(FormKit, TrackBarTellsTheUsersMovementFromTheProgramsOnes) {
    Fixture f;
    std::vector<std::string> seen;
    f.bar.OnChange = [&](Object*) {
        seen.push_back(f.bar.UserMoving() ? "user" : "program");
        // A program change made by the handler of the user's movement is the program's.
        if (f.bar.UserMoving()) f.bar.setPosition(f.bar.Position() + 1);
    };
    f.bar.userMoved(2000);
    EXPECT_EQ(seen, (std::vector<std::string>{"user", "program"}));
    EXPECT_FALSE(f.bar.UserMoving());
    seen.clear();
    f.bar.setPosition(3000);  // with the focus still on the bar
    f.bar.setMax(2500);
    EXPECT_EQ(seen, (std::vector<std::string>{"program", "program"}));
}

TEST(FormKit, CheckBoxFiresOnEveryChangeOfState) {
    Fixture f;
    f.check.setChecked(false);
    EXPECT_TRUE(f.log.empty());
    f.check.setChecked(true);
    f.check.userClicked();
    EXPECT_EQ(f.log, (std::vector<std::string>{"check.click", "check.click"}));
    EXPECT_FALSE(f.check.Checked());
}

TEST(FormKit, RadioButtonFiresOnlyWhenItBecomesChecked) {
    Fixture f;
    f.radioA.setChecked(true);   // already checked
    f.radioA.setChecked(false);  // unchecking fires nothing and leaves the partner alone
    EXPECT_TRUE(f.log.empty());
    EXPECT_FALSE(f.radioB.Checked());

    f.radioB.setChecked(true);
    EXPECT_EQ(f.log, (std::vector<std::string>{"radioB.click"}));
    f.radioA.userClicked();
    EXPECT_EQ(f.log.back(), "radioA.click");
    EXPECT_TRUE(f.radioA.Checked());
    EXPECT_FALSE(f.radioB.Checked());
    f.radioA.userClicked();  // clicking a checked radio button changes nothing
    EXPECT_EQ(f.log.size(), 2u);
}

TEST(FormKit, ListSelectionFromCodeFiresNothingAndOutOfRangeClears) {
    Fixture f;
    f.combo.setItemIndex(2);
    EXPECT_TRUE(f.log.empty());
    EXPECT_EQ(f.combo.Text(), "c");
    f.combo.setItemIndex(7);
    EXPECT_EQ(f.combo.ItemIndex(), -1);
    EXPECT_EQ(f.combo.Text(), "");
    f.combo.userSelected(1);
    EXPECT_EQ(f.log, (std::vector<std::string>{"combo.change"}));
    EXPECT_EQ(f.combo.Text(), "b");
}

TEST(FormKit, LeavingAFocusedEditRunsItsExitHandlerOnce) {
    Fixture f;
    f.edit.SetFocus();
    f.log.clear();
    f.bar.userMouseDown();  // clicking elsewhere moves the focus
    f.bar.userMouseUp();
    f.other.SetFocus();
    EXPECT_EQ(f.log, (std::vector<std::string>{"edit.exit"}));
}

TEST(FormKit, TheNewControlHoldsTheFocusWhileTheOldOneExits) {
    Fixture f;
    bool barFocusedDuringExit = false;
    f.edit.OnExit = [&](Object*) { barFocusedDuringExit = f.bar.Focused(); };
    f.edit.SetFocus();
    f.bar.SetFocus();
    EXPECT_TRUE(barFocusedDuringExit);
}

TEST(FormKit, DisabledOrHiddenControlsNeitherTakeFocusNorReact) {
    Fixture f;
    f.edit.SetFocus();
    f.edit.setEnabled(false);  // loses the focus silently
    EXPECT_EQ(f.form.ActiveControl(), nullptr);
    EXPECT_FALSE(f.edit.SetFocus());
    f.edit.userTyped("5");
    f.check.setVisible(false);
    f.check.userClicked();
    EXPECT_EQ(f.edit.Text(), "100");
    EXPECT_FALSE(f.check.Checked());
    EXPECT_EQ(f.log, (std::vector<std::string>{"edit.enter"}));
}

TEST(FormKit, EnterGoesToTheFocusedControlThenToTheDefaultButton) {
    Fixture f;
    f.edit.SetFocus();
    f.log.clear();
    EXPECT_TRUE(f.form.userKeyDown(VK_RETURN));
    EXPECT_EQ(f.log, (std::vector<std::string>{"ok.click"}));

    // A key handler that takes Enter keeps it from the default button.
    f.edit.OnKeyPress = [&](Object*, char& key) {
        if (key == 13) {
            f.log.push_back("edit.enter-key");
            key = 0;
        }
    };
    f.log.clear();
    f.form.userKeyDown(VK_RETURN);
    EXPECT_EQ(f.log, (std::vector<std::string>{"edit.enter-key"}));

    // A focused button takes Enter itself.
    f.cancel.SetFocus();
    f.log.clear();
    f.form.userKeyDown(VK_RETURN);
    EXPECT_EQ(f.log, (std::vector<std::string>{"cancel.click"}));
}

// Focuses the field with a key handler that notes every key and takes Enter, as a field that
// waits for Enter has.
void NoteKeysAndTakeEnter(Fixture& f, std::vector<std::uint16_t>& seen) {
    f.edit.OnKeyDown = [&seen](Object*, std::uint16_t& key, ShiftState) {
        seen.push_back(key);
        if (key == VK_RETURN) key = 0;
    };
    f.edit.SetFocus();
}

// A front-end hands every key to the form first and passes on only what nothing took, so a
// field whose key handler waits for Enter still receives the letters typed into it.
TEST(FormKit, AKeyIsTakenOnlyWhenAHandlerOrAButtonUsesIt) {
    Fixture f;
    std::vector<std::uint16_t> seen;
    NoteKeysAndTakeEnter(f, seen);
    f.log.clear();
    EXPECT_FALSE(f.form.userKeyDown('A'));
    EXPECT_FALSE(f.form.userKeyDown(VK_TAB));
    EXPECT_TRUE(f.form.userKeyDown(VK_RETURN));
    EXPECT_EQ(seen, (std::vector<std::uint16_t>{'A', VK_TAB, VK_RETURN}));
    EXPECT_TRUE(f.log.empty()) << "Enter taken by the field presses no button";
    f.form.setEnabled(false);  // a disabled window takes nothing
    EXPECT_FALSE(f.form.userKeyDown(VK_RETURN));
    EXPECT_EQ(seen.size(), 3u);
}

TEST(FormKit, AKeyHandlerTakesOnlyTheKeysItClears) {
    // What userKeyDown answers tells a front-end whether the control still gets the key.
    struct Case {
        const char* what;
        std::uint16_t key;
        bool taken;
    };
    const Case cases[] = {
        {"a letter the handler leaves", 'A', false},
        {"Delete the handler leaves", VK_DELETE, false},
        {"Enter the handler clears", VK_RETURN, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f;
        std::vector<std::uint16_t> seen;
        NoteKeysAndTakeEnter(f, seen);
        EXPECT_EQ(f.form.userKeyDown(c.key), c.taken);
        EXPECT_EQ(seen, std::vector<std::uint16_t>{c.key});
    }
}

TEST(FormKit, ShortcutsWorkOnlyWhileTheirMenuIsEnabled) {
    Fixture f;
    MenuItem presets{"Presets1", "&Presets"};
    MenuItem recall{"Memory11", "Recall Preset 1", Key(VK_F5)};
    int clicks = 0;
    recall.OnClick = [&](Object*) { ++clicks; };
    presets.add(recall);
    f.form.Menu.add(presets);
    presets.setVisible(false);  // never shown, the key still works
    EXPECT_TRUE(f.form.userKeyDown(VK_F5));
    EXPECT_EQ(clicks, 1);
    presets.setEnabled(false);
    f.form.userKeyDown(VK_F5);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(f.form.userKeyDown(VK_F5, ShiftState{true, false, false}));
}

// The main window's File and Tools commands sit on Ctrl+Z, Ctrl+X and Ctrl+C, which a text
// field uses for undo, cut and copy: in a field the field gets them (userKeyDown leaves them,
// so the front-end passes them on), elsewhere the command runs.
TEST(FormKit, EscapePressesTheCancelButtonOnlyAndEnterNeverDoes) {
    Fixture f;
    f.edit.SetFocus();
    f.log.clear();
    EXPECT_FALSE(f.form.userKeyDown(VK_ESCAPE)) << "no cancel button: Escape is not taken";
    EXPECT_TRUE(f.log.empty()) << "Escape does not press the default button";
    f.cancel.setCancel(true);
    EXPECT_TRUE(f.form.userKeyDown(VK_ESCAPE));
    EXPECT_TRUE(f.form.userKeyDown(VK_RETURN));
    EXPECT_EQ(f.log, (std::vector<std::string>{"cancel.click", "ok.click"}));
    // From a focused button too, and not while the cancel button is disabled.
    f.ok.SetFocus();
    f.log.clear();
    f.form.userKeyDown(VK_ESCAPE);
    f.cancel.setEnabled(false);
    EXPECT_FALSE(f.form.userKeyDown(VK_ESCAPE));
    EXPECT_EQ(f.log, (std::vector<std::string>{"cancel.click"}));
}

TEST(FormKit, EditingKeysGoToTheFocusedFieldAndCommandsKeepThemElsewhere) {
    const ShiftState ctrl{false, true, false}, shift{true, false, false};
    struct Case {
        const char* what;
        std::uint16_t key;
        ShiftState shift;
        bool editingKey;
    };
    const Case cases[] = {
        {"Ctrl+Z (undo)", 'Z', ctrl, true},
        {"Ctrl+X (cut)", 'X', ctrl, true},
        {"Ctrl+C (copy)", 'C', ctrl, true},
        {"Ctrl+V (paste)", 'V', ctrl, true},
        {"Ctrl+A (select all)", 'A', ctrl, true},
        {"Ctrl+Y (redo)", 'Y', ctrl, true},
        {"Shift+Delete (cut)", VK_DELETE, shift, true},
        {"Shift+Insert (paste)", VK_INSERT, shift, true},
        {"Ctrl+D is no editing key", 'D', ctrl, false},
        {"Ctrl+Insert stays the hot key's", VK_INSERT, ctrl, false},
        {"Z alone is a letter, no shortcut", 'Z', ShiftState{}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(IsEditingKey(ShortCut{c.key, c.shift}), c.editingKey);
        for (const bool inField : {true, false}) {
            SCOPED_TRACE(inField ? "in a field" : "on a button");
            Fixture f;
            MenuItem file{"File1", "&File"};
            MenuItem command{"command", "Command", ShortCut{c.key, c.shift}};
            int clicks = 0;
            command.OnClick = [&](Object*) { ++clicks; };
            file.add(command);
            f.form.Menu.add(file);
            std::vector<std::uint16_t> seen;
            f.edit.OnKeyDown = [&](Object*, std::uint16_t& key, ShiftState) {
                seen.push_back(key);
            };
            (inField ? static_cast<Control&>(f.edit) : f.cancel).SetFocus();
            const bool commandRuns = !(inField && c.editingKey);
            EXPECT_EQ(f.form.userKeyDown(c.key, c.shift), commandRuns);
            EXPECT_EQ(clicks, commandRuns ? 1 : 0);
            // The field's own key handler sees the editing key before the field edits.
            EXPECT_EQ(seen.size(), inField && c.editingKey ? 1u : 0u);
        }
    }
}

TEST(FormKit, AMenuPlaceNamesTheCommandAndItsMenuAsShown) {
    struct Case {
        const char* menu;
        const char* command;
        const char* place;
    };
    const Case cases[] = {
        {"&Tools", "&Output Settings", "'Output Settings' via the 'Tools' menu"},
        {"&File", "Save && &Quit", "'Save & Quit' via the 'File' menu"},
        {"", "&Help", "'Help'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        MenuItem menu{"menu", c.menu};
        MenuItem command{"command", c.command};
        menu.add(command);
        EXPECT_EQ(command.MenuPlace(), c.place);
    }
}

TEST(FormKit, CloseCanBeRefusedByTheCloseHandler) {
    Form form{"main"};
    form.Show();
    bool refuse = true;
    form.OnClose = [&](Object*, CloseAction& action) {
        if (refuse) action = CloseAction::None;
    };
    EXPECT_FALSE(form.Close());
    EXPECT_TRUE(form.Visible());
    refuse = false;
    EXPECT_TRUE(form.Close());
    EXPECT_FALSE(form.Visible());
}

TEST(FormKit, FormEventsRunInTheirOrder) {
    Form form{"f"};
    std::vector<std::string> log;
    form.OnCreate = [&](Object*) { log.push_back("create"); };
    form.OnShow = [&](Object*) { log.push_back("show"); };
    form.OnActivate = [&](Object*) { log.push_back("activate"); };
    form.Create();
    form.Show();
    form.Show();  // already shown
    form.Activate();
    EXPECT_EQ(log, (std::vector<std::string>{"create", "show", "activate"}));
}

TEST(FormKit, F1OpensTheHelpOfTheHighlightedMenuOrElseOfTheWindow) {
    struct Case {
        const char* what;
        int formContext;
        bool f1Shortcut;     // the window has a command on F1
        bool highlightItem;  // the item of the File menu is highlighted
        bool highlightFile;  // the File menu itself is highlighted
        std::vector<int> topics;
        int commandClicks;
    };
    const Case cases[] = {
        {"the window's topic", 2, false, false, false, {2}, 0},
        {"a window without a topic takes no F1", 0, false, false, false, {}, 0},
        {"a command on F1 comes first", 1, true, false, false, {}, 1},
        {"a highlighted menu comes before the command", 1, true, false, true, {5}, 0},
        {"a highlighted command without a topic takes its menu's", 1, true, true, false, {5}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Application app;
        std::vector<int> topics;
        app.helpViewer = [&](const std::string&, int context) { topics.push_back(context); };
        Form form{"form"};
        form.HelpContext = c.formContext;
        form.HelpApplication = &app;
        MenuItem file{"File1", "&File"};
        MenuItem exit{"Exit1", "&Exit"};
        MenuItem help{"Help1", "&Help", c.f1Shortcut ? Key(VK_F1) : ShortCut{}};
        int clicks = 0;
        help.OnClick = [&](Object*) { ++clicks; };
        file.HelpContext = 5;
        file.add(exit).add(help);
        form.Menu.add(file);
        if (c.highlightFile) form.userHighlightedMenu(&file);
        if (c.highlightItem) form.userHighlightedMenu(&exit);
        EXPECT_EQ(form.userKeyDown(VK_F1), !c.topics.empty() || c.commandClicks > 0);
        EXPECT_EQ(topics, c.topics);
        EXPECT_EQ(clicks, c.commandClicks);
    }
}

TEST(FormKit, ApplicationOpensHelpThroughThePlatformViewer) {
    Application app;
    app.HelpFile = "/opt/vpg/vpg.chm";
    std::string file;
    int topic = 0;
    app.helpViewer = [&](const std::string& f, int c) {
        file = f;
        topic = c;
    };
    app.HelpContext(10);
    EXPECT_EQ(file, "/opt/vpg/vpg.chm");
    EXPECT_EQ(topic, 10);
}

}  // namespace
