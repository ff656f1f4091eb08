#pragma once

#include <memory>
#include <tuple>
#include <type_traits>

#include "ui/button.h"
#include "ui/check_box.h"
#include "ui/combo_box.h"
#include "ui/control.h"
#include "ui/edit.h"
#include "ui/label.h"
#include "ui/trackbar.h"

namespace ui {

namespace detail {

// The first of `Views` made from (Args&..., Kind&); void when there is none.
template <typename Kind, typename ArgList, typename... Views>
struct ViewTaking {
    using type = void;
};
template <typename Kind, typename... Args, typename View, typename... Rest>
struct ViewTaking<Kind, std::tuple<Args...>, View, Rest...> {
    using type = std::conditional_t<std::is_constructible_v<View, Args&..., Kind&>, View,
                                    typename ViewTaking<Kind, std::tuple<Args...>, Rest...>::type>;
};

template <typename Base, typename Found, typename... Args>
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
        using View = typename Found::template For<Kind>;
        static_assert(!std::is_void_v<View>, "the front-end has no view for this kind of control");
        made = std::apply(
            [&control](Args&... args) { return std::make_unique<View>(args..., control); }, args_);
    }
    std::tuple<Args&...> args_;
};

}  // namespace detail

// A front-end's views, one for each kind of control, `Base` being what they share. make()
// makes the one whose constructor takes (args..., the control as its own kind); a kind that
// none of them takes does not compile.
template <typename Base, typename... Views>
struct ViewSet {
    template <typename... Args>
    static std::unique_ptr<Base> make(Control& control, Args&... args) {
        detail::ViewMaker<Base, Finder<Args...>, Args...> maker(args...);
        control.accept(maker);
        return std::move(maker.made);
    }

private:
    template <typename... Args>
    struct Finder {
        template <typename Kind>
        using For = typename detail::ViewTaking<Kind, std::tuple<Args...>, Views...>::type;
    };
};

}  // namespace ui
