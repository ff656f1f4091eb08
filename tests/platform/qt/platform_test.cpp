// The platform pieces with Qt: the message queue between threads, the desktop's help and
// programs, and the notice dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>
#include <atomic>
#include <functional>
#include <map>
#include <thread>
#include <vector>

#include "platform/qt/help_window.h"
#include "platform/qt/notice_dialog.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_message_loop.h"
#include "platform/qt/qt_shell.h"

namespace {

struct Recorder final : ui::MessageTarget {
    std::vector<ui::Message> seen;
    std::thread::id thread;
    void handleMessage(const ui::Message& m) override {
        seen.push_back(m);
        thread = std::this_thread::get_id();
    }
};

// The sound device posts from its own thread: every message arrives, on the UI thread, in
// the order each thread posted them.
TEST(QtMessageLoop, PostsFromOtherThreadsArriveInOrderOnTheUiThread) {
    qtui::QtMessageLoop loop;
    Recorder target;
    constexpr int kThreads = 4, kEach = 500;
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t)
        posters.emplace_back([&loop, &target, t] {
            for (int i = 0; i < kEach; ++i)
                loop.post({&target, 0x3BD, static_cast<std::uintptr_t>(t), i});
        });
    for (std::thread& p : posters) p.join();
    EXPECT_TRUE(target.seen.empty()) << "never dispatched inside post";
    QTRY_COMPARE(target.seen.size(), std::size_t{kThreads * kEach});
    EXPECT_EQ(target.thread, std::this_thread::get_id());
    std::map<std::uintptr_t, std::intptr_t> next;
    for (const ui::Message& m : target.seen) {
        EXPECT_EQ(m.lParam, next[m.wParam]) << "thread " << m.wParam;
        next[m.wParam] = m.lParam + 1;
    }
}

TEST(QtMessageLoop, ForgottenTargetsGetNothingAndProcessMessagesDispatches) {
    qtui::QtMessageLoop loop;
    Recorder gone, stays;
    loop.post({&gone, 1, 0, 0});
    loop.post({&stays, 2, 0, 0});
    loop.post({&gone, 3, 0, 0});
    loop.forget(&gone);
    EXPECT_EQ(loop.pending(), 1u);
    loop.processMessages();
    EXPECT_TRUE(gone.seen.empty());
    ASSERT_EQ(stays.seen.size(), 1u);
    EXPECT_EQ(stays.seen[0].msg, 2u);
}

// A shell whose desktop is recorded: which programs exist, what was started or opened.
struct Desktop {
    std::vector<QString> installed;
    std::vector<QStringList> started;
    std::vector<QUrl> opened;
    std::vector<QUrl> helpShown;
    void wire(qtui::QtShell& shell) {
        shell.showHelpPage = [this](const QUrl& page) { helpShown.push_back(page); };
        shell.findExecutable = [this](const QString& name) {
            for (const QString& p : installed)
                if (p == name) return "/usr/bin/" + name;
            return QString();
        };
        shell.startDetached = [this](const QString& program, const QStringList& args) {
            started.push_back(QStringList{program} + args);
            return true;
        };
        shell.openUrl = [this](const QUrl& url) {
            opened.push_back(url);
            return true;
        };
    }
};

TEST(QtShell, TheVolumeControlFallsBackToTheDesktopsMixerOrToNothing) {
    struct Case {
        std::vector<QString> installed;
        std::vector<QStringList> started;
    };
    const Case cases[] = {
        {{"pavucontrol", "xfce4-mixer"}, {{"/usr/bin/pavucontrol"}}},
        {{"xfce4-mixer", "gnome-control-center"}, {{"/usr/bin/gnome-control-center", "sound"}}},
        {{"xfce4-mixer"}, {{"/usr/bin/xfce4-mixer"}}},
        {{}, {}},
    };
    for (const Case& c : cases) {
        qtui::QtShell shell({});
        shell.alternatives["pavucontrol"] = {{"gnome-control-center", "sound"}, {"xfce4-mixer"}};
        Desktop desktop;
        desktop.installed = c.installed;
        desktop.wire(shell);
        // What the command tells its caller: whether a mixer started.
        EXPECT_EQ(shell.ShellExecute(nullptr, "open", "pavucontrol", shell::ShowMode::Show),
                  !c.started.empty());
        EXPECT_EQ(desktop.started, c.started);
        EXPECT_TRUE(desktop.opened.empty());
    }
}

