#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>
#include <functional>
#include <memory>

#include "platform/qt/qt_views.h"
#include "support/headless_program.h"

namespace qt_testing {

// The whole program on the headless platform (fake sound device, scripted dialogs, registry
// in memory) with the Qt windows over it, started and with its main window active.
struct QtProgram {
    explicit QtProgram(int pixelsPerInch = 120) {
        p.program.Application.PixelsPerInch = pixelsPerInch;
        views.attach(p.program);
        p.start();
        activate(p.gen());
    }

    vpg::TfrmGenerator& gen() { return p.gen(); }
    QWidget* window(const ui::Form& form) const { return views.window(form); }
    template <typename W = QWidget>
    W* widget(const ui::Control& control) const {
        return qobject_cast<W*>(views.widget(control));
    }
    void activate(const ui::Form& form) {
        QWidget* w = window(form);
        w->activateWindow();
        (void)QTest::qWaitForWindowActive(w);
    }
    // A key as the keyboard delivers it: to the widget with the focus, else to the window.
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget();
        if (!target) target = QApplication::activeWindow();
        QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    }

    testing_support::HeadlessProgram p;
    qtui::QtViews views{p.program.Application};
};

// Counts the calls of a model event, keeping what it did before.
template <typename Event>
std::shared_ptr<int> Count(Event& event) {
    auto calls = std::make_shared<int>(0);
    event = [calls, inner = event](auto... args) {
        ++*calls;
        if (inner) inner(args...);
    };
    return calls;
}

}  // namespace qt_testing
