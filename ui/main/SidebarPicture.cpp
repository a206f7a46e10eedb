// Cutting the shown centre of the side-panel bitmap straight from the resource.
#include "ui/main/SidebarPicture.h"
#include <algorithm>
#include <cstring>

HBITMAP SetCentredPicture(HWND control, HINSTANCE instance, int id) {
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2));  // RT_BITMAP
    const auto* dib = found ? static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(instance, found))) : nullptr;
    if (!dib || dib->biBitCount != 24 || dib->biCompression != BI_RGB || dib->biWidth <= 0) return nullptr;
    const int width = dib->biWidth, height = dib->biHeight < 0 ? -dib->biHeight : dib->biHeight;
    const bool bottomUp = dib->biHeight > 0;
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    const auto* bits = reinterpret_cast<const BYTE*>(dib) + dib->biSize;

    RECT rc;
    GetClientRect(control, &rc);
    const int w = std::min<int>(rc.right, width), h = std::min<int>(rc.bottom, height);
    if (w <= 0 || h <= 0) return nullptr;
    // The static control centres a larger picture at (client / 2 - picture / 2).
    const int left = width / 2 - rc.right / 2 > 0 ? width / 2 - rc.right / 2 : 0;
    const int top = height / 2 - rc.bottom / 2 > 0 ? height / 2 - rc.bottom / 2 : 0;

    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* out = nullptr;
    HBITMAP picture = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &out, nullptr, 0);
    if (!picture) return nullptr;
    const size_t outStride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
    for (int y = 0; y < h; ++y) {
        const int row = bottomUp ? height - 1 - (top + y) : top + y;
        std::memcpy(static_cast<BYTE*>(out) + y * outStride, bits + row * stride + static_cast<size_t>(left) * 3,
                    static_cast<size_t>(w) * 3);
    }
    SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
    return picture;
}
