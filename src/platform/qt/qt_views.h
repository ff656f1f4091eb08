#pragma once

#include <QWidget>
#include <map>
#include <memory>

#include "platform/qt/form_view.h"
#include "ui/application.h"
#include "ui/form.h"

namespace vpg {
class Program;
}

namespace qtui {

// The Qt front-end of a program: a window for each form from its creation to its end, and the
// application's title and bring-to-front.
class QtViews {
public:
    explicit QtViews(ui::Application& app);
    ~QtViews();
    QtViews(const QtViews&) = delete;
    QtViews& operator=(const QtViews&) = delete;

    // Makes and drops the windows as the program creates and destroys its forms.
    void attach(vpg::Program& program);

    void formCreated(ui::Form& form);
    void formDestroyed(ui::Form& form);

    FormView* view(const ui::Form& form) const;
    QWidget* window(const ui::Form& form) const;
    QWidget* widget(const ui::Control& control) const;

private:
    ui::Application& app_;
    vpg::Program* program_ = nullptr;
    std::map<const ui::Form*, std::unique_ptr<FormView>> views_;
};

}  // namespace qtui
