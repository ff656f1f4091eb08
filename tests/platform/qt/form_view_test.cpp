// The builder makes every window from its form: controls inside their group boxes at their
// scaled rectangles, the window's kind, its menus, and its place and size kept with the model.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRegion>
#include <string>
#include <vector>

#include "platform/qt/form_view.h"
#include "qt_program.h"
#include "shell/startup.h"
#include "ui/check_box.h"
#include "ui/combo_box.h"
#include "ui/edit.h"
#include "ui/trackbar.h"

using qt_testing::QtProgram;

namespace {

QRect Scaled(const ui::Application& app, const ui::Control& c) {
    const int left = app.Scale(c.Left), top = app.Scale(c.Top);
    return QRect(left, top, app.Scale(c.Left + c.Width) - left, app.Scale(c.Top + c.Height) - top);
}

TEST(QtFormView, ControlsSitInTheirGroupBoxesAtTheirScaledRectangles) {
    // 96 ppi is 0.8 of the design: fInitLeft at 62, 28, 112 x 24 in its group box is at
    // 50, 22, 89 x 20 (edges 49.6 -> 50, 139.2 -> 139; 22.4 -> 22, 41.6 -> 42).
    struct Case {
        int ppi;
        QRect initLeft;
    };
    for (const Case& c : {Case{96, QRect(50, 22, 89, 20)}, Case{120, QRect(62, 28, 112, 24)},
                          Case{144, QRect(74, 34, 135, 28)}}) {
        SCOPED_TRACE(c.ppi);
        QtProgram q(c.ppi);
        const ui::Application& app = q.p.program.Application;
        vpg::TfrmGenerator& g = q.gen();
        QWidget* field = q.widget(g.fInitLeft);
        EXPECT_EQ(field->parentWidget(), q.widget<QGroupBox>(g.grpFrequency));
        EXPECT_EQ(field->geometry(), c.initLeft);
        // Nested group boxes too: the delta box inside the pulse settings.
        EXPECT_EQ(q.widget(g.grpDelta)->parentWidget(), q.widget(g.grpPulseSettings));
        for (const ui::Control* control : g.Controls()) {
            SCOPED_TRACE(control->Name);
            EXPECT_EQ(q.widget(*control)->geometry(), Scaled(app, *control));
        }
        // The client area is the model's, the menu bar above it.
        auto* main = qobject_cast<QMainWindow*>(q.window(g));
        ASSERT_NE(main, nullptr);
        EXPECT_EQ(main->centralWidget()->size(), QSize(g.ClientWidth, g.ClientHeight));
        EXPECT_EQ(main->centralWidget()->minimumSize(), main->centralWidget()->maximumSize());
        EXPECT_EQ(q.widget<QGroupBox>(g.grpPulseSettings)->title(),
                  " Vimbrel Pulse Signal Settings ");
        EXPECT_EQ(q.widget(g.lblFS)->font().pixelSize(), app.Scale(15));
    }
}

TEST(QtFormView, TheWindowsHaveTheirKinds) {
    QtProgram q;
    EXPECT_FALSE(q.window(q.gen())->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(q.window(q.gen())->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    for (const ui::Form* f :
         {static_cast<const ui::Form*>(q.p.program.frmSettings.get()),
          static_cast<const ui::Form*>(q.p.program.frmAbout.get()),
          static_cast<const ui::Form*>(q.p.program.frmFrequencyDisplay.get())}) {
        SCOPED_TRACE(f->Name);
        EXPECT_EQ(q.window(*f)->windowType(), Qt::Tool);
        EXPECT_EQ(q.window(*f)->windowTitle().toStdString(), f->Caption());
    }
    QWidget* display = q.window(*q.p.program.frmFrequencyDisplay);
    EXPECT_EQ(display->palette().color(QPalette::Window), QColor(Qt::black));
    auto* text = q.widget<QLabel>(q.p.program.frmFrequencyDisplay->lblDisplay);
    EXPECT_EQ(text->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    EXPECT_EQ(text->alignment(), Qt::AlignHCenter | Qt::AlignTop);
    EXPECT_TRUE(text->wordWrap());
}

// Shortcuts are shown, not given to Qt: the keys go to the form first.
TEST(QtFormView, MenusShowTheModelsItemsAndShortcutsAsText) {
    QtProgram q;
    vpg::TfrmGenerator& g = q.gen();
    qtui::MenuBinding* menus = q.views.view(g)->menuBar();
    QAction* display = menus->actionOf(g.FrequencyDisplay1);
    EXPECT_EQ(display->text(), "Frequency &Display\tCtrl+D");
    EXPECT_FALSE(menus->actionOf(g.Presets1)->isVisible());
    EXPECT_EQ(menus->actionOf(g.Off1)->text(), "ON\tF11");
    EXPECT_EQ(menus->actionOf(g.StoreMemory2)->text(), "Store Preset 2\tShift+F6");
    EXPECT_EQ(menus->actionOf(g.ONOFF2)->text(), "ON/OFF Toggle\tCtrl+Ins");
    for (QAction* a : q.window(g)->findChildren<QAction*>()) EXPECT_TRUE(a->shortcut().isEmpty());
    EXPECT_FALSE(display->isChecked());
    display->trigger();
    EXPECT_TRUE(g.FrequencyDisplay1.Checked());
    EXPECT_TRUE(display->isChecked());
    EXPECT_TRUE(q.window(*q.p.program.frmFrequencyDisplay)->isVisible());
    g.Presets1.setEnabled(false);  // while a signal plays
    EXPECT_FALSE(menus->actionOf(g.Presets1)->isEnabled());
}

// The display window is stored with its outer width and its place; what the person does to
// it goes back into the model, and its close box hides it.
TEST(QtFormView, TheDisplayWindowKeepsItsPlaceAndWidthWithTheModel) {
    QtProgram q;
    vpg::TfrmFrequencyDisplay& d = *q.p.program.frmFrequencyDisplay;
    QWidget* w = q.window(d);
    d.setLeft(40);
    d.setTop(50);
    d.setWidth(300);
    q.press(Qt::Key_D, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    EXPECT_EQ(w->frameGeometry().topLeft(), QPoint(40, 50));
    EXPECT_EQ(w->frameGeometry().width(), 300);
    EXPECT_EQ(w->height(), d.ClientHeight);

    w->move(70, 80);
    w->resize(250, 90);
    QCoreApplication::processEvents();
    EXPECT_EQ(d.Left, 70);
    EXPECT_EQ(d.Top, 80);
    EXPECT_EQ(d.Width, 250 + (w->frameGeometry().width() - w->width()));
    EXPECT_EQ(d.ClientHeight, 90);
    // The frequency fills the window above the flash-rate line, which keeps the bottom 24.
    EXPECT_EQ(q.widget(d.lblDisplay)->geometry(), QRect(0, 0, 250, 66));
    EXPECT_EQ(q.widget(d.lblFlashRate)->geometry(), QRect(0, 66, 250, 24));

    w->close();  // the close box
    EXPECT_FALSE(d.Visible());
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(q.gen().FrequencyDisplay1.Checked());
}

TEST(QtFormView, TheFlashLockBoxIsClickedInTheDeltaGroupAndStoredAtTheClose) {
    QtProgram q;
    vpg::TfrmGenerator& g = q.gen();
    auto* box = q.widget<QCheckBox>(g.chkFlashLock);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->parentWidget(), q.widget<QGroupBox>(g.grpDelta));
    EXPECT_EQ(box->text(), "Lock flashes to the sine");
    EXPECT_TRUE(box->isVisible());
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    EXPECT_TRUE(g.chkFlashLock.Checked());
    EXPECT_TRUE(g.Parameters.FlashLock);
    EXPECT_TRUE(box->isChecked());
    g.WndProc(1049, 0, 0);  // a program change reaches the widget
    EXPECT_FALSE(box->isChecked());
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    ASSERT_TRUE(g.Close());
    EXPECT_EQ(q.p.hp.registry.keys[vpg::ProgramKey()].at("FlashLock"),
              persistence::RegistryValue::Integer(1));
}

// The About box is the only usable window while it is open.
TEST(QtFormView, TheAboutBoxDisablesTheMainWindowWhileItIsOpen) {
    QtProgram q;
    q.gen().About2.Click();
    QWidget* about = q.window(*q.p.program.frmAbout);
    ASSERT_TRUE(about->isVisible());
    q.activate(*q.p.program.frmAbout);
    EXPECT_FALSE(q.window(q.gen())->isEnabled());
    q.press(Qt::Key_Return);  // OK is the default button
    EXPECT_FALSE(about->isVisible());
    EXPECT_TRUE(q.window(q.gen())->isEnabled());
}

// In a field, Ctrl+Z, Ctrl+X and Ctrl+C edit the text (undo, cut, copy) as the field's context
// menu promises; outside one they are the menu's Reset, Exit and Output Settings.
TEST(QtFormView, EditingKeysEditTheFocusedFieldAndStayCommandsElsewhere) {
    QtProgram q;
    vpg::TfrmGenerator& g = q.gen();
    g.txtPulseLength.setText("20");  // what Reset would put back to 10
    auto* field = q.widget<QLineEdit>(g.Duration);
    ASSERT_NE(field, nullptr);
    field->setFocus(Qt::MouseFocusReason);
    QCoreApplication::processEvents();
    ASSERT_TRUE(g.Duration.Focused());
    field->end(false);
    QTest::keyClicks(field, "5");
    EXPECT_EQ(g.Duration.Text(), "105");
    q.press(Qt::Key_Z, Qt::ControlModifier);  // undo
    EXPECT_EQ(field->text(), "10");
    EXPECT_EQ(g.Duration.Text(), "10");
    EXPECT_EQ(g.txtPulseLength.Text(), "20") << "Ctrl+Z reset the settings";
    field->selectAll();
    q.press(Qt::Key_C, Qt::ControlModifier);  // copy
    EXPECT_FALSE(q.window(*q.p.program.frmSettings)->isVisible()) << "Ctrl+C opened a window";
    EXPECT_EQ(QApplication::clipboard()->text(), "10");
    q.press(Qt::Key_X, Qt::ControlModifier);  // cut
    EXPECT_EQ(g.Duration.Text(), "");
    EXPECT_TRUE(q.p.program.Running()) << "Ctrl+X ended the program";
    q.press(Qt::Key_V, Qt::ControlModifier);  // paste
    EXPECT_EQ(g.Duration.Text(), "10");

    // On a button the same keys are the menu's commands.
    q.widget(g.btnON)->setFocus(Qt::MouseFocusReason);
    QCoreApplication::processEvents();
    ASSERT_TRUE(g.btnON.Focused());
    q.press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(g.txtPulseLength.Text(), "10");
    q.press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(q.window(*q.p.program.frmSettings)->isVisible());
}

TEST(QtFormView, EscapeAndEnterCloseTheOutputSettingsAndTheAboutBox) {
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        SCOPED_TRACE(key == Qt::Key_Escape ? "Escape" : "Enter");
        QtProgram q;
        q.gen().Compatibilitysettings1.Click();
        QWidget* settings = q.window(*q.p.program.frmSettings);
        ASSERT_TRUE(settings->isVisible());
        q.activate(*q.p.program.frmSettings);
        q.widget(q.p.program.frmSettings->FsList)->setFocus(Qt::TabFocusReason);
        q.press(key);
        EXPECT_FALSE(settings->isVisible());
        EXPECT_FALSE(q.p.program.frmSettings->Visible());

        q.gen().About2.Click();
        QWidget* about = q.window(*q.p.program.frmAbout);
        q.activate(*q.p.program.frmAbout);
        q.press(key);
        EXPECT_FALSE(about->isVisible());
        EXPECT_TRUE(q.window(q.gen())->isEnabled());
    }
}

// The rename field opens with the preset's name selected, so that typing replaces it; a name
// longer than its button is shown with its end cut to "…", its start readable.
TEST(QtFormView, ARenameStartsWithTheNameSelectedAndALongNameIsElided) {
    QtProgram q;
    vpg::TfrmGenerator& g = q.gen();
    g.Rename1.Click();
    QCoreApplication::processEvents();
    auto* field = q.widget<QLineEdit>(g.Mem2Edit);
    ASSERT_TRUE(field->hasFocus());
    EXPECT_EQ(field->selectedText(), "Memory 2");
    QTest::keyClicks(field, "Memory 2Tweeter and woofer");
    EXPECT_EQ(g.Mem2Edit.Text(), "Memory 2Tweeter and woofer");
    q.press(Qt::Key_Return);
    EXPECT_EQ(g.Memory2.Caption(), "Memory 2Tweeter and woofer");
    auto* button = q.widget<QPushButton>(g.Memory2);
    const QString shown = button->text();
    EXPECT_TRUE(shown.startsWith("Memory")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_LT(button->fontMetrics().horizontalAdvance(shown), button->width());
    // A name that fits is shown whole.
    EXPECT_EQ(q.widget<QPushButton>(g.Memory1)->text(), "Memory 1");
    // Escape gives a rename up.
    g.Rename1.Click();
    QCoreApplication::processEvents();
    QTest::keyClicks(field, "Bass");
    q.press(Qt::Key_Escape);
    EXPECT_EQ(g.Memory2.Caption(), "Memory 2Tweeter and woofer");
    EXPECT_FALSE(field->isVisible());
}

// Presses Tab (Shift+Tab: `backwards`) `count` times where the keyboard is, and names the
// model's focused control after each press.
std::vector<std::string> TabWalk(const ui::Form& form, std::size_t count, bool backwards) {
    std::vector<std::string> seen;
    for (std::size_t i = 0; i < count; ++i) {
        QWidget* target = QApplication::focusWidget();
        if (!target) target = QApplication::activeWindow();
        QTest::keyClick(target, backwards ? Qt::Key_Backtab : Qt::Key_Tab,
                        backwards ? Qt::ShiftModifier : Qt::NoModifier);
        seen.push_back(form.ActiveControl() ? form.ActiveControl()->Name : "(none)");
    }
    return seen;
}

// Where the form kit's own order says Tab goes from the focused control, `count` times.
std::vector<std::string> ModelWalk(const ui::Form& form, std::size_t count, bool backwards) {
    std::vector<std::string> expected;
    const ui::Control* at = form.ActiveControl();
    for (std::size_t i = 0; i < count; ++i) {
        at = form.NextInTabOrder(at, backwards);
        expected.push_back(at ? at->Name : "(none)");
    }
    return expected;
}

// A window whose Tab order is not the order its controls were made in follows the order.
TEST(QtFormView, TabFollowsTheLayoutsOrderRatherThanTheOrderOfMaking) {
    ui::Application app;
    ui::Form form("frmTabs", "Tabs");
    ui::Edit first("first"), second("second");
    ui::Button button("button", "OK");
    ui::CheckBox check("check", "Loop");
    ui::ComboBox combo("combo", {"a", "b"}, 0);
    ui::TrackBar bar("bar", 0, 10, 5);
    ui::Label label("label", "Hertz");
    int top = 0;
    for (ui::Control* c : std::initializer_list<ui::Control*>{&first, &second, &button, &check,
                                                              &combo, &bar, &label}) {
        form.add(*c);
        c->setBounds(10, top += 30, 120, 26);
    }
    form.setClientSize(200, 260);
    form.TabOrder = {&combo, &first, &bar, &button, &second, &check};
    qtui::FormView view(form, app);
    form.Show();
    view.window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.window()));
    combo.SetFocus();
    ASSERT_EQ(QApplication::focusWidget(), view.widgetOf(combo));
    EXPECT_EQ(TabWalk(form, 6, false),
              (std::vector<std::string>{"first", "bar", "button", "second", "check", "combo"}));
    EXPECT_EQ(TabWalk(form, 3, true), (std::vector<std::string>{"check", "second", "button"}));
    // A hidden control is passed over, as the model passes over it.
    second.setVisible(false);
    EXPECT_EQ(TabWalk(form, 2, false), (std::vector<std::string>{"check", "combo"}));
}

// Every window of the program takes the Tab key round the same chain as the form kit's own
// order, which the Windows front-end follows too, both ways and past the end.
TEST(QtFormView, TabGoesRoundEachWindowInTheFormKitsOrder) {
    QtProgram q;
    vpg::TfrmGenerator& g = q.gen();
    g.MemRecall(1);  // the sweep's fields show, the constant tone's steps do not
    std::vector<ui::Form*> forms{&g, q.p.program.frmSettings.get(), q.p.program.frmAbout.get()};
    for (ui::Form* f : forms) {
        SCOPED_TRACE(f->Name);
        if (f != &g) {
            f->Show();
            q.activate(*f);
        }
        ui::Control* start = f->NextInTabOrder(nullptr, false);
        ASSERT_NE(start, nullptr);
        start->SetFocus();
        ASSERT_EQ(QApplication::focusWidget(), q.widget(*start));
        const std::size_t round = f->TabSequence().size() + 1;
        const std::vector<std::string> forwards = ModelWalk(*f, round, false);
        EXPECT_EQ(TabWalk(*f, round, false), forwards);
        const std::vector<std::string> backwards = ModelWalk(*f, round, true);
        EXPECT_EQ(TabWalk(*f, round, true), backwards);
        if (f != &g) f->Close();
    }
}

// The splash's white is see-through, and a click on its picture ends the wait.
TEST(QtFormView, TheSplashCutsOutItsWhiteAndTakesAClick) {
    ui::Application app;
    qtui::QtViews views(app);
    vpg::TfrmStartSplash splash(app);
    views.formCreated(splash);
    splash.Show();
    QWidget* w = views.window(splash);
    ASSERT_TRUE(w->isVisible());
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(w->size(), QSize(splash.ClientWidth, splash.ClientHeight));
    const QRegion mask = w->mask();
    EXPECT_FALSE(mask.contains(QPoint(0, 0))) << "the white corner";
    EXPECT_TRUE(mask.contains(QPoint(w->width() / 2, w->height() / 2)));
    QTest::mouseClick(views.widget(splash.imgSplash), Qt::LeftButton);
    EXPECT_EQ(splash.Tag, 1);
    views.formDestroyed(splash);
}

}  // namespace
