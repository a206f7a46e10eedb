// The running session as the encoder reports it: a status beside each channel selector, the
// file's state on the status line, the tray's tooltip, and why a session ended by itself.
#include "config/StreamingServices.h"
#include "config/TextRules.h"
#include "engine/CommandLine.h"
#include "config/Win32SettingsStore.h"
#include "resources/resource.h"
#include "ui/framework/UserInterface.h"
#include "ui/main/MainWindow.h"
#include "ui/main/SessionStatus.h"
#include "engine/Platforms.h"

namespace {
constexpr UINT_PTR kReportTimer = 0x5E55;
constexpr UINT kReportPollMs = 1000;
}  // namespace

std::wstring KeptReportsFolder(const std::wstring& settingsPath) {
    return settingsPath.substr(0, settingsPath.find_last_of(L'\\') + 1) + L"Reports";
}

namespace {

// The redacted report goes beside the settings, and only the last five stay.
void KeepReport(const std::wstring& folder, const std::string& text) {
    if (text.empty()) return;
    CreateDirectoryW(folder.c_str(), nullptr);
    SYSTEMTIME t;
    GetLocalTime(&t);
    wchar_t name[64];
    swprintf(name, 64, L"\\vandrel-report-%04u-%02u-%02u_%02u-%02u-%02u.log", t.wYear, t.wMonth, t.wDay, t.wHour,
             t.wMinute, t.wSecond);
    HANDLE file = CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    std::vector<std::wstring> kept;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\vandrel-report-*.log").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do kept.emplace_back(found.cFileName);
        while (FindNextFileW(find, &found));
        FindClose(find);
    }
    for (const std::wstring& old : ReportsToDelete(kept)) DeleteFileW((folder + L"\\" + old).c_str());
}

}  // namespace

std::wstring CManageStreamingServerDlg::BeginSessionReport(const ComposedCommand& command, bool retrying) {
    std::vector<ReportTarget> targets;
    for (const std::wstring& name : command.channels) {
        const int index = g_ServerList.FindServerByName(name);
        if (index < 0) continue;
        const CStreamingServices& s = g_ServerList.ServerAt(index);
        targets.push_back({s.Name, EncoderUrl(s.RtmpUrl) + L"/" + s.Key, s.Key, false});
    }
    if (!command.localFile.empty()) {
        std::wstring path = command.localFile;
        for (wchar_t& c : path)
            if (c == L'\\') c = L'/';
        targets.push_back({L"", path, L"", true});
    }
    // [Device] "EncoderReport"=0 leaves the report unread (the benchmark's comparison); so does a
    // temp folder the encoder cannot be given (a non-ASCII user name with no 8.3 names), rather
    // than a session shown live on none of its channels.
    if (Settings().GetInt(m_szSettingsPath, L"Device", L"EncoderReport", 1) != 0)
        m_report = std::make_unique<CSessionReport>(std::move(targets), retrying);
    if (!m_report || m_report->file.Path().empty()) {
        m_report.reset();
        m_host.ShowTrayNotice(TrayNotice::Tooltip(L"Vandrel: session running (the encoder's report is not read)"));
        return L"";
    }
    m_report->localFile = command.localFile;
    m_report->report.NameDevices(command.devices);
    m_strSessionStatus.clear();
    SetTimer(m_hWnd, kReportTimer, kReportPollMs, nullptr);
    ShowSessionState();
    return m_report->file.EnvironmentBlock();
}

bool CManageStreamingServerDlg::OnReportTimer(WPARAM timer) {
    if (timer != kReportTimer) return false;
    if (!m_report) return true;
    CSessionReport& r = *m_report;
    r.report.Feed(r.file.ReadNew());
    const long long now = static_cast<long long>(GetTickCount64() - r.started);
    // On changes only: a channel that went down or came back, the encoder falling behind.
    std::wstring balloon = r.balloons.Update(now, r.report.Targets(), r.report.Statuses());
    switch (r.pace.Update(now, r.report.MediaSeconds())) {
    case CSpeedWatch::Change::FellBehind:
        r.paceNote = kFallingBehind;
        balloon += (balloon.empty() ? L"" : L" ") + std::wstring(kFallingBehind);
        break;
    case CSpeedWatch::Change::CaughtUp: r.paceNote = kCaughtUp; break;
    case CSpeedWatch::Change::None: break;
    }
    // The local recording failing is told at once: streaming goes on without it.
    const std::vector<TargetStatus> statuses = r.report.Statuses();
    for (size_t i = 0; i < statuses.size() && r.fileFailure.empty(); ++i)
        if (r.report.Targets()[i].file && statuses[i].state == TargetState::Down) {
            r.fileFailure = L"The recording to " + r.localFile + L" failed (" + statuses[i].reason + L").";
            balloon += (balloon.empty() ? L"" : L" ") + r.fileFailure + L" Streaming goes on without it.";
        }
    if (!balloon.empty()) m_host.ShowTrayNotice(TrayNotice::Balloon(balloon, NIIF_WARNING));
    ShowSessionState();
    return true;
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
    for (const std::wstring* note : {&m_report->paceNote, &m_report->soundLost})
        if (!note->empty()) fileState += (fileState.empty() ? L"" : L" ") + *note;
    if (rewriteStatusLine || fileState != m_strSessionStatus) SetStatus(m_strSessionStatus = fileState);
    const long long seconds = static_cast<long long>((GetTickCount64() - m_report->started) / 1000);
    m_host.ShowTrayNotice(TrayNotice::Tooltip(SessionTooltip(live, channels, recording, seconds, !m_report->fileFailure.empty())));
}

// The "Also record" device stopped sending: the track goes on with silence in its place.
void CManageStreamingServerDlg::OnSoundLost(WPARAM session) {
    if (!m_session.Current(session)) return;
    const std::wstring text = L"\"" + m_strSecondSound + L"\" stopped sending sound (unplugged, or in use by another "
                              L"program): the session goes on without it.";
    m_host.ShowTrayNotice(TrayNotice::Balloon(text, NIIF_WARNING));
    if (!m_report) return;
    m_report->soundLost = text;
    ShowSessionState();
}

void CManageStreamingServerDlg::OnOpenReports() {
    const std::wstring folder = KeptReportsFolder(m_szSettingsPath);
    CreateDirectoryW(folder.c_str(), nullptr);
    UI().ShellOpen(m_hWnd, folder);
}

std::wstring CManageStreamingServerDlg::EndSessionReport() {
    KillTimer(m_hWnd, kReportTimer);
    for (int j = 0; j < 4; ++j) ShowWindow(Item(IDC_CHANNEL1_STATE + j), SW_HIDE);
    if (!m_report) return L"";
    m_report->report.Feed(m_report->file.ReadNew());
    const std::wstring reason = EndedByItselfReason(m_report->report);
    m_strRecordingFailure = m_report->fileFailure;  // said again once the session is over
    KeepReport(KeptReportsFolder(m_szSettingsPath), KeptReportText(m_report->file.ReadAll(), m_report->report.Redactor()));
    m_report.reset();  // the raw report, keys and all, goes with it
    m_strSessionStatus.clear();
    return reason;
}
