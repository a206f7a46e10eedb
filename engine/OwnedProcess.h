// Processes the application starts never outlive it: each runs in a job object that ends it when
// the job's last handle closes, so a crash or End task takes the process along.
#pragma once
#include <windows.h>
#include <string>

// CreateProcessW with the process put into such a job before it runs. *job receives the job handle,
// which the caller keeps until the process has exited (a graceful end is never cut short) and then
// closes. When the application runs in a job that allows no other (Windows 7), the process runs
// without one and *job is null.
bool CreateOwnedProcess(const std::wstring& exe, std::wstring& commandLine, DWORD creationFlags,
                        const wchar_t* folder, STARTUPINFOW& si, PROCESS_INFORMATION& pi, HANDLE* job,
                        void* environment = nullptr);
