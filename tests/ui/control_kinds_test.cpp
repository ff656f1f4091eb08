// What the form kit decides once for both front-ends: each control's kind through the visitor,
// the order the views are made in, the order of the Tab key, the font a control is drawn in
// and the text of a menu line.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "ui/button.h"
#include "ui/check_box.h"
#include "ui/combo_box.h"
#include "ui/edit.h"
#include "ui/form.h"
#include "ui/label.h"
#include "ui/menu.h"
#include "ui/trackbar.h"
#include "ui/view_maker.h"

namespace {

using namespace ui;

// Names the kind each visit was for.
class KindNames final : public ControlVisitor {
public:
    std::vector<std::string> seen;
    void visit(Edit& c) override { seen.push_back("Edit " + c.Name); }
    void visit(TrackBar& c) override { seen.push_back("TrackBar " + c.Name); }
    void visit(CheckBox& c) override { seen.push_back("CheckBox " + c.Name); }
    void visit(RadioButton& c) override { seen.push_back("RadioButton " + c.Name); }
    void visit(ComboBox& c) override { seen.push_back("ComboBox " + c.Name); }
    void visit(Button& c) override { seen.push_back("Button " + c.Name); }
    void visit(Label& c) override { seen.push_back("Label " + c.Name); }
    void visit(GroupBox& c) override { seen.push_back("GroupBox " + c.Name); }
    void visit(Image& c) override { seen.push_back("Image " + c.Name); }
    void visit(Shape& c) override { seen.push_back("Shape " + c.Name); }
};

// One control of every kind, in a form whose Tab order the test sets.
struct Kinds {
    Form form{"form"};
    GroupBox group{"group", "Group"};
    Edit edit{"edit"};
    TrackBar bar{"bar", 0, 10, 5};
    CheckBox check{"check"};
    RadioButton radio{"radio"};
    ComboBox combo{"combo", {"a"}, 0};
    Button button{"button", "ON"};
    Label label{"label"};
    GroupBox inner{"inner"};
    Image image{"image", "icon"};
    Shape shape{"shape"};

