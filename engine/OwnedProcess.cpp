// Starting a process inside the job that ends with the application.
#include "engine/OwnedProcess.h"
#include <utility>

namespace {

// One job for the application's whole life, closed only by its end. A job closed after each
// process would also end the console host that process leaves behind while the host is ending
// by itself, a race that Wine's server does not survive.
HANDLE ApplicationJob() {
    static const HANDLE job = [] {
        HANDLE j = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (j && !SetInformationJobObject(j, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
            CloseHandle(j);
            j = nullptr;
        }
        return j;
    }();
    return job;
}

}  // namespace

bool CreateOwnedProcess(const std::wstring& exe, std::wstring& commandLine, DWORD creationFlags,
                        const wchar_t* folder, STARTUPINFOW& si, PROCESS_INFORMATION& pi, void* environment,
                        BOOL inheritHandles) {
    // Suspended until it is in the job: nothing it starts itself escapes.
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, inheritHandles, creationFlags | CREATE_SUSPENDED,
                        environment, folder, &si, &pi))
        return false;
    if (HANDLE job = ApplicationJob()) AssignProcessToJobObject(job, pi.hProcess);  // refused under a job that allows no other
    ResumeThread(pi.hThread);
    return true;
}

bool CreatePipedProcess(const std::wstring& exe, std::wstring& commandLine, const wchar_t* folder, HANDLE& process,
                        HANDLE& out, HANDLE* err) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE outEnd = nullptr, errEnd = nullptr;
    out = nullptr;
    if (err) *err = nullptr;
    bool ok = CreatePipe(&out, &outEnd, &inherit, 1 << 16) != 0;
    if (ok && err) ok = CreatePipe(err, &errEnd, &inherit, 1 << 16) != 0;
    if (ok && !err) {
        errEnd = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
        if (errEnd == INVALID_HANDLE_VALUE) errEnd = nullptr, ok = false;
    }
    PROCESS_INFORMATION pi{};
    if (ok) {
        SetHandleInformation(out, HANDLE_FLAG_INHERIT, 0);
        if (err) SetHandleInformation(*err, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = outEnd;
        si.hStdError = errEnd;
        ok = CreateOwnedProcess(exe, commandLine, CREATE_NO_WINDOW, folder, si, pi, nullptr, TRUE);
    }
    for (HANDLE h : {outEnd, errEnd})
        if (h) CloseHandle(h);
    if (!ok) {
        for (HANDLE* h : {&out, err})
            if (h && *h) CloseHandle(std::exchange(*h, nullptr));
        return false;
    }
    CloseHandle(pi.hThread);
    process = pi.hProcess;
    return true;
}

bool ReadAvailable(HANDLE pipe, std::string& into) {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return false;
    if (!available) return true;
    const size_t at = into.size();
    into.resize(at + available);
    DWORD got = 0;
    const bool ok = ReadFile(pipe, into.data() + at, available, &got, nullptr) != 0;
    into.resize(at + got);
    return ok;
}
