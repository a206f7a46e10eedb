// Balloons on changes only, the encoder's pace, and the kept reports.
#include "engine/SessionNotices.h"
#include <algorithm>

std::wstring CBalloonRule::Update(long long nowMs, const std::vector<ReportTarget>& targets,
                                  const std::vector<TargetStatus>& statuses) {
    m_channels.resize(targets.size());
    std::wstring text;
    for (size_t i = 0; i < targets.size() && i < statuses.size(); ++i) {
        if (targets[i].file) continue;
        const TargetStatus& s = statuses[i];
        Channel& c = m_channels[i];
        const Told now = s.state == TargetState::Live ? Told::Live
                       : s.state == TargetState::Unknown ? Told::Nothing : Told::Down;
        if (now == Told::Nothing || now == c.told) continue;
        // Going live the first time needs no balloon: the start said so.
        if (c.told == Told::Nothing && now == Told::Live) {
            c.told = now;
            continue;
        }
        if (c.balloonShown && nowMs - c.lastMs < kQuietMs) continue;  // told again once the quiet time is over
        if (now == Told::Down)
            text += (text.empty() ? L"" : L" ") + targets[i].name +
                    (s.state == TargetState::Retrying ? L" is down, retrying: " : L" is down: ") + s.reason + L".";
        else
            text += (text.empty() ? L"" : L" ") + targets[i].name + L" is live again.";
        c.told = now;
        c.lastMs = nowMs;
        c.balloonShown = true;
    }
    return text;
}

CSpeedWatch::Change CSpeedWatch::Update(long long nowMs, double mediaSeconds) {
    if (mediaSeconds < 0) return Change::None;
    m_samples.emplace_back(nowMs, mediaSeconds);
    while (m_samples.size() > 2 && nowMs - m_samples[1].first >= kWindowMs) m_samples.pop_front();
    const auto& [firstMs, firstMedia] = m_samples.front();
    if (nowMs - firstMs < kWindowMs) return Change::None;  // not 10 s of it yet
    const double pace = (mediaSeconds - firstMedia) * 1000.0 / static_cast<double>(nowMs - firstMs);
    if (!m_behind && pace < kSlow) {
        m_behind = true;
        return Change::FellBehind;
    }
    if (m_behind && pace >= kSlow) {
        m_behind = false;
        return Change::CaughtUp;
    }
    return Change::None;
}

std::string KeptReportText(std::string_view raw, const CKeyRedactor& redactor, size_t limit) {
    std::string text = redactor.Redact(raw);
    if (text.size() <= limit) return text;
    const size_t head = limit / 4;
    size_t headEnd = text.rfind('\n', head);
    headEnd = headEnd == std::string::npos ? head : headEnd + 1;
    const std::string gap = "\r\n[... " + std::to_string(text.size()) + " bytes in all; the middle is left out ...]\r\n";
    size_t tailStart = text.size() - (limit - headEnd - gap.size());
    const size_t line = text.find('\n', tailStart);
    if (line != std::string::npos) tailStart = line + 1;
    return text.substr(0, headEnd) + gap + text.substr(tailStart);
}

std::vector<std::wstring> ReportsToDelete(std::vector<std::wstring> names, size_t keep) {
    std::sort(names.begin(), names.end());
    if (names.size() <= keep) return {};
    names.resize(names.size() - keep);
    return names;
}
