// Registering the start/stop hotkey.
#include "ui/main/StartStopHotkey.h"

bool CStartStopHotkey::Register(const std::wstring& text) {
    if (m_registered) UnregisterHotKey(m_window, kStartStopHotkeyId);
    m_registered = false;
    m_refused.clear();
    const ParsedHotkey parsed = ParseHotkey(text);
    if (parsed.result != HotkeyParse::Ok || !parsed.hotkey.virtualKey || !m_window) return true;
    m_registered = RegisterHotKey(m_window, kStartStopHotkeyId, parsed.hotkey.modifiers | kModNoRepeat,
                                  RegisteredKey(parsed.hotkey)) != 0;
    if (!m_registered) m_refused = HotkeyText(parsed.hotkey);
    return m_registered;
}

bool CStartStopHotkey::FirstRefusalOf(const std::wstring& text) {
    if (text.empty() || text == m_told) return false;
    m_told = text;
    return true;
}

CStartStopHotkey& StartStopHotkey() {
    static CStartStopHotkey hotkey;
    return hotkey;
}
