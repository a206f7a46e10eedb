// A stand-in for ffmpeg.exe, for tests only: records how it was started, then behaves as
// VANDREL_FAKE_MODE says: "q" (the default) ends with code 0 on the key 'q' typed into its console,
// "ignore" ignores the key, "exit" ends at once, "late" ends by itself after a second with exit code 7.
// Like the real encoder it installs a Ctrl+C handler (ending with code 3) and never enables Ctrl+C,
// which a new process group starts with disabled. With FFREPORT set it writes a report as the
// real one does: its command line first (keys and all), then the lines of the file named by
// VANDREL_FAKE_REPORT, if any; "late" and "exit" copy them before ending. "-hide_banner -version" is
// answered at once (VANDREL_FAKE_VERSION=silent: never).
#include <windows.h>
#include <cstdio>
#include <string>

// How it ended, for the tests: fake_encoder.end holds "q" or "ctrl+c".
static void Ended(const char* how) {
    HANDLE f = CreateFileW(L"fake_encoder.end", GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(f, how, lstrlenA(how), &written, nullptr);
    CloseHandle(f);
}

static BOOL WINAPI OnCtrl(DWORD) {
    Ended("ctrl+c");
    ExitProcess(3);
}

// The file= option of FFREPORT, unescaped as the real encoder reads it.
static std::wstring ReportPath() {
    wchar_t value[2048] = {};
    if (!GetEnvironmentVariableW(L"FFREPORT", value, 2048)) return L"";
    std::wstring path;
    for (const wchar_t* p = value + 5; *p && *p != L':'; ++p) {
        if (*p == L'\\' && p[1]) ++p;
        else if (*p == L'%' && p[1] == L'%') ++p;
        path += *p;
    }
    return wcsncmp(value, L"file=", 5) == 0 ? path : L"";
}

static void WriteReport() {
    const std::wstring path = ReportPath();
    if (path.empty()) return;
    // The real encoder opens its report through the ANSI functions.
    char ansi[1024] = {};
    WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, ansi, sizeof ansi, nullptr, nullptr);
    HANDLE report = CreateFileA(ansi, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (report == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    const std::string head = "ffmpeg started on 2026-12-09 at 22:45:49\r\nCommand line:\r\n";
    WriteFile(report, head.data(), static_cast<DWORD>(head.size()), &written, nullptr);
    char line[32768] = {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, GetCommandLineW(), -1, line, sizeof line, nullptr, nullptr);
    WriteFile(report, line, n > 0 ? static_cast<DWORD>(n - 1) : 0, &written, nullptr);
    WriteFile(report, "\r\n", 2, &written, nullptr);
    wchar_t source[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"VANDREL_FAKE_REPORT", source, MAX_PATH)) {
        HANDLE in = CreateFileW(source, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        char buf[4096];
        DWORD read = 0;
        while (in != INVALID_HANDLE_VALUE && ReadFile(in, buf, sizeof buf, &read, nullptr) && read > 0)
            WriteFile(report, buf, read, &written, nullptr);
        if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
    }
    CloseHandle(report);
}

int wmain() {
    // The readiness probe: answered as the encoder does, unless asked to stay silent.
    if (wcsstr(GetCommandLineW(), L" -hide_banner -version")) {
        wchar_t version[32] = L"";
        GetEnvironmentVariableW(L"VANDREL_FAKE_VERSION", version, 32);
        if (lstrcmpW(version, L"silent") == 0) for (;;) Sleep(50);
        DWORD written = 0;
        const char answer[] = "ffmpeg version stand-in Copyright (c) the tests\r\n";
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), answer, sizeof answer - 1, &written, nullptr);
        return 0;
    }
    wchar_t dir[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, dir);
    wchar_t mode[32] = L"q";
    GetEnvironmentVariableW(L"VANDREL_FAKE_MODE", mode, 32);
    SetConsoleCtrlHandler(OnCtrl, TRUE);

    DeleteFileW(L"fake_encoder.end");
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
    WriteReport();

    if (lstrcmpW(mode, L"exit") == 0) return 0;
    if (lstrcmpW(mode, L"late") == 0) {
        Sleep(1000);
        return 7;
    }
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    for (;;) {
        INPUT_RECORD key{};
        DWORD read = 0;
        if (lstrcmpW(mode, L"ignore") == 0 || !ReadConsoleInputW(input, &key, 1, &read)) {
            Sleep(50);
            continue;
        }
        if (read == 1 && key.EventType == KEY_EVENT && key.Event.KeyEvent.bKeyDown &&
            key.Event.KeyEvent.uChar.UnicodeChar == L'q') {
            Ended("q");
            return 0;
        }
    }
}
