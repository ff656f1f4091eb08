#include "ui/menu.h"

namespace ui {

MenuItem& MenuItem::add(MenuItem& item) {
    item.parent_ = this;
    items_.push_back(&item);
    return *this;
}

MenuItem& MenuItem::addSeparator() {
    separators_.push_back(std::make_unique<MenuItem>(Name + "_sep", "-"));
    return add(*separators_.back());
}

void MenuItem::setChecked(bool value) {
    if (value == checked_) return;
    checked_ = value;
    changed();
}

void MenuItem::setEnabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    changed();
}

void MenuItem::setVisible(bool value) {
    if (value == visible_) return;
    visible_ = value;
    changed();
}

bool MenuItem::EffectivelyEnabled() const {
    for (const MenuItem* m = this; m; m = m->parent_)
        if (!m->enabled_) return false;
    return true;
}

std::string MenuItem::PlainCaption() const {
    std::string text;
    for (std::size_t i = 0; i < Caption.size(); ++i) {
        if (Caption[i] == '&' && i + 1 < Caption.size()) ++i;
        text += Caption[i];
    }
    return text;
}

std::string MenuItem::MenuPlace() const {
    std::string place = "'" + PlainCaption() + "'";
    if (parent_ != nullptr && !parent_->Caption.empty())
        place += " via the '" + parent_->PlainCaption() + "' menu";
    return place;
}

void MenuItem::Click() {
    if (EffectivelyEnabled() && OnClick) OnClick(this);
}

MenuItem* MenuItem::findShortCut(ShortCut key) {
    if (key.key == 0) return nullptr;
    for (MenuItem* item : items_) {
        if (item->shortCut_ == key) return item;
        if (MenuItem* found = item->findShortCut(key)) return found;
    }
    return nullptr;
}

std::string ShortCutText(ShortCut s) {
    if (s.key == 0) return {};
    std::string text;
    if (s.shift.shift) text += "Shift+";
    if (s.shift.ctrl) text += "Ctrl+";
    if (s.shift.alt) text += "Alt+";
    if (s.key >= VK_F1 && s.key < VK_F1 + 24) {
        text += "F" + std::to_string(s.key - VK_F1 + 1);
    } else if (s.key == VK_INSERT) {
        text += "Ins";
    } else if (s.key == VK_DELETE) {
        text += "Del";
    } else if (s.key == VK_RETURN) {
        text += "Enter";
    } else if (s.key == VK_ESCAPE) {
        text += "Esc";
    } else {
        text += static_cast<char>(s.key);
    }
    return text;
}

std::string MenuText(const MenuItem& item) {
    std::string text = item.Caption;
    const std::string keys = ShortCutText(item.shortCut());
    if (!keys.empty()) text += "\t" + keys;
    return text;
}

}  // namespace ui
