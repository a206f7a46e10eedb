// Keyboard use of the controls the platform leaves to the mouse.
#pragma once
#include <windows.h>

// For every child of a dialog: a static that reports clicks (SS_NOTIFY) and is a Tab stop acts
// as a link (Enter, Space and its access key click it, and it shows when it has the focus); an
// owner-drawn button that is a Tab stop takes Enter as a push button does.
void EnableKeyboardControls(HWND dialog);
