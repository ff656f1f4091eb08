#include "platform/qt/qt_views.h"

#include <QGuiApplication>
#include <QScreen>

#include "shell/startup.h"

namespace qtui {

QtViews::QtViews(ui::Application& app) : app_(app) {
    app_.viewChanged = [this] {
        if (FormView* main = app_.MainForm ? view(*app_.MainForm) : nullptr) main->pushForm();
    };
    app_.screenArea = [] {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (screen == nullptr) return ui::ScreenArea{};
        const QRect r = screen->virtualGeometry();
        return ui::ScreenArea{r.x(), r.y(), r.width(), r.height()};
    };
    app_.bringToFront = [this] {
        for (const auto& [form, v] : views_)
            if (v->window()->isVisible()) v->window()->raise();
    };
}

QtViews::~QtViews() {
    if (program_) program_->formCreated = program_->formDestroyed = nullptr;
    app_.viewChanged = nullptr;
    app_.bringToFront = nullptr;
    app_.screenArea = nullptr;
    views_.clear();
}

void QtViews::attach(vpg::Program& program) {
    program_ = &program;
    program.formCreated = [this](ui::Form& form) { formCreated(form); };
    program.formDestroyed = [this](ui::Form& form) { formDestroyed(form); };
}

void QtViews::formCreated(ui::Form& form) {
    views_[&form] = std::make_unique<FormView>(form, app_);
}

void QtViews::formDestroyed(ui::Form& form) {
    views_.erase(&form);
}

FormView* QtViews::view(const ui::Form& form) const {
    const auto it = views_.find(&form);
    return it == views_.end() ? nullptr : it->second.get();
}

QWidget* QtViews::window(const ui::Form& form) const {
    const FormView* v = view(form);
    return v ? v->window() : nullptr;
}

QWidget* QtViews::widget(const ui::Control& control) const {
    const ui::Form* form = control.form();
    const FormView* v = form ? view(*form) : nullptr;
    return v ? v->widgetOf(control) : nullptr;
}

}  // namespace qtui
