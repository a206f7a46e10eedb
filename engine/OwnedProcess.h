// Processes the application starts never outlive it: each runs in the application's job object,
// which ends them when its last handle closes, so a crash or End task takes them along.
#pragma once
#include <windows.h>
#include <string>

// CreateProcessW with the process put into that job before it runs. The job stays open while the
// application runs, so a graceful end is never cut short. When the application runs in a job that
// allows no other (Windows 7), the process runs without one.
bool CreateOwnedProcess(const std::wstring& exe, std::wstring& commandLine, DWORD creationFlags,
                        const wchar_t* folder, STARTUPINFOW& si, PROCESS_INFORMATION& pi,
                        void* environment = nullptr, BOOL inheritHandles = FALSE);
