#pragma once

namespace ui {

class Edit;
class TrackBar;
class CheckBox;
class RadioButton;
class ComboBox;
class Button;
class Label;
class GroupBox;
class Image;
class Shape;

// One call per kind of control: Control::accept calls the one of its kind. A front-end makes
// its views through a visitor, so that a kind added here and forgotten by a front-end does
// not compile there.
class ControlVisitor {
public:
    virtual void visit(Edit& control) = 0;
    virtual void visit(TrackBar& control) = 0;
    virtual void visit(CheckBox& control) = 0;
    virtual void visit(RadioButton& control) = 0;
    virtual void visit(ComboBox& control) = 0;
    virtual void visit(Button& control) = 0;
    virtual void visit(Label& control) = 0;
    virtual void visit(GroupBox& control) = 0;
    virtual void visit(Image& control) = 0;
    virtual void visit(Shape& control) = 0;

protected:
    ControlVisitor() = default;
    ControlVisitor(const ControlVisitor&) = default;
    ControlVisitor& operator=(const ControlVisitor&) = default;
    ~ControlVisitor() = default;
};

}  // namespace ui
