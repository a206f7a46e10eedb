// The platforms' rules, by host.
#include "engine/Platforms.h"
#include "config/TextRules.h"
#include <algorithm>

namespace {

struct Parts {
    std::wstring scheme, host, path;  // scheme and host in lower case; path from its '/'
};

Parts Split(std::wstring_view url) {
    Parts p;
    url.remove_prefix(std::min(url.find_first_not_of(L' '), url.size()));
    const size_t mark = url.find(L"://");
    if (mark == std::wstring_view::npos) return p;
    p.scheme = LowerAscii(std::wstring(url.substr(0, mark)));
    const std::wstring_view rest = url.substr(mark + 3);
    const size_t slash = rest.find(L'/');
    const std::wstring_view authority = rest.substr(0, slash);
    p.host = LowerAscii(std::wstring(authority.substr(0, authority.find(L':'))));
    if (slash != std::wstring_view::npos) p.path = rest.substr(slash);
    return p;
}

// The host is the domain or one of its subdomains.
bool Within(const std::wstring& host, std::wstring_view domain) {
    return host == domain ||
           (host.size() > domain.size() && host.ends_with(domain) && host[host.size() - domain.size() - 1] == L'.');
}

}  // namespace

Platform PlatformOf(std::wstring_view url) {
    const std::wstring host = Split(url).host;
    if (Within(host, L"youtube.com")) return Platform::YouTube;
    if (Within(host, L"facebook.com")) return Platform::Facebook;
    if (Within(host, L"linkedin.com")) return Platform::LinkedIn;
    if (Within(host, L"restream.io")) return Platform::Restream;
    // Kick's ingest is a channel's own host under Amazon IVS' global domain, which Twitch's global
    // ingest shares by one name.
    if (host == L"ingest.global-contribute.live-video.net") return Platform::Twitch;
    if (Within(host, L"global-contribute.live-video.net")) return Platform::Kick;
    if (Within(host, L"twitch.tv") || Within(host, L"contribute.live-video.net")) return Platform::Twitch;
    return Platform::Other;
}

const wchar_t* PlatformName(Platform p) {
    switch (p) {
    case Platform::YouTube: return L"YouTube";
    case Platform::Twitch: return L"Twitch";
    case Platform::Facebook: return L"Facebook Live";
    case Platform::Kick: return L"Kick";
    case Platform::LinkedIn: return L"LinkedIn Live";
    case Platform::Restream: return L"Restream";
    case Platform::Other: break;
    }
    return L"";
}

bool TakesOnlyAac(Platform p) {
    return p == Platform::Twitch || p == Platform::Facebook || p == Platform::Kick || p == Platform::LinkedIn;
}

bool TakesOnlyRtmps(Platform p) { return p == Platform::Facebook || p == Platform::Kick; }

std::wstring StreamScheme(std::wstring_view url) {
    const std::wstring scheme = Split(url).scheme;
    return scheme == L"rtmp" || scheme == L"rtmps" ? scheme : L"";
}

std::wstring EncoderUrl(std::wstring_view url) {
    std::wstring out(url);
    const size_t mark = out.find(L"://");
    if (mark != std::wstring::npos)
        for (size_t i = 0; i < mark; ++i) out[i] = LowerAscii(out[i]);
    return out;
}

std::wstring RtmpsForm(std::wstring_view url) {
    const Parts p = Split(url);
    return L"rtmps://" + p.host + L":443" + p.path;
}

std::wstring AddressRefusal(std::wstring_view url) {
    const std::wstring scheme = StreamScheme(url);
    if (scheme.empty()) return L"The RTMPurl must begin with rtmp:// or rtmps://.";
    const Platform platform = PlatformOf(url);
    if (TakesOnlyRtmps(platform) && scheme == L"rtmp")
        return std::wstring(PlatformName(platform)) + L" takes only RTMPS: use " + RtmpsForm(url) + L".";
    const std::wstring path = Split(url).path;
    if (platform == Platform::Kick && path != L"/app" && path != L"/app/")
        return L"A Kick address needs its application path: rtmps://" + Split(url).host + L":443/app.";
    return L"";
}
