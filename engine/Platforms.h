// The streaming platforms' own rules, known by the host of a channel's address: which take only
// AAC sound, which only RTMPS, and the addresses the credentials editor offers.
#pragma once
#include <string>
#include <string_view>

enum class Platform { Other, YouTube, Twitch, Facebook, Kick, LinkedIn, Restream };

Platform PlatformOf(std::wstring_view url);
const wchar_t* PlatformName(Platform p);  // "Facebook Live"; "" for Other
bool TakesOnlyAac(Platform p);
bool TakesOnlyRtmps(Platform p);

// "rtmp" or "rtmps" (any case in the address); "" for anything else.
std::wstring StreamScheme(std::wstring_view url);
// The address as the encoder opens it: its protocol names are lower case ("RTMPS://" is
// "Protocol not found"); the rest as typed.
std::wstring EncoderUrl(std::wstring_view url);
// The address as RTMPS on port 443: "rtmps://live-api-s.facebook.com:443/rtmp".
std::wstring RtmpsForm(std::wstring_view url);

// Why the editor refuses an address the encoder cannot stream to; "" when it can.
std::wstring AddressRefusal(std::wstring_view url);

// The credentials editor's "Service" list; Custom (first) leaves the address as typed.
struct ServiceAddress {
    const wchar_t* name;
    const wchar_t* url;
};
inline constexpr ServiceAddress kServiceAddresses[] = {
    {L"Custom", L""},
    {L"YouTube", L"rtmps://a.rtmps.youtube.com:443/live2"},
    {L"Twitch", L"rtmp://live.twitch.tv/app"},
    {L"Facebook Live", L"rtmps://live-api-s.facebook.com:443/rtmp"},
    {L"Restream", L"rtmp://live.restream.io/live"},
};
