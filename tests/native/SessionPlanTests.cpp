// The session plan: what the selectors offer, what a Start launches, and why it cannot.
#include "engine/RecordingPath.h"
#include "engine/SessionPlan.h"
#include <gtest/gtest.h>
#include <set>

namespace {

using Names = std::vector<std::wstring>;

CStreamingServices Server(const wchar_t* name, const wchar_t* url, const wchar_t* key) {
    CStreamingServices s;
    s.Name = name;
    s.RtmpUrl = url;
    s.Key = key;
    return s;
}

// Twitch first in the list, so list order and A-Z order differ.
ServerList Servers() {
    ServerList list;
    list.AppendServer(Server(L"Twitch", L"rtmp://t.example/app", L"live_1"));
    list.AppendServer(Server(L"Studio A", L"rtmp://a.example/live", L"abc"));
    list.AppendServer(Server(L"NoKey", L"rtmp://n.example/live", L""));
    list.AppendServer(Server(L"Beta", L"rtmp://b.example/live", L"b1"));
    return list;
}

// One user action on the window, as plain values.
struct Act {
    enum Kind { Choose, SaveLocally, Path, Separate } kind;
    int channel = 0;
    std::wstring text;
    bool on = false;
};
Act Choose(int channel, const wchar_t* name) { return {Act::Choose, channel, name}; }
Act SaveLocally(bool on) { return {Act::SaveLocally, 0, L"", on}; }
Act Path(const wchar_t* text) { return {Act::Path, 0, text}; }
Act Separate(bool on) { return {Act::Separate, 0, L"", on}; }

struct Case {
    const char* title;
    std::vector<Act> acts;
    Names offers2;          // what selector 2 offers afterwards
    Names servers;          // the plan's servers, in list order
    std::wstring localFile;
    std::wstring message;   // "" when the plan launches
    std::set<std::wstring> existing = {};  // files already there
};

const wchar_t kNoKey1[] =
    L"The selected server does not have a valid key, url. Configure by going to Configure channels > Modify.";
const wchar_t kNoKeyN[] = L"The selected server does not have a valid key, url. Configure by going to Settings > Modify.";
const wchar_t kRefused[] =
    L"CCannot save to the given path. Either the folder does not exist or you do not have the permission to write to the folder ";
const wchar_t kAsk[] = L"Please select at least one server";
const Names kAll = {L"", L"Beta", L"NoKey", L"Studio A", L"Twitch"};

}  // namespace