    Kinds() {
        for (Control* c : std::vector<Control*>{&edit, &group, &bar, &check, &radio, &combo,
                                                &button, &label, &inner, &image, &shape})
            form.add(*c);
        inner.Parent = &group;
        edit.Parent = &inner;
    }
    std::vector<std::string> names(const std::vector<Control*>& controls) const {
        std::vector<std::string> out;
        for (const Control* c : controls) out.push_back(c ? c->Name : "(none)");
        return out;
    }
};

TEST(ControlKinds, EachControlVisitsTheCallOfItsOwnKind) {
    Kinds k;
    KindNames names;
    for (Control* c : k.form.Controls()) c->accept(names);
    EXPECT_EQ(names.seen, (std::vector<std::string>{
                              "Edit edit", "GroupBox group", "TrackBar bar", "CheckBox check",
                              "RadioButton radio", "ComboBox combo", "Button button", "Label label",
                              "GroupBox inner", "Image image", "Shape shape"}));
}

// A front-end's views in small: one view type per kind, made with the front-end's argument.
struct AnyView {
    virtual ~AnyView() = default;
    const Control* control = nullptr;
    std::string made;
};
template <typename Kind>
struct ViewFor final : AnyView {
    ViewFor(const std::string& where, Kind& c) {
        control = &c;
        made = where;
    }
};
using TestViews = ViewSet<AnyView, ViewFor<Edit>, ViewFor<TrackBar>, ViewFor<CheckBox>,
                          ViewFor<RadioButton>, ViewFor<ComboBox>, ViewFor<Button>, ViewFor<Label>,
                          ViewFor<GroupBox>, ViewFor<Image>, ViewFor<Shape>>;

// A set without a view for some kind finds none for it, which stops the build where a
// front-end makes its views from such a set.
static_assert(std::is_void_v<detail::ViewTaking<Shape, std::tuple<const std::string>, ViewFor<Edit>,
                                                ViewFor<Label>>::type>);
static_assert(std::is_same_v<detail::ViewTaking<Label, std::tuple<const std::string>, ViewFor<Edit>,
                                                ViewFor<Label>>::type,
                             ViewFor<Label>>);

// The view made for a control is the one named for its own kind, not that of a relative.
template <typename Kind>
void ExpectMadeAsItsKind(Kind& control) {
    SCOPED_TRACE(control.Name);
    const std::string where = "in " + control.Name;
    const std::unique_ptr<AnyView> view = TestViews::make(static_cast<Control&>(control), where);
    ASSERT_NE(view, nullptr);
    EXPECT_NE(dynamic_cast<const ViewFor<Kind>*>(view.get()), nullptr);
    EXPECT_EQ(view->control, &control);
    EXPECT_EQ(view->made, where);
}

TEST(ControlKinds, EachControlGetsTheViewOfItsOwnKind) {
    Kinds k;
    ExpectMadeAsItsKind(k.edit);
    ExpectMadeAsItsKind(k.bar);
    ExpectMadeAsItsKind(k.check);
    ExpectMadeAsItsKind(k.radio);
    ExpectMadeAsItsKind(k.combo);
    ExpectMadeAsItsKind(k.button);
    ExpectMadeAsItsKind(k.label);
    ExpectMadeAsItsKind(k.group);
    ExpectMadeAsItsKind(k.image);
    ExpectMadeAsItsKind(k.shape);
}

TEST(ControlKinds, GroupBoxesAreMadeFirstThenTheRestInTheFormsOrder) {
    Kinds k;
    EXPECT_EQ(k.names(k.form.CreationOrder()),
              (std::vector<std::string>{"group", "inner", "edit", "bar", "check", "radio", "combo",
                                        "button", "label", "image", "shape"}));
}

TEST(TabOrder, TheLayoutsOrderComesFirstThenTheOtherFocusableControls) {
    struct Case {
        const char* what;
        std::vector<std::string> tabOrder;
        std::vector<std::string> sequence;
    };
    const std::vector<Case> cases{
        {"no order given: the form's", {}, {"edit", "bar", "check", "radio", "combo", "button"}},
        {"a full order",
         {"button", "combo", "radio", "check", "bar", "edit"},
         {"button", "combo", "radio", "check", "bar", "edit"}},
        {"a partial order, the rest after it",
         {"combo", "edit"},
         {"combo", "edit", "bar", "check", "radio", "button"}},
        {"labels, boxes and repeats are passed over",
         {"label", "button", "group", "button"},
         {"button", "edit", "bar", "check", "radio", "combo"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Kinds k;
        for (const std::string& name : c.tabOrder)
            for (Control* control : k.form.Controls())
                if (control->Name == name) k.form.TabOrder.push_back(control);
        EXPECT_EQ(k.names(k.form.TabSequence()), c.sequence);
    }
}

TEST(TabOrder, ControlsOfAnotherFormAreNotInTheSequence) {
    Kinds k;
    Form other{"other"};
    Edit stranger{"stranger"};
    other.add(stranger);
    k.form.TabOrder = {&stranger, &k.button};
    EXPECT_EQ(k.form.TabSequence().front(), &k.button);
    EXPECT_EQ(k.form.TabSequence().size(), 6u);
}

// Tab and Shift+Tab from each place: the next control that can take the focus and shows, round
// at the ends; from nowhere, the first (or the last).
TEST(TabOrder, TabMovesToTheNextControlThatCanTakeTheFocus) {
    struct Case {
        const char* from;
        bool backwards;
        const char* to;
    };
    const std::vector<Case> cases{
        {nullptr, false, "button"}, {nullptr, true, "bar"},     {"button", false, "combo"},
        {"combo", false, "check"},  {"check", false, "edit"},   {"edit", false, "bar"},
        {"bar", false, "button"},   {"button", true, "bar"},    {"check", true, "combo"},
        {"edit", true, "check"},    {"label", false, "button"},
    };
    Kinds k;
    // The radio is disabled; the edit sits in a nested group box that shows.
    k.form.TabOrder = {&k.button, &k.combo, &k.radio, &k.check, &k.edit, &k.bar};
    k.radio.setEnabled(false);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from ? c.from : "nowhere") + (c.backwards ? " back" : ""));
        const Control* from = nullptr;
        for (const Control* control : k.form.Controls())
            if (c.from && control->Name == c.from) from = control;
        const Control* to = k.form.NextInTabOrder(from, c.backwards);
        ASSERT_NE(to, nullptr);
        EXPECT_EQ(to->Name, c.to);
    }
}

