// The running session as the encoder reports it: a status beside each channel selector, the
// file's state on the status line, the tray's tooltip, and why a session ended by itself.
#include "app/VandrelApp.h"
#include "config/StreamingServices.h"
#include "config/TextRules.h"
#include "engine/CommandLine.h"
#include "resources/resource.h"
#include "ui/main/MainWindow.h"
#include "ui/main/SessionStatus.h"

namespace {
constexpr UINT_PTR kReportTimer = 0x5E55;
constexpr UINT kReportPollMs = 1000;
}  // namespace

std::wstring CManageStreamingServerDlg::BeginSessionReport(const ComposedCommand& command, bool retrying) {
    std::vector<ReportTarget> targets;
    for (const std::wstring& name : command.channels) {
        const int index = g_ServerList.FindServerByName(name);
        if (index < 0) continue;
        const CStreamingServices& s = g_ServerList.ServerAt(index);
        targets.push_back({s.Name, s.RtmpUrl + L"/" + s.Key, s.Key, false});
    }
    if (!command.localFile.empty()) {
        std::wstring path = command.localFile;
        for (wchar_t& c : path)
            if (c == L'\\') c = L'/';
        targets.push_back({L"", path, L"", true});
    }
    m_report = std::make_unique<CSessionReport>(std::move(targets), retrying);
    m_strSessionStatus.clear();
    SetTimer(m_hWnd, kReportTimer, kReportPollMs, nullptr);
    ShowSessionState();
    return m_report->file.EnvironmentBlock();
}

void CManageStreamingServerDlg::OnReportTimer() {
    if (!m_report) return;
    m_report->report.Feed(m_report->file.ReadNew());
    ShowSessionState();
}

void CManageStreamingServerDlg::ShowSessionState(bool rewriteStatusLine) {
    if (!m_report) return;
    const CEncoderReport& r = m_report->report;
    const std::vector<TargetStatus> statuses = r.Statuses();
    size_t live = 0, channels = 0;
    bool recording = false;
    std::wstring fileState;
    for (size_t i = 0; i < statuses.size(); ++i) {
        if (r.Targets()[i].file) {
            recording = statuses[i].state == TargetState::Live;
            if (recording) fileState = L"Recording.";
            else if (statuses[i].state != TargetState::Unknown) fileState = L"Recording failed: " + statuses[i].reason + L".";
            continue;
        }
        ++channels;
        if (statuses[i].state == TargetState::Live) ++live;
    }
    for (int j = 0; j < 4; ++j) {
        // Beside each selector that holds a server of this session, while the selector shows.
        const std::wstring name = m_channels[j]->SelectedText();
        std::wstring text;
        for (size_t i = 0; i < statuses.size() && !name.empty(); ++i)
            if (!r.Targets()[i].file && EqualsIgnoringCase(r.Targets()[i].name, name)) text = ChannelStatusText(statuses[i]);
        HWND state = Item(IDC_CHANNEL1_STATE + j);
        const bool shown = !text.empty() && (GetWindowLongW(m_channels[j]->Handle(), GWL_STYLE) & WS_VISIBLE);
        CStatic label;
        label.Attach(state);
        if (label.Text() != text) label.SetText(text);
        ShowWindow(state, shown ? SW_SHOWNA : SW_HIDE);
    }
    if (rewriteStatusLine || fileState != m_strSessionStatus) SetStatus(m_strSessionStatus = fileState);
    const long long seconds = static_cast<long long>((GetTickCount64() - m_report->started) / 1000);
    const std::wstring tip = SessionTooltip(live, channels, recording, seconds);
    if (tip != theApp.m_trayIcon.m_iconData.szTip) theApp.m_trayIcon.SetTooltip(tip);
}

std::wstring CManageStreamingServerDlg::EndSessionReport() {
    KillTimer(m_hWnd, kReportTimer);
    for (int j = 0; j < 4; ++j) ShowWindow(Item(IDC_CHANNEL1_STATE + j), SW_HIDE);
    if (!m_report) return L"";
    m_report->report.Feed(m_report->file.ReadNew());
    const std::wstring reason = EndedByItselfReason(m_report->report);
    m_report.reset();  // the raw report, keys and all, goes with it
    m_strSessionStatus.clear();
    return reason;
}
