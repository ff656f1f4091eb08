#include "platform/win32/menu_view.h"

#include "platform/win32/utf.h"

namespace win32 {

std::wstring MenuLine(const ui::MenuItem& item) {
    return Utf8ToWide(ui::MenuText(item));
}

MenuBarView::MenuBarView(HWND window, ui::MenuItem& root) : window_(window), root_(root) {
    build();
}

MenuBarView::~MenuBarView() {
    unsubscribe();
    if (bar_ != nullptr) {
        if (::GetMenu(window_) == bar_) ::SetMenu(window_, nullptr);
        ::DestroyMenu(bar_);
    }
}

void MenuBarView::unsubscribe() {
    for (Entry& e : entries_) e.item->viewChanged = nullptr;
    for (ui::MenuItem* item : root_.Items()) item->viewChanged = nullptr;
}

void MenuBarView::rebuild() {
    build();
}

void MenuBarView::build() {
    unsubscribe();
    entries_.clear();
    const HMENU old = bar_;
    bar_ = ::CreateMenu();
    fill(bar_, root_);
    ::SetMenu(window_, bar_);
    if (old != nullptr) ::DestroyMenu(old);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        entries_[i].item->viewChanged = [this, i] {
            // A menu shown or hidden changes the positions of the others: made anew, once
            // this notification is over.
            if (entries_[i].item->Visible()) {
                pushItem(i);
            } else {
                ::PostMessageW(window_, kRebuildMessage, 0, 0);
            }
        };
    }
    for (ui::MenuItem* item : root_.Items())
        if (!item->Visible())
            item->viewChanged = [this] { ::PostMessageW(window_, kRebuildMessage, 0, 0); };
    ::DrawMenuBar(window_);
}

void MenuBarView::fill(HMENU menu, ui::MenuItem& parent) {
    UINT position = 0;
    for (ui::MenuItem* item : parent.Items()) {
        if (!item->Visible()) continue;  // the hidden Presets menu: its shortcuts only
        if (item->IsSeparator()) {
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            ++position;
            continue;
        }
        const std::size_t index = entries_.size();
        const std::wstring text = MenuLine(*item);
        UINT flags =
            MF_STRING | (item->Checked() ? MF_CHECKED : 0u) | (item->Enabled() ? 0u : MF_GRAYED);
        HMENU submenu = nullptr;
        UINT_PTR id = kFirstId + index;
        if (!item->Items().empty()) {
            submenu = ::CreatePopupMenu();
            flags |= MF_POPUP;
            id = reinterpret_cast<UINT_PTR>(submenu);
        }
        entries_.push_back({item, menu, position, submenu});
        ::AppendMenuW(menu, flags, id, text.c_str());
        ++position;
        if (submenu != nullptr) fill(submenu, *item);
    }
}

void MenuBarView::pushItem(std::size_t index) {
    const Entry& e = entries_[index];
    std::wstring text = MenuLine(*e.item);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE | MIIM_STRING;
    info.fState =
        (e.item->Checked() ? MFS_CHECKED : MFS_UNCHECKED) | (e.item->Enabled() ? 0u : MFS_GRAYED);
    info.dwTypeData = text.data();
    ::SetMenuItemInfoW(e.parent, e.position, TRUE, &info);
    if (e.parent == bar_) ::DrawMenuBar(window_);
}

bool MenuBarView::command(WORD id) {
    if (id < kFirstId || id >= kFirstId + entries_.size()) return false;
    entries_[id - kFirstId].item->Click();
    return true;
}

ui::MenuItem* MenuBarView::selected(WPARAM wParam, LPARAM lParam) const {
    const UINT flags = HIWORD(wParam);
    const auto menu = reinterpret_cast<HMENU>(lParam);
    if (flags == 0xFFFF && menu == nullptr) return nullptr;  // the menu closed
    for (const Entry& e : entries_) {
        if (flags & MF_POPUP) {
            if (e.parent == menu && e.position == LOWORD(wParam)) return e.item;
        } else if (e.submenu == nullptr && kFirstId + (&e - entries_.data()) == LOWORD(wParam) &&
                   e.parent == menu) {
            return e.item;
        }
    }
    return nullptr;
}

void TrackPopup(HWND owner, ui::MenuItem& menu) {
    const HMENU popup = ::CreatePopupMenu();
    std::vector<ui::MenuItem*> commands;
    for (ui::MenuItem* item : menu.Items()) {
        if (!item->Visible()) continue;
        if (item->IsSeparator()) {
            ::AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        commands.push_back(item);
        const std::wstring text = MenuLine(*item);
        ::AppendMenuW(
            popup,
            MF_STRING | (item->Checked() ? MF_CHECKED : 0u) | (item->Enabled() ? 0u : MF_GRAYED),
            commands.size(), text.c_str());
    }
    POINT at;
    ::GetCursorPos(&at);
    // The popup's ids are small numbers of its own; they never reach the window's WM_COMMAND.
    const auto chosen = static_cast<std::size_t>(::TrackPopupMenu(
        popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, owner, nullptr));
    ::DestroyMenu(popup);
    if (chosen >= 1 && chosen <= commands.size()) commands[chosen - 1]->Click();
}

}  // namespace win32
