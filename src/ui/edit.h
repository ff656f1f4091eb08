#pragma once

#include <string>

#include "ui/control.h"

namespace ui {

// A one-line text field. Its change event fires whenever the text really changes, whoever
// changes it; setting the text it already holds fires nothing.
class Edit : public Control {
public:
    explicit Edit(std::string name, std::string text = {})
        : Control(std::move(name), true), text_(std::move(text)) {}

    NotifyEvent OnChange;
    Color color = clWindow;

    const std::string& Text() const { return text_; }
    void setText(const std::string& value);
    void setColor(Color value);

    // The user edited the field: it has the focus and now holds `value`.
    void userTyped(const std::string& value);

private:
    std::string text_;
};

}  // namespace ui