TEST(QtShell, WebAddressesGoToTheBrowserAndNothingElseDoes) {
    qtui::QtShell shell({});
    Desktop desktop;
    desktop.installed = {"sh"};
    desktop.wire(shell);
    shell.ShellExecute(nullptr, "open", "https://www.halvane.example/audio", shell::ShowMode::Show);
    shell.ShellExecute(nullptr, "open", "file:///etc/passwd", shell::ShowMode::Show);
    shell.ShellExecute(nullptr, "open", "sh -c 'echo hi'",
                       shell::ShowMode::Show);  // a name, never a command line
    shell.ShellExecute(nullptr, "print", "https://www.halvane.example/audio",
                       shell::ShowMode::Show);
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(desktop.opened[0], QUrl("https://www.halvane.example/audio"));
    EXPECT_TRUE(desktop.started.empty());
}

TEST(QtShell, HelpTopicsOpenTheirPagesFromTheFirstFolderThatHasThem) {
    QTemporaryDir empty, pages;
    for (const char* page : {"index.html", "introduction.html", "main-window.html"}) {
        QFile f(pages.filePath(page));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    qtui::QtShell shell({empty.path(), pages.path()});
    Desktop desktop;
    desktop.wire(shell);
    const std::pair<int, const char*> topics[] = {{10, "introduction.html"},
                                                  {1, "main-window.html"},
                                                  {2, "index.html"},  // no page of its own here
                                                  {42, "index.html"}};
    for (const auto& [context, page] : topics) {
        desktop.helpShown.clear();
        shell.ShowHelp("/opt/vpg/vpg.chm", context);
        ASSERT_EQ(desktop.helpShown.size(), 1u) << context;
        EXPECT_EQ(desktop.helpShown[0], QUrl::fromLocalFile(pages.filePath(page)));
    }
    // The help is the program's own: no browser is asked.
    EXPECT_TRUE(desktop.opened.empty());
    qtui::QtShell nowhere({empty.path()});
    desktop.helpShown.clear();
    desktop.wire(nowhere);
    nowhere.ShowHelp("vpg.chm", 1);
    EXPECT_TRUE(desktop.helpShown.empty());
    const std::pair<int, const char*> pagesByTopic[] = {
        {1, "main-window.html"},   {2, "output-settings.html"},
        {3, "about.html"},         {4, "frequency-display.html"},
        {5, "file-menu.html"},     {6, "performance.html"},
        {10, "introduction.html"}, {7, "index.html"}};
    for (const auto& [context, page] : pagesByTopic)
        EXPECT_EQ(qtui::QtShell::HelpPage(context), page) << context;
}

// The shipped pages in the program's help window, as F1 shows them where no browser is set
// up: the page of the topic, the contents of the help project, its entries and links leading
// to their pages.
TEST(QtShell, HelpOpensInTheProgramsOwnWindowWithContentsAndLinks) {
    qtui::QtShell shell(qtui::QtShell::DefaultHelpFolders("/nonexistent/bin"));
    std::vector<QUrl> browsed;
    shell.openUrl = [&](const QUrl& url) {
        browsed.push_back(url);
        return false;  // no browser on this desktop
    };
    shell.ShowHelp("vpg.chm", 4);
    qtui::HelpWindow* help = shell.helpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->currentPage().toLocalFile().endsWith("/frequency-display.html"))
        << help->currentPage().toString().toStdString();
    EXPECT_EQ(help->currentTitle(), "The frequency display");
    EXPECT_EQ(help->windowTitle(), "The frequency display - Vimbrel Pulse Generator Help");
    EXPECT_GE(help->contentsCount(), 10);
    ASSERT_NE(help->contents()->currentItem(), nullptr);
    EXPECT_EQ(help->contents()->currentItem()->text(0), "The frequency display");

    // A contents entry shows its page.
    QTreeWidgetItem* settings = nullptr;
    for (QTreeWidgetItemIterator it(help->contents()); *it; ++it)
        if ((*it)->text(0) == "Output Settings") settings = *it;
    ASSERT_NE(settings, nullptr);
    emit help->contents()->itemClicked(settings, 0);
    EXPECT_TRUE(help->currentPage().toLocalFile().endsWith("/output-settings.html"));
    // A link in a page leads to its page within the window; Back goes back.
    help->browser()->setSource(help->currentPage().resolved(QUrl("index.html")));
    EXPECT_TRUE(help->browser()->isBackwardAvailable());
    help->browser()->backward();
    EXPECT_TRUE(help->currentPage().toLocalFile().endsWith("/output-settings.html"));
    // A second F1 reuses the window.
    shell.ShowHelp("vpg.chm", 1);
    EXPECT_EQ(shell.helpWindow(), help);
    EXPECT_TRUE(help->currentPage().toLocalFile().endsWith("/main-window.html"));
    EXPECT_TRUE(browsed.empty());
    help->close();
}

