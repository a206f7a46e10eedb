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

// The same, hidden, with its standard output coming back through a pipe (out, the reading end)
// and its error output too when err is given, else nowhere. The process holds the only writing
// ends, so a reader sees its end. False, with nothing left open, when it could not be started.
bool CreatePipedProcess(const std::wstring& exe, std::wstring& commandLine, const wchar_t* folder, HANDLE& process,
                        HANDLE& out, HANDLE* err);
// Appends what a pipe holds now, without waiting; false once its writer has gone and it is empty.
bool ReadAvailable(HANDLE pipe, std::string& into);
