// The main window's session controls: channel selectors, local recording, Start, Stop, Close.
#include "app/VandrelApp.h"
#include "config/StreamingServices.h"
#include "config/TextRules.h"
#include "config/Win32SettingsStore.h"
#include "engine/CommandLine.h"
#include "engine/RecordingPath.h"
#include "engine/EncoderReport.h"
#include "engine/SessionSummary.h"
#include "resources/resource.h"
#include "ui/framework/UserInterface.h"
#include "ui/main/MainWindow.h"
#include <ctime>

namespace {

constexpr wchar_t kNoKeyChannel1[] =
    L"The selected server does not have a valid key, url. Configure by going to Configure channels > Modify.";
constexpr wchar_t kNoKeyOthers[] =
    L"The selected server does not have a valid key, url. Configure by going to Settings > Modify.";
constexpr wchar_t kPathEmpty[] = L"Path must not be Empty";
constexpr wchar_t kPathRefused[] =
    L"CCannot save to the given path. Either the folder does not exist or you do not have the permission to write to the folder ";
constexpr wchar_t kBackgroundNotice[] =
    L"The application will continue running in the background. You can start or stop streaming from the system tray.";
constexpr wchar_t kSeparateFileNotice[] = L"New videos will now be saved with date and time appended to the filename.";
constexpr wchar_t kLaunchFailed[] = L"Couldn't create stream with these parameters";
constexpr wchar_t kEncoderEnded[] = L"Streaming has stopped: the encoder ended by itself (exit code ";
constexpr wchar_t kSessionEnded[] = L"Streaming has stopped: ";

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
    const int index = g_ServerList.FindServerByName(name);
    if (chosen) {
        const bool idle = g_bSessionRunning == 0;
        EnableStart(idle);
        for (CComboBox* combo : m_channels) combo->Enable(idle);
    } else {
        m_btnStart.Enable(false);
    }
    // A name that outlived its server marks nothing.
    if (index >= 0) g_ServerList.ServerAt(index).InUse = chosen ? 1 : 0;
}

void CManageStreamingServerDlg::OnChannelChanged(int i) {
    CComboBox& self = *m_channels[i];
    std::wstring chosen = self.SelectedText();
    std::wstring& remembered = ChannelName(i);
    // A name that no longer matches any server counts as no choice.
    const int index = chosen.empty() ? -1 : g_ServerList.FindServerByName(chosen);
    if (index < 0) chosen.clear();
    if (!chosen.empty()) {
        const CStreamingServices& server = g_ServerList.ServerAt(index);
        if (server.Key.empty() || server.RtmpUrl.empty()) {
            m_btnStart.Enable(false);
            for (int j = 0; j < 4; ++j)
                if (j != i) m_channels[j]->Enable(false);
            SetStatus(ChannelProblemText(i));
            // The selector shows this server now: the one it held before is released, and
            // nothing is in use that no selector shows. A running session keeps what it has.
            if (g_bSessionRunning == 0) {
                MarkChannel(remembered, false);
                if (!remembered.empty() && !EqualsIgnoringCase(remembered, chosen))
                    for (int j = 0; j < 4; ++j)
                        if (j != i && m_channels[j]->FindExact(remembered) < 0) m_channels[j]->AddString(remembered);
                remembered = server.Name;
            }
            return;
        }
        for (int j = 0; j < 4; ++j)
            if (j != i) m_channels[j]->Enable(true);
        SetStatus(L"");
        EnableStart(true);
    } else {
        m_btnStart.Enable(false);
        SetStatus(L"");
    }
    if (chosen.empty() && remembered.empty()) return;

    MarkChannel(remembered, false);
    if (!remembered.empty())
        for (int j = 0; j < 4; ++j)
            if (j != i && m_channels[j]->FindExact(remembered) < 0) m_channels[j]->AddString(remembered);
    MarkChannel(chosen, true);
    if (!chosen.empty())
        for (int j = 0; j < 4; ++j) {
            if (j == i) continue;
            for (int k = m_channels[j]->Count() - 1; k >= 0; --k)
                if (m_channels[j]->ItemText(k) == chosen) m_channels[j]->DeleteString(k);
            InvalidateRect(m_channels[j]->Handle(), nullptr, TRUE);
        }
    remembered = chosen;
}

int CManageStreamingServerDlg::ChannelProblem() const {
    for (int i = 0; i < 4; ++i) {
        const int index = g_ServerList.FindServerByName(m_channels[i]->SelectedText());
        if (m_channels[i]->SelectedText().empty() || index < 0) continue;
        const CStreamingServices& server = g_ServerList.ServerAt(index);
        if (server.Key.empty() || server.RtmpUrl.empty()) return i;
    }
    return -1;
}

const wchar_t* CManageStreamingServerDlg::ChannelProblemText(int index) {
    return index == 0 ? kNoKeyChannel1 : kNoKeyOthers;
}

