// Parsing and printing the hotkey text.
#include "config/Hotkey.h"
#include "config/TextRules.h"
#include <array>
#include <vector>

namespace {

struct NamedKey {
    const wchar_t* name;
    unsigned virtualKey;
};

constexpr NamedKey kNamedKeys[] = {
    {L"Pause", 0x13}, {L"ScrollLock", 0x91}, {L"Insert", 0x2D}, {L"Home", 0x24},
    {L"End", 0x23},   {L"PageUp", 0x21},     {L"PageDown", 0x22},
};

constexpr struct {
    const wchar_t* name;
    unsigned flag;
} kModifiers[] = {{L"Ctrl", kModControl}, {L"Alt", kModAlt}, {L"Shift", kModShift}, {L"Win", kModWin}};

std::wstring_view Trim(std::wstring_view s) {
    while (!s.empty() && s.front() == L' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == L' ') s.remove_suffix(1);
    return s;
}

// 0 when the name is not a key the hotkey may use.
unsigned KeyByName(std::wstring_view name) {
    if (name.size() == 1) {
        const wchar_t c = name[0] >= L'a' && name[0] <= L'z' ? wchar_t(name[0] - L'a' + L'A') : name[0];
        if ((c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9')) return c;
        return 0;
    }
    if ((name[0] == L'F' || name[0] == L'f') && name.size() <= 3) {
        int n = 0;
        for (wchar_t c : name.substr(1)) {
            if (c < L'0' || c > L'9') return 0;
            n = n * 10 + (c - L'0');
        }
        if (name[1] != L'0' && n >= 1 && n <= 24) return 0x70 + n - 1;  // VK_F1 to VK_F24
        return 0;
    }
    for (const NamedKey& k : kNamedKeys)
        if (EqualsIgnoringCase(name, k.name)) return k.virtualKey;
    return 0;
}

std::wstring KeyName(unsigned vk) {
    if ((vk >= L'A' && vk <= L'Z') || (vk >= L'0' && vk <= L'9')) return std::wstring(1, wchar_t(vk));
    if (vk >= 0x70 && vk <= 0x87) return L"F" + std::to_wstring(vk - 0x70 + 1);
    for (const NamedKey& k : kNamedKeys)
        if (k.virtualKey == vk) return k.name;
    return L"";
}

bool TypingKey(unsigned vk) { return vk < 0x70 && vk != 0x13 && vk != 0x91; }

}  // namespace

ParsedHotkey ParseHotkey(std::wstring_view text) {
    ParsedHotkey out;
    text = Trim(text);
    if (text.empty()) return out;
    std::vector<std::wstring_view> parts;
    for (size_t start = 0;;) {
        const size_t plus = text.find(L'+', start);
        parts.push_back(Trim(text.substr(start, plus == text.npos ? text.npos : plus - start)));
        if (plus == text.npos) break;
        start = plus + 1;
    }
    Hotkey h;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        unsigned flag = 0;
        for (const auto& m : kModifiers)
            if (EqualsIgnoringCase(parts[i], m.name)) flag = m.flag;
        if (!flag || (h.modifiers & flag)) return {HotkeyParse::Malformed, {}};
        h.modifiers |= flag;
    }
    h.virtualKey = parts.back().empty() ? 0 : KeyByName(parts.back());
    if (!h.virtualKey) return {HotkeyParse::Malformed, {}};
    if (TypingKey(h.virtualKey) && !(h.modifiers & (kModControl | kModAlt | kModWin)))
        return {HotkeyParse::NeedsModifier, {}};
    out.hotkey = h;
    return out;
}

unsigned RegisteredKey(const Hotkey& hotkey) {
    return hotkey.virtualKey == 0x13 && (hotkey.modifiers & kModControl) ? 0x03 : hotkey.virtualKey;
}

std::wstring HotkeyText(const Hotkey& hotkey) {
    if (!hotkey.virtualKey) return L"";
    std::wstring text;
    for (const auto& m : kModifiers)
        if (hotkey.modifiers & m.flag) text += std::wstring(m.name) + L"+";
    return text + KeyName(hotkey.virtualKey);
}

std::wstring HotkeyRefusal(HotkeyParse result, std::wstring_view text) {
    const std::wstring quoted = L"\"" + std::wstring(text) + L"\"";
    if (result == HotkeyParse::NeedsModifier)
        return L"The hotkey " + quoted + L" would take a key away from typing everywhere. Please add Ctrl, Alt or Win..";
    if (result == HotkeyParse::Malformed)
        return L"The hotkey " + quoted + L" is not one Vandrel can use. Please write it as [Ctrl+][Alt+][Shift+][Win+]KEY, "
               L"KEY one of A-Z, 0-9, F1-F24, Pause, ScrollLock, Insert, Home, End, PageUp, PageDown..";
    return L"";
}

std::wstring HotkeyInUseMessage(const Hotkey& hotkey) {
    return HotkeyText(hotkey) + L" is in use by another program: choose another hotkey in the media settings.";
}
