// The credentials editor's field checks and Apply rule, typed into a form that was valid before.
#include "ui/dialogs/CredentialRules.h"
#include "engine/Platforms.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

enum Field { Name, Url, Port, Key };

struct Typed {
    bool persistent;
    Field field;
    std::wstring text;
    bool nameTaken;
    const wchar_t* hint;
    bool apply;
};

const std::wstring kEmptyName = L"The Server name cannot be empty.";
const std::wstring kBlankName = L"Either the server name is empty or a server of the same name already exists.";
const std::wstring kTaken = L"A server of the same name already exists.";
const std::wstring kReserved = L"\"Paths\" and \"Device\" hold the settings and cannot name a server.";
const std::wstring kBadChar = L"A server name cannot hold \"[\", \"]\", a tab or a line break.";
const std::wstring kLongName = L"A server name cannot be longer than 259 characters.";
const std::wstring kNoUrl = L"The RTMPurl cannot be empty.";
const std::wstring kLongUrl = L"The RTMPurl cannot be longer than 255 characters.";
const std::wstring kBadScheme = L"The RTMPurl must begin with rtmp:// or rtmps://.";
const std::wstring kBadUrl = L"The RTMPurl cannot hold a double quote, a vertical bar or a line break, nor end with a backslash.";
const std::wstring kBadPort = L"Invalid port number";
const std::wstring kReservedPort = L"Port numnbers 0 to 1024 are reserved by the system.";
const std::wstring kNoKey = L"The key cannot be empty.";
const std::wstring kLongKey = L"The key cannot be longer than 255 characters.";
const std::wstring kBadKey = L"The key cannot hold a double quote, a vertical bar or a line break, nor end with a backslash.";

const std::vector<Typed> kRows = {
    {false, Name, L"", false, kEmptyName.c_str(), false},
    {false, Name, L" Studio", false, kBlankName.c_str(), false},
    {false, Name, L"Studio ", false, kBlankName.c_str(), false},
    {false, Name, L"youtube", true, kTaken.c_str(), false},
    {false, Name, L"Paths", false, kReserved.c_str(), false},
    {false, Name, L"Device", false, kReserved.c_str(), false},
    {false, Name, L"paths", false, kReserved.c_str(), false},  // the same section to the profile functions
    {false, Name, L"DEVICE", false, kReserved.c_str(), false},
    {false, Name, L"dEvIcE", false, kReserved.c_str(), false},
    {false, Name, L"Paths2", false, L"", true},
    {false, Name, L"My Device", false, L"", true},
    {false, Name, L"A[1]", false, kBadChar.c_str(), false},
    {false, Name, L"A]", false, kBadChar.c_str(), false},
    {false, Name, L"A\tB", false, kBadChar.c_str(), false},
    {false, Name, L"A\nB", false, kBadChar.c_str(), false},
    {false, Name, std::wstring(260, L'n'), false, kLongName.c_str(), false},
    {false, Name, std::wstring(259, L'n'), false, L"", true},
    {false, Url, L"", false, kNoUrl.c_str(), false},
    {false, Url, L"rtmp://h/live ", false, kNoUrl.c_str(), false},
    {false, Url, L" rtmp://h/live", false, L"", true},
    {false, Url, std::wstring(256, L'u'), false, kLongUrl.c_str(), false},
    {false, Url, L"rtmp://" + std::wstring(248, L'u'), false, L"", true},
    // The schemes the encoder streams to, in any case; the platforms' own refusals.
    {false, Url, L"RTMPS://a.rtmps.youtube.com:443/live2", false, L"", true},
    {false, Url, L"Rtmp://live.twitch.tv/app", false, L"", true},
    {false, Url, L"http://h/live", false, kBadScheme.c_str(), false},
    {false, Url, L"rtmpt://h/live", false, kBadScheme.c_str(), false},
    {false, Url, L"live.twitch.tv/app", false, kBadScheme.c_str(), false},
    {false, Url, L"rtmp://live-api-s.facebook.com/rtmp", false,
     L"Facebook Live takes only RTMPS: use rtmps://live-api-s.facebook.com:443/rtmp.", false},
    {false, Url, L"rtmp://fa723fc1b171.global-contribute.live-video.net:1935/app", false,
     L"Kick takes only RTMPS: use rtmps://fa723fc1b171.global-contribute.live-video.net:443/app.", false},
    {false, Url, L"rtmps://fa723fc1b171.global-contribute.live-video.net", false,
     L"A Kick address needs its application path: rtmps://fa723fc1b171.global-contribute.live-video.net:443/app.", false},
    {false, Url, L"rtmps://fa723fc1b171.global-contribute.live-video.net/app", false, L"", true},
    {false, Url, L"rtmp://ingest.global-contribute.live-video.net/app", false, L"", true},  // Twitch's, not Kick's
    {false, Url, L"rtmp://notfacebook.com/rtmp", false, L"", true},
    {false, Url, L"rtmp://h/\"x", false, kBadUrl.c_str(), false},
    {false, Url, L"rtmp://h/a|b", false, kBadUrl.c_str(), false},
    {false, Url, L"rtmp://h/a\r\nb", false, kBadUrl.c_str(), false},
    {false, Url, L"rtmp://h/a\\", false, kBadUrl.c_str(), false},
    {false, Port, L"1024", false, kReservedPort.c_str(), false},
    {false, Port, L"1025", false, L"", true},
    {false, Port, L"", false, kReservedPort.c_str(), false},  // a cleared port counts as 0
    {false, Port, L"80a", false, kBadPort.c_str(), false},
    {false, Port, L"-1", false, kBadPort.c_str(), false},
    {false, Port, L"4294967296", false, L"", true},  // held at 2147483647, not wrapped to 0
    {false, Key, L"", false, kNoKey.c_str(), false},
    {false, Key, L"abc ", false, kNoKey.c_str(), false},
    {false, Key, std::wstring(256, L'k'), false, kLongKey.c_str(), false},
    {false, Key, L"a\"b", false, kBadKey.c_str(), false},
    {false, Key, L"a|b", false, kBadKey.c_str(), false},
    {false, Key, L"ab\\", false, kBadKey.c_str(), false},
    // A persistent server: the key alone decides, but a key that cannot be used still refuses.
    {true, Key, L"abc ", false, kNoKey.c_str(), true},
    {true, Key, L"", false, kNoKey.c_str(), false},
    {true, Key, L"a|b", false, kBadKey.c_str(), false},
    {true, Key, std::wstring(256, L'k'), false, kLongKey.c_str(), false},
    {true, Port, L"80", false, kReservedPort.c_str(), true},
};

}  // namespace