void CManageStreamingServerDlg::EnableStart(bool on) {
    const int problem = on ? ChannelProblem() : -1;
    if (problem >= 0) SetStatus(ChannelProblemText(problem));  // the reason stays in view
    m_btnStart.Enable(on && problem < 0);
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
    // Compose first: a line the encoder would misread is refused before anything changes.
    EncoderInputs in;
    in.videoFps = m_strVideoFps;
    in.recMode = Settings().GetString(m_szSettingsPath, L"Device", L"RecMode", L"");
    if (in.recMode == L"Other") in.primaryVidSrc = Settings().GetString(m_szSettingsPath, L"Device", L"PrimaryVidSrc", L"");
    in.disableVideo = m_nDisableVideo;
    in.videoDevice = m_strVideoDevice;
    in.overlayVideoPos = m_nOverlayVideoPos;
    in.muteAudio = m_nMuteAudio;
    in.audioDevice = m_strAudioDevice;
    in.recordingDevice = g_strRecordingDevice;
    in.screenWidth = m_nScreenWidth;
    in.screenHeight = m_nScreenHeight;
    in.saveLocally = m_chkSaveLocally.IsChecked();
    in.recordingPath = m_strRecordingPath;
    in.separateFile = m_bSeparateFile;
    in.reconnectChannels = Settings().GetInt(m_szSettingsPath, L"Device", L"ReconnectChannels", 0) == 1;
    const std::time_t now = std::time(nullptr);
    if (const std::tm* t = std::localtime(&now)) in.localTime = *t;
    const ComposedCommand command = ComposeEncoderCommandLine(in, g_ServerList);
    g_strRecordingDevice = command.recordingDevice;
    if (command.error != ComposeError::None) {
        UI().MessageBox(m_hWnd, ComposeErrorMessage(command), MB_OK | MB_ICONWARNING);
        return;
    }

    const std::wstring& local = m_szLocalSettingsPath;
    for (int i = 0; i < 4; ++i) {
        const std::wstring key = L"Channel" + std::to_wstring(i + 1);
        Settings().WriteString(local, L"Server", key.c_str(), m_channels[i]->SelectedText().c_str());
    }
    Settings().WriteString(local, L"Local", L"SaveInLocalPath", m_chkSaveLocally.IsChecked() ? L"1" : L"0");
    Settings().WriteString(local, L"Local", L"SaveInSeperateFile", m_chkSeparateFile.IsChecked() ? L"1" : L"0");

    m_strSessionNotice.clear();
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
    m_session.Start(command.text, m_hWnd, BeginSessionReport(command, in.reconnectChannels));
    theApp.m_trayIcon.m_bIdle = 0;
    // The window is hidden now: the tray says what is being started; the report tells the rest.
    theApp.m_trayIcon.ShowBalloon(kAppTitle, LiveBalloon(command.channels, command.localFile), NIIF_INFO);
}

void CManageStreamingServerDlg::EnterIdle() {
    theApp.m_trayIcon.SetTooltip(L"");
    EnableStart(true);
    m_btnStop.Enable(false);
    g_bSessionRunning = 0;
    for (CComboBox* combo : m_channels) combo->Enable(true);
    m_chkSaveLocally.Enable(true);
    OnSaveLocally();
}

void CManageStreamingServerDlg::OnStop() {
    CWaitCursor wait;
    EnterIdle();
    m_session.Stop();
    EndSessionReport();
    theApp.m_trayIcon.m_bIdle = 1;
}

// The encoder ended with nobody stopping it: the session is over, and the user is told.
void CManageStreamingServerDlg::OnEncoderEnded(WPARAM session, DWORD exitCode) {
    if (!m_session.EndedByItself(session)) return;
    const std::wstring why = EndSessionReport();
    EnterIdle();
    theApp.m_trayIcon.m_bIdle = 1;
    m_strSessionNotice = why.empty() ? kEncoderEnded + std::to_wstring(exitCode) + L")." : kSessionEnded + why + L".";
    SetStatus(m_strSessionNotice);
    theApp.m_trayIcon.ShowBalloon(kAppTitle, m_strSessionNotice, NIIF_WARNING);
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
    if (!on) {
        m_btnStart.Enable(false);
        return;
    }
    m_editRecordingFile.m_strRememberedPath = m_editRecordingFile.Text();
    if (!m_editRecordingFile.m_strRememberedPath.empty()) {
        EnableStart(true);
    } else {
        SetStatus(kPathEmpty);
        m_btnStart.Enable(false);
    }
}

void CManageStreamingServerDlg::OnSaveLocallyLabel() {
    if (g_bSessionRunning) return;  // inert while streaming, like its check box
    m_chkSaveLocally.SetCheck(!m_chkSaveLocally.IsChecked());
    OnSaveLocally();
}

void CManageStreamingServerDlg::OnRecordingPathChanged() {
    const std::wstring typed = m_editRecordingFile.Text();
    if (!typed.empty()) SetStatus(L"");
    if (!m_chkSaveLocally.IsChecked()) return;
    const bool refused = !IsAcceptedRecordingPath(typed, [](const std::wstring& folder) {
        return GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES;
    });
    if (refused) {
        SetStatus(kPathRefused);
        m_btnStart.Enable(false);
        return;
    }
    Settings().WriteString(m_szSettingsPath, L"Paths", L"Video Local Folder", typed.c_str());
    SetStatus(L"");
    m_strRecordingPath = typed;
    EnableStart(true);
}

void CManageStreamingServerDlg::OnSeparateFile() {
    m_bSeparateFile = m_chkSeparateFile.IsChecked();
    if (m_bSeparateFile) UI().MessageBox(m_hWnd, kSeparateFileNotice, MB_OK | MB_ICONINFORMATION);
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
