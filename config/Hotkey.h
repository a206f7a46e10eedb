// The start/stop hotkey's text, "[Ctrl+][Alt+][Shift+][Win+]KEY", and the key it stands for.
#pragma once
#include <string>
#include <string_view>

// The system's modifier flags and virtual-key codes, as RegisterHotKey takes them.
inline constexpr unsigned kModAlt = 0x0001, kModControl = 0x0002, kModShift = 0x0004, kModWin = 0x0008;
inline constexpr unsigned kModNoRepeat = 0x4000;

struct Hotkey {
    unsigned modifiers = 0;  // kMod* flags
    unsigned virtualKey = 0;  // 0: no hotkey
    bool operator==(const Hotkey&) const = default;
};

enum class HotkeyParse {
    Ok,          // a hotkey, or none for an empty text
    Malformed,   // not of the form, an unknown key or a modifier twice
    NeedsModifier,  // a key that typing needs (letters, digits, Insert, Home, End, Page Up/Down) without Ctrl, Alt or Win
};

struct ParsedHotkey {
    HotkeyParse result = HotkeyParse::Ok;
    Hotkey hotkey;
};

// Names and modifiers are read without regard to case, modifiers in any order, blanks around
// the "+" ignored.
ParsedHotkey ParseHotkey(std::wstring_view text);
// The key to register: Ctrl with Pause arrives as Cancel (VK_CANCEL), so that is the one to hold.
unsigned RegisteredKey(const Hotkey& hotkey);
// The canonical text: modifiers in the order Ctrl, Alt, Shift, Win; "" for no hotkey.
std::wstring HotkeyText(const Hotkey& hotkey);
// Why a typed text is refused, for the media settings' message.
std::wstring HotkeyRefusal(HotkeyParse result, std::wstring_view text);
// Said once when another program holds the key.
std::wstring HotkeyInUseMessage(const Hotkey& hotkey);