TEST(TabOrder, HiddenControlsAndThoseInHiddenGroupBoxesAreSkipped) {
    Kinds k;
    k.form.TabOrder = {&k.bar, &k.edit, &k.check};
    k.inner.setVisible(false);  // hides the edit inside it
    EXPECT_EQ(k.form.NextInTabOrder(&k.bar, false), &k.check);
    k.check.setVisible(false);
    EXPECT_EQ(k.form.NextInTabOrder(&k.bar, false), &k.radio);
    for (Control* c : k.form.TabSequence()) c->setEnabled(false);
    EXPECT_EQ(k.form.NextInTabOrder(&k.bar, false), nullptr);
}

TEST(ShownFont, TheWindowsNameAndHeightFillWhatTheControlLeavesAndABoldButtonIsBold) {
    struct Case {
        const char* what;
        Font own;
        bool bold;
        Font shown;
    };
    const std::vector<Case> cases{
        {"nothing of its own", {}, false, {"Arial", 15}},
        {"its own name", {"Courier New", 0}, false, {"Courier New", 15}},
        {"its own height", {"", 13}, false, {"Arial", 13}},
        {"its own styles and colour",
         {"", 0, false, true, true, clGrayText},
         false,
         {"Arial", 15, false, true, true, clGrayText}},
        {"a bold button", {}, true, {"Arial", 15, true}},
        {"a bold font without the button's bold", {"", 0, true}, false, {"Arial", 15, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Form form{"form"};
        Button button{"button"};
        Label label{"label"};
        form.add(button);
        form.add(label);
        button.font = label.font = c.own;
        button.setBold(c.bold);
        EXPECT_EQ(button.ShownFont(), c.shown);
        if (!c.bold) {
            EXPECT_EQ(label.ShownFont(), c.shown);
        }
    }
    Label alone{"alone"};  // outside any window: its own font as it is
    alone.font.Height = 9;
    EXPECT_EQ(alone.ShownFont(), (Font{"", 9}));
}

TEST(MenuText, TheCaptionKeepsItsMarksAndTheShortcutFollowsATab) {
    struct Case {
        const char* caption;
        ShortCut key;
        std::string text;
    };
    const std::vector<Case> cases{
        {"&Exit", Ctrl('X'), "&Exit\tCtrl+X"},
        {"Recall Preset 1", Key(VK_F5), "Recall Preset 1\tF5"},
        {"Store Preset 2", Shift(VK_F6), "Store Preset 2\tShift+F6"},
        {"ON/OFF Toggle", Ctrl(VK_INSERT), "ON/OFF Toggle\tCtrl+Ins"},
        {"ON", Key(VK_F11), "ON\tF11"},
        {"&Help", Key(VK_F1), "&Help\tF1"},
        {"Delete", Key(VK_DELETE), "Delete\tDel"},
        {"All", ShortCut{'A', {true, true, true}}, "All\tShift+Ctrl+Alt+A"},
        {"About", {}, "About"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        const MenuItem item{"item", c.caption, c.key};
        EXPECT_EQ(MenuText(item), c.text);
    }
}

}  // namespace
