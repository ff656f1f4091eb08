#pragma once

#include "platform/win32/windows_api.h"

#include <vector>

#include "ui/menu.h"

namespace win32 {

// A window's menu bar made from the model's MenuItem tree: captions with their & accelerators,
// the shortcut after a tab, check marks and enabled state, hidden menus left out. Each item's
// changes are pushed into the menu in place, so an open menu is never pulled away. A command
// chosen comes back as the item's Click; the shortcuts themselves are the model's (the
// window's keys go to Form::userKeyDown), so the menu has no accelerator table.
class MenuBarView {
public:
    MenuBarView(HWND window, ui::MenuItem& root);
    MenuBarView(const MenuBarView&) = delete;
    MenuBarView& operator=(const MenuBarView&) = delete;
    ~MenuBarView();

    // WM_COMMAND from the menu; false when the id is not one of ours.
    bool command(WORD id);
    // The item WM_MENUSELECT names, or null (the menu closed, or not ours).
    ui::MenuItem* selected(WPARAM wParam, LPARAM lParam) const;

    // Made anew, when a menu was shown or hidden (posted to the window).
    void rebuild();

    static constexpr WORD kFirstId = 1000;
    static constexpr UINT kRebuildMessage = WM_APP + 0x2F2;

private:
    struct Entry {
        ui::MenuItem* item;
        HMENU parent;  // the menu holding it
        UINT position;
        HMENU submenu;  // its own menu, for a menu of items
    };
    void build();
    void fill(HMENU menu, ui::MenuItem& parent);
    void pushItem(std::size_t index);
    void unsubscribe();

    HWND window_;
    ui::MenuItem& root_;
    HMENU bar_ = nullptr;
    std::vector<Entry> entries_;  // commands' ids are kFirstId + index
};

// Shows `menu`'s items as a popup at the cursor (right click) and runs the one chosen.
void TrackPopup(HWND owner, ui::MenuItem& menu);

// A menu line as ui::MenuText has it, for the menu functions.
std::wstring MenuLine(const ui::MenuItem& item);

}  // namespace win32
