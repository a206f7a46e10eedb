// The credentials editor's field checks.
#include "ui/dialogs/CredentialRules.h"
#include "config/TextRules.h"
#include "engine/Platforms.h"
#include <algorithm>
#include <climits>
#include <utility>

namespace {

constexpr size_t kLongestValue = 255;    // the settings file reads longer values back cut
constexpr size_t kLongestSection = 259;  // the loader cannot address longer section names

bool HasAny(std::wstring_view s, std::wstring_view chars) { return s.find_first_of(chars) != s.npos; }

FieldCheck Error(std::wstring hint, bool refused = false) { return {std::move(hint), true, refused}; }

// A URL or key goes into a quoted tee target of the encoder command line and into settings.ini.
bool Unstreamable(std::wstring_view v) { return HasAny(v, L"\"|\r\n") || v.back() == L'\\'; }

// The URL and the key follow one rule; what names the field ("The RTMPurl", "The key").
FieldCheck CheckStreamedValue(std::wstring_view value, const std::wstring& what) {
    if (value.empty() || value.back() == L' ') return Error(what + L" cannot be empty.");
    if (value.size() > kLongestValue) return Error(what + L" cannot be longer than 255 characters.", true);
    if (Unstreamable(value))
        return Error(what + L" cannot hold a double quote, a vertical bar or a line break, nor end with a backslash.",
                     true);
    return {};
}

}  // namespace

FieldCheck CheckServerName(std::wstring_view name, bool nameTaken) {
    if (name.empty()) return Error(L"The Server name cannot be empty.");
    if (name.front() == L' ' || name.back() == L' ')
        return Error(L"Either the server name is empty or a server of the same name already exists.");
    // The profile functions find sections whatever their case: "device" would be [Device].
    if (EqualsIgnoringCase(name, L"Paths") || EqualsIgnoringCase(name, L"Device"))
        return Error(L"\"Paths\" and \"Device\" hold the settings and cannot name a server.", true);
    if (HasAny(name, L"[]\r\n\t"))
        return Error(L"A server name cannot hold \"[\", \"]\", a tab or a line break.", true);
    if (name.size() > kLongestSection)
        return Error(L"A server name cannot be longer than 259 characters.", true);
    if (nameTaken) return Error(L"A server of the same name already exists.");
    return {};
}

FieldCheck CheckRtmpUrl(std::wstring_view url) {
    FieldCheck check = CheckStreamedValue(url, L"The RTMPurl");
    if (!check.error) {
        // What the encoder could not stream to, or the platform would turn away.
        std::wstring refusal = AddressRefusal(url);
        if (!refusal.empty()) check = Error(std::move(refusal));
    }
    return check;
}

FieldCheck CheckPort(std::wstring_view port) {
    for (wchar_t c : port)
        if (c < L'0' || c > L'9') return Error(L"Invalid port number");
    if (PortValue(port) <= 1024) return Error(L"Port numnbers 0 to 1024 are reserved by the system.");
    return {};
}

FieldCheck CheckKey(std::wstring_view key) { return CheckStreamedValue(key, L"The key"); }

bool ApplyAllowed(bool persistent, std::wstring_view name, std::wstring_view url, std::wstring_view key,
                  const CredentialErrors& e) {
    if (persistent) return !key.empty() && !e.keyRefused;
    return !name.empty() && !url.empty() && !key.empty() && !e.name && !e.url && !e.port && !e.key;
}

int PortValue(std::wstring_view port) {
    size_t i = 0;
    const bool negative = !port.empty() && port[0] == L'-';
    if (!port.empty() && (port[0] == L'-' || port[0] == L'+')) ++i;
    long long value = 0;
    for (; i < port.size() && port[i] >= L'0' && port[i] <= L'9'; ++i)
        value = std::min<long long>(value * 10 + (port[i] - L'0'), INT_MAX + 1LL);
    if (negative) return static_cast<int>(std::max<long long>(-value, INT_MIN));
    return static_cast<int>(std::min<long long>(value, INT_MAX));
}
