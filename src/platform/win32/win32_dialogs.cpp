#include "platform/win32/win32_dialogs.h"

#include <algorithm>
#include <vector>

#include "platform/win32/utf.h"
#include "shell/remote_message.h"

namespace win32 {

namespace {

UINT IconOf(ui::MsgDlgType type) {
    switch (type) {
        case ui::MsgDlgType::Warning:
            return MB_ICONWARNING;
        case ui::MsgDlgType::Error:
            return MB_ICONERROR;
        case ui::MsgDlgType::Information:
            return MB_ICONINFORMATION;
        case ui::MsgDlgType::Confirmation:
            return MB_ICONQUESTION;
    }
    return 0;
}

LPCWSTR StockIconOf(ui::MsgDlgType type) {
    switch (type) {
        case ui::MsgDlgType::Error:
            return IDI_ERROR;
        case ui::MsgDlgType::Information:
            return IDI_INFORMATION;
        case ui::MsgDlgType::Confirmation:
            return IDI_QUESTION;
        case ui::MsgDlgType::Warning:
            break;
    }
    return IDI_WARNING;
}

const wchar_t* CaptionOf(ui::MsgDlgType type) {
    switch (type) {
        case ui::MsgDlgType::Warning:
            return L"Warning";
        case ui::MsgDlgType::Error:
            return L"Error";
        case ui::MsgDlgType::Information:
            return L"Information";
        case ui::MsgDlgType::Confirmation:
            return L"Confirm";
    }
    return L"";
}

UINT ButtonsOf(unsigned buttons) {
    const bool yes = buttons & ui::mbYes, no = buttons & ui::mbNo, ok = buttons & ui::mbOK,
               cancel = buttons & ui::mbCancel;
    if (yes && no) return cancel ? MB_YESNOCANCEL : MB_YESNO;
    if (ok && cancel) return MB_OKCANCEL;
    return MB_OK;
}

// The window the person is in: the dialog is modal to it.
HWND ActiveOwner() {
    return ::GetActiveWindow();
}

// The notice dialog's state while it is open.
struct Notice {
    const ui::NoticeDialogRequest& request;
    int ppi;
    bool checked = false;
    HFONT font = nullptr;
    std::function<void(HWND)> shown;

