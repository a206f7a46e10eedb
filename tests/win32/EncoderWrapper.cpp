// Installed as ffmpeg.exe by tests: runs the real Windows encoder on the application's line with
// each DirectShow input swapped for a generated source of the same shape (nothing else changes).
// The real encoder (encoder\ffmpeg.exe beside this program) runs in this console and this process
// group, so it gets what the application sends exactly as a lone encoder would. This program never
// reads console input and never changes console control handling.
// It reports to encoder_wrapper.log beside itself (UTF-8, one "name value" a line, written as it goes):
//   dir  the working folder it was started in
//   line the command line it was given
//   real the command line the real encoder was given
//   pid  the real encoder's process id
//   exit the real encoder's exit code, written only when the real encoder ended by itself
// and returns the real encoder's exit code. With VANDREL_WRAPPER_INPUTS=real the line goes to the
// real encoder as it is, DirectShow inputs and all. The relay's line for a second sound device (its
// output "-") gets 1000 Hz, after VANDREL_WRAPPER_SECOND_LATE seconds of nothing when that is set,
// ends at once with 1 as a device in use would with VANDREL_WRAPPER_SECOND_FAILS set, and reports
// to encoder_wrapper_sound.log, so that the session's runs stay whole in the other.
#include <windows.h>
#include <string>

namespace {

std::wstring ModuleFolder() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L'\\'));
}

const wchar_t* g_log = L"\\encoder_wrapper.log";

void Report(const std::wstring& name, const std::wstring& value) {
    const std::wstring text = name + L" " + value + L"\n";
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), n, nullptr, nullptr);
    HANDLE log = CreateFileW((ModuleFolder() + g_log).c_str(), FILE_APPEND_DATA,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(log, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(log);
}

// The application's values never hold a double quote: a quoted value ends at the next one.
bool TakeQuoted(const std::wstring& line, size_t& at, const wchar_t* prefix) {
    const size_t n = lstrlenW(prefix);
    if (line.compare(at, n, prefix) != 0) return false;
    const size_t close = line.find(L'"', at + n);
    if (close == std::wstring::npos) return false;
    at = close + 1;
    return true;
}

// A line whose output is the standard output (the relay's, the preview's) gets this program's own.
bool ToStandardOutput(const std::wstring& line) { return line.size() > 2 && line.compare(line.size() - 2, 2, L" -") == 0; }
bool SecondSound(const std::wstring& line) { return ToStandardOutput(line) && line.find(L" -f s16le ") != std::wstring::npos; }

std::wstring GeneratedInputs(std::wstring line) {
    std::wstring rate = L"12";
    const std::wstring head = L"ffmpeg -framerate ";
    if (line.compare(0, head.size(), head) == 0 && line.find(L"-f dshow -i video=") != std::wstring::npos) {
        const size_t end = line.find(L' ', head.size());
        rate = line.substr(head.size(), end - head.size());
        line.erase(7, end + 1 - 7);  // the frame rate belongs to the DirectShow input
    }
    // The device's own buffering option has no place on a generated input.
    if (const size_t at = line.find(L"-audio_buffer_size 50 "); at != std::wstring::npos) line.erase(at, 22);
    std::wstring out;
    int videos = 0, audios = SecondSound(line) ? 1 : 0;
    for (size_t at = 0; at < line.size();) {
        const size_t from = at;
        if (TakeQuoted(line, at, L"-f dshow -i video=\"")) {
            size_t audio = at;
            const bool withAudio = TakeQuoted(line, audio, L":audio=\"");
            if (withAudio) {
                at = audio;
                out += L"-f lavfi -i testsrc2=size=1280x800:rate=" + rate + L"[out0];sine=frequency=440:sample_rate=44100[out1]";
            } else {
                out += videos == 0 ? L"-f lavfi -i testsrc2=size=1280x800:rate=" + rate
                                   : std::wstring(L"-f lavfi -i testsrc=size=640x480:rate=30");
            }
            ++videos;
        } else if (TakeQuoted(line, at, L"-f dshow -i audio=\"")) {
            // The audio device a 440 Hz tone, a second one ("Also record") 1000 Hz.
            // Paced as a device is (-re), not read as fast as it generates.
            // With VANDREL_WRAPPER_SILENT set, every sound device gives digital silence.
            out += GetEnvironmentVariableW(L"VANDREL_WRAPPER_SILENT", nullptr, 0) ? L"-re -f lavfi -i anullsrc=sample_rate=44100"
                 : audios == 0 ? L"-re -f lavfi -i sine=frequency=440:sample_rate=44100"
                               : L"-re -f lavfi -i sine=frequency=1000:sample_rate=44100";
            ++audios;
        } else {
            out += line[from];
            at = from + 1;
        }
    }
    return out;
}

}  // namespace

int wmain() {
    // The application's readiness probe is no session: the real encoder answers it on this
    // program's own output, and nothing is reported.
    if (wcsstr(GetCommandLineW(), L" -hide_banner -version")) {
        const std::wstring encoder = ModuleFolder() + L"\\encoder\\ffmpeg.exe";
        std::wstring probe = L"\"" + encoder + L"\" -hide_banner -version";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(encoder.c_str(), probe.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return 1;
        CloseHandle(pi.hThread);
        WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD code = 1;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hProcess);
        return static_cast<int>(code);
    }
    if (SecondSound(GetCommandLineW())) g_log = L"\\encoder_wrapper_sound.log";
    wchar_t dir[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, dir);
    Report(L"dir", dir);
    const std::wstring line = GetCommandLineW();
    Report(L"line", line);
    wchar_t inputs[8] = {};
    GetEnvironmentVariableW(L"VANDREL_WRAPPER_INPUTS", inputs, 8);
    std::wstring real = lstrcmpW(inputs, L"real") == 0 ? line : GeneratedInputs(line);
    Report(L"real", real);
    if (SecondSound(line) && GetEnvironmentVariableW(L"VANDREL_WRAPPER_SECOND_FAILS", nullptr, 0)) return 1;
    wchar_t late[8] = {};
    if (SecondSound(line) && GetEnvironmentVariableW(L"VANDREL_WRAPPER_SECOND_LATE", late, 8)) Sleep(_wtoi(late) * 1000);

    const std::wstring encoder = ModuleFolder() + L"\\encoder\\ffmpeg.exe";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    // The relay and the preview read what the encoder writes from the outputs they gave this program.
    const BOOL relayed = ToStandardOutput(line);
    if (relayed) {
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    }
    PROCESS_INFORMATION pi{};
    // Started suspended into a job that ends it with this program: a terminated wrapper must not
    // leave the real encoder behind, as a terminated encoder leaves nothing.
    if (!CreateProcessW(encoder.c_str(), real.data(), nullptr, nullptr, relayed, CREATE_SUSPENDED, nullptr, nullptr, &si, &pi)) {
        Report(L"failed", std::to_wstring(GetLastError()));
        return 1;
    }
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job) SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    if (job) AssignProcessToJobObject(job, pi.hProcess);
    Report(L"pid", std::to_wstring(pi.dwProcessId));
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    Report(L"exit", std::to_wstring(code));
    return static_cast<int>(code);
}
