// The side panel's picture: only the part its control shows, cut from the large bitmap resource.
#pragma once
#include <windows.h>

// Cuts the centre of bitmap resource `id` (a 24-bit DIB) to `control`'s client size, as a
// centring static control would show it, and sets it on the control. Reading the resource in
// place touches only the rows shown and never builds the full picture. The caller owns the
// returned bitmap (delete it after the control is gone); null if the resource is not usable.
HBITMAP SetCentredPicture(HWND control, HINSTANCE instance, int id);
