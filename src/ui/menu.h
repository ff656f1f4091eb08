#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/types.h"

namespace ui {

// A menu command, a menu of the menu bar or a popup menu (a root whose items are shown on a
// right click). A caption of "-" is a separator. A shortcut works only while the item and every
// menu above it are enabled, whether or not the menu is ever shown.
class MenuItem : public Object {
public:
    explicit MenuItem(std::string name, std::string caption = {}, ShortCut shortCut = {})
        : Name(std::move(name)), Caption(std::move(caption)), shortCut_(shortCut) {}

    const std::string Name;
    std::string Caption;
    std::string Hint;
    int HelpContext = 0;
    NotifyEvent OnClick;

    MenuItem& add(MenuItem& item);
    MenuItem& addSeparator();
    const std::vector<MenuItem*>& Items() const { return items_; }
    MenuItem* Parent() const { return parent_; }
    bool IsSeparator() const { return Caption == "-"; }

    bool Checked() const { return checked_; }
    void setChecked(bool value);
    bool Enabled() const { return enabled_; }
    void setEnabled(bool value);
    bool Visible() const { return visible_; }
    void setVisible(bool value);
    ShortCut shortCut() const { return shortCut_; }
    // Enabled here and in every menu above.
    bool EffectivelyEnabled() const;
    // The caption as the menu shows it: without the '&' that marks the access key ("&&" is a
    // literal '&').
    std::string PlainCaption() const;
    // Where a message tells the user to find this command: "'Output Settings' via the 'Tools'
    // menu" (the command's caption and that of the menu above it).
    std::string MenuPlace() const;

    // Runs the command when it is enabled (from a click, a key or code).
    void Click();
    // Finds the command with this shortcut below this item; null when none.
    MenuItem* findShortCut(ShortCut key);

    std::function<void()> viewChanged;

private:
    void changed() const {
        if (viewChanged) viewChanged();
    }

    std::vector<MenuItem*> items_;
    std::vector<std::unique_ptr<MenuItem>> separators_;
    MenuItem* parent_ = nullptr;
    ShortCut shortCut_;
    bool checked_ = false;
    bool enabled_ = true;
    bool visible_ = true;
};

// A shortcut as a menu shows it after a caption: "Ctrl+Z", "Shift+F5", "Ctrl+Ins"; empty for
// none.
std::string ShortCutText(ShortCut shortCut);
// A menu line: the caption with its '&' marks, then a tab and the shortcut when it has one.
std::string MenuText(const MenuItem& item);

}  // namespace ui
