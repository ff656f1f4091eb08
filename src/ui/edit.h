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
    void accept(ControlVisitor& visitor) override { visitor.visit(*this); }

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

// The keys with which a person edits the text of a field: undo (Ctrl+Z, Alt+Backspace), redo
// (Ctrl+Y), cut (Ctrl+X, Shift+Delete), copy (Ctrl+C), paste (Ctrl+V, Shift+Insert) and select
// all (Ctrl+A). In a field they edit the field, also where a menu command has the same
// shortcut. Ctrl+Insert is not among them: it is the program's system-wide hot key, which
// the system delivers before any field sees the key.
bool IsEditingKey(ShortCut key);

}  // namespace ui
