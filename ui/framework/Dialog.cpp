// Dialog creation, message dispatch and the exception boundary.
#include "ui/framework/Dialog.h"
#include "ui/framework/Keyboard.h"
#include "ui/framework/UserInterface.h"
#include <algorithm>
#include <exception>

namespace {
// The innermost modal dialog of this thread, whose loop the message filter serves.
thread_local CDialog* t_modal = nullptr;
thread_local HHOOK t_filter = nullptr;
}  // namespace

CDialog::~CDialog() { Destroy(); }

bool CDialog::Create(HWND parent) {
    m_modal = false;
    m_hWnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), parent,
                                DialogProc, reinterpret_cast<LPARAM>(this));
    return m_hWnd != nullptr;
}

INT_PTR CDialog::DoModal(HWND parent) {
    m_modal = true;
    // The dialog loop offers every message to the thread's message filter before dispatching it.
    CDialog* outer = t_modal;
    const bool ownsFilter = !t_filter;
    if (ownsFilter) t_filter = SetWindowsHookExW(WH_MSGFILTER, MessageFilterProc, nullptr, GetCurrentThreadId());
    t_modal = this;
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId),
                                           parent, DialogProc, reinterpret_cast<LPARAM>(this));
    t_modal = outer;
    if (ownsFilter) {
        UnhookWindowsHookEx(t_filter);
        t_filter = nullptr;
    }
    m_hWnd = nullptr;
    return result;
}

void CDialog::EndDialog(INT_PTR result) {
    if (m_modal)
        ::EndDialog(m_hWnd, result);
    else
        ShowWindow(m_hWnd, SW_HIDE);  // a modeless dialog is only hidden
}

void CDialog::Destroy() {
    if (m_hWnd && !m_modal) {
        SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
        DestroyWindow(m_hWnd);
    }
    m_hWnd = nullptr;
}

bool CDialog::OnCommand(int id, int, HWND) {
    if (id == IDOK) OnOK();
    else if (id == IDCANCEL) OnCancel();
    else return false;
    return true;
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

INT_PTR CDialog::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    switch (msg) {
    case WM_INITDIALOG: {
        EnableKeyboardControls(m_hWnd);
        const BOOL focus = OnInitDialog();
        PlaceOnOpener(m_hWnd);
        return focus;
    }
    case WM_COMMAND:
        if (m_commands.Run(*this, LOWORD(wParam), HIWORD(wParam)) ||
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)))
            return TRUE;
        break;
    case WM_NOTIFY: {
        const auto& hdr = *reinterpret_cast<const NMHDR*>(lParam);
        if (m_notifies.Run(*this, static_cast<int>(hdr.idFrom), hdr.code)) {
            SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        break;
    }
    }
    if (OnMessage(msg, wParam, lParam, result) || OnThemeMessage(msg, wParam, lParam, result)) {
        switch (msg) {  // these answer through the return value, not DWLP_MSGRESULT
        case WM_CTLCOLORDLG: case WM_CTLCOLORSTATIC: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN: case WM_CTLCOLORSCROLLBAR: case WM_COMPAREITEM: case WM_VKEYTOITEM:
        case WM_CHARTOITEM: case WM_QUERYDRAGICON: case WM_INITDIALOG:
            return static_cast<INT_PTR>(result);
        }
        SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        reinterpret_cast<CDialog*>(lParam)->m_hWnd = hwnd;
    }
    auto* self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) return FALSE;
    try {
        return self->Dispatch(msg, wParam, lParam);
    } catch (const std::exception& e) {
        ReportException(hwnd, e.what());
    } catch (...) {
        ReportException(hwnd, "unknown error");
    }
    return FALSE;
}

LRESULT CALLBACK CDialog::MessageFilterProc(int code, WPARAM wParam, LPARAM lParam) {
    CDialog* self = t_modal;
    const MSG& msg = *reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && self && self->m_hWnd &&
        (msg.hwnd == self->m_hWnd || IsChild(self->m_hWnd, msg.hwnd))) {
        try {
            if (self->PreTranslateMessage(msg)) return 1;
        } catch (const std::exception& e) {
            ReportException(self->m_hWnd, e.what());
            return 1;
        } catch (...) {
            ReportException(self->m_hWnd, "unknown error");
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void PlaceOnOpener(HWND window) {
    HWND opener = GetWindow(window, GW_OWNER);
    const bool onOpener = opener && IsWindowVisible(opener) && !IsIconic(opener);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(onOpener ? opener : window, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    RECT around = work, rc;
    if (onOpener) GetWindowRect(opener, &around);
    GetWindowRect(window, &rc);
    const LONG w = rc.right - rc.left, h = rc.bottom - rc.top;
    LONG x = (around.left + around.right - w) / 2, y = (around.top + around.bottom - h) / 2;
    // Wholly on the work area; a window larger than it keeps its top-left corner there.
    x = std::max(work.left, std::min(x, work.right - w));
    y = std::max(work.top, std::min(y, work.bottom - h));
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FitLabelWidth(HWND label) {
    wchar_t text[512] = {};
    GetWindowTextW(label, text, 512);
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    RECT need = {};
    const UINT prefix = GetWindowLongW(label, GWL_STYLE) & SS_NOPREFIX ? DT_NOPREFIX : 0;
    DrawTextW(dc, text, -1, &need, DT_CALCRECT | DT_SINGLELINE | prefix);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    HWND dialog = GetParent(label);
    RECT rc, client;
    GetWindowRect(label, &rc);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
    GetClientRect(dialog, &client);
    const LONG width = std::min(need.right + 2, client.right - 2 * rc.left);
    if (width > rc.right - rc.left)
        SetWindowPos(label, nullptr, 0, 0, width, rc.bottom - rc.top, SWP_NOMOVE | SWP_NOZORDER);
}

void ReportException(HWND owner, const char* what) {
    std::wstring text = L"An unexpected error occurred: ";
    for (const char* p = what; *p; ++p) text += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    UI().MessageBox(owner, text, MB_OK | MB_ICONERROR);
}
