// The recording's conversion into a real MP4, run hidden by the encoder on a thread of its own.
#pragma once
#include <windows.h>
#include <atomic>
#include <string>

// Posted to the notify window when a conversion has ended; the result is then taken with TakeResult.
inline constexpr UINT WM_APP_CONVERSION_DONE = WM_APP + 310;

class CConversionProcess {
public:
    CConversionProcess() = default;
    ~CConversionProcess();  // a conversion still running is abandoned
    CConversionProcess(const CConversionProcess&) = delete;
    CConversionProcess& operator=(const CConversionProcess&) = delete;

    // Converts file in place with ffmpeg.exe of the encoder folder: stream copy into a temporary
    // file beside it, which then replaces it. On failure the file stays as it was.
    void Start(const std::wstring& file, HWND notify);
    bool Running() const { return m_thread != nullptr && !m_done; }
    // Waits at most timeoutMs for a running conversion; true when none runs any more.
    bool Wait(DWORD timeoutMs);
    // Ends a running conversion, removes its temporary file and leaves the recording as it was.
    void Abandon();
    // The window told of the end from now on (a rebuilt main window takes the conversion over).
    void Retarget(HWND notify) { m_notify = notify; }
    // Once per ended conversion: its file and whether it was converted.
    bool TakeResult(std::wstring& file, bool& converted);

private:
    static DWORD WINAPI ConversionProc(LPVOID param);
    void Release();

    HANDLE m_thread = nullptr;
    std::atomic<HANDLE> m_process{nullptr};  // the conversion process, for Abandon
    std::wstring m_file;
    std::atomic<HWND> m_notify{nullptr};
    std::atomic<bool> m_abandoned{false};
    std::atomic<bool> m_converted{false};
    std::atomic<bool> m_done{false};  // set before the end is posted, while the thread is still ending
    bool m_resultPending = false;
};
