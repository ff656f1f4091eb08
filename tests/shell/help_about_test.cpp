// Help topics, the About box, and the commands that hand work to other programs.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "support/headless_program.h"

namespace {

using doubles::ScriptedDialogs;
using testing_support::HeadlessProgram;
using vpg::TfrmGenerator;

constexpr const char* kHelpFile = "/opt/vpg/vpg.chm";
using Opened = std::vector<doubles::RecordedShell::Execution>;
using shell::ShowMode;
using HelpCalls = std::vector<std::pair<std::string, int>>;

vpg::TfrmAbout& about(HeadlessProgram& p) {
    return *p.program.frmAbout;
}

// The About box as the user meets it: shown from the Help menu, then activated.
vpg::TfrmAbout& openAbout(HeadlessProgram& p) {
    p.gen().About2.Click();
    about(p).Activate();
    return about(p);
}

// F1 in the main window after the user highlighted these menu entries in turn (nullptr: the
// menu closed).
std::function<void(HeadlessProgram&)> f1AfterHighlighting(
    std::vector<ui::MenuItem vpg::TfrmGenerator::*> entries) {
    return [entries](HeadlessProgram& p) {
        for (const auto entry : entries)
            p.gen().userHighlightedMenu(entry ? &(p.gen().*entry) : nullptr);
        EXPECT_TRUE(p.gen().userKeyDown(ui::VK_F1));
    };
}

TEST(HelpAbout, EachPlaceOpensItsHelpTopic) {
    struct Case {
        const char* what;
        std::function<void(HeadlessProgram&)> action;
        int topic;
    };
    const Case cases[] = {
        {"F1 in the main window", [](HeadlessProgram& p) { p.gen().userKeyDown(ui::VK_F1); }, 1},
        {"the output settings window's Help",
         [](HeadlessProgram& p) {
             p.gen().Compatibilitysettings1.Click();
             p.settings().HelpButton.userClicked();
         },
         2},
        {"the About box's Help", [](HeadlessProgram& p) { openAbout(p).AboutHelp.userClicked(); },
         3},
        // F1 opens the active window's topic.
        {"F1 in the output settings window",
         [](HeadlessProgram& p) {
             p.gen().Compatibilitysettings1.Click();
             EXPECT_TRUE(p.settings().userKeyDown(ui::VK_F1));
         },
         2},
        {"F1 in the About box",
         [](HeadlessProgram& p) { EXPECT_TRUE(openAbout(p).userKeyDown(ui::VK_F1)); }, 3},
        {"F1 in the frequency display",
         [](HeadlessProgram& p) {
             p.gen().FrequencyDisplay1.Click();
             EXPECT_TRUE(p.program.frmFrequencyDisplay->userKeyDown(ui::VK_F1));
         },
         4},
        {"F1 with the File menu highlighted", f1AfterHighlighting({&TfrmGenerator::File1}), 5},
        {"F1 with a command of the File menu highlighted",
         f1AfterHighlighting({&TfrmGenerator::Exit1}), 5},
        {"F1 with the Help menu highlighted", f1AfterHighlighting({&TfrmGenerator::Help2}), 1},
        {"F1 after the File menu has closed", f1AfterHighlighting({&TfrmGenerator::File1, nullptr}),
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HeadlessProgram p;
        p.start();
        c.action(p);
        EXPECT_EQ(p.hp.shell.help, (HelpCalls{{kHelpFile, c.topic}}));
    }
}

TEST(HelpAbout, YesToTheWelcomeNoticeOpensTopicTen) {
    HeadlessProgram p('.', /*suppressWelcome=*/false);
    p.hp.dialogs.answerNotice(ui::mrYes, false);
    p.start();
    EXPECT_EQ(p.hp.shell.help, (HelpCalls{{kHelpFile, 10}}));
}

TEST(HelpAbout, HelpContextsOfTheWindowsAndTheFileMenu) {
    HeadlessProgram p;
    p.start();
    EXPECT_EQ(p.gen().HelpContext, 1);
    EXPECT_EQ(p.settings().HelpContext, 2);
    EXPECT_EQ(about(p).HelpContext, 3);
    EXPECT_EQ(p.program.frmFrequencyDisplay->HelpContext, 4);
    EXPECT_EQ(p.gen().File1.HelpContext, 5);
}

TEST(HelpAbout, TheHelpMenuHoldsItsEntriesBetweenSeparators) {
    HeadlessProgram p;
    p.start();
    vpg::TfrmGenerator& g = p.gen();
    std::vector<std::string> captions;
    for (const ui::MenuItem* m : g.Help2.Items()) captions.push_back(m->Caption);
    EXPECT_EQ(captions, (std::vector<std::string>{"&Help", "-", "&More Audio Software...", "-",
                                                  "&About this program..."}));
    EXPECT_EQ(g.Help1.shortCut(), ui::Key(ui::VK_F1));
    EXPECT_EQ(g.MoreSoftware1.shortCut(), ui::Ctrl('M'));
    EXPECT_EQ(g.About2.shortCut(), ui::ShortCut{});
    EXPECT_EQ(g.WindowsVolumeControl1.Parent(), &g.View1);
}

TEST(HelpAbout, TheAboutBoxDisablesTheMainWindowWhileItIsOpen) {
    HeadlessProgram p;
    p.start();
    vpg::TfrmGenerator& g = p.gen();
    for (int round = 1; round <= 2; ++round) {  // at each activation, not only the first
        SCOPED_TRACE(round);
        vpg::TfrmAbout& box = openAbout(p);
        EXPECT_TRUE(box.Visible());
        EXPECT_FALSE(g.Enabled());
        // No command of the main window can be used meanwhile.
        EXPECT_FALSE(g.userKeyDown(ui::VK_F11));
        EXPECT_FALSE(g.userKeyDown(ui::VK_F1));
        p.pump();
        EXPECT_FALSE(g.AudioOut1->Active);
        EXPECT_TRUE(p.hp.shell.help.empty());

        box.OKButton.userClicked();
        EXPECT_FALSE(box.Visible());
        EXPECT_TRUE(g.Enabled());
    }
    // Closed, the main window takes its keys again.
    EXPECT_TRUE(g.userKeyDown(ui::VK_F1));
    EXPECT_EQ(p.hp.shell.help.size(), 1u);
}

TEST(HelpAbout, EnterAndEscapeCloseTheAboutBox) {
    for (const std::uint16_t key : {ui::VK_RETURN, ui::VK_ESCAPE}) {
        SCOPED_TRACE(key);
        HeadlessProgram p;
        p.start();
        vpg::TfrmAbout& box = openAbout(p);
        EXPECT_TRUE(box.userKeyDown(key));
        EXPECT_FALSE(box.Visible());
        EXPECT_TRUE(p.gen().Enabled());
    }
}

TEST(HelpAbout, ThePictureHomepageAndLabel1OpenTheAddressShownByHomepage) {
    struct Case {
        const char* what;
        ui::Control& (*control)(vpg::TfrmAbout&);
    };
    const Case cases[] = {
        {"picture", [](vpg::TfrmAbout& b) -> ui::Control& { return b.ProgramIcon; }},
        {"Homepage", [](vpg::TfrmAbout& b) -> ui::Control& { return b.Homepage; }},
        {"Label1", [](vpg::TfrmAbout& b) -> ui::Control& { return b.Label1; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HeadlessProgram p;
        p.start();
        vpg::TfrmAbout& box = openAbout(p);
        EXPECT_EQ(box.Homepage.Caption(), vpg::kHomepage);
        EXPECT_EQ(box.Label1.Caption(), vpg::kHomepage);
        c.control(box).userClicked();
        // Opened for the About box, which is the window the user is in.
        EXPECT_EQ(p.hp.shell.opened, (Opened{{&box, "open", vpg::kHomepage, ShowMode::Show}}));

        // The address is the one Homepage shows, not the one Label1 was designed with.
        box.Homepage.setCaption("https://elsewhere.example/");
        c.control(box).userClicked();
        EXPECT_EQ(p.hp.shell.opened.back().file, "https://elsewhere.example/");
        EXPECT_EQ(box.Label1.Caption(), vpg::kHomepage);
    }
}

TEST(HelpAbout, MoreAudioSoftwareOpensTheAddressInItsHint) {
    HeadlessProgram p;
    p.start();
    vpg::TfrmGenerator& g = p.gen();
    EXPECT_EQ(g.MoreSoftware1.Hint, vpg::kHomepage);
    EXPECT_TRUE(g.userKeyDown('M', ui::ShiftState{false, true, false}));  // Ctrl+M
    EXPECT_EQ(p.hp.shell.opened, (Opened{{&g, "open", vpg::kHomepage, ShowMode::Show}}));

    g.MoreSoftware1.Hint = "https://other.example/more";
    g.MoreSoftware1.Click();
    EXPECT_EQ(p.hp.shell.opened.back(),
              (doubles::RecordedShell::Execution{&g, "open", "https://other.example/more",
                                                 ShowMode::Show}));
}

// Windows since Vista has sndvol.exe, older ones sndvol32.exe: the first that starts is the
// mixer; when none does, the user is told so.
TEST(HelpAbout, TheVolumeControlOpensTheMixerThatExistsOrSaysSo) {
    struct Case {
        const char* what;
        std::vector<std::string> absent;
        std::vector<std::string> tried;
        bool message;
    };
    const Case cases[] = {
        {"a current Windows", {}, {"sndvol.exe"}, false},
        {"an old Windows", {"sndvol.exe"}, {"sndvol.exe", "sndvol32.exe"}, false},
        {"no mixer at all", {"sndvol.exe", "sndvol32.exe"}, {"sndvol.exe", "sndvol32.exe"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HeadlessProgram p;
        p.hp.shell.absent = c.absent;
        p.start();
        p.hp.dialogs.calls.clear();
        p.gen().WindowsVolumeControl1.Click();
        Opened expected;
        // The system's mixer belongs to no window of ours.
        for (const std::string& program : c.tried)
            expected.push_back({nullptr, "open", program, ShowMode::ShowNormal});
        EXPECT_EQ(p.hp.shell.opened, expected);
        if (c.message) {
            ASSERT_EQ(p.hp.dialogs.calls.size(), 1u);
            EXPECT_EQ(p.hp.dialogs.calls[0].kind, ScriptedDialogs::Kind::Message);
            EXPECT_EQ(p.hp.dialogs.calls[0].text,
                      "The volume control could not be opened: neither sndvol.exe nor "
                      "sndvol32.exe started.");
        } else {
            EXPECT_TRUE(p.hp.dialogs.calls.empty());
        }
        EXPECT_TRUE(p.program.Running());
    }
}

TEST(HelpAbout, TheVersionReadsVersionOnePointTwoWhenTheBoxIsShown) {
    HeadlessProgram p;
    p.start();
    EXPECT_FALSE(about(p).Visible());
    EXPECT_EQ(about(p).Caption(), "About");
    EXPECT_EQ(about(p).Version.Caption(), "");
    p.gen().About2.Click();
    EXPECT_EQ(about(p).Version.Caption(), "Version 1.2");
    EXPECT_TRUE(about(p).OKButton.Default());
}

}  // namespace
