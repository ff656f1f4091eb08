// The suppressible notices. ShowNotice exactly: only the flag's existence counts, a
// ticked box writes integer 1 whatever the button, a suppressed notice returns 0; and the mend
// of issue 4: a ticked box is never lost silently.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/headless_program.h"

namespace {

using doubles::ScriptedDialogs;
using persistence::RegistryValue;
using persistence::ValueKind;
using testing_support::HeadlessProgram;

constexpr const char* kNyquistFlag = "AboveNyquistLimit";
constexpr const char* kNyquistText =
    "The output frequency can never be higher than half the sampling rate. If you would like "
    "to generate a higher frequency signal, please adjust the sampling rate in the 'Output "
    "Settings' via the 'Tools' menu.";
constexpr const char* kWelcomeText =
    "Welcome to Vimbrel Pulse Generator! Would you like to see the introduction to this program?";
constexpr const char* kPerformanceText = "There is an issue with performance. See help for details";

portable::MemoryRegistry::Values& programKey(HeadlessProgram& p) {
    return p.hp.registry.keys[vpg::ProgramKey()];
}

bool hasProgramKey(const HeadlessProgram& p) {
    return p.hp.registry.keys.count(vpg::ProgramKey()) != 0;
}

// The user types a frequency above half the sampling rate and leaves the field.
void typeAboveNyquist(HeadlessProgram& p, ui::Edit& field) {
    field.userTyped("30000");
    p.gen().btnPause.userFocused();
}

std::vector<ScriptedDialogs::Kind> kinds(const HeadlessProgram& p) {
    std::vector<ScriptedDialogs::Kind> out;
    for (const auto& c : p.hp.dialogs.calls) out.push_back(c.kind);
    return out;
}

using Kinds = std::vector<ScriptedDialogs::Kind>;
constexpr auto kNotice = ScriptedDialogs::Kind::Notice;
constexpr auto kMessage = ScriptedDialogs::Kind::Message;

int showTestNotice(HeadlessProgram& p, unsigned buttons, const std::string& flag = "TestFlag") {
    return p.gen().ShowNotice("Some text", "Some caption", buttons, flag);
}

// --- Only the flag's existence counts ----------------------------------------------------------

TEST(Notices, AnyValueUnderTheFlagNameSuppressesTheNotice) {
    const RegistryValue values[] = {
        RegistryValue::Integer(1), RegistryValue::Integer(0), RegistryValue::Text("no"),
        RegistryValue::Text(""),   RegistryValue{},  // a kind the program never writes
    };
    for (const RegistryValue& value : values) {
        SCOPED_TRACE(value.kind == ValueKind::Text ? "text '" + value.text + "'"
                                                   : std::to_string(value.integer));
        HeadlessProgram p;
        programKey(p)[kNyquistFlag] = value;
        p.startAt44100();
        typeAboveNyquist(p, p.gen().fInitLeft);
        EXPECT_TRUE(p.hp.dialogs.calls.empty());
        EXPECT_EQ(p.gen().fInitLeft.Text(), "22049");  // still clamped
        EXPECT_FALSE(p.settings().Visible());          // suppressed acts as No

        EXPECT_EQ(
            p.gen().ShowNotice(kNyquistText, "Information", ui::mbYes | ui::mbNo, kNyquistFlag),
            ui::mrNone);
        EXPECT_TRUE(p.hp.dialogs.calls.empty());
        EXPECT_EQ(programKey(p)[kNyquistFlag], value);  // never rewritten
    }
}

TEST(Notices, AnotherFlagDoesNotSuppress) {
    HeadlessProgram p;  // the fixture stores "Welcome"
    p.start();
    ASSERT_TRUE(programKey(p).count("Welcome"));
    EXPECT_EQ(showTestNotice(p, ui::mbOK, "MBPerformance"), ui::mrOk);
    EXPECT_EQ(kinds(p), Kinds{kNotice});
}

// --- Ticking the box -------------------------------------------------------------------------

TEST(Notices, TickingStoresIntegerOneWhateverTheButton) {
    struct Case {
        unsigned buttons;
        int answer;
    };
    const Case cases[] = {
        {ui::mbOK, ui::mrOk},
        {ui::mbYes | ui::mbNo, ui::mrYes},
        {ui::mbYes | ui::mbNo, ui::mrNo},
        {ui::mbYes | ui::mbNo, ui::mrCancel},  // closed by its close box
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        HeadlessProgram p;
        p.start();
        p.hp.dialogs.answerNotice(c.answer, true);
        EXPECT_EQ(showTestNotice(p, c.buttons), c.answer);
        EXPECT_EQ(programKey(p)["TestFlag"], RegistryValue::Integer(1));
        // From now on the notice returns 0 at once.
        EXPECT_EQ(showTestNotice(p, c.buttons), ui::mrNone);
        EXPECT_EQ(kinds(p), Kinds{kNotice});
        EXPECT_EQ(p.hp.registry.openHandles(), 0);
    }
}

TEST(Notices, AnUntickedBoxStoresNothingAndTheNoticeComesBack) {
    HeadlessProgram p;
    p.start();
    const int writes = p.hp.registry.writes();
    p.hp.dialogs.answerNotice(ui::mrYes, false);
    EXPECT_EQ(showTestNotice(p, ui::mbYes | ui::mbNo), ui::mrYes);
    EXPECT_FALSE(programKey(p).count("TestFlag"));
    EXPECT_EQ(p.hp.registry.writes(), writes);
    p.hp.dialogs.answerNotice(ui::mrNo, false);
    EXPECT_EQ(showTestNotice(p, ui::mbYes | ui::mbNo), ui::mrNo);
    EXPECT_EQ(kinds(p), (Kinds{kNotice, kNotice}));
    EXPECT_EQ(p.hp.registry.openHandles(), 0);
}

TEST(Notices, NoWithTheBoxTickedStoresTheFlagAndTheCallerActsAsForNo) {
    HeadlessProgram p;
    p.startAt44100();
    p.hp.dialogs.answerNotice(ui::mrNo, true);
    typeAboveNyquist(p, p.gen().fInitLeft);
    EXPECT_EQ(kinds(p), Kinds{kNotice});
    EXPECT_EQ(programKey(p)[kNyquistFlag], RegistryValue::Integer(1));
    EXPECT_FALSE(p.settings().Visible());
    EXPECT_EQ(p.gen().fInitLeft.Text(), "22049");

    typeAboveNyquist(p, p.gen().fInitLeft);
    EXPECT_EQ(kinds(p), Kinds{kNotice});
    EXPECT_EQ(p.gen().fInitLeft.Text(), "22049");
}

TEST(Notices, YesWithTheBoxTickedStoresTheFlagAndTheCallerActsAsForYes) {
    HeadlessProgram p;
    p.startAt44100();
    p.hp.dialogs.answerNotice(ui::mrYes, true);
    typeAboveNyquist(p, p.gen().fInitLeft);
    EXPECT_EQ(programKey(p)[kNyquistFlag], RegistryValue::Integer(1));
    EXPECT_TRUE(p.settings().Visible());
}

// --- The dialog ----------------------------------------------------------------------------------

TEST(Notices, DialogIsAWarningWithItsDefaultAndCancelButtons) {
    struct Case {
        unsigned buttons;
        int defaultResult, cancelResult;
    };
    const Case cases[] = {
        {ui::mbOK, ui::mrOk, ui::mrOk},  // Escape and OK both give 1
        {ui::mbYes | ui::mbNo, ui::mrYes, ui::mrNo},
        {ui::mbOK | ui::mbCancel, ui::mrOk, ui::mrCancel},
        {ui::mbYes | ui::mbNo | ui::mbCancel, ui::mrYes, ui::mrCancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.buttons);
        HeadlessProgram p;
        p.start();
        showTestNotice(p, c.buttons);
        ASSERT_EQ(kinds(p), Kinds{kNotice});
        const ScriptedDialogs::Call& call = p.hp.dialogs.calls[0];
        const ui::NoticeDialogRequest& r = call.notice;
        EXPECT_EQ(r.text, "Some text");
        EXPECT_EQ(r.caption, "Some caption");
        EXPECT_EQ(r.type, ui::MsgDlgType::Warning);
        EXPECT_EQ(r.buttons, c.buttons);
        EXPECT_EQ(r.defaultResult, c.defaultResult);
        EXPECT_EQ(r.cancelResult, c.cancelResult);
        EXPECT_EQ(r.height, 200);
        EXPECT_EQ(r.checkBoxCaption, "Don't show this message again.");
        EXPECT_EQ(r.checkLeft, 10);
        EXPECT_EQ(r.checkTop, 110);
        EXPECT_EQ(r.checkWidth, 300);
        EXPECT_EQ(r.checkHeight, 30);
        // Unscripted, the headless dialog closes with the default button: that is the result.
        EXPECT_EQ(call.result, c.defaultResult);
    }
}

TEST(Notices, TheSystemsThreeNotices) {
    {
        HeadlessProgram p('.', false);
        p.hp.dialogs.answerNotice(ui::mrNo, false);
        p.start();
        ASSERT_EQ(kinds(p), Kinds{kNotice});
        const auto& r = p.hp.dialogs.calls[0].notice;
        EXPECT_EQ(r.caption, "Welcome");
        EXPECT_EQ(r.text, kWelcomeText);
        EXPECT_EQ(r.buttons, ui::mbYes | ui::mbNo);
        EXPECT_TRUE(p.hp.shell.help.empty());
    }
    {
        HeadlessProgram p;
        p.startAt44100();
        p.hp.dialogs.answerNotice(ui::mrNo, false);
        typeAboveNyquist(p, p.gen().fInitLeft);
        ASSERT_EQ(kinds(p), Kinds{kNotice});
        const auto& r = p.hp.dialogs.calls[0].notice;
        EXPECT_EQ(r.caption, "Information");
        EXPECT_EQ(r.text, kNyquistText);
        EXPECT_EQ(r.buttons, ui::mbYes | ui::mbNo);
        EXPECT_EQ(r.type, ui::MsgDlgType::Warning);
    }
}

TEST(Notices, TheOkOnlyNoticeGivesOkForEnterAndEscape) {
    HeadlessProgram p;
    p.start();
    EXPECT_EQ(p.gen().ShowNotice(kPerformanceText, "Information", ui::mbOK, "MBPerformance"),
              ui::mrOk);
    EXPECT_EQ(p.hp.dialogs.calls[0].notice.cancelResult, ui::mrOk);
    EXPECT_EQ(p.hp.dialogs.calls[0].notice.defaultResult, ui::mrOk);
}

// --- Suppression lasts ------------------------------------------------------------------------

TEST(Notices, FlagsSurviveResettingTheSettings) {
    HeadlessProgram p;
    p.start();
    p.hp.dialogs.answerNotice(ui::mrOk, true);
    showTestNotice(p, ui::mbOK, "MBPerformance");
    p.gen().rESETTOdEFAULT1.Click();
    EXPECT_EQ(programKey(p)["MBPerformance"], RegistryValue::Integer(1));
    EXPECT_EQ(programKey(p)["Welcome"], RegistryValue::Integer(1));
    EXPECT_EQ(showTestNotice(p, ui::mbOK, "MBPerformance"), ui::mrNone);
}

TEST(Notices, AKeyThatCannotBeOpenedFindsNoFlag) {
    HeadlessProgram p;
    p.start();
    programKey(p)["TestFlag"] = RegistryValue::Integer(1);
    p.hp.registry.denyOpen = true;
    EXPECT_EQ(showTestNotice(p, ui::mbOK), ui::mrOk);
    EXPECT_EQ(showTestNotice(p, ui::mbOK), ui::mrOk);
    EXPECT_EQ(kinds(p), (Kinds{kNotice, kNotice}));
    EXPECT_EQ(p.hp.registry.openHandles(), 0);
}

// --- The mend: a ticked box is never lost silently ------------------------------------------

TEST(Notices, OnAFirstRunTheTickedWelcomeCreatesTheProgramKey) {
    for (const int answer : {ui::mrNo, ui::mrYes}) {
        SCOPED_TRACE(answer);
        HeadlessProgram p('.', false);
        ASSERT_FALSE(hasProgramKey(p));
        p.hp.dialogs.answerNotice(answer, true);
        p.start();
        EXPECT_EQ(kinds(p), Kinds{kNotice});  // nothing else to tell
        ASSERT_TRUE(hasProgramKey(p));
        EXPECT_EQ(programKey(p)["Welcome"], RegistryValue::Integer(1));
        EXPECT_EQ(p.hp.shell.help.size(), answer == ui::mrYes ? 1u : 0u);
        if (answer == ui::mrYes) {
            EXPECT_EQ(p.hp.shell.help[0].second, 10);
        }
        EXPECT_EQ(p.hp.registry.openHandles(), 0);

        // The next start finds the flag.
        HeadlessProgram next('.', false);
        next.hp.registry.keys = p.hp.registry.keys;
        next.start();
        EXPECT_TRUE(next.hp.dialogs.calls.empty());
    }
}

TEST(Notices, OnAFirstRunAnUntickedBoxCreatesNothing) {
    HeadlessProgram p('.', false);
    p.hp.dialogs.answerNotice(ui::mrNo, false);
    p.start();
    EXPECT_EQ(kinds(p), Kinds{kNotice});
    EXPECT_FALSE(hasProgramKey(p));
}

TEST(Notices, AFlagThatCannotBeStoredIsReportedInAPlainMessage) {
    struct Case {
        const char* name;
        bool keyExists;
        bool denyCreate;
        int writesBeforeRefusal;
    };
    const Case cases[] = {
        {"the key cannot be created", false, true, -1},
        {"the store refuses the write", true, false, 0},
        {"no key and no write", false, false, 0},
    };
    for (const Case& c : cases) {
        for (const int answer : {ui::mrNo, ui::mrYes}) {
            SCOPED_TRACE(std::string(c.name) + ", answer " + std::to_string(answer));
            HeadlessProgram p('.', false);
            if (c.keyExists) programKey(p);
            p.hp.registry.denyCreate = c.denyCreate;
            p.hp.registry.writesBeforeRefusal = c.writesBeforeRefusal;
            p.hp.dialogs.answerNotice(answer, true);
            p.start();

            ASSERT_EQ(kinds(p), (Kinds{kNotice, kMessage}));
            EXPECT_NE(p.hp.dialogs.calls[1].text.find("could not be saved"), std::string::npos)
                << p.hp.dialogs.calls[1].text;
            EXPECT_TRUE(!hasProgramKey(p) || !programKey(p).count("Welcome"));
            // The caller carries on with the button that was pressed.
            EXPECT_EQ(p.hp.shell.help.size(), answer == ui::mrYes ? 1u : 0u);
            EXPECT_EQ(p.hp.registry.openHandles(), 0);
        }
    }
}

TEST(Notices, AFlagThatCannotBeStoredLeavesTheNoticeShowing) {
    HeadlessProgram p;
    p.startAt44100();
    p.hp.registry.writesBeforeRefusal = p.hp.registry.writes();
    p.hp.dialogs.answerNotice(ui::mrNo, true);
    typeAboveNyquist(p, p.gen().fInitLeft);
    EXPECT_EQ(kinds(p), (Kinds{kNotice, kMessage}));
    EXPECT_EQ(p.gen().fInitLeft.Text(), "22049");
    EXPECT_FALSE(p.settings().Visible());

    p.hp.dialogs.answerNotice(ui::mrNo, false);
    typeAboveNyquist(p, p.gen().fInitLeft);
    EXPECT_EQ(kinds(p), (Kinds{kNotice, kMessage, kNotice}));
}

}  // namespace
