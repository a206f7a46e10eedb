// The hotkey text: parsed, printed back, refused.
#include "config/Hotkey.h"
#include <gtest/gtest.h>

TEST(Hotkey, TextParsedAndPrintedBack) {
    using P = HotkeyParse;
    const struct {
        const wchar_t* text;
        P result;
        unsigned modifiers, key;
        const wchar_t* printed;
    } rows[] = {
        {L"", P::Ok, 0, 0, L""},
        {L"  ", P::Ok, 0, 0, L""},
        {L"Ctrl+Alt+F9", P::Ok, kModControl | kModAlt, 0x78, L"Ctrl+Alt+F9"},
        {L"alt + ctrl + f9", P::Ok, kModControl | kModAlt, 0x78, L"Ctrl+Alt+F9"},
        {L"Win+Shift+S", P::Ok, kModWin | kModShift, 'S', L"Shift+Win+S"},
        {L"Ctrl+Alt+Shift+Win+0", P::Ok, 15, '0', L"Ctrl+Alt+Shift+Win+0"},
        {L"F1", P::Ok, 0, 0x70, L"F1"},
        {L"F24", P::Ok, 0, 0x87, L"F24"},
        {L"Pause", P::Ok, 0, 0x13, L"Pause"},
        {L"shift+scrolllock", P::Ok, kModShift, 0x91, L"Shift+ScrollLock"},
        {L"Ctrl+Insert", P::Ok, kModControl, 0x2D, L"Ctrl+Insert"},
        {L"Alt+Home", P::Ok, kModAlt, 0x24, L"Alt+Home"},
        {L"Win+End", P::Ok, kModWin, 0x23, L"Win+End"},
        {L"Ctrl+PageUp", P::Ok, kModControl, 0x21, L"Ctrl+PageUp"},
        {L"Ctrl+pagedown", P::Ok, kModControl, 0x22, L"Ctrl+PageDown"},
        {L"Ctrl+z", P::Ok, kModControl, 'Z', L"Ctrl+Z"},
        // Refused.
        {L"F25", P::Malformed, 0, 0, L""},
        {L"F0", P::Malformed, 0, 0, L""},
        {L"F01", P::Malformed, 0, 0, L""},
        {L"Ctrl+", P::Malformed, 0, 0, L""},
        {L"+F9", P::Malformed, 0, 0, L""},
        {L"Ctrl+Ctrl+F9", P::Malformed, 0, 0, L""},
        {L"Control+F9", P::Malformed, 0, 0, L""},
        {L"Ctrl+Alt", P::Malformed, 0, 0, L""},
        {L"Ctrl+Space", P::Malformed, 0, 0, L""},
        {L"Ctrl+Ä", P::Malformed, 0, 0, L""},
        {L"F9+Ctrl", P::Malformed, 0, 0, L""},
        {L"A", P::NeedsModifier, 0, 0, L""},
        {L"Shift+7", P::NeedsModifier, 0, 0, L""},
        {L"Home", P::NeedsModifier, 0, 0, L""},
        {L"Shift+PageDown", P::NeedsModifier, 0, 0, L""},
    };
    for (const auto& row : rows) {
        const ParsedHotkey p = ParseHotkey(row.text);
        const std::string where = testing::PrintToString(std::wstring(row.text));
        EXPECT_EQ(p.result, row.result) << where;
        EXPECT_EQ(p.hotkey, (Hotkey{row.modifiers, row.key})) << where;
        EXPECT_EQ(HotkeyText(p.hotkey), row.printed) << where;
        if (p.result == P::Ok) EXPECT_EQ(ParseHotkey(HotkeyText(p.hotkey)).hotkey, p.hotkey) << where;
        EXPECT_EQ(HotkeyRefusal(p.result, row.text).empty(), p.result == P::Ok) << where;
    }
    // Ctrl+Pause reaches the system as Ctrl+Cancel; every other key as itself.
    EXPECT_EQ(RegisteredKey(ParseHotkey(L"Ctrl+Alt+Pause").hotkey), 0x03u);
    EXPECT_EQ(RegisteredKey(ParseHotkey(L"Alt+Pause").hotkey), 0x13u);
    EXPECT_EQ(RegisteredKey(ParseHotkey(L"Ctrl+Alt+F9").hotkey), 0x78u);
    EXPECT_EQ(HotkeyInUseMessage({kModControl | kModAlt, 0x78}),
              L"Ctrl+Alt+F9 is in use by another program: choose another hotkey in the media settings.");
}
