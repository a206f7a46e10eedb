// Dark drawing: combo frames, check boxes and push buttons; list views with their headers.
#include "ui/theme/DarkControls.h"
#include "ui/theme/Theme.h"
#include <algorithm>
#include <commctrl.h>

namespace {

constexpr COLORREF kFrame = RGB(120, 120, 124);
constexpr COLORREF kFrameDisabled = RGB(80, 80, 84);
constexpr COLORREF kPressed = RGB(70, 70, 76);
constexpr COLORREF kGreyText = ColorDimText;

void Fill(HDC dc, const RECT& rc, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
}

void Frame(HDC dc, const RECT& rc, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FrameRect(dc, &rc, brush);
    DeleteObject(brush);
}

void Lines(HDC dc, const POINT* points, int count, int width, COLORREF color) {
    HPEN pen = CreatePen(PS_SOLID, width, color);
    HGDIOBJ old = SelectObject(dc, pen);
    Polyline(dc, points, count);
    SelectObject(dc, old);
    DeleteObject(pen);
}

// A downward chevron centred in rc.
void DrawChevron(HDC dc, const RECT& rc, COLORREF color) {
    const int w = std::max(4L, rc.right - rc.left - 9) / 2 * 2;
    const int cx = (rc.left + rc.right) / 2, cy = (rc.top + rc.bottom) / 2;
    const POINT chevron[] = {{cx - w / 2, cy - w / 4}, {cx, cy + w / 4}, {cx + w / 2 + 1, cy - w / 4 - 1}};
    Lines(dc, chevron, 3, 1, color);
}

void PaintComboFrame(HWND combo) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (!GetComboBoxInfo(combo, &info)) return;
    RECT client;
    GetClientRect(combo, &client);
    const bool enabled = IsWindowEnabled(combo);
    HDC dc = GetDC(combo);
    // A drop-down list leaves a light ring around its field; an edit field is a window of its own.
    RECT field = info.rcItem;
    if (!info.hwndItem || info.hwndItem == combo) InflateRect(&field, -1, -1);
    ExcludeClipRect(dc, field.left, field.top, field.right, field.bottom);
    Fill(dc, client, ColorDarkField);
    if (info.stateButton & STATE_SYSTEM_PRESSED) Fill(dc, info.rcButton, kPressed);
    Frame(dc, client, enabled ? kFrame : kFrameDisabled);
    DrawChevron(dc, info.rcButton, enabled ? ColorWhite : kGreyText);
    ReleaseDC(combo, dc);
}

LRESULT CALLBACK DarkComboProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    const LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
    if (msg == WM_PAINT || msg == WM_ENABLE) PaintComboFrame(hwnd);
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, DarkComboProc, 0);
    return result;
}

// The dropped list's own border, which the platform draws light.
LRESULT CALLBACK DarkDropListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    const LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
    if (msg == WM_NCPAINT || msg == WM_SHOWWINDOW) {
        RECT rc;
        GetWindowRect(hwnd, &rc);
        OffsetRect(&rc, -rc.left, -rc.top);
        HDC dc = GetWindowDC(hwnd);
        Frame(dc, rc, kFrame);
        ReleaseDC(hwnd, dc);
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, DarkDropListProc, 0);
    return result;
}

// The sunken edge of an edit field or a list, which the platform draws light: a grey line with
// the field's own colour inside it.
void PaintFieldFrame(HWND hwnd) {
    RECT window, client;
    GetWindowRect(hwnd, &window);
    GetClientRect(hwnd, &client);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const int edge = std::min(client.left - window.left, client.top - window.top);
    if (edge <= 0) return;
    OffsetRect(&window, -window.left, -window.top);
    HDC dc = GetWindowDC(hwnd);
    Frame(dc, window, IsWindowEnabled(hwnd) ? kFrame : kFrameDisabled);
    for (int i = 1; i < edge; ++i) {
        InflateRect(&window, -1, -1);
        Frame(dc, window, ColorDarkField);
    }
    ReleaseDC(hwnd, dc);
}

LRESULT CALLBACK DarkFieldProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    const LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
    if (msg == WM_NCPAINT || msg == WM_ENABLE || msg == WM_SETFOCUS || msg == WM_KILLFOCUS) PaintFieldFrame(hwnd);
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, DarkFieldProc, 0);
    return result;
}

}  // namespace

void UseDarkFieldFrame(HWND field) {
    SetWindowSubclass(field, DarkFieldProc, 0, 0);
    PaintFieldFrame(field);
}

void UseDarkComboFrame(HWND combo) {
    SetWindowSubclass(combo, DarkComboProc, 0, 0);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(combo, &info) && info.hwndList) SetWindowSubclass(info.hwndList, DarkDropListProc, 0, 0);
}

