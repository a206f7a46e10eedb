// Drawing of check boxes, push buttons and combo frames for the dark look.
#include "ui/theme/DarkControls.h"
#include "ui/theme/Theme.h"
#include <algorithm>

namespace {

constexpr COLORREF kFrame = RGB(120, 120, 124);
constexpr COLORREF kFrameDisabled = RGB(80, 80, 84);
constexpr COLORREF kPressed = RGB(70, 70, 76);
constexpr COLORREF kGreyText = RGB(128, 128, 128);

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

}  // namespace

void UseDarkComboFrame(HWND combo) { SetWindowSubclass(combo, DarkComboProc, 0, 0); }

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
    DrawTextW(dc, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
    if (draw.uItemState & CDIS_FOCUS) {
        InflateRect(&rc, -3, -3);
        DrawFocusRect(dc, &rc);
    }
    return CDRF_SKIPDEFAULT;
}
