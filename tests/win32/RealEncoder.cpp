// The real Windows encoder in the Windows tests: installing it, the wrapper's report, host checks.
#include "RealEncoder.h"
#include "TestSupport.h"
#include <cstdlib>
#include <vector>

namespace {

std::wstring Wide(const std::string& s) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

std::string ReadBytes(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return {};
    std::string out;
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(f, buf, sizeof buf, &n, nullptr) && n) out.append(buf, n);
    CloseHandle(f);
    return out;
}

// A hard link where the file system allows it: the real encoder is large.
bool PlaceFile(const std::wstring& from, const std::wstring& to) {
    DeleteFileW(to.c_str());
    return CreateHardLinkW(to.c_str(), from.c_str(), nullptr) || CopyFileW(from.c_str(), to.c_str(), FALSE);
}

}  // namespace

std::wstring RealEncoderPath() {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(L"VANDREL_REAL_ENCODER", path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH || GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return L"";
    return path;
}

bool InstallRealEncoder(const std::wstring& folder) {
    const std::wstring real = RealEncoderPath();
    if (real.empty()) return false;
    CreateDirectoryW((folder + L"\\encoder").c_str(), nullptr);
    ClearWrapperReport(folder);
    return PlaceFile(ExeFolder() + L"\\encoder_wrapper.exe", folder + L"\\ffmpeg.exe") &&
           PlaceFile(real, folder + L"\\encoder\\ffmpeg.exe");
}

void ClearWrapperReport(const std::wstring& folder) { DeleteFileW((folder + L"\\encoder_wrapper.log").c_str()); }

WrapperReport ReadWrapperReport(const std::wstring& folder, int run) {
    WrapperReport r;
    int runs = 0;
    const std::wstring text = Wide(ReadBytes(folder + L"\\encoder_wrapper.log"));
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find(L'\n', at);
        if (end == std::wstring::npos) break;  // a line still being written
        const std::wstring line = text.substr(at, end - at);
        at = end + 1;
        const size_t space = line.find(L' ');
        const std::wstring name = line.substr(0, space), value = space == std::wstring::npos ? L"" : line.substr(space + 1);
        if (name == L"dir") ++runs;  // each run starts with its folder
        if (runs != run + 1) continue;
        r.started = true;
        if (name == L"dir") r.workingFolder = value;
        if (name == L"line") r.line = value;
        if (name == L"real") r.realLine = value;
        if (name == L"pid") r.realPid = static_cast<DWORD>(std::wcstoul(value.c_str(), nullptr, 10));
        if (name == L"exit") {
            r.exitedByItself = true;
            r.exitCode = static_cast<DWORD>(std::wcstoul(value.c_str(), nullptr, 10));
        }
    }
    return r;
}

std::string HostQuoted(const std::wstring& windowsPath) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    static const auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    std::string path;
    if (toUnix) {
        if (char* p = toUnix(windowsPath.c_str())) {
            path = p;
            HeapFree(GetProcessHeap(), 0, p);
        }
    }
    std::string quoted = "'";
    for (char c : path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

HostResult RunHost(const std::string& shellCommand, DWORD timeoutMs) {
    TempFolder scratch{L"host"};
    const std::wstring out = scratch / L"out", done = scratch / L"done";
    std::string script = "(" + shellCommand + ") >" + HostQuoted(out) + " 2>&1; echo $? >" + HostQuoted(done) + ".tmp; mv " +
                         HostQuoted(done) + ".tmp " + HostQuoted(done);
    // One argument for sh -c: the commands here never hold a double quote, so backslashes stay as they are.
    std::wstring cmd = L"/bin/sh -c \"" + Wide(script) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    HostResult r;
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) return r;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    const DWORD start = GetTickCount();
    while (GetFileAttributesW(done.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start > timeoutMs) return r;
        Sleep(50);
    }
    r.status = std::atoi(ReadBytes(done).c_str());
    r.output = ReadBytes(out);
    return r;
}

std::string ProbeFormat(const std::wstring& file) {
    const HostResult r = RunHost("ffprobe -v error -show_entries format=format_name -of default=nw=1:nk=1 " + HostQuoted(file));
    std::string name = r.status == 0 ? r.output : "";
    while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
    return name;
}

double PlaysTo(const std::wstring& file, bool cutEnd) {
    const std::string f = HostQuoted(file);
    if (cutEnd) {
        const HostResult decode = RunHost("ffmpeg -v error -i " + f + " -f null - 2>&1 | grep -c 'Error while decoding'");
        if (decode.status < 0 || std::atoi(decode.output.c_str()) > 1) return -1;
    } else {
        const HostResult decode = RunHost("ffmpeg -v error -xerror -i " + f + " -f null -");
        if (decode.status != 0 || !decode.output.empty()) return -1;
    }
    const HostResult last = RunHost("ffprobe -v error -select_streams v -show_entries packet=pts_time -of csv=p=0 " + f + " 2>/dev/null | tail -1");
    return last.status == 0 && !last.output.empty() ? std::atof(last.output.c_str()) : -1;
}
