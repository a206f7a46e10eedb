// Dark list views: row colours set once, the header painted through its custom-draw requests.
#include "ui/theme/DarkControls.h"
#include "ui/theme/Theme.h"
#include <commctrl.h>

namespace {

constexpr COLORREF kHeaderFill = RGB(45, 45, 48);
constexpr COLORREF kHeaderLine = RGB(80, 80, 84);

void FillSolid(HDC dc, const RECT& rc, COLORREF color) {
    SetBkColor(dc, color);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
}

// The header sends its drawing requests to the list, not to the dialog.
LRESULT OnHeaderDraw(HWND list, NMCUSTOMDRAW& cd) {
    switch (cd.dwDrawStage) {
    case CDDS_PREPAINT: {
        RECT all;
        GetClientRect(cd.hdr.hwndFrom, &all);
        FillSolid(cd.hdc, all, kHeaderFill);
        return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    }
    case CDDS_POSTPAINT: {  // the strip right of the last column
        RECT all, last{};
        GetClientRect(cd.hdr.hwndFrom, &all);
        const int count = static_cast<int>(SendMessageW(cd.hdr.hwndFrom, HDM_GETITEMCOUNT, 0, 0));
        if (count > 0) SendMessageW(cd.hdr.hwndFrom, HDM_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&last));
        all.left = last.right;
        if (all.left < all.right) FillSolid(cd.hdc, all, kHeaderFill);
        return CDRF_DODEFAULT;
    }
    case CDDS_ITEMPREPAINT: {
        RECT rc = cd.rc;
        FillSolid(cd.hdc, rc, kHeaderFill);
        RECT line = {rc.right - 1, rc.top + 3, rc.right, rc.bottom - 3};
        FillSolid(cd.hdc, line, kHeaderLine);
        RECT bottom = {rc.left, rc.bottom - 1, rc.right, rc.bottom};
        FillSolid(cd.hdc, bottom, kHeaderLine);
        wchar_t text[128] = {};
        HDITEMW item{};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = 128;
        SendMessageW(cd.hdr.hwndFrom, HDM_GETITEMW, cd.dwItemSpec, reinterpret_cast<LPARAM>(&item));
        HGDIOBJ old = SelectObject(cd.hdc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
        SetTextColor(cd.hdc, ColorWhite);
        SetBkMode(cd.hdc, TRANSPARENT);
        rc.left += 6;
        DrawTextW(cd.hdc, text, -1, &rc, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
        SelectObject(cd.hdc, old);
        return CDRF_SKIPDEFAULT;
    }
    }
    return CDRF_DODEFAULT;
}

LRESULT CALLBACK DarkListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (msg == WM_NOTIFY) {
        auto& hdr = *reinterpret_cast<NMHDR*>(lParam);
        if (hdr.code == NM_CUSTOMDRAW && hdr.hwndFrom == reinterpret_cast<HWND>(SendMessageW(hwnd, LVM_GETHEADER, 0, 0)))
            return OnHeaderDraw(hwnd, *reinterpret_cast<NMCUSTOMDRAW*>(lParam));
    } else if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, DarkListProc, 0);
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace

bool IsEditControl(HWND control) {
    wchar_t name[16] = {};
    GetClassNameW(control, name, 16);
    return CompareStringOrdinal(name, -1, L"Edit", -1, TRUE) == CSTR_EQUAL;
}

LRESULT DrawDarkListItem(NMLVCUSTOMDRAW& cd) {
    if (cd.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (cd.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    // Unfocused, the list would mark its selection in light grey.
    if ((cd.nmcd.uItemState & CDIS_SELECTED) && GetFocus() != cd.nmcd.hdr.hwndFrom) {
        cd.nmcd.uItemState &= ~CDIS_SELECTED;
        cd.clrTextBk = ColorSidebarBlue;
        cd.clrText = ColorWhite;
    }
    return CDRF_DODEFAULT;
}

void DarkenListView(HWND list) {
    SendMessageW(list, LVM_SETBKCOLOR, 0, ColorDarkField);
    SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, ColorDarkField);
    SendMessageW(list, LVM_SETTEXTCOLOR, 0, ColorWhite);
    SetWindowSubclass(list, DarkListProc, 0, 0);
}