TEST(SessionPlan, ActionSequencesGiveOffersPlanAndMessage) {
    const Case cases[] = {
        {"nothing chosen", {}, kAll, {}, L"", kAsk},
        {"one server", {Choose(0, L"Studio A")}, {L"", L"Beta", L"NoKey", L"Twitch"}, {L"Studio A"}, L"", L""},
        {"a name in another case is the record's", {Choose(0, L"twitch")}, {L"", L"Beta", L"NoKey", L"Studio A"}, {L"Twitch"}, L"", L""},
        {"servers in list order, not selector order", {Choose(0, L"Beta"), Choose(3, L"Twitch")},
         {L"", L"NoKey", L"Studio A"}, {L"Twitch", L"Beta"}, L"", L""},
        {"a new choice gives the old one back", {Choose(0, L"Studio A"), Choose(0, L"Twitch")},
         {L"", L"Beta", L"NoKey", L"Studio A"}, {L"Twitch"}, L"", L""},
        {"emptying selector 1 keeps selector 2's server", {Choose(0, L"Twitch"), Choose(1, L"Beta"), Choose(0, L"")},
         {L"", L"Beta", L"NoKey", L"Studio A", L"Twitch"}, {L"Beta"}, L"", L""},
        {"a name no server has is no choice", {Choose(0, L"Gone")}, kAll, {}, L"", kAsk},
        {"server without key in selector 1", {Choose(0, L"NoKey"), Choose(1, L"Beta")},
         {L"", L"Beta", L"Studio A", L"Twitch"}, {}, L"", kNoKey1},
        {"server without key in selector 3", {Choose(0, L"Beta"), Choose(2, L"NoKey")},
         {L"", L"Studio A", L"Twitch"}, {}, L"", kNoKeyN},
        {"Save Locally with an empty field", {Choose(0, L"Beta"), SaveLocally(true)},
         {L"", L"NoKey", L"Studio A", L"Twitch"}, {}, L"", L"Path must not be Empty"},
        {"Save Locally with an accepted path", {SaveLocally(true), Path(L"C:\\Videos\\show.mp4")},
         kAll, {}, L"C:\\Videos\\show.mp4", L""},
        {"a refused path after an accepted one refuses the Start",
         {Choose(0, L"Twitch"), SaveLocally(true), Path(L"C:\\Videos\\show.mp4"), Path(L"C:\\Missing\\new.mp4")},
         {L"", L"Beta", L"NoKey", L"Studio A"}, {}, L"", kRefused},
        {"unticking Save Locally streams the channels",
         {Choose(0, L"Twitch"), SaveLocally(true), Path(L"C:\\Missing\\new.mp4"), SaveLocally(false)},
         {L"", L"Beta", L"NoKey", L"Studio A"}, {L"Twitch"}, L"", L""},
        {"unticking Save Locally with nothing else chosen", {SaveLocally(true), Path(L"C:\\Videos\\a.mp4"), SaveLocally(false)},
         kAll, {}, L"", kAsk},
        {"WMV with channels", {Choose(0, L"Twitch"), SaveLocally(true), Path(L"C:\\Videos\\a.wmv")},
         {L"", L"Beta", L"NoKey", L"Studio A"}, {}, L"",
         L"Streaming cannot start: a WMV recording cannot be streamed to servers at the same time. Choose an MP4 "
         L"file for the local recording, or record without servers."},
        {"separate file: the stamp", {SaveLocally(true), Path(L"C:\\Videos\\a.mp4"), Separate(true)},
         kAll, {}, L"C:\\Videos\\a_2026-Dec-09_22-01.mp4", L""},
        {"separate file: a taken name gets the next free number",
         {SaveLocally(true), Path(L"C:\\Videos\\a.mp4"), Separate(true)}, kAll, {},
         L"C:\\Videos\\a_2026-Dec-09_22-01 (3).mp4", L"",
         {L"C:\\Videos\\a_2026-Dec-09_22-01.mp4", L"C:\\Videos\\a_2026-Dec-09_22-01 (2).mp4"}},
        {"without the option the chosen file is the file", {SaveLocally(true), Path(L"C:\\Videos\\a.mp4")},
         kAll, {}, L"C:\\Videos\\a.mp4", L"", {L"C:\\Videos\\a.mp4"}},
    };
    const ServerList servers = Servers();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        SessionChoices choices;
        for (const Act& a : c.acts) {
            switch (a.kind) {
            case Act::Choose: ChooseChannel(choices, a.channel, a.text, servers); break;
            case Act::SaveLocally: choices.saveLocally = a.on; break;
            case Act::Separate: choices.separateFile = a.on; break;
            case Act::Path:
                choices.shownPath = a.text;
                choices.pathAccepted = IsAcceptedRecordingPath(a.text, [](const std::wstring& folder) {
                    return folder == L"C:\\Videos\\";
                });
                break;
            }
        }
        EncoderInputs line;
        line.audioDevice = L"Microphone";
        line.disableVideo = 1;
        line.screenWidth = 1920;
        line.screenHeight = 1080;
        line.localTime.tm_year = 126;
        line.localTime.tm_mon = 11;
        line.localTime.tm_mday = 9;
        line.localTime.tm_hour = 22;
        line.localTime.tm_min = 1;
        const SessionPlan plan = PlanSession(choices, servers, line, [&](const std::wstring& path) {
            return c.existing.count(path) > 0;
        });
        EXPECT_EQ(SelectorOffers(choices, 1, servers), c.offers2);
        EXPECT_EQ(plan.message, c.message);
        EXPECT_EQ(plan.Launches(), c.message.empty());
        EXPECT_EQ(plan.servers, c.servers);
        EXPECT_EQ(plan.localFile, c.localFile);
        if (!plan.Launches()) {
            EXPECT_EQ(plan.commandLine, L"");
            continue;
        }
        // The line holds exactly the plan's targets, in its order.
        std::wstring tee;
        for (const std::wstring& name : plan.servers) {
            const CStreamingServices& s = servers.ServerAt(servers.FindServerByName(name));
            tee += (tee.empty() ? L"" : L"|") + std::wstring(L"[f=flv:onfail=ignore]") + s.RtmpUrl + L"/" + s.Key;
        }
        if (!plan.localFile.empty()) {
            std::wstring file = plan.localFile;
            for (wchar_t& ch : file)
                if (ch == L'\\') ch = L'/';
            tee += (tee.empty() ? L"" : L"|") + std::wstring(L"[f=flv:onfail=ignore]") + file;
        }
        EXPECT_NE(plan.commandLine.find(L"-f tee \"" + tee + L"\" -y"), std::wstring::npos) << plan.commandLine.c_str();
    }
}