LRESULT DrawDarkCheckBox(const NMCUSTOMDRAW& draw) {
    if (draw.dwDrawStage != CDDS_PREPAINT) return CDRF_DODEFAULT;
    HDC dc = draw.hdc;
    const RECT& rc = draw.rc;
    Fill(dc, rc, ColorDarkBackground);
    const bool enabled = IsWindowEnabled(draw.hdr.hwndFrom);
    const bool checked = SendMessageW(draw.hdr.hwndFrom, BM_GETCHECK, 0, 0) == BST_CHECKED;
    const int side = std::min({int(rc.right - rc.left), int(rc.bottom - rc.top), MulDiv(13, GetDeviceCaps(dc, LOGPIXELSY), 96)});
    const int top = rc.top + (rc.bottom - rc.top - side) / 2;
    const RECT box{rc.left, top, rc.left + side, top + side};
    Fill(dc, box, draw.uItemState & CDIS_SELECTED ? kPressed : ColorDarkField);
    Frame(dc, box, enabled ? kFrame : kFrameDisabled);
    if (checked) {
        const POINT tick[] = {{box.left + side * 3 / 13, box.top + side * 6 / 13},
                              {box.left + side * 5 / 13, box.top + side * 9 / 13},
                              {box.left + side * 10 / 13, box.top + side * 3 / 13}};
        Lines(dc, tick, 3, std::max(1, side / 7), enabled ? ColorWhite : kGreyText);
    }
    if (draw.uItemState & CDIS_FOCUS) {
        RECT focus = box;
        InflateRect(&focus, 1, 1);
        DrawFocusRect(dc, &focus);
    }
    return CDRF_SKIPDEFAULT;
}

LRESULT DrawDarkPushButton(const NMCUSTOMDRAW& draw) {
    if (draw.dwDrawStage != CDDS_PREPAINT) return CDRF_DODEFAULT;
    HDC dc = draw.hdc;
    RECT rc = draw.rc;
    const bool enabled = IsWindowEnabled(draw.hdr.hwndFrom);
    Fill(dc, rc, draw.uItemState & CDIS_SELECTED ? kPressed : ColorDarkField);
    Frame(dc, rc, enabled ? kFrame : kFrameDisabled);
    wchar_t text[260] = {};
    GetWindowTextW(draw.hdr.hwndFrom, text, 260);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(draw.hdr.hwndFrom, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, enabled ? ColorWhite : kGreyText);
    const LRESULT cues = SendMessageW(draw.hdr.hwndFrom, WM_QUERYUISTATE, 0, 0);
    DrawTextW(dc, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | (cues & UISF_HIDEACCEL ? DT_HIDEPREFIX : 0));
    SelectObject(dc, old);
    if ((draw.uItemState & CDIS_FOCUS) && !(cues & UISF_HIDEFOCUS)) {
        InflateRect(&rc, -3, -3);
        DrawFocusRect(dc, &rc);
    }
    return CDRF_SKIPDEFAULT;
}

namespace {

constexpr COLORREF kHeaderFill = RGB(45, 45, 48);
constexpr COLORREF kHeaderLine = RGB(80, 80, 84);

// The header sends its drawing requests to the list, not to the dialog.
LRESULT OnHeaderDraw(HWND list, NMCUSTOMDRAW& cd) {
    switch (cd.dwDrawStage) {
    case CDDS_PREPAINT: {
        RECT all;
        GetClientRect(cd.hdr.hwndFrom, &all);
        Fill(cd.hdc, all, kHeaderFill);
        return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    }
    case CDDS_POSTPAINT: {  // the strip right of the last column
        RECT all, last{};
        GetClientRect(cd.hdr.hwndFrom, &all);
        const int count = static_cast<int>(SendMessageW(cd.hdr.hwndFrom, HDM_GETITEMCOUNT, 0, 0));
        if (count > 0) SendMessageW(cd.hdr.hwndFrom, HDM_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&last));
        all.left = last.right;
        if (all.left < all.right) Fill(cd.hdc, all, kHeaderFill);
        return CDRF_DODEFAULT;
    }
    case CDDS_ITEMPREPAINT: {
        RECT rc = cd.rc;
        Fill(cd.hdc, rc, kHeaderFill);
        RECT line = {rc.right - 1, rc.top + 3, rc.right, rc.bottom - 3};
        Fill(cd.hdc, line, kHeaderLine);
        RECT bottom = {rc.left, rc.bottom - 1, rc.right, rc.bottom};
        Fill(cd.hdc, bottom, kHeaderLine);
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
