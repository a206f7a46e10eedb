// Colours, fonts and the flat owner-drawn button shared by the dialogs.
#pragma once
#include <windows.h>
#include <string>

inline constexpr COLORREF ColorDarkBackground = RGB(30, 30, 30);
inline constexpr COLORREF ColorDarkField = RGB(51, 51, 55);
inline constexpr COLORREF ColorAccentBlue = RGB(9, 86, 165);
inline constexpr COLORREF ColorSidebarBlue = RGB(0, 73, 141);
inline constexpr COLORREF ColorAlertRed = RGB(255, 0, 0);
inline constexpr COLORREF ColorWhite = RGB(255, 255, 255);
inline constexpr COLORREF ColorDimText = RGB(128, 128, 128);  // disabled text in the dark look

inline bool IsDarkTheme(const std::wstring& themeName) { return themeName == L"Dark"; }

// An "Arial" font of tenthsOfPoint / 10 points at the screen's vertical DPI.
HFONT CreateArialFont(int tenthsOfPoint);

// Blue fill, a thin edge and centred white text, the same in every state but the focus rectangle.
void DrawFlatButton(const DRAWITEMSTRUCT& item);

// The control kind of a WM_CTLCOLOR* request (CTLCOLOR_EDIT, CTLCOLOR_LISTBOX, CTLCOLOR_STATIC...).
// Read-only or disabled edits ask as statics and drop-down lists as edits or statics; each
// counts as what it is, so a dark look can keep its dark field.
UINT ControlColorKind(UINT msg, HWND control);
