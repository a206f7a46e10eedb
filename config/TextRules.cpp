// Text rules that need no platform.
#include "config/TextRules.h"

wchar_t LowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? wchar_t(c - L'A' + L'a') : c; }

std::wstring LowerAscii(std::wstring_view s) {
    std::wstring out(s);
    for (wchar_t& c : out) c = LowerAscii(c);
    return out;
}

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

bool ContainsIgnoringCase(std::wstring_view text, std::wstring_view part) {
    return LowerAscii(text).find(LowerAscii(part)) != std::wstring::npos;
}

int LeadingInteger(std::wstring_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == L' ' || s[i] == L'\t')) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == L'-' || s[i] == L'+')) negative = s[i++] == L'-';
    unsigned value = 0;  // wraps like the platform's 32-bit conversion
    for (; i < s.size() && s[i] >= L'0' && s[i] <= L'9'; ++i) value = value * 10u + unsigned(s[i] - L'0');
    return static_cast<int>(negative ? 0u - value : value);
}