    int scale(int designPixels) const { return ::MulDiv(designPixels, ppi, 120); }
};

HWND Child(HWND dialog, const wchar_t* cls, const std::wstring& text, DWORD style, int id,
           const RECT& r, HFONT font) {
    const HWND w = ::CreateWindowExW(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, r.left,
                                     r.top, r.right - r.left, r.bottom - r.top, dialog,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                     ::GetModuleHandleW(nullptr), nullptr);
    if (w != nullptr && font != nullptr)
        ::SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return w;
}

void LayOutNotice(HWND dialog, Notice& n) {
    const ui::NoticeDialogRequest& q = n.request;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    n.font = ::CreateFontIndirectW(&metrics.lfMessageFont);
    ::SetWindowTextW(dialog, Utf8ToWide(q.caption).c_str());

    const int margin = n.scale(16), iconSize = ::GetSystemMetrics(SM_CXICON);
    const int textLeft = margin + iconSize + n.scale(16);
    const int buttonW = n.scale(88), buttonH = n.scale(30), gap = n.scale(8);
    const RECT check{n.scale(q.checkLeft), n.scale(q.checkTop), n.scale(q.checkLeft + q.checkWidth),
                     n.scale(q.checkTop + q.checkHeight)};

    std::vector<std::pair<int, const wchar_t*>> buttons;
    if (q.buttons & ui::mbYes) buttons.emplace_back(ui::mrYes, L"&Yes");
    if (q.buttons & ui::mbNo) buttons.emplace_back(ui::mrNo, L"&No");
    if (q.buttons & ui::mbOK) buttons.emplace_back(ui::mrOk, L"OK");
    if (q.buttons & ui::mbCancel) buttons.emplace_back(ui::mrCancel, L"Cancel");
    const int buttonsW =
        static_cast<int>(buttons.size()) * buttonW + static_cast<int>(buttons.size() - 1) * gap;

    // The text wraps to the width that keeps it above the check box, the window widening
    // until it does (as far as half the screen).
    const std::wstring text = Utf8ToWide(q.text);
    const HDC dc = ::GetDC(dialog);
    const HGDIOBJ old = ::SelectObject(dc, n.font);
    const int roomBelow = check.top - gap - margin;
    const int widest = std::max(n.scale(440), ::GetSystemMetrics(SM_CXSCREEN) / 2 - textLeft);
    RECT textRect{0, 0, n.scale(440), 0};
    for (;;) {
        RECT measure{0, 0, textRect.right, 0};
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measure,
                    DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        textRect = measure;
        if (measure.bottom <= roomBelow || measure.right >= widest) break;
        textRect.right = measure.right + n.scale(40);
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(dialog, dc);

    // The buttons stand at the bottom right, beside the check box rather than over it.
    const int clientW =
        std::max({textLeft + static_cast<int>(textRect.right - textRect.left) + margin,
                  static_cast<int>(check.right) + margin + buttonsW + margin, n.scale(300)});
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(dialog, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongW(dialog, GWL_EXSTYLE));
    RECT frame{0, 0, clientW, 100};
    ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int outerW = frame.right - frame.left, outerH = n.scale(q.height);
    const int clientH = outerH - ((frame.bottom - frame.top) - 100);

    const HWND icon = Child(dialog, L"STATIC", L"", SS_ICON, -1,
                            {margin, margin, margin + iconSize, margin + iconSize}, nullptr);
    ::SendMessageW(icon, STM_SETICON,
                   reinterpret_cast<WPARAM>(::LoadIconW(nullptr, StockIconOf(q.type))), 0);
    Child(dialog, L"STATIC", text, SS_LEFT | SS_NOPREFIX, -1,
          {textLeft, margin, textLeft + textRect.right, margin + textRect.bottom}, n.font);
    int x = clientW - margin - buttonsW;
    const int y = clientH - n.scale(12) - buttonH;
    for (const auto& [id, caption] : buttons) {
        const DWORD kind = id == q.defaultResult ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        Child(dialog, L"BUTTON", caption, kind | WS_TABSTOP, id, {x, y, x + buttonW, y + buttonH},
              n.font);
        x += buttonW + gap;
    }
    Child(dialog, L"BUTTON", Utf8ToWide(q.checkBoxCaption), BS_AUTOCHECKBOX | WS_TABSTOP,
          Win32Dialogs::kCheckBoxId, check, n.font);

    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ::SetWindowPos(dialog, HWND_TOP, work.left + ((work.right - work.left) - outerW) / 2,
                   work.top + ((work.bottom - work.top) - outerH) / 2, outerW, outerH, 0);
    ::SendMessageW(dialog, DM_SETDEFID, static_cast<WPARAM>(q.defaultResult), 0);
    ::SetFocus(::GetDlgItem(dialog, q.defaultResult));
}

bool HasButton(const ui::NoticeDialogRequest& q, int result) {
    switch (result) {
        case ui::mrOk:
            return q.buttons & ui::mbOK;
        case ui::mrCancel:
            return q.buttons & ui::mbCancel;
        case ui::mrYes:
            return q.buttons & ui::mbYes;
        case ui::mrNo:
            return q.buttons & ui::mbNo;
        default:
            return false;
    }
}

void EndNotice(HWND dialog, Notice& n, int result) {
    n.checked = ::IsDlgButtonChecked(dialog, Win32Dialogs::kCheckBoxId) == BST_CHECKED;
    ::EndDialog(dialog, result);
}

INT_PTR CALLBACK NoticeProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* n = reinterpret_cast<Notice*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    switch (msg) {
        case WM_INITDIALOG:
            n = reinterpret_cast<Notice*>(lParam);
            ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            LayOutNotice(dialog, *n);
            if (n->shown) ::PostMessageW(dialog, WM_APP, 0, 0);
            return FALSE;  // the focus is set: on the default button
        case WM_APP:
            if (n != nullptr && n->shown) n->shown(dialog);
            return TRUE;
        case WM_COMMAND: {
            if (n == nullptr) return FALSE;
            const int id = LOWORD(wParam);
            if (id == Win32Dialogs::kCheckBoxId) return FALSE;
            // Escape (IDCANCEL) presses the request's Escape button.
            if (id == IDCANCEL && !HasButton(n->request, ui::mrCancel)) {
                EndNotice(dialog, *n, n->request.cancelResult);
                return TRUE;
            }
            if (HasButton(n->request, id)) {
                EndNotice(dialog, *n, id);
                return TRUE;
            }
            return FALSE;
        }
        case WM_HELP:
            // F1 in the notice: its help page, when it has one.
            if (n != nullptr && n->request.help) n->request.help();
            return TRUE;
        case WM_CLOSE:
            if (n != nullptr) EndNotice(dialog, *n, ui::mrCancel);
            return TRUE;
        case WM_DESTROY:
            if (n != nullptr && n->font != nullptr) ::DeleteObject(n->font);
            if (n != nullptr) n->font = nullptr;
            return FALSE;
        default:
            return FALSE;
    }
}

// A box opened while another program's sent message is handled would hold that program until
// the box closes: it is told first that the message was acted on.
void ReplyToSender() {
    if (::InSendMessage()) ::ReplyMessage(vpg::kRemoteActed);
}

}  // namespace

void Win32Dialogs::ShowMessage(const std::string& text) {
    ReplyToSender();
    ::MessageBoxW(ActiveOwner(), Utf8ToWide(text).c_str(),
                  Utf8ToWide(title_ ? title_() : "").c_str(), MB_OK);
}

int Win32Dialogs::MessageDlg(const std::string& text, ui::MsgDlgType type, unsigned buttons) {
    ReplyToSender();
    return ::MessageBoxW(ActiveOwner(), Utf8ToWide(text).c_str(), CaptionOf(type),
                         ButtonsOf(buttons) | IconOf(type));
}

int Win32Dialogs::ShowNoticeDialog(const ui::NoticeDialogRequest& request, bool& checked) {
    ReplyToSender();
    // An empty template: the controls are made in pixels when the dialog starts.
    struct alignas(DWORD) Template {
        DLGTEMPLATE head;
        WORD menu, windowClass, title;
    } t{};
    t.head.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    t.head.cx = 200;
    t.head.cy = 100;
    Notice notice{request, ppi_ ? ppi_() : 96, false, nullptr, noticeShown};
    const INT_PTR result =
        ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), &t.head, ActiveOwner(), &NoticeProc,
                                  reinterpret_cast<LPARAM>(&notice));
    checked = result > 0 && notice.checked;
    return result > 0 ? static_cast<int>(result) : ui::mrCancel;
}

}  // namespace win32
