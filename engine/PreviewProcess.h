// The preview's encoder: run hidden in the application's job, off the caller's thread, its
// standard output (the picture) and error output (the levels) kept in memory. No file is written.
#pragma once
#include <windows.h>
#include <mutex>
#include <string>

class CPreviewProcess {
public:
    static constexpr DWORD kDeadlineMs = 8000;  // a source that sends nothing holds the encoder up

    CPreviewProcess() = default;
    ~CPreviewProcess() { Cancel(); }
    CPreviewProcess(const CPreviewProcess&) = delete;
    CPreviewProcess& operator=(const CPreviewProcess&) = delete;

    // Starts exe with line in folder; once it has ended, or was ended at the deadline, posts
    // message to notify. False when the encoder could not be started.
    bool Start(const std::wstring& exe, std::wstring line, const std::wstring& folder, HWND notify, UINT message);
    // Ends the encoder at once and waits for it: nothing of this run is handed over after.
    void Cancel();
    bool Running() const { return m_thread != nullptr; }

    struct Output {
        std::string picture, said;
    };
    // After the message: what the encoder wrote; false when the run was cancelled.
    bool Take(Output& output);

private:
    static DWORD WINAPI Run(LPVOID self);

    HANDLE m_thread = nullptr, m_stop = nullptr, m_process = nullptr, m_out = nullptr, m_err = nullptr;
    HWND m_notify = nullptr;
    UINT m_message = 0;
    std::mutex m_lock;  // guards the fields below against the worker
    Output m_output;
    bool m_done = false;
};
