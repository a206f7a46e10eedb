// Links and owner-drawn buttons that answer the keyboard as push buttons do.
#include "ui/framework/Keyboard.h"
#include <commctrl.h>

namespace {

bool IsEnter(const MSG* msg) { return msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN; }

bool ShowsFocus(HWND hwnd) {
    return !(SendMessageW(hwnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

// A dotted frame around the link's text, in the colour its dialog gives the text.
void DrawLinkFocus(HWND link) {
    RECT client;
    GetClientRect(link, &client);
    wchar_t text[260] = {};
    GetWindowTextW(link, text, 260);
    HDC dc = GetDC(link);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)));
    SendMessageW(GetParent(link), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(link));
    RECT box = client;
    DrawTextW(dc, text, -1, &box, DT_CALCRECT | DT_LEFT | DT_SINGLELINE);
    InflateRect(&box, 2, 1);
    OffsetRect(&box, 2, 1);
    IntersectRect(&box, &box, &client);
    LOGBRUSH brush{BS_SOLID, GetTextColor(dc), 0};
    HPEN pen = ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &brush, 0, nullptr);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, box.left, box.top, box.right, box.bottom);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    SelectObject(dc, oldFont);
    ReleaseDC(link, dc);
}

// The click a mouse would give: the same notification, so the dialog's routes run.
void Click(HWND control, WORD code) {
    SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                 reinterpret_cast<LPARAM>(control));
}

LRESULT CALLBACK LinkProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (msg) {
    case WM_GETDLGCODE:
        // A button to the dialog manager: its access key clicks it rather than moving on.
        return DLGC_BUTTON | (IsEnter(reinterpret_cast<const MSG*>(lParam)) ? DLGC_WANTMESSAGE : 0);
    case WM_KEYDOWN:
        if (wParam != VK_RETURN && wParam != VK_SPACE) break;
        if (!(lParam & (1 << 30))) Click(hwnd, STN_CLICKED);  // once, however long the key is held
        return 0;
    case BM_CLICK:
        Click(hwnd, STN_CLICKED);
        return 0;
    case WM_SETFOCUS: case WM_KILLFOCUS: case WM_UPDATEUISTATE: {
        const LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return result;
    }
    case WM_PAINT: {
        const LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
        if (GetFocus() == hwnd && ShowsFocus(hwnd)) DrawLinkFocus(hwnd);
        return result;
    }
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, LinkProc, 0);
        break;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK OwnerDrawnButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (msg) {
    case WM_GETDLGCODE:
        // Otherwise Enter on it would press the dialog's default button instead.
        return DefSubclassProc(hwnd, msg, wParam, lParam) |
               (IsEnter(reinterpret_cast<const MSG*>(lParam)) ? DLGC_WANTMESSAGE : 0);
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            if (!(lParam & (1 << 30))) Click(hwnd, BN_CLICKED);
            return 0;
        }
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, OwnerDrawnButtonProc, 0);
        break;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

bool IsClass(HWND hwnd, const wchar_t* name) {
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    return lstrcmpiW(cls, name) == 0;
}

}  // namespace

void EnableKeyboardControls(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if (!(style & WS_TABSTOP)) continue;
        if (IsClass(child, WC_STATICW) && (style & SS_NOTIFY))
            SetWindowSubclass(child, LinkProc, 0, 0);
        else if (IsClass(child, WC_BUTTONW) && (style & BS_TYPEMASK) == BS_OWNERDRAW)
            SetWindowSubclass(child, OwnerDrawnButtonProc, 0, 0);
    }
}