TEST(HelpContents, TheSitemapGivesNamesPagesAndDepths) {
    const QString sitemap = R"(<UL>
<LI> <OBJECT type="text/sitemap">
    <param name="Name" value="Top">
    <param name="Local" value="index.html">
    </OBJECT>
<UL>
    <LI> <OBJECT type="text/sitemap">
        <param name="Name" value="Inner">
        <param name="Local" value="a.html#part">
        </OBJECT>
</UL>
<LI> <OBJECT type="text/sitemap"><param name="Name" value="Next"><param name="Local" value="b.html"></OBJECT>
</UL>)";
    const std::vector<qtui::ContentsEntry> e = qtui::ReadContents(sitemap);
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[0].name, "Top");
    EXPECT_EQ(e[0].depth, 0);
    EXPECT_EQ(e[1].page, "a.html#part");
    EXPECT_EQ(e[1].depth, 1);
    EXPECT_EQ(e[2].name, "Next");
    EXPECT_EQ(e[2].depth, 0);
}

ui::NoticeDialogRequest Request(unsigned buttons, int defaultResult, int cancelResult) {
    ui::NoticeDialogRequest r;
    r.text =
        "The output frequency can never be higher than half the sampling rate. If you would "
        "like to generate a higher frequency signal, please adjust the sampling rate in the "
        "'Output Settings' via the 'Tools' menu.";
    r.caption = "Information";
    r.buttons = buttons;
    r.defaultResult = defaultResult;
    r.cancelResult = cancelResult;
    r.checkBoxCaption = "Don't show this message again.";
    return r;
}

TEST(QtNoticeDialog, ItsHeightAndCheckBoxAreWhereTheRequestPutsThem) {
    for (int ppi : {96, 120, 144}) {
        SCOPED_TRACE(ppi);
        ui::Application app;
        app.PixelsPerInch = ppi;
        qtui::NoticeDialog dialog(Request(ui::mbYes | ui::mbNo, ui::mrYes, ui::mrNo), app);
        EXPECT_EQ(dialog.height(), app.Scale(200));
        EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
        const QRect box = dialog.checkBox()->geometry();
        EXPECT_EQ(box, QRect(app.Scale(10), app.Scale(110), app.Scale(300), app.Scale(30)));
        EXPECT_EQ(dialog.checkBox()->text(), "Don't show this message again.");
        EXPECT_LE(dialog.textLabel()->geometry().bottom(), box.top()) << "text above the box";
        // The whole text fits above the box.
        EXPECT_LE(dialog.textLabel()->heightForWidth(dialog.textLabel()->width()),
                  dialog.textLabel()->height());
        for (int result : {ui::mrYes, ui::mrNo}) {
            QPushButton* b = dialog.button(result);
            ASSERT_NE(b, nullptr);
            EXPECT_GE(b->geometry().top(), box.bottom());
            EXPECT_LE(b->geometry().bottom(), dialog.height());
        }
        EXPECT_TRUE(dialog.button(ui::mrYes)->isDefault());
        EXPECT_EQ(dialog.button(ui::mrOk), nullptr);
        EXPECT_EQ(dialog.windowTitle(), "Information");
    }
}

// How the person closes it, and what the program is told.
TEST(QtNoticeDialog, TheAnswerIsTheButtonOrKeyOrCancelForTheCloseBox) {
    struct Case {
        const char* how;
        unsigned buttons;
        int defaultResult, cancelResult;
        std::function<void(qtui::NoticeDialog&)> answer;
        int result;
        bool ticked;
    };
    const auto click = [](int result) {
        return [result](qtui::NoticeDialog& d) {
            QTest::mouseClick(d.button(result), Qt::LeftButton);
        };
    };
    const auto key = [](Qt::Key k) {
        return [k](qtui::NoticeDialog& d) { QTest::keyClick(&d, k); };
    };
    const Case cases[] = {
        {"Yes", ui::mbYes | ui::mbNo, ui::mrYes, ui::mrNo, click(ui::mrYes), ui::mrYes, false},
        {"No, ticked", ui::mbYes | ui::mbNo, ui::mrYes, ui::mrNo,
         [](qtui::NoticeDialog& d) {
             QTest::mouseClick(d.checkBox(), Qt::LeftButton);
             QTest::mouseClick(d.button(ui::mrNo), Qt::LeftButton);
         },
         ui::mrNo, true},
        {"Enter", ui::mbYes | ui::mbNo, ui::mrYes, ui::mrNo, key(Qt::Key_Return), ui::mrYes, false},
        {"Escape", ui::mbYes | ui::mbNo, ui::mrYes, ui::mrNo, key(Qt::Key_Escape), ui::mrNo, false},
        {"Escape, OK only", ui::mbOK, ui::mrOk, ui::mrOk, key(Qt::Key_Escape), ui::mrOk, false},
        {"close box", ui::mbYes | ui::mbNo, ui::mrYes, ui::mrNo,
         [](qtui::NoticeDialog& d) { d.close(); }, ui::mrCancel, false},
    };
    ui::Application app;
    qtui::QtDialogs dialogs(app);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        QTimer::singleShot(0, [&c] {
            auto* d = qobject_cast<qtui::NoticeDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            c.answer(*d);
        });
        bool ticked = !c.ticked;
        EXPECT_EQ(
            dialogs.ShowNoticeDialog(Request(c.buttons, c.defaultResult, c.cancelResult), ticked),
            c.result);
        EXPECT_EQ(ticked, c.ticked);
    }
}

