// The dark look of controls that the colour requests do not reach or the platform would draw
// light: check boxes, push buttons, combo frames, list views and their headers.
#pragma once
#include <windows.h>
#include <commctrl.h>

// Custom-draw answers for a check box or a push button in the dark look.
LRESULT DrawDarkCheckBox(const NMCUSTOMDRAW& draw);
LRESULT DrawDarkPushButton(const NMCUSTOMDRAW& draw);

// Paints the combo's frame, arrow button and dropped list's border dark from now on; its field
// keeps the colours its parent gives it.
void UseDarkComboFrame(HWND combo);
// A grey line for the light sunken edge of an edit field or a list.
void UseDarkFieldFrame(HWND field);

// Dark rows with white text, and a dark column header drawn by the list itself.
void DarkenListView(HWND list);

// The answer to a dark list's item drawing request (NM_CUSTOMDRAW, sent to its dialog).
LRESULT DrawDarkListItem(NMLVCUSTOMDRAW& cd);
