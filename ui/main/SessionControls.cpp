// The main window's session controls: channel selectors, local recording, Start, Stop, Close.
#include "config/StreamingServices.h"
#include "config/TextRules.h"
#include "config/Win32SettingsStore.h"
#include "engine/CommandLine.h"
#include "engine/EncoderCheck.h"
#include "engine/Readiness.h"
#include "devices/CaptureDevices.h"
#include "engine/RecordingPath.h"
#include "engine/EncoderReport.h"
#include "engine/Mp4Conversion.h"
#include "engine/SessionPlan.h"
#include "engine/SessionSummary.h"
#include "resources/resource.h"
#include "ui/framework/UserInterface.h"
#include "ui/main/MainWindow.h"
#include <algorithm>
#include <ctime>
#include <utility>

namespace {

constexpr wchar_t kBackgroundNotice[] =
    L"The application will continue running in the background. You can start or stop streaming from the system tray.";
constexpr wchar_t kSeparateFileNotice[] = L"New videos will now be saved with date and time appended to the filename.";
constexpr wchar_t kLaunchFailed[] = L"Couldn't create stream with these parameters";
constexpr wchar_t kEncoderEnded[] = L"Streaming has stopped: the encoder ended by itself (exit code ";
constexpr wchar_t kSessionEnded[] = L"Streaming has stopped: ";

// Whether a file can be made in the recording's folder now: a folder that exists may still refuse
// (permissions, Controlled Folder Access, a read-only volume).
bool FolderTakesFiles(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return false;
    const std::wstring probe = path.substr(0, slash + 1) + L"vandrel-write-check-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

class CWaitCursor {
public:
    CWaitCursor() : m_previous(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~CWaitCursor() { SetCursor(m_previous); }

private:
    HCURSOR m_previous;
};

}  // namespace

void CManageStreamingServerDlg::MarkChannel(const std::wstring& name, bool chosen) {
    if (name.empty()) return;
    // A name that outlived its server marks nothing; a server without key or URL is never in use.
    if (const int index = g_ServerList.FindServerByName(name); index >= 0) {
        CStreamingServices& server = g_ServerList.ServerAt(index);
        server.InUse = chosen && HasKeyAndUrl(server) ? 1 : 0;
    }
}

// The selector shows a new choice: the server it held before is released and the new one put in
// use; the session plan then decides the offers, Start and the status line.
void CManageStreamingServerDlg::OnChannelChanged(int i) {
    if (g_bSessionRunning == 0) {
        SessionChoices choices = Choices();
        ChooseChannel(choices, i, m_channels[i]->SelectedText(), g_ServerList);
        for (int j = 0; j < 4; ++j) {
            if (ChannelName(j) != choices.channels[j]) MarkChannel(ChannelName(j), false);
            ChannelName(j) = choices.channels[j];
        }
        MarkChannel(ChannelName(i), true);
    }
    ShowPlan();
}

SessionChoices CManageStreamingServerDlg::Choices() const {
    SessionChoices c;
    for (int i = 0; i < 4; ++i) c.channels[i] = ChannelName(i);
    c.saveLocally = m_chkSaveLocally.IsChecked();
    c.shownPath = m_editRecordingFile.Text();
    c.pathAccepted = IsAcceptedRecordingPath(c.shownPath, [](const std::wstring& folder) {
        return GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES;
    });
    c.separateFile = m_chkSeparateFile.IsChecked();
    return c;
}

EncoderInputs CManageStreamingServerDlg::LineSettings() const {
    EncoderInputs in;
    in.videoFps = m_strVideoFps;
    in.recMode = ReadDevice(L"RecMode");
    if (in.recMode == L"Other") in.primaryVidSrc = ReadDevice(L"PrimaryVidSrc");
    in.disableVideo = m_nDisableVideo;
    in.videoDevice = m_strVideoDevice;
    in.overlayVideoPos = m_nOverlayVideoPos;
    in.muteAudio = m_nMuteAudio;
    in.audioDevice = m_strAudioDevice;
    in.alsoRecord = ReadDevice(L"AlsoRecord");
    in.soundPipe += L"-" + std::to_wstring(GetCurrentProcessId());  // one per user session's copy
    in.recordingDevice = g_strRecordingDevice;
    in.screenWidth = m_nScreenWidth;
    in.screenHeight = m_nScreenHeight;
    // The primary screen in physical pixels, as the encoder's GDI capture takes it: its display
    // mode now, whatever the scaling was at sign-in (which is what the system metrics keep).
    MONITORINFOEXW monitor{};
    monitor.cbSize = sizeof monitor;
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    if (GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        in.screenLeft = monitor.rcMonitor.left;
        in.screenTop = monitor.rcMonitor.top;
        if (EnumDisplaySettingsW(monitor.szDevice, ENUM_CURRENT_SETTINGS, &mode) && mode.dmPelsWidth && mode.dmPelsHeight) {
            in.screenLeft = mode.dmPosition.x;
            in.screenTop = mode.dmPosition.y;
            in.screenWidth = static_cast<int>(mode.dmPelsWidth);
            in.screenHeight = static_cast<int>(mode.dmPelsHeight);
        }
    }
    in.reconnectChannels = Settings().GetInt(m_szSettingsPath, L"Device", L"ReconnectChannels", 0) != 0;
    in.videoBitrate = ReadDevice(L"VideoBitrate");
    in.outputSize = ReadDevice(L"OutputSize");
    in.audioCodec = ReadDevice(L"AudioCodec");
    const std::time_t now = std::time(nullptr);
    if (const std::tm* t = std::localtime(&now)) in.localTime = *t;
    return in;
}

SessionPlan CManageStreamingServerDlg::CurrentPlan(const EncoderInputs& line) const {
    return PlanSession(Choices(), g_ServerList, line, [](const std::wstring& path) {
        return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    });
}

// Each selector offers what the plan says and shows its remembered name; Start is enabled exactly
// when a Start would launch something, and otherwise the status line says why.
void CManageStreamingServerDlg::ShowPlan() {
    const SessionChoices choices = Choices();
    for (int i = 0; i < 4; ++i) {
        CComboBox& combo = *m_channels[i];
        const std::vector<std::wstring> offers = SelectorOffers(choices, i, g_ServerList);
        for (int k = combo.Count() - 1; k >= 0; --k)
            if (std::find(offers.begin(), offers.end(), combo.ItemText(k)) == offers.end()) combo.DeleteString(k);
        for (const std::wstring& name : offers)
            if (name.empty() ? combo.Count() == 0 || !combo.ItemText(0).empty() : combo.FindExact(name) < 0)
                combo.AddString(name);
        SelectByName(combo, choices.channels[i]);
        InvalidateRect(combo.Handle(), nullptr, TRUE);
    }
    if (g_bSessionRunning != 0) {
        m_btnStart.Enable(false);
        for (CComboBox* combo : m_channels) combo->Enable(false);
        return;
    }
    const EncoderInputs line = LineSettings();
    const SessionPlan plan = CurrentPlan(line);
    // What a Start would send, before it is pressed.
    SetDlgItemTextW(m_hWnd, IDC_UPLOAD, UploadText(plan.channelsInUse, VideoBitrateOf(line.videoBitrate)).c_str());
    for (int j = 0; j < 4; ++j) m_channels[j]->Enable(plan.refusedChannel < 0 || plan.refusedChannel == j);
    m_btnStart.Enable(plan.Launches());
    SetStatus(plan.Launches() ? m_strSessionNotice : plan.message);
}

void CManageStreamingServerDlg::ToggleMoreChannels() {
    m_bMoreChannels = !m_bMoreChannels;
    for (int id : {IDC_CHANNEL3, IDC_CHANNEL4, IDC_CHANNEL3_LABEL, IDC_CHANNEL4_LABEL})
        ShowWindow(Item(id), m_bMoreChannels ? SW_SHOW : SW_HIDE);
    ShowSessionState();  // the status beside selectors 3 and 4 follows them
    InvalidateRect(m_hWnd, nullptr, TRUE);
    UpdateWindow(m_hWnd);
}

void CManageStreamingServerDlg::LoadVideoOptions() {
    const std::wstring fps = Settings().GetString(m_szSettingsPath, L"Device", L"VideoFPS", L"");
    if (!fps.empty()) m_strVideoFps = fps;
}

void CManageStreamingServerDlg::OnStart() {
    if (g_bSessionRunning != 0 || m_host.SessionBusy()) return;
    if (m_conversion->Running()) {  // a Start to the same path would overwrite the file being saved
        m_bStartAfterSave = true;
        SetStatus(kWaitingForSave);
        return;
    }
    // The screen as it is now: the application lives in the tray across resolution changes.
    m_nScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    m_nScreenHeight = GetSystemMetrics(SM_CYSCREEN);
    EncoderInputs line = LineSettings();
    line.devices = AllCaptureDevices();
    SessionPlan plan = CurrentPlan(line);
    g_strRecordingDevice = plan.recordingDevice;
    if (!plan.Launches()) {
        ShowPlan();
        UI().MessageBox(m_hWnd, plan.message, plan.nothingChosen ? MB_OKCANCEL | MB_ICONINFORMATION : MB_OK | MB_ICONWARNING);
        return;
    }
    if (!plan.localFile.empty() && !FolderTakesFiles(plan.localFile)) {
        UI().MessageBox(m_hWnd, kPathRefused, MB_OK | MB_ICONWARNING);
        return;
    }
    // Said before anything is launched: an encoder that is missing or mute, a capture source that is not there.
    if (!ReadyToStart(line)) return;
    // Yes takes AAC from now on; No starts as it is.
    const bool aac = !plan.aacQuestion.empty() &&
                     UI().MessageBox(m_hWnd, plan.aacQuestion, MB_YESNO | MB_ICONQUESTION) == IDYES;
    if (aac) Settings().WriteString(m_szSettingsPath, L"Device", L"AudioCodec", L"AAC");
    if (const std::wstring mode = ReadDevice(L"RecMode"); mode != line.recMode || aac) {
        line.recMode = mode;  // the user took the built-in capture, or AAC
        line.audioCodec = ReadDevice(L"AudioCodec");
        plan = CurrentPlan(line);
        g_strRecordingDevice = plan.recordingDevice;
        if (!plan.Launches()) return;
    }

    const std::wstring& local = m_szLocalSettingsPath;
    for (int i = 0; i < 4; ++i) {
        const std::wstring key = L"Channel" + std::to_wstring(i + 1);
        Settings().WriteString(local, L"Server", key.c_str(), m_channels[i]->SelectedText().c_str());
    }
    Settings().WriteString(local, L"Local", L"SaveInLocalPath", m_chkSaveLocally.IsChecked() ? L"1" : L"0");
    Settings().WriteString(local, L"Local", L"SaveInSeperateFile", m_chkSeparateFile.IsChecked() ? L"1" : L"0");
    // Remembered from the start: a session the application does not live through is converted next time.
    m_strSessionFile = NeedsMp4Conversion(plan.localFile) ? plan.localFile : L"";
    if (!m_strSessionFile.empty()) Settings().WriteString(local, L"Local", L"PendingConversion", m_strSessionFile.c_str());

    // Until the encoder is on its way the tray offers neither Start nor Stop, and Exit waits.
    m_host.SessionChanged(SessionPhase::Busy);
    m_strSessionNotice.clear();
    m_sessionServers = plan.servers;
    m_strSecondSound = plan.soundLine.empty() ? L"" : line.alsoRecord;
    MarkInUse(g_ServerList, Choices());  // also when the window was closed before a tray Start
    m_btnStart.Enable(false);
    m_btnStop.Enable(true);
    g_bSessionRunning = 1;
    for (CComboBox* combo : m_channels) combo->Enable(false);
    m_chkSaveLocally.Enable(false);
    m_editRecordingFile.Enable(false);

    if (Settings().GetInt(m_szSettingsPath, L"Device", L"DemoMode", 0) == 0) {
        UI().MessageBox(m_hWnd, kBackgroundNotice, MB_OK | MB_ICONINFORMATION);
        Settings().WriteString(m_szSettingsPath, L"Device", L"DemoMode", L"1");
    }
    ShowWindow(m_hWnd, SW_HIDE);
    ComposedCommand launched;
    launched.text = plan.commandLine;
    launched.channels = plan.servers;
    launched.localFile = plan.localFile;
    launched.devices = plan.devices;
    m_session.Start(plan.commandLine, m_hWnd, BeginSessionReport(launched, line.reconnectChannels), plan.soundLine,
                    line.soundPipe);
    // The window is hidden now: the tray says what is being started; the report tells the rest.
    m_host.SessionChanged(SessionPhase::Live,
                          TrayNotice::Balloon(LiveBalloon(plan.servers, plan.localFile), NIIF_INFO));
}

bool CManageStreamingServerDlg::ReadyToStart(const EncoderInputs& line) {
    const EncoderReadiness encoder = EncoderCheck().Check();
    if (encoder != EncoderReadiness::Ready) {
        UI().MessageBox(m_hWnd, CEncoderCheck::Message(encoder), MB_OK | MB_ICONWARNING);
        return false;
    }
    const std::wstring mode = Settings().GetString(m_szSettingsPath, L"Device", L"RecMode", L"");
    const std::wstring source =
        mode == kRecModeOther ? Settings().GetString(m_szSettingsPath, L"Device", L"PrimaryVidSrc", L"") : L"";
    std::vector<DeviceName> devices;
    if (mode == kRecModeOther) {  // the walk the line was named from
        for (const CaptureDevice& d : line.devices)
            if (d.video) devices.push_back(d.shown);
    } else if (mode != kRecModeBuiltIn && ScreenCaptureFilterRegistered()) devices.push_back(kScreenCaptureDevice);
    const CaptureReadiness capture = CheckCapture(mode, source, devices);
    if (capture == CaptureReadiness::NoScreenFilter) {
        if (UI().MessageBox(m_hWnd, CaptureReadinessMessage(capture, source), MB_YESNO | MB_ICONQUESTION) != IDYES)
            return false;
        Settings().WriteString(m_szSettingsPath, L"Device", L"RecMode", kRecModeBuiltIn);
    } else if (capture != CaptureReadiness::Ready) {
        UI().MessageBox(m_hWnd, CaptureReadinessMessage(capture, source), MB_OK | MB_ICONWARNING);
        return false;
    }
    if (const std::wstring missing = MissingDeviceMessage(line); !missing.empty()) {
        UI().MessageBox(m_hWnd, missing, MB_OK | MB_ICONWARNING);
        return false;
    }
    return true;
}

void CManageStreamingServerDlg::EnterIdle() {
    m_host.ShowTrayNotice(TrayNotice::Tooltip(L""));
    m_btnStop.Enable(false);
    g_bSessionRunning = 0;
    m_sessionServers.clear();
    for (CComboBox* combo : m_channels) combo->Enable(true);
    m_chkSaveLocally.Enable(true);
    MarkInUse(g_ServerList, Choices());
    OnSaveLocally();
}

void CManageStreamingServerDlg::OnStop() { StopSession(CEncoderSession::kGraceMs); }

void CManageStreamingServerDlg::StopSession(DWORD graceMs) {
    if (m_host.SessionBusy()) return;  // a Start or Stop is still on its way
    CWaitCursor wait;
    m_host.SessionChanged(SessionPhase::Busy);
    EnterIdle();
    m_session.Stop(graceMs);
    EndSessionReport();
    TrayNotice notice = SaveAfterSession();
    if (!m_strRecordingFailure.empty()) {
        notice.balloon = std::exchange(m_strRecordingFailure, L"");
        notice.balloonIcon = NIIF_WARNING;
    }
    m_host.SessionChanged(SessionPhase::Idle, notice);
}

// The encoder ended with nobody stopping it: the session is over, and the user is told.
void CManageStreamingServerDlg::OnEncoderEnded(WPARAM session, DWORD exitCode) {
    if (!m_session.EndedByItself(session)) return;
    const std::wstring why = EndSessionReport();
    m_strRecordingFailure.clear();  // the reason names the file already
    m_strSessionNotice = why.empty() ? kEncoderEnded + std::to_wstring(exitCode) + L")." : kSessionEnded + why + L".";
    EnterIdle();
    TrayNotice notice = SaveAfterSession();
    notice.balloon = m_strSessionNotice;
    notice.balloonIcon = NIIF_WARNING;
    m_host.SessionChanged(SessionPhase::Idle, notice);
}

void CManageStreamingServerDlg::OnLaunchFailed() {
    UI().MessageBox(m_hWnd, kLaunchFailed, MB_OK | MB_ICONERROR);
    OnStop();
}

void CManageStreamingServerDlg::OnSaveLocally() {
    const bool on = m_chkSaveLocally.IsChecked();
    m_editRecordingFile.Enable(on);
    m_chkSeparateFile.Enable(on);
    m_staticSeparateFile.Enable(on);
    if (on) m_editRecordingFile.m_strRememberedPath = m_editRecordingFile.Text();
    // The path shown is the one recorded to: checked (and stored when accepted) as if just typed.
    if (on) OnRecordingPathChanged();
    else ShowPlan();
}

void CManageStreamingServerDlg::OnSaveLocallyLabel() {
    if (g_bSessionRunning) return;  // inert while streaming, like its check box
    m_chkSaveLocally.SetCheck(!m_chkSaveLocally.IsChecked());
    OnSaveLocally();
}

void CManageStreamingServerDlg::OnRecordingPathChanged() {
    const SessionChoices choices = Choices();
    if (choices.saveLocally && choices.pathAccepted && g_bSessionRunning == 0) {
        Settings().WriteString(m_szSettingsPath, L"Paths", L"Video Local Folder", choices.shownPath.c_str());
        m_strRecordingPath = choices.shownPath;
    }
    ShowPlan();
}

void CManageStreamingServerDlg::OnSeparateFile() {
    m_bSeparateFile = m_chkSeparateFile.IsChecked();
    if (m_bSeparateFile) UI().MessageBox(m_hWnd, kSeparateFileNotice, MB_OK | MB_ICONINFORMATION);
    ShowPlan();
}

void CManageStreamingServerDlg::OnSeparateFileLabel() {
    if (g_bSessionRunning || !m_staticSeparateFile.IsEnabled()) return;
    m_chkSeparateFile.SetCheck(!m_chkSeparateFile.IsChecked());
    OnSeparateFile();
}

void CManageStreamingServerDlg::OnClose() {
    for (int i = 0; i < 4; ++i) MarkChannel(ChannelName(i), false);
    EndDialog(IDCANCEL);
}
