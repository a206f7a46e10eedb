// The benchmarks' baseline: a bare Win32 program that shows one dialog the size of the main window.
#include <windows.h>

static INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_CLOSE) EndDialog(dlg, 0);
    return msg == WM_INITDIALOG;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return static_cast<int>(DialogBoxParamW(instance, MAKEINTRESOURCEW(100), nullptr, DialogProc, 0));
}
