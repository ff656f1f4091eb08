#pragma once

#include <string>

#include "ui/control.h"

namespace ui {

// A static text; it never takes the focus but can be clicked.
class Label : public Control {
public:
    explicit Label(std::string name, std::string caption = {})
        : Control(std::move(name), false), caption_(std::move(caption)) {}

    const std::string& Caption() const { return caption_; }
    void setCaption(const std::string& value);
    bool Bold = false;

private:
    std::string caption_;
};

// A filled shape (the round status lamp).
class Shape : public Control {
public:
    explicit Shape(std::string name, Color brush = clWhite)
        : Control(std::move(name), false), brush_(brush) {}

    Color Brush() const { return brush_; }
    void setBrush(Color value);

private:
    Color brush_;
};

}  // namespace ui
