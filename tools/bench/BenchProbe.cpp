// Measures a GUI program from outside under Wine: start-up to its visible window, working set,
// its CPU over a session with the stand-in encoder, and the time from Stop to the encoder gone.
//   bench_probe startup EXE TITLE      startup_ms=… ws_kb=…
//   bench_probe session EXE SECONDS    cpu_ms=… session_ms=… stop_ms=…   (Start and Stop buttons)
//   bench_probe engine-stop            stop_ms=…   (the encoder session alone: the baseline of Stop)
//   bench_probe preview EXE            preview_ms=…   (Media Settings' Preview pressed to its answer)
// The programs see APPDATA=%BENCH_APPDATA% and the probe's current folder.
#include "engine/EncoderProcess.h"
#include "resources/MediaSettingsRes.h"
#include "resources/resource.h"
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <cstdio>
#include <string>

namespace {

double NowMs() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

bool EncoderRunning() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W e{};
    e.dwSize = sizeof e;
    bool found = false;
    for (BOOL ok = Process32FirstW(snap, &e); ok && !found; ok = Process32NextW(snap, &e))
        found = lstrcmpiW(e.szExeFile, L"ffmpeg.exe") == 0;
    CloseHandle(snap);
    return found;
}

template <class F>
bool WaitFor(F done, DWORD timeoutMs) {
    const double end = NowMs() + timeoutMs;
    while (!done())
        if (NowMs() > end) return false; else Sleep(1);
    return true;
}

double CpuMs(HANDLE process) {
    FILETIME c, e, k, u;
    GetProcessTimes(process, &c, &e, &k, &u);
    auto ms = [](FILETIME t) { return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e4; };
    return ms(k) + ms(u);
}

struct Started {
    PROCESS_INFORMATION pi{};
    HWND window = nullptr;
    double visibleMs = 0;
};

// Starts exe and waits for its visible dialog titled title.
bool Start(const wchar_t* exe, const wchar_t* title, Started& out) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring cmd = std::wstring(L"\"") + exe + L"\"";
    const double t0 = NowMs();
    // Detached, as from the shell: no console of the probe's to share with the encoder.
    if (!CreateProcessW(exe, cmd.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr, &si, &out.pi))
        return false;
    const bool shown = WaitFor([&] {
        out.window = FindWindowW(L"#32770", title);
        return out.window && IsWindowVisible(out.window);
    }, 30000);
    out.visibleMs = NowMs() - t0;
    return shown;
}

void End(Started& s) {
    TerminateProcess(s.pi.hProcess, 0);
    WaitForSingleObject(s.pi.hProcess, 5000);
    CloseHandle(s.pi.hProcess);
    CloseHandle(s.pi.hThread);
}

int Startup(const wchar_t* exe, const wchar_t* title) {
    Started s;
    if (!Start(exe, title, s)) return 1;
    Sleep(2000);  // settled
    PROCESS_MEMORY_COUNTERS m{};
    m.cb = sizeof m;
    GetProcessMemoryInfo(s.pi.hProcess, &m, sizeof m);
    std::printf("startup_ms=%.1f ws_kb=%zu\n", s.visibleMs, static_cast<size_t>(m.WorkingSetSize / 1024));
    End(s);
    return 0;
}

void Press(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

int Session(const wchar_t* exe, int seconds) {
    Started s;
    if (!Start(exe, L"Quillane Vandrel", s)) return 1;
    if (!WaitFor([&] { return IsWindowEnabled(GetDlgItem(s.window, IDC_START)) != 0; }, 10000)) {
        std::fprintf(stderr, "Start stays disabled (Save Locally %d)\n",
                     static_cast<int>(SendMessageW(GetDlgItem(s.window, IDC_SAVE_LOCALLY), BM_GETCHECK, 0, 0)));
        return End(s), 2;
    }
    Sleep(1000);
    const double cpu0 = CpuMs(s.pi.hProcess), t0 = NowMs();
    Press(s.window, IDC_START);
    if (!WaitFor(EncoderRunning, 15000)) return End(s), 3;
    Sleep(static_cast<DWORD>(seconds) * 1000);
    const double cpu = CpuMs(s.pi.hProcess) - cpu0, session = NowMs() - t0;
    const double stop0 = NowMs();
    Press(s.window, IDC_STOP);
    const bool gone = WaitFor([] { return !EncoderRunning(); }, 30000);
    std::printf("cpu_ms=%.1f session_ms=%.1f stop_ms=%.1f\n", cpu, session, gone ? NowMs() - stop0 : -1.0);
    End(s);
    return gone ? 0 : 4;
}

int Preview(const wchar_t* exe) {
    Started s;
    if (!Start(exe, L"Quillane Vandrel", s)) return 1;
    Sleep(1000);
    PostMessageW(s.window, WM_COMMAND, MAKEWPARAM(IDC_LINK_MEDIA_SETTINGS, STN_CLICKED), 0);
    HWND settings = nullptr;
    if (!WaitFor([&] { return (settings = FindWindowW(L"#32770", L"Vandrel Settings")) && IsWindowVisible(settings); }, 10000))
        return End(s), 2;
    Sleep(500);
    HWND button = GetDlgItem(settings, IDC_PREVIEW);
    const double t0 = NowMs();
    Press(settings, IDC_PREVIEW);
    const bool answered = WaitFor([&] { return !IsWindowEnabled(button); }, 5000) &&
                          WaitFor([&] { return IsWindowEnabled(button) != 0; }, 30000);
    std::printf("preview_ms=%.1f\n", answered ? NowMs() - t0 : -1.0);
    End(s);
    return answered ? 0 : 3;
}

int EngineStop() {
    FreeConsole();  // as the GUI program: no console of its own
    CEncoderSession session;
    session.Start(L"ffmpeg -bench", nullptr);
    if (!WaitFor(EncoderRunning, 15000)) return 3;
    Sleep(1000);
    const double t0 = NowMs();
    session.Stop();
    const bool gone = WaitFor([] { return !EncoderRunning(); }, 30000);
    std::printf("stop_ms=%.1f\n", gone ? NowMs() - t0 : -1.0);
    return gone ? 0 : 4;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Wine sets APPDATA from the prefix: the settings folder to use comes under another name.
    wchar_t appData[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"BENCH_APPDATA", appData, MAX_PATH)) SetEnvironmentVariableW(L"APPDATA", appData);
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"startup" && argc == 4) return Startup(argv[2], argv[3]);
    if (mode == L"session" && argc == 4) return Session(argv[2], _wtoi(argv[3]));
    if (mode == L"engine-stop") return EngineStop();
    if (mode == L"preview" && argc == 3) return Preview(argv[2]);
    std::fprintf(stderr, "usage: bench_probe startup EXE TITLE | session EXE SECONDS | engine-stop | preview EXE\n");
    return 9;
}
