#include <vector>

#include "platform/win32/control_views.h"
#include "platform/win32/form_window.h"
#include "platform/win32/utf.h"

namespace win32 {

namespace {

std::wstring ItemText(HWND combo, int index) {
    const LRESULT length = ::SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

}  // namespace

int ComboBoxView::nativeHeight(const RECT& r) const {
    // A combo box's window height includes its drop-down list: room for eight items.
    return (r.bottom - r.top) * 9;
}

void ComboBoxView::pushState() {
    const std::vector<std::string>& items = combo_.Items();
    bool same = ::SendMessageW(hwnd_, CB_GETCOUNT, 0, 0) == static_cast<LRESULT>(items.size());
    for (std::size_t i = 0; same && i < items.size(); ++i)
        same = ItemText(hwnd_, static_cast<int>(i)) == Utf8ToWide(items[i]);
    if (!same) {
        ::SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
        for (const std::string& item : items) {
            const std::wstring text = Utf8ToWide(item);
            ::SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
    }
    // The closed list as high as the layout has it: the selection field's height is the rest
    // after the border.
    const RECT r = placement();
    const int field = (r.bottom - r.top) - 2 * ::GetSystemMetrics(SM_CYFIXEDFRAME) - 2;
    if (field > 0 && ::SendMessageW(hwnd_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0) != field)
        ::SendMessageW(hwnd_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    if (::SendMessageW(hwnd_, CB_GETCURSEL, 0, 0) != combo_.ItemIndex())
        ::SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(combo_.ItemIndex()), 0);
}

void ComboBoxView::command(WORD code) {
    if (code != CBN_SELCHANGE || ignoring()) return;
    combo_.userSelected(static_cast<int>(::SendMessageW(hwnd_, CB_GETCURSEL, 0, 0)));
}

}  // namespace win32
