// The encoder process of a session: started hidden from a worker thread, ended by Stop.
#pragma once
#include <windows.h>
#include <mutex>
#include <string>

// Posted to the notify window when the encoder could not be started.
inline constexpr UINT WM_APP_LAUNCH_FAILED = WM_APP + 301;
// Posted when the encoder ended while its session was current: wParam the session, lParam the exit code.
inline constexpr UINT WM_APP_ENCODER_ENDED = WM_APP + 302;
// Posted when the second sound device stopped sending during a session: wParam the session.
inline constexpr UINT WM_APP_SOUND_LOST = WM_APP + 304;

// The folder the encoder is launched from and runs in, so that a bare recording file name lands
// there whatever the process's current folder has become. Start-up decides it once: the start-up
// folder when it holds ffmpeg.exe, else the program's own folder.
std::wstring DecideEncoderFolder();
void SetEncoderFolder(const std::wstring& folder);
// The decided folder; the current folder when start-up decided none.
std::wstring EncoderFolder();
// ffmpeg.exe in folder, whether or not the folder ends in a backslash.
std::wstring EncoderExeIn(const std::wstring& folder);

// What keeps the computer awake during a session: SetThreadExecutionState unless a test puts its own.
using ExecutionStateFunction = EXECUTION_STATE(WINAPI*)(EXECUTION_STATE);
void SetExecutionStateFunction(ExecutionStateFunction function);  // null: the system's

class CEncoderSession {
public:
    static constexpr DWORD kGraceMs = 2000;   // before the 'q' and the Ctrl+C
    static constexpr DWORD kCtrlCWaitMs = 10000;

    CEncoderSession() = default;
    ~CEncoderSession();
    CEncoderSession(const CEncoderSession&) = delete;
    CEncoderSession& operator=(const CEncoderSession&) = delete;

    // Starts StreamWorkerProc, which launches ffmpeg.exe of EncoderFolder() with commandLine
    // unless Stop came first. A non-empty environment (a Unicode block) is the encoder's instead
    // of this process's. Until the session ends, the computer does not sleep by itself (the
    // display may still turn off): Start, Stop and EndedByItself run on the window's thread.
    // With a sound line, the second sound device is relayed to soundPipe first (the line's input).
    void Start(const std::wstring& commandLine, HWND notify, const std::wstring& environment = {},
               const std::wstring& soundLine = {}, const std::wstring& soundPipe = {});
    // Waits 2 s (graceMs), types 'q' into the encoder's console and sends Ctrl+C to its group,
    // waits up to 10 s for it to finish its outputs, terminates it.
    // Without an encoder it returns at once, and a launch still pending will not happen.
    void Stop(DWORD graceMs = kGraceMs);
    // True once for a session whose encoder ended by itself before any Stop: the session is then
    // over and its handle released. False when a Stop or a later Start came first.
    bool EndedByItself(WPARAM session);
    // True while session is the one running.
    bool Current(WPARAM session);

private:
    struct Launch;
    static DWORD WINAPI StreamWorkerProc(LPVOID param);

    void KeepAwake(bool on);

    bool m_awake = false;  // the window's thread only
    std::mutex m_lock;  // guards the fields below against the worker
    HANDLE m_hProcess = nullptr;
    DWORD m_processId = 0;
    unsigned m_generation = 0;  // a launch runs only while its generation is current
};
