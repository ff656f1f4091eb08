// The bindings carry the person's actions into the form kit once each, and show every model
// change without sending it back.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <cctype>
#include <functional>
#include <ostream>
#include <string>

#include "platform/qt/button_binding.h"
#include "platform/qt/lamp_binding.h"
#include "qt_program.h"

using qt_testing::Count;
using qt_testing::QtProgram;

namespace {

// One control kind: what the person does, what the model then holds, a change the program
// makes, and what the widget shows afterwards. `events` counts the control's own event (its
// change or click) over both steps: the person's action fires it once, the program's change
// as often as the model itself fires it (`programEvents`), and never more.
struct Case {
    const char* name;
    std::function<std::shared_ptr<int>(vpg::TfrmGenerator&)> watch;
    std::function<void(QtProgram&)> userAction;
    std::function<void(QtProgram&)> afterUser;
    std::function<void(QtProgram&)> programChange;
    int programEvents;
    std::function<void(QtProgram&)> afterProgram;
};

QLineEdit* Line(QtProgram& q, const ui::Control& c) {
    return q.widget<QLineEdit>(c);
}

const Case kCases[] = {
    {"edit", [](vpg::TfrmGenerator& g) { return Count(g.fInitLeft.OnChange); },
     [](QtProgram& q) {
         QTest::mouseClick(Line(q, q.gen().fInitLeft), Qt::LeftButton);
         q.press(Qt::Key_A, Qt::ControlModifier);  // select all: no command of the window
         q.press(Qt::Key_2);
     },
     [](QtProgram& q) {
         EXPECT_EQ(q.gen().fInitLeft.Text(), "2");
         EXPECT_EQ(Line(q, q.gen().fInitLeft)->text(), "2");
     },
     [](QtProgram& q) { q.gen().fInitLeft.setText("440"); }, 1,
     [](QtProgram& q) { EXPECT_EQ(Line(q, q.gen().fInitLeft)->text(), "440"); }},
    {"horizontal trackbar", [](vpg::TfrmGenerator& g) { return Count(g.trkPhase.OnChange); },
     [](QtProgram& q) {
         q.widget(q.gen().trkPhase)->setFocus();
         q.press(Qt::Key_Right);
     },
     [](QtProgram& q) {
         EXPECT_EQ(q.gen().trkPhase.Position(), 1);
         EXPECT_EQ(q.gen().PhaseEdit.Text(), "1");
     },
     [](QtProgram& q) { q.gen().trkPhase.setPosition(90); }, 1,
     [](QtProgram& q) { EXPECT_EQ(q.widget<QSlider>(q.gen().trkPhase)->value(), 90); }},
    {"vertical trackbar, Min at the top",
     [](vpg::TfrmGenerator& g) { return Count(g.barAmplitudeLeft.OnChange); },
     [](QtProgram& q) {
         q.widget(q.gen().barAmplitudeLeft)->setFocus();
         q.press(Qt::Key_Down);  // the thumb moves down, away from 0 dBFS
     },
     [](QtProgram& q) {
         EXPECT_EQ(q.gen().barAmplitudeLeft.Position(), 1);
         EXPECT_EQ(q.gen().AmplitudeLeft.Text(), "-1");
         EXPECT_TRUE(q.widget<QSlider>(q.gen().barAmplitudeLeft)->invertedAppearance());
     },
     [](QtProgram& q) { q.gen().barAmplitudeLeft.setPosition(20); }, 1,
     [](QtProgram& q) {
         EXPECT_EQ(q.widget<QSlider>(q.gen().barAmplitudeLeft)->value(), 20);
         EXPECT_EQ(Line(q, q.gen().AmplitudeLeft)->text(), "-20");
     }},
    {"check box",
     [](vpg::TfrmGenerator& g) {
         g.Loop.setChecked(false);  // a known start, before the count
         return Count(g.Loop.OnClick);
     },
     [](QtProgram& q) { QTest::mouseClick(q.widget(q.gen().Loop), Qt::LeftButton); },
     [](QtProgram& q) {
         EXPECT_TRUE(q.gen().Loop.Checked());
         EXPECT_TRUE(q.gen().BidirectionalLeft.Enabled());
     },
     [](QtProgram& q) { q.gen().Loop.setChecked(false); }, 1,
     [](QtProgram& q) {
         EXPECT_FALSE(q.widget<QCheckBox>(q.gen().Loop)->isChecked());
         EXPECT_FALSE(q.widget(q.gen().BidirectionalLeft)->isEnabled());
     }},
    {"radio button",
     [](vpg::TfrmGenerator& g) {
         g.chkSweepLeft.setVisible(true);  // never shown by the program; shown to be clicked
         return Count(g.chkSweepLeft.OnClick);
     },
     [](QtProgram& q) { QTest::mouseClick(q.widget(q.gen().chkSweepLeft), Qt::LeftButton); },
     [](QtProgram& q) {
         EXPECT_TRUE(q.gen().chkSweepLeft.Checked());
         EXPECT_FALSE(q.gen().chkConstantLeft.Checked());
         EXPECT_TRUE(q.widget(q.gen().fFinalLeft)->isVisible());  // the sweep's controls
     },
     // Checking the partner unchecks this one silently.
     [](QtProgram& q) { q.gen().chkConstantLeft.setChecked(true); }, 0,
     [](QtProgram& q) {
         EXPECT_FALSE(q.widget<QRadioButton>(q.gen().chkSweepLeft)->isChecked());
         EXPECT_TRUE(q.widget<QRadioButton>(q.gen().chkConstantLeft)->isChecked());
     }},
    {"combo box", [](vpg::TfrmGenerator& g) { return Count(g.WaveDevice.OnChange); },
     [](QtProgram& q) {
         q.widget(q.gen().WaveDevice)->setFocus();
         q.press(Qt::Key_Down);
     },
     [](QtProgram& q) {
         EXPECT_EQ(q.gen().WaveDevice.ItemIndex(), 1);
         EXPECT_EQ(q.gen().AudioOut1->WaveDevice(), 0u);
     },
     [](QtProgram& q) { q.gen().WaveDevice.setItemIndex(0); }, 0,
     [](QtProgram& q) {
         EXPECT_EQ(q.widget<QComboBox>(q.gen().WaveDevice)->currentIndex(), 0);
         EXPECT_EQ(q.widget<QComboBox>(q.gen().WaveDevice)->currentText(), "Windows Default");
     }},
    {"button", [](vpg::TfrmGenerator& g) { return Count(g.btnPause.OnClick); },
     [](QtProgram& q) { QTest::mouseClick(q.widget(q.gen().btnPause), Qt::LeftButton); },
     [](QtProgram& q) {
         EXPECT_TRUE(q.gen().btnPause.Bold());
         EXPECT_TRUE(q.widget(q.gen().btnPause)->font().bold());
     },
     [](QtProgram& q) { q.gen().btnPause.setCaption("Hold"); }, 0,
     [](QtProgram& q) { EXPECT_EQ(q.widget<QPushButton>(q.gen().btnPause)->text(), "Hold"); }},
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class Bindings : public testing::TestWithParam<Case> {};

TEST_P(Bindings, OneUserActionFiresTheModelOnceAndProgramChangesDoNotComeBack) {
    const Case& c = GetParam();
    QtProgram q;
    const std::shared_ptr<int> events = c.watch(q.gen());
    c.userAction(q);
    EXPECT_EQ(*events, 1) << "the person's action";
    c.afterUser(q);
    c.programChange(q);
    EXPECT_EQ(*events, 1 + c.programEvents) << "the program's change";
    c.afterProgram(q);
}

INSTANTIATE_TEST_SUITE_P(QtViews, Bindings, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& param) {
                             std::string name = param.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

// The mouse's click is the press, the release and the click, each once; Space is the click
// alone, as a keyboard press has no mouse in it.
TEST(QtBindings, AButtonTakesTheMouseAndTheKeyboardEachOnce) {
    QtProgram q;
    ui::Button& minus = q.gen().fInitLeftMinus;  // acts on the press, not on the click
    q.gen().chkConstantLeft.setChecked(false);
    q.gen().chkConstantLeft.setChecked(true);  // the constant layout shows the button
    const auto down = Count(minus.OnMouseDown);
    const auto up = Count(minus.OnMouseUp);
    const auto clicks = Count(minus.OnClick);
    QTest::mouseClick(q.widget(minus), Qt::LeftButton);
    EXPECT_EQ(*down, 1);
    EXPECT_EQ(*up, 1);
    EXPECT_EQ(*clicks, 1);
    EXPECT_EQ(q.gen().fInitLeft.Text(), "99");
    EXPECT_EQ(QApplication::focusWidget(), q.widget(minus));
    q.press(Qt::Key_Space);
    EXPECT_EQ(*down, 1);
    EXPECT_EQ(*up, 1);
    EXPECT_EQ(*clicks, 2);
    EXPECT_EQ(q.gen().fInitLeft.Text(), "99");
}

// The right button opens the control's own menu, whose entries are the model's items.
TEST(QtBindings, TheRightButtonOpensThePresetsMenu) {
    QtProgram q;
    const auto down = Count(q.gen().Memory2.OnMouseDown);
    QWidget* button = q.widget(q.gen().Memory2);
    QString entries;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* a : menu->actions()) entries += a->text() + ";";
        // "Rename" opens the name field over the button, with the keyboard in it.
        menu->actions().at(1)->trigger();
        menu->close();
    });
    QTest::mousePress(button, Qt::RightButton);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            button->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(button, &event);
    QTest::mouseRelease(button, Qt::RightButton);
    EXPECT_EQ(entries, "Store;Rename;");
    EXPECT_EQ(*down, 1);
    EXPECT_TRUE(q.gen().Mem2Edit.Visible());
    q.activate(q.gen());  // the offscreen platform does not hand the keyboard back by itself
    EXPECT_EQ(QApplication::focusWidget(), q.widget(q.gen().Mem2Edit));
    EXPECT_EQ(qobject_cast<QLineEdit*>(q.widget(q.gen().Mem2Edit))->text(), "Memory 2");
}

