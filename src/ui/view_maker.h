#pragma once

#include <memory>
#include <tuple>

#include "ui/button.h"
#include "ui/check_box.h"
#include "ui/combo_box.h"
#include "ui/control.h"
#include "ui/edit.h"
#include "ui/label.h"
#include "ui/trackbar.h"

namespace ui {

namespace detail {

template <template <typename> class Of, typename Base, typename... Args>
class ViewMaker final : public ControlVisitor {
public:
    explicit ViewMaker(Args&... args) : args_(args...) {}
    std::unique_ptr<Base> made;

    void visit(Edit& c) override { make(c); }
    void visit(TrackBar& c) override { make(c); }
    void visit(CheckBox& c) override { make(c); }
    void visit(RadioButton& c) override { make(c); }
    void visit(ComboBox& c) override { make(c); }
    void visit(Button& c) override { make(c); }
    void visit(Label& c) override { make(c); }
    void visit(GroupBox& c) override { make(c); }
    void visit(Image& c) override { make(c); }
    void visit(Shape& c) override { make(c); }

private:
    template <typename Kind>
    void make(Kind& control) {
        made = std::apply(
            [&control](Args&... args) {
                return std::make_unique<typename Of<Kind>::type>(args..., control);
            },
            args_);
    }
    std::tuple<Args&...> args_;
};

}  // namespace detail

// Makes a front-end's view of `control`: the one `Of<Kind>::type` names for the control's own
// kind, made from `args` and the control as that kind. A front-end names its view of every
// kind in `Of`, so that a kind it has no view for does not compile.
template <template <typename> class Of, typename Base, typename... Args>
std::unique_ptr<Base> MakeView(Control& control, Args&... args) {
    detail::ViewMaker<Of, Base, Args...> maker(args...);
    control.accept(maker);
    return std::move(maker.made);
}

}  // namespace ui
