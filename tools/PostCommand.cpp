// Posts a command to the running Vandrel main window, as a click on one of its controls or a
// tray menu item would: post-command.exe <control or command id> [notification code] [window caption].
// Without a caption the command goes to the main window.
#include <windows.h>
#include <cwchar>
#include <cstdlib>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fwprintf(stderr, L"usage: post-command <id> [code]\n");
        return 2;
    }
    const int id = _wtoi(argv[1]);
    const int code = argc > 2 ? _wtoi(argv[2]) : 0;
    HWND main = FindWindowW(L"#32770", argc > 3 ? argv[3] : L"Quillane Vandrel");
    if (!main) {
        fwprintf(stderr, L"post-command: no such window\n");
        return 1;
    }
    HWND control = GetDlgItem(main, id);
    return PostMessageW(main, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control)) ? 0 : 1;
}
