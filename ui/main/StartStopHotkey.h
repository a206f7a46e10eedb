// The start/stop hotkey, registered on one window (the notification-area icon's, which outlives
// every main window), and the key the system refused.
#pragma once
#include "config/Hotkey.h"
#include <windows.h>
#include <string>

inline constexpr int kStartStopHotkeyId = 1;

class CStartStopHotkey {
public:
    void SetWindow(HWND window) { m_window = window; }
    // Registers the text's key in place of the last one, with MOD_NOREPEAT. False when the
    // system refuses it (another program holds it); an empty or unusable text registers none.
    bool Register(const std::wstring& text);
    // The text whose key the system refused last, "" when none is refused.
    const std::wstring& Refused() const { return m_refused; }
    // True the first time this text is refused: the user is told once.
    bool FirstRefusalOf(const std::wstring& text);

private:
    HWND m_window = nullptr;
    bool m_registered = false;
    std::wstring m_refused;
    std::wstring m_told;
};

CStartStopHotkey& StartStopHotkey();