TEST(SessionPlan, ServersInUseAreExactlyTheShownOnesWithKeyAndUrl) {
    ServerList servers = Servers();
    SessionChoices choices;
    ChooseChannel(choices, 0, L"Beta", servers);
    ChooseChannel(choices, 1, L"NoKey", servers);
    ChooseChannel(choices, 2, L"beta", servers);  // moves Beta from selector 1 to 3
    EXPECT_EQ(choices.channels[0], L"");
    EXPECT_EQ(choices.channels[2], L"Beta");
    MarkInUse(servers, choices);
    Names inUse;
    for (const CStreamingServices& s : servers)
        if (s.InUse) inUse.push_back(s.Name);
    EXPECT_EQ(inUse, Names{L"Beta"});
}

TEST(SessionPlan, MuteAndOverlayValuesOtherThanOneKeepInputsAndMapsTogether) {
    // Any value but 0 is read as 1 where the settings are loaded; the line follows "not 0" throughout.
    for (int mute : {0, 1, 2}) {
        for (int disable : {0, 1, 2}) {
            EncoderInputs line;
            line.audioDevice = L"Microphone";
            line.videoDevice = L"Camera";
            line.muteAudio = mute;
            line.disableVideo = disable;
            line.screenWidth = 1920;
            line.screenHeight = 1080;
            SessionChoices choices;
            const ServerList servers = Servers();
            ChooseChannel(choices, 0, L"Twitch", servers);
            const std::wstring text = PlanSession(choices, servers, line, nullptr).commandLine;
            size_t inputs = 0;
            for (size_t at = text.find(L" -i "); at != std::wstring::npos; at = text.find(L" -i ", at + 1)) ++inputs;
            const size_t map = text.find(L"-map 0:v -map ");
            ASSERT_NE(map, std::wstring::npos);
            const int audioInput = text[map + 14] - L'0';
            EXPECT_LT(audioInput, static_cast<int>(inputs)) << "mute " << mute << " disable " << disable;
        }
    }
}

TEST(SessionPlan, PlatformsThatTakeOnlyRtmpsOrAacAreToldBeforeTheStart) {
    ServerList servers = Servers();
    servers.AppendServer(Server(L"FB", L"rtmp://live-api-s.facebook.com/rtmp", L"fb1"));
    servers.AppendServer(Server(L"TW", L"rtmp://live.twitch.tv/app", L"tw1"));
    servers.AppendServer(Server(L"FBS", L"rtmps://live-api-s.facebook.com:443/rtmp", L"fb2"));
    EncoderInputs line;
    line.audioDevice = L"Microphone";
    line.disableVideo = 1;
    const struct { const wchar_t *a, *b, *codec; const wchar_t *message, *asked; int inUse; } rows[] = {
        {L"Beta", L"FB", L"", L"Streaming cannot start: the server \"FB\" streams to Facebook Live, which takes only RTMPS. "
                              L"Please change its Rtmp Url to rtmps://live-api-s.facebook.com:443/rtmp (Configure "
                              L"Channels > Modify) and try again.", nullptr, 2},
        {L"Beta", L"TW", L"", nullptr, L"The server \"TW\" streams to Twitch, which takes only AAC sound", 2},
        {L"FBS", L"TW", L"MP3", nullptr, L"The server \"TW\" streams to Twitch,", 2},  // the first in list order
        {L"FBS", L"TW", L"AAC", nullptr, nullptr, 2},
        {L"Beta", L"", L"", nullptr, nullptr, 1},
    };
    for (const auto& row : rows) {
        SessionChoices choices;
        ChooseChannel(choices, 0, row.a, servers);
        ChooseChannel(choices, 1, row.b, servers);
        line.audioCodec = row.codec;
        const SessionPlan plan = PlanSession(choices, servers, line, nullptr);
        EXPECT_EQ(plan.message, row.message ? row.message : L"") << testing::PrintToString(std::wstring(row.b));
        EXPECT_EQ(plan.aacQuestion.rfind(row.asked ? row.asked : L"", 0), 0u) << testing::PrintToString(plan.aacQuestion);
        EXPECT_EQ(plan.aacQuestion.empty(), row.asked == nullptr);
        EXPECT_EQ(plan.channelsInUse, row.inUse);
    }
}
