// Starting a process inside the job that ends with the application.
#include "engine/OwnedProcess.h"

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
