// Small text rules shared by the settings store, the server list and the command line.
#pragma once
#include <string>
#include <string_view>

// A–Z folded to a–z; nothing else changes.
wchar_t LowerAscii(wchar_t c);
std::wstring LowerAscii(std::wstring_view s);
bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b);
// Whether part occurs in text, A–Z compared without case; an empty part occurs everywhere.
bool ContainsIgnoringCase(std::wstring_view text, std::wstring_view part);

// Optional blanks and sign, then the leading decimal digits; 0 when there are none.
int LeadingInteger(std::wstring_view s);
