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
    DrawTextW(dc, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}
