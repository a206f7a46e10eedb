// The session plan: selectors' offers, the servers in use and what a Start launches.
#include "engine/SessionPlan.h"
#include "config/TextRules.h"
#include "engine/Platforms.h"
#include <algorithm>

namespace {

constexpr wchar_t kNoKeyChannel1[] =
    L"The selected server does not have a valid key, url. Configure by going to Configure channels > Modify.";
constexpr wchar_t kNoKeyOthers[] =
    L"The selected server does not have a valid key, url. Configure by going to Settings > Modify.";
constexpr wchar_t kPathEmpty[] = L"Path must not be Empty";
constexpr wchar_t kSelectServer[] = L"Please select at least one server";

const CStreamingServices* Find(const ServerList& servers, const std::wstring& name) {
    const int index = name.empty() ? -1 : servers.FindServerByName(name);
    return index < 0 ? nullptr : &servers.ServerAt(index);
}

bool Shown(const SessionChoices& choices, const std::wstring& name, int except = -1) {
    for (int i = 0; i < 4; ++i)
        if (i != except && !choices.channels[i].empty() && EqualsIgnoringCase(choices.channels[i], name)) return true;
    return false;
}

}  // namespace

bool HasKeyAndUrl(const CStreamingServices& server) { return !server.Key.empty() && !server.RtmpUrl.empty(); }

void ChooseChannel(SessionChoices& choices, int i, const std::wstring& name, const ServerList& servers) {
    const CStreamingServices* server = Find(servers, name);
    const std::wstring chosen = server ? server->Name : L"";
    for (int j = 0; j < 4; ++j)
        if (j != i && !chosen.empty() && EqualsIgnoringCase(choices.channels[j], chosen)) choices.channels[j].clear();
    choices.channels[i] = chosen;
}

std::vector<std::wstring> SelectorOffers(const SessionChoices& choices, int i, const ServerList& servers) {
    std::vector<std::wstring> offers;
    for (const CStreamingServices& s : servers)
        if (!Shown(choices, s.Name, i)) offers.push_back(s.Name);
    std::sort(offers.begin(), offers.end(),
              [](const std::wstring& a, const std::wstring& b) { return LowerAscii(a) < LowerAscii(b); });
    offers.insert(offers.begin(), L"");
    return offers;
}

void MarkInUse(ServerList& servers, const SessionChoices& choices) {
    for (int k = 0; k < servers.size(); ++k) {
        CStreamingServices& s = servers.ServerAt(k);
        s.InUse = Shown(choices, s.Name) && HasKeyAndUrl(s) ? 1 : 0;
    }
}

SessionPlan PlanSession(const SessionChoices& choices, const ServerList& servers, EncoderInputs line,
                        const std::function<bool(const std::wstring& path)>& fileExists) {
    SessionPlan plan;
    plan.recordingDevice = line.recordingDevice.empty() ? line.audioDevice : line.recordingDevice;
    for (int i = 0; i < 4; ++i) {
        const CStreamingServices* server = Find(servers, choices.channels[i]);
        if (server && !HasKeyAndUrl(*server) && plan.refusedChannel < 0) plan.refusedChannel = i;
        plan.channelsInUse += server && HasKeyAndUrl(*server) ? 1 : 0;
    }
    if (plan.refusedChannel >= 0) {
        plan.message = plan.refusedChannel == 0 ? kNoKeyChannel1 : kNoKeyOthers;
        return plan;
    }
    // A platform that takes only RTMPS turns a plain RTMP publish away.
    for (const std::wstring& name : choices.channels) {
        const CStreamingServices* server = Find(servers, name);
        const Platform platform = server ? PlatformOf(server->RtmpUrl) : Platform::Other;
        if (!server || !HasKeyAndUrl(*server) || !TakesOnlyRtmps(platform) || StreamScheme(server->RtmpUrl) != L"rtmp") continue;
        plan.message = L"Streaming cannot start: the server \"" + server->Name + L"\" streams to " +
                       PlatformName(platform) + L", which takes only RTMPS. Please change its Rtmp Url to " +
                       RtmpsForm(server->RtmpUrl) + L" (Configure Channels > Modify) and try again.";
        return plan;
    }
    if (choices.saveLocally && choices.shownPath.empty()) {
        plan.message = kPathEmpty;
        return plan;
    }
    if (choices.saveLocally && !choices.pathAccepted) {
        plan.message = kPathRefused;
        return plan;
    }
    if (plan.channelsInUse == 0 && !choices.saveLocally) {
        plan.message = kSelectServer;
        plan.nothingChosen = true;
        return plan;
    }

    // The file the field shows, with the stamp and, when that name is taken, the first free copy number.
    line.saveLocally = choices.saveLocally;
    line.recordingPath = choices.shownPath;
    line.separateFile = choices.separateFile;
    line.separateFileCopy = 1;
    if (choices.saveLocally && choices.separateFile && fileExists)
        while (line.separateFileCopy < 10000 &&
               fileExists(SeparateFileName(choices.shownPath, line.localTime, line.separateFileCopy)))
            ++line.separateFileCopy;

    ServerList inUse = servers;
    MarkInUse(inUse, choices);
    const ComposedCommand command = ComposeEncoderCommandLine(line, inUse);
    plan.recordingDevice = command.recordingDevice;
    if (command.error != ComposeError::None) {
        plan.message = ComposeErrorMessage(command);
        return plan;
    }
    plan.commandLine = command.text;
    plan.soundLine = command.soundLine;
    plan.servers = command.channels;
    plan.localFile = command.localFile;
    plan.devices = command.devices;
    // A WMV file never goes with channels: their sound is the one codec asked for.
    const bool mp3 = AacOf(line.audioCodec) == 0;
    for (const std::wstring& name : plan.servers) {
        const CStreamingServices* server = Find(servers, name);
        const Platform platform = server ? PlatformOf(server->RtmpUrl) : Platform::Other;
        if (!mp3 || !TakesOnlyAac(platform)) continue;
        plan.aacQuestion = L"The server \"" + server->Name + L"\" streams to " + PlatformName(platform) +
                           L", which takes only AAC sound, and the Audio in Media Settings is MP3: the stream would "
                           L"have no sound there, or be refused.\r\n\r\nSwitch the Audio to AAC?";
        break;
    }
    return plan;
}
