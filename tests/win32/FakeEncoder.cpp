// A stand-in for ffmpeg.exe, for tests only: records how it was started, then behaves as
// VANDREL_FAKE_MODE says: "ctrlc" ends on Ctrl+C (the default), "ignore" ignores it, "exit" ends at once,
// "late" ends by itself after a second with exit code 7.
#include <windows.h>
#include <cstdio>

static BOOL WINAPI OnCtrl(DWORD) {
    ExitProcess(3);
}

int wmain() {
    wchar_t dir[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, dir);
    wchar_t mode[32] = L"ctrlc";
    GetEnvironmentVariableW(L"VANDREL_FAKE_MODE", mode, 32);
    if (lstrcmpW(mode, L"ignore") == 0)
        SetConsoleCtrlHandler(nullptr, TRUE);
    else
        SetConsoleCtrlHandler(OnCtrl, TRUE);
    // A new process group starts with Ctrl+C ignored: take it back unless asked to ignore it.
    if (lstrcmpW(mode, L"ignore") != 0) SetConsoleCtrlHandler(nullptr, FALSE);

    HANDLE log = CreateFileW(L"fake_encoder.log", GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    const unsigned char bom[2] = {0xFF, 0xFE};
    DWORD written = 0;
    WriteFile(log, bom, 2, &written, nullptr);
    const wchar_t* cmd = GetCommandLineW();
    WriteFile(log, cmd, lstrlenW(cmd) * 2, &written, nullptr);
    WriteFile(log, L"\n", 2, &written, nullptr);
    WriteFile(log, dir, lstrlenW(dir) * 2, &written, nullptr);
    WriteFile(log, L"\n", 2, &written, nullptr);
    CloseHandle(log);

    if (lstrcmpW(mode, L"exit") == 0) return 0;
    if (lstrcmpW(mode, L"late") == 0) {
        Sleep(1000);
        return 7;
    }
    for (;;) Sleep(50);
}
