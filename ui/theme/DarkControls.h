// The dark look of controls that the colour requests do not reach: list views and their headers.
#pragma once
#include <windows.h>
#include <commctrl.h>

// Edits ask for their colours as statics while disabled or read-only.
bool IsEditControl(HWND control);

// Dark rows with white text, and a dark column header drawn by the list itself.
void DarkenListView(HWND list);

// The answer to a dark list's item drawing request (NM_CUSTOMDRAW, sent to its dialog).
LRESULT DrawDarkListItem(NMLVCUSTOMDRAW& cd);
