// Tooltip and balloon texts of a running session.
#include "engine/SessionSummary.h"

namespace {

std::wstring CutTo(std::wstring text, size_t units) {
    if (text.size() > units) text = text.substr(0, units - 1) + L"\u2026";
    return text;
}

std::wstring Balloon(const std::vector<std::wstring>& servers, const std::wstring& file) {
    std::wstring text;
    for (size_t i = 0; i < servers.size(); ++i) text += (i ? L", " : L"Going live on ") + servers[i];
    if (!file.empty()) text += (text.empty() ? L"Recording to " : L". Recording to ") + file;
    return text.empty() ? text : text + L".";
}

}  // namespace

std::wstring LiveBalloon(const std::vector<std::wstring>& servers, const std::wstring& file) {
    std::wstring text = Balloon(servers, file);
    // A long path gives way first: its file name says enough.
    if (text.size() > kBalloonUnits) text = Balloon(servers, file.substr(file.find_last_of(L"\\/") + 1));
    return CutTo(text, kBalloonUnits);
}
