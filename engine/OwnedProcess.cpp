// Starting a process inside a job that ends with the application.
#include "engine/OwnedProcess.h"

bool CreateOwnedProcess(const std::wstring& exe, std::wstring& commandLine, DWORD creationFlags,
                        const wchar_t* folder, STARTUPINFOW& si, PROCESS_INFORMATION& pi, HANDLE* job,
                        void* environment) {
    *job = nullptr;
    // Suspended until it is in the job: nothing it starts itself escapes.
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, creationFlags | CREATE_SUSPENDED,
                        environment, folder, &si, &pi))
        return false;
    if (HANDLE j = CreateJobObjectW(nullptr, nullptr)) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (SetInformationJobObject(j, JobObjectExtendedLimitInformation, &limits, sizeof limits) &&
            AssignProcessToJobObject(j, pi.hProcess))
            *job = j;
        else
            CloseHandle(j);  // an outer job that allows no nesting: carry on without
    }
    ResumeThread(pi.hThread);
    return true;
}
