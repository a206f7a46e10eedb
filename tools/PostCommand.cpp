// Posts a command to a running Vandrel window, as a click on one of its controls or a tray menu
// item would: post-command.exe <control or command id> [notification code] [window caption].
// Without a caption the command goes to the main window. Only a shown window is taken, so the
// hidden media settings of start-up never stand in for the ones the user opened.
#include <windows.h>
#include <cwchar>
#include <cstdlib>

namespace {
struct Search {
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK Match(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    wchar_t text[256] = {}, cls[16] = {};
    GetWindowTextW(window, text, 256);
    GetClassNameW(window, cls, 16);
    if (!IsWindowVisible(window) || wcscmp(cls, L"#32770") != 0 || wcscmp(text, search->caption) != 0) return TRUE;
    search->found = window;
    return FALSE;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fwprintf(stderr, L"usage: post-command <id> [code] [caption]\n");
        return 2;
    }
    const int id = _wtoi(argv[1]);
    const int code = argc > 2 ? _wtoi(argv[2]) : 0;
    Search search{argc > 3 ? argv[3] : L"Quillane Vandrel", nullptr};
    EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
    if (!search.found) search.found = FindWindowW(L"#32770", search.caption);  // a hidden main window
    if (!search.found) {
        fwprintf(stderr, L"post-command: no such window\n");
        return 1;
    }
    HWND control = GetDlgItem(search.found, id);
    return PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control)) ? 0 : 1;
}
