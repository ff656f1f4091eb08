#pragma once

#include <string>

#include "ui/control.h"

namespace ui {

// A static text; it never takes the focus but can be clicked.
class Label : public Control {
public:
    explicit Label(std::string name, std::string caption = {})
        : Control(std::move(name), false), caption_(std::move(caption)) {}
    void accept(ControlVisitor& visitor) override { visitor.visit(*this); }

    const std::string& Caption() const { return caption_; }
    void setCaption(const std::string& value);
    Alignment alignment = Alignment::Left;
    bool WordWrap = false;    // breaks at word boundaries when the text is wider than the label
    bool Transparent = true;  // drawn over what lies under it; otherwise on `color`
    Color color = clBtnFace;

private:
    std::string caption_;
};

// A frame with a caption around a group of controls; the controls name it as their Parent.
class GroupBox : public Control {
public:
    explicit GroupBox(std::string name, std::string caption = {})
        : Control(std::move(name), false), Caption(std::move(caption)) {}
    void accept(ControlVisitor& visitor) override { visitor.visit(*this); }

    std::string Caption;
};

// A picture, named for the front-end that draws it ("splash", "icon").
class Image : public Control {
public:
    explicit Image(std::string name, std::string picture = {})
        : Control(std::move(name), false), Picture(std::move(picture)) {}
    void accept(ControlVisitor& visitor) override { visitor.visit(*this); }

    std::string Picture;
};

// A filled shape (the round status lamp).
class Shape : public Control {
public:
    explicit Shape(std::string name, Color brush = clWhite)
        : Control(std::move(name), false), brush_(brush) {}
    void accept(ControlVisitor& visitor) override { visitor.visit(*this); }

    Color Brush() const { return brush_; }
    void setBrush(Color value);

private:
    Color brush_;
};

}  // namespace ui