// F1 in a notice opens its help ("See help for details"), and the notice stays for an answer.
TEST(QtNoticeDialog, F1OpensTheNoticesHelp) {
    ui::Application app;
    qtui::QtDialogs dialogs(app);
    ui::NoticeDialogRequest request = Request(ui::mbOK, ui::mrOk, ui::mrOk);
    int helps = 0;
    request.help = [&] { ++helps; };
    bool openAfterHelp = false;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<qtui::NoticeDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        QTest::keyClick(d, Qt::Key_F1);
        openAfterHelp = d->isVisible();
        QTest::keyClick(d, Qt::Key_Return);
    });
    bool ticked = false;
    EXPECT_EQ(dialogs.ShowNoticeDialog(request, ticked), ui::mrOk);
    EXPECT_EQ(helps, 1);
    EXPECT_TRUE(openAfterHelp);
}

}  // namespace

// VPG_TRACE_DIALOGS=1: each dialog says what it shows as it opens, one line per dialog, so a
// script can read a message that only a person would otherwise see.
TEST(QtDialogsTrace, EachDialogReportsItsCaptionAndTextAsItOpens) {
    struct Case {
        const char* what;
        std::function<void(qtui::QtDialogs&)> open;
        std::string line;
    };
    ui::NoticeDialogRequest notice = Request(ui::mbYes | ui::mbNo, ui::mrYes, ui::mrNo);
    notice.caption = "Welcome";
    notice.text = "Hello";
    const Case cases[] = {
        {"message box", [](qtui::QtDialogs& d) { d.ShowMessage("Sound Device Error: \rgone"); },
         "vpg: dialog \"Vimbrel Pulse Generator\": Sound Device Error: \\rgone"},
        {"question",
         [](qtui::QtDialogs& d) {
             d.MessageDlg("Failed to set data for 'fInitLeft'\nClose?",
                          ui::MsgDlgType::Confirmation, ui::mbYes | ui::mbNo);
         },
         "vpg: dialog \"Confirm\": Failed to set data for 'fInitLeft'\\nClose?"},
        {"notice",
         [&notice](qtui::QtDialogs& d) {
             bool ticked = false;
             d.ShowNoticeDialog(notice, ticked);
         },
         "vpg: dialog \"Welcome\": Hello"},
    };
    ui::Application app;
    app.setTitle("Vimbrel Pulse Generator");
    qtui::QtDialogs dialogs(app);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> lines;
        dialogs.trace = [&lines](const std::string& line) { lines.push_back(line); };
        // The line is written before the dialog waits for its answer.
        QTimer::singleShot(0, [&lines] {
            EXPECT_EQ(lines.size(), 1u);
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        });
        c.open(dialogs);
        EXPECT_EQ(lines, std::vector<std::string>{c.line});
    }
}

TEST(QtDialogsTrace, ControlCharactersAreEscapedSoOneDialogIsOneLine) {
    EXPECT_EQ(qtui::DialogTraceLine("A", "x\ty\\z\x7f"), "vpg: dialog \"A\": x\\x09y\\\\z\\x7f");
    EXPECT_EQ(qtui::DialogTraceLine("", ""), "vpg: dialog \"\": ");
}

TEST(QtDialogsTrace, OnlyTheValueOneSwitchesItOn) {
    const struct {
        const char* value;  // nullptr: unset
        bool on;
    } cases[] = {{nullptr, false}, {"0", false}, {"", false}, {"yes", false}, {"1", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(unset)");
        if (c.value)
            qputenv("VPG_TRACE_DIALOGS", c.value);
        else
            qunsetenv("VPG_TRACE_DIALOGS");
        EXPECT_EQ(static_cast<bool>(qtui::TraceFromEnvironment()), c.on);
        EXPECT_EQ(static_cast<bool>(qtui::QtDialogs().trace), c.on);
    }
    qunsetenv("VPG_TRACE_DIALOGS");
}
