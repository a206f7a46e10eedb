// A second sound device, relayed to the session's encoder through a named pipe at the clock's
// pace: a device of its own reads it, and silence stands in while it delivers nothing.
#pragma once
#include <windows.h>
#include <string>

class CSoundRelay {
public:
    static constexpr unsigned kRate = 44100;  // s16le stereo, as the session's line reads the pipe

    CSoundRelay() = default;
    ~CSoundRelay() { Stop(); }
    CSoundRelay(const CSoundRelay&) = delete;
    CSoundRelay& operator=(const CSoundRelay&) = delete;

    // Creates the pipe the session's encoder will open, and starts exe in folder with the device's
    // line, hidden, in the application's job. False when either cannot be made. Should the device's
    // encoder end while the session's goes on (the device unplugged, or taken by another program),
    // message goes to notify with tag, once.
    bool Start(const std::wstring& pipe, const std::wstring& exe, std::wstring line, const wchar_t* folder, HWND notify,
               UINT message, WPARAM tag);
    // Ends the device's encoder and the relay; the session's encoder sees its input end.
    void Stop();

private:
    static DWORD WINAPI Run(LPVOID self);
    bool Write(const char* data, DWORD size);

    HANDLE m_pipe = INVALID_HANDLE_VALUE;
    HANDLE m_device = nullptr;     // the device's encoder
    HANDLE m_deviceOut = nullptr;  // its standard output
    HANDLE m_stop = nullptr;
    HANDLE m_io = nullptr;
    HANDLE m_thread = nullptr;
    HWND m_notify = nullptr;
    UINT m_message = 0;
    WPARAM m_tag = 0;
};