TEST(CredentialRules, HintAndApplyAfterTypingIntoOneField) {
    for (const Typed& row : kRows) {
        std::wstring texts[4] = {L"Studio", L"rtmp://h/live", L"", L"abc"};  // port never touched
        texts[row.field] = row.text;
        CredentialErrors errors;
        FieldCheck check;
        switch (row.field) {
        case Name: check = CheckServerName(row.text, row.nameTaken); errors.name = check.error; break;
        case Url: check = CheckRtmpUrl(row.text); errors.url = check.error; break;
        case Port: check = CheckPort(row.text); errors.port = check.error; break;
        case Key: check = CheckKey(row.text); errors.key = check.error; errors.keyRefused = check.refused; break;
        }
        const std::string where = "field " + std::to_string(row.field) + " text of " + std::to_string(row.text.size());
        EXPECT_EQ(check.hint, row.hint) << where;
        EXPECT_EQ(ApplyAllowed(row.persistent, texts[Name], texts[Url], texts[Key], errors), row.apply) << where;
    }
}

TEST(CredentialRules, PortValueOfTheTypedText) {
    const std::pair<const wchar_t*, int> rows[] = {
        {L"", 0}, {L"8080", 8080}, {L"0001935", 1935}, {L"99999999999", 2147483647}, {L"-5", -5}};
    for (const auto& [text, value] : rows) EXPECT_EQ(PortValue(text), value) << value;
}

TEST(Platforms, KnownByTheHostOfTheAddress) {
    const struct { const wchar_t* url; Platform platform; bool aac, rtmps; } rows[] = {
        {L"rtmp://live.twitch.tv/app", Platform::Twitch, true, false},
        {L"rtmp://lax.contribute.live-video.net/app", Platform::Twitch, true, false},
        {L"rtmps://live-api-s.facebook.com:443/rtmp", Platform::Facebook, true, true},
        {L"rtmps://abc.global-contribute.live-video.net/app", Platform::Kick, true, true},
        {L"rtmp://1.2.3.4.channel.linkedin.com/live", Platform::LinkedIn, true, false},
        {L"rtmps://a.rtmps.youtube.com:443/live2", Platform::YouTube, false, false},
        {L"rtmp://live.restream.io/live", Platform::Restream, false, false},
        {L"rtmp://TWITCH.TV.example/app", Platform::Other, false, false},  // a label boundary, any case
        {L"rtmp://Live.Twitch.TV/app", Platform::Twitch, true, false},
        {L"twitch.tv", Platform::Other, false, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(PlatformOf(row.url), row.platform) << testing::PrintToString(std::wstring(row.url));
        EXPECT_EQ(TakesOnlyAac(row.platform), row.aac);
        EXPECT_EQ(TakesOnlyRtmps(row.platform), row.rtmps);
    }
    // Every address the editor offers is one it accepts.
    for (const ServiceAddress& s : kServiceAddresses)
        if (*s.url) EXPECT_EQ(CheckRtmpUrl(s.url).hint, L"") << testing::PrintToString(std::wstring(s.url));
}
