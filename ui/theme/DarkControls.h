// The dark look of controls that the platform would draw light: check boxes, push buttons and
// the frame and arrow button of combo boxes.
#pragma once
#include <windows.h>
#include <commctrl.h>

// Custom-draw answers for a check box or a push button in the dark look.
LRESULT DrawDarkCheckBox(const NMCUSTOMDRAW& draw);
LRESULT DrawDarkPushButton(const NMCUSTOMDRAW& draw);

// Paints the combo's frame and arrow button dark from now on; its field keeps the colours its
// parent gives it.
void UseDarkComboFrame(HWND combo);