// Keys go to the form first: menu shortcuts and Enter are the model's; the rest reaches the
// widget with the focus.
TEST(QtBindings, KeysReachTheFormFirstAndTheRestTheFocusedWidget) {
    QtProgram q;
    vpg::TfrmGenerator& g = q.gen();
    q.press(Qt::Key_F11);  // ON
    EXPECT_EQ(q.p.hp.waveOut.count(doubles::FakeWaveOut::Call::Open), 1u);
    q.p.pump();
    EXPECT_EQ(g.LED.Brush(), ui::clGreen);
    EXPECT_EQ(static_cast<qtui::LampWidget*>(q.widget(g.LED))->brush(), QColor(0, 128, 0));
    EXPECT_EQ(QApplication::focusWidget(), q.widget(g.btnOFF)) << "the model's focus moves Qt's";
    // The task bar shows the window's title: it says the output is on.
    EXPECT_EQ(q.window(g)->windowTitle(), "ON - Vimbrel Pulse Generator 1.2");
    q.press(Qt::Key_F9);  // OFF
    q.p.pump();
    EXPECT_FALSE(g.AudioOut1->Active);
    EXPECT_EQ(q.window(g)->windowTitle(), "Vimbrel Pulse Generator 1.2");

    // Typed into a rename field, letters are the field's; Enter ends the rename.
    g.openRename(1);
    QLineEdit* name = Line(q, g.Mem1Edit);
    ASSERT_EQ(QApplication::focusWidget(), name);
    q.press(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(name, "Bass");
    EXPECT_EQ(g.Mem1Edit.Text(), "Bass");
    q.press(Qt::Key_D, Qt::ControlModifier);  // a window command, not the field's
    EXPECT_TRUE(q.p.program.frmFrequencyDisplay->Visible());
    EXPECT_EQ(name->text(), "Bass");
    q.activate(g);  // the display window took the keyboard when it came up
    ASSERT_EQ(QApplication::focusWidget(), name);
    q.press(Qt::Key_Return);
    EXPECT_EQ(g.Memory1.Caption(), "Bass");
    EXPECT_FALSE(name->isVisible());
    EXPECT_FALSE(g.AudioOut1->Active) << "Enter ended the rename and pressed nothing else";
}

// Moving the keyboard into another widget leaves the field: its exit rule runs.
TEST(QtBindings, FocusIntoAnotherWidgetRunsTheExitRuleOfTheFieldLeft) {
    QtProgram q;
    vpg::TfrmGenerator& g = q.gen();
    QLineEdit* start = Line(q, g.fInitLeft);
    QTest::mouseClick(start, Qt::LeftButton);
    q.press(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(start, "abc");
    EXPECT_EQ(g.fInitLeft.Text(), "abc");
    q.widget(g.txtRound)->setFocus();
    EXPECT_EQ(g.ActiveControl(), &g.txtRound);
    EXPECT_EQ(g.fInitLeft.Text(), "1000");
    EXPECT_EQ(start->text(), "1000");
}

TEST(QtBindings, ALongNumberWrittenBackShowsFromItsStart) {
    QtProgram q;
    vpg::TfrmGenerator& g = q.gen();
    QLineEdit* step = Line(q, g.txtRound);
    step->resize(40, step->height());  // narrower than the text
    QTest::mouseClick(step, Qt::LeftButton);
    q.press(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(step, "0.123456789012345");
    EXPECT_EQ(step->cursorPosition(), 17);  // the person's cursor stays while typing
    q.widget(g.fInitLeft)->setFocus();      // the exit rule writes the value back
    EXPECT_EQ(g.txtRound.Text(), "0.12345679");
    EXPECT_EQ(step->text(), "0.12345679");
    EXPECT_EQ(step->cursorPosition(), 0);
    g.Duration.setText("48695.7734");  // a program change of a field without the focus
    EXPECT_EQ(Line(q, g.Duration)->cursorPosition(), 0);
}

TEST(QtBindings, TheArrowKeysOnThePulseLengthSliderGoThroughTheFieldsRule) {
    QtProgram q;
    vpg::TfrmGenerator& g = q.gen();
    QSlider* slider = q.widget<QSlider>(g.trkPulseLength);
    QTest::mouseClick(Line(q, g.txtPulseLength), Qt::LeftButton);
    q.press(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(Line(q, g.txtPulseLength), "300");
    slider->setFocus();  // leaving the field: 50, the slider's end
    EXPECT_EQ(g.txtPulseLength.Text(), "50");
    EXPECT_EQ(slider->value(), 50);
    QTest::keyClick(slider, Qt::Key_Right);  // at the end already: stays
    EXPECT_EQ(g.txtPulseLength.Text(), "50");
    QTest::keyClick(slider, Qt::Key_Left);
    EXPECT_EQ(g.txtPulseLength.Text(), "49");
    EXPECT_EQ(g.Parameters.PulseLength, 49);
    EXPECT_EQ(Line(q, g.txtPulseLength)->text(), "49");
}

// What the model hides, disables or colours, the widgets show.
TEST(QtBindings, EnabledVisibleAndColoursFollowTheModel) {
    QtProgram q;
    vpg::TfrmGenerator& g = q.gen();
    g.MemRecall(1);  // sweep layout
    EXPECT_TRUE(q.widget(g.fFinalLeft)->isVisible());
    EXPECT_FALSE(q.widget(g.SemiUpLeft)->isVisible());
    EXPECT_EQ(q.widget(g.fFinalLeft)->isVisible(), g.fFinalLeft.Showing());
    QTest::mousePress(q.widget(g.FreqSliderLeft), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_TRUE(q.widget(g.SemiUpLeft)->isVisible()) << "a press on the slider: constant layout";
    EXPECT_EQ(Line(q, g.fInitLeft)->palette().color(QPalette::Base), QColor(255, 255, 0));
    QTest::mouseRelease(q.widget(g.FreqSliderLeft), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_NE(Line(q, g.fInitLeft)->palette().color(QPalette::Base), QColor(255, 255, 0));
    g.btnON.setEnabled(false);
    EXPECT_FALSE(q.widget(g.btnON)->isEnabled());
    g.lblFS.setCaption("fs=44.1kHz");
    EXPECT_EQ(q.widget<QLabel>(g.lblFS)->text(), "fs=44.1kHz");
}

}  // namespace
