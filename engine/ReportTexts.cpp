// What the report's states say to the user: beside a selector, in the tray's tooltip, and when a
// session ended by itself.
#include "engine/EncoderReport.h"
#include <cwchar>

std::wstring ChannelStatusText(const TargetStatus& status) {
    switch (status.state) {
    case TargetState::Live: return L"Live";
    case TargetState::Down: return L"Down: " + status.reason;
    case TargetState::Retrying:
        return L"Down (retrying, attempt " + std::to_wstring(status.attempt) + L"): " + status.reason;
    case TargetState::Unknown: break;
    }
    return L"Unknown: waiting for the encoder";
}

std::wstring SessionTooltip(size_t live, size_t channels, bool recording, long long seconds, bool recordingFailed) {
    wchar_t clock[32];
    std::swprintf(clock, 32, L" \u2013 %lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    std::wstring text = L"Vandrel: ";
    if (channels > 0) {
        text += L"live on " + std::to_wstring(live) + L" of " + std::to_wstring(channels) +
                (channels == 1 ? L" channel" : L" channels");
        if (recording) text += L", recording";
        else if (recordingFailed) text += L", recording failed";
    } else {
        text += recording ? L"recording" : recordingFailed ? L"recording failed" : L"waiting for the encoder";
    }
    text += clock;
    return text.size() > 127 ? text.substr(0, 127) : text;
}

std::wstring EndedByItselfReason(const CEncoderReport& report) {
    if (!report.UnopenedDevice().empty())
        return L"the encoder could not open the device \"" + report.UnopenedDevice() +
               L"\" (check that it is connected and not in use by another program)";
    const std::vector<TargetStatus> statuses = report.Statuses();
    std::wstring channels, file;
    bool anyChannel = false, allDown = true, everLive = false;
    for (size_t i = 0; i < statuses.size(); ++i) {
        const ReportTarget& t = report.Targets()[i];
        const TargetStatus& s = statuses[i];
        const bool down = s.state == TargetState::Down || s.state == TargetState::Retrying;
        if (t.file) {
            if (down) file = s.reason;
            continue;
        }
        anyChannel = true;
        allDown = allDown && down;
        everLive = everLive || s.everLive;
        if (down) channels += (channels.empty() ? L"" : L"; ") + t.name + L": " + s.reason;
    }
    std::wstring out;
    if (anyChannel && allDown)
        out = (everLive ? L"every channel went down (" : L"no channel could be reached (") + channels + L")";
    if (!file.empty()) out += (out.empty() ? L"" : L", and ") + std::wstring(L"the recording file could not be written (") + file + L")";
    return out;
}
