// Fonts and owner drawing.
#include "ui/theme/Theme.h"

HFONT CreateArialFont(int tenthsOfPoint) {
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(tenthsOfPoint, GetDeviceCaps(screen, LOGPIXELSY), 720);
    ReleaseDC(nullptr, screen);
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, L"Arial");
}

void DrawFlatButton(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT rc = item.rcItem;
    HBRUSH fill = CreateSolidBrush(ColorAccentBlue);
    FillRect(dc, &rc, fill);
    DeleteObject(fill);
    DrawEdge(dc, &rc, BDR_RAISEDOUTER | BDR_SUNKENOUTER, BF_RECT);
    SetBkColor(dc, ColorAccentBlue);
    SetTextColor(dc, ColorWhite);
    SetBkMode(dc, TRANSPARENT);
    wchar_t text[260] = {};
    GetWindowTextW(item.hwndItem, text, 260);
    DrawTextW(dc, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | (item.itemState & ODS_NOACCEL ? DT_HIDEPREFIX : 0));
    // Reached by Tab, it must show it has the focus.
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        InflateRect(&rc, -3, -3);
        DrawFocusRect(dc, &rc);
    }
}

UINT ControlColorKind(UINT msg, HWND control) {
    switch (msg) {
    case WM_CTLCOLORLISTBOX: return CTLCOLOR_LISTBOX;
    case WM_CTLCOLORBTN: return CTLCOLOR_BTN;
    case WM_CTLCOLORDLG: return CTLCOLOR_DLG;
    case WM_CTLCOLORSCROLLBAR: return CTLCOLOR_SCROLLBAR;
    case WM_CTLCOLORMSGBOX: return CTLCOLOR_MSGBOX;
    }
    // A drop-down list paints its field after asking as an edit (or, disabled, as a static).
    wchar_t cls[32] = {};
    GetClassNameW(control, cls, 32);
    if (lstrcmpiW(cls, L"ComboBox") == 0) return CTLCOLOR_LISTBOX;
    if (msg == WM_CTLCOLOREDIT || lstrcmpiW(cls, L"Edit") == 0) return CTLCOLOR_EDIT;
    return CTLCOLOR_STATIC;
}
