// The main window: construction, initialisation, show handling, links and the browse field.
#include "ui/main/MainWindow.h"
#include "ui/main/SessionStatus.h"
#include "config/StreamingServices.h"
#include "config/TextRules.h"
#include "config/Win32SettingsStore.h"
#include "resources/resource.h"
#include "ui/dialogs/MediaSettingsDialog.h"
#include "ui/dialogs/ServerListDialog.h"
#include "ui/framework/UserInterface.h"
#include "ui/theme/Theme.h"
#include "ui/main/SidebarPicture.h"
#include <algorithm>

CManageStreamingServerDlg* g_pMainDlg = nullptr;
std::wstring g_strChannel1, g_strChannel2, g_strChannel3, g_strChannel4;
std::wstring g_strRecordingDevice;
std::atomic<unsigned char> g_bSessionRunning{0};

std::wstring& ChannelName(int index) {
    std::wstring* names[] = {&g_strChannel1, &g_strChannel2, &g_strChannel3, &g_strChannel4};
    return *names[index];
}

const CommandRoute<CManageStreamingServerDlg> CManageStreamingServerDlg::kRoutes[] = {
    {IDC_START, BN_CLICKED, &CManageStreamingServerDlg::OnStart},
    {IDC_STOP, BN_CLICKED, &CManageStreamingServerDlg::OnStop},
    {IDC_CLOSE, BN_CLICKED, &CManageStreamingServerDlg::OnClose},
    {IDC_CHANNEL1, CBN_SELCHANGE, &CManageStreamingServerDlg::OnChannel1Changed},
    {IDC_CHANNEL2, CBN_SELCHANGE, &CManageStreamingServerDlg::OnChannel2Changed},
    {IDC_CHANNEL3, CBN_SELCHANGE, &CManageStreamingServerDlg::OnChannel3Changed},
    {IDC_CHANNEL4, CBN_SELCHANGE, &CManageStreamingServerDlg::OnChannel4Changed},
    {IDC_SAVE_LOCALLY, BN_CLICKED, &CManageStreamingServerDlg::OnSaveLocally},
    {IDC_SAVE_LOCALLY_LABEL, STN_CLICKED, &CManageStreamingServerDlg::OnSaveLocallyLabel},
    {IDC_RECORDING_FILE, EN_CHANGE, &CManageStreamingServerDlg::OnRecordingPathChanged},
    {IDC_BROWSE, BN_CLICKED, &CManageStreamingServerDlg::OnBrowse},
    {IDC_SEPARATE_FILE, BN_CLICKED, &CManageStreamingServerDlg::OnSeparateFile},
    {IDC_SEPARATE_FILE_LABEL, STN_CLICKED, &CManageStreamingServerDlg::OnSeparateFileLabel},
    {IDC_LINK_CONFIGURE, STN_CLICKED, &CManageStreamingServerDlg::OnConfigureChannels},
    {IDC_ICON_CONFIGURE, STN_CLICKED, &CManageStreamingServerDlg::OnConfigureChannels},
    {IDC_LINK_MEDIA_SETTINGS, STN_CLICKED, &CManageStreamingServerDlg::OnMediaSettings},
    {IDC_ICON_MEDIA_SETTINGS, STN_CLICKED, &CManageStreamingServerDlg::OnMediaSettings},
    {IDC_LINK_DARK_THEME, STN_CLICKED, &CManageStreamingServerDlg::OnThemeSwitch},
    {IDC_ICON_DARK_THEME, STN_CLICKED, &CManageStreamingServerDlg::OnThemeSwitch},
    {IDC_LINK_HELP, STN_CLICKED, &CManageStreamingServerDlg::OnHelp},
    {IDC_ICON_HELP, STN_CLICKED, &CManageStreamingServerDlg::OnHelp},
    {IDC_LINK_MORE_INFO, STN_CLICKED, &CManageStreamingServerDlg::OnMoreInfo},
    {IDC_ICON_MORE_INFO, STN_CLICKED, &CManageStreamingServerDlg::OnMoreInfo},
    {IDC_LINK_REPORTS, STN_CLICKED, &CManageStreamingServerDlg::OnOpenReports},
};

const ThemeException CManageStreamingServerDlg::kLook[] = {
    {IDC_TITLE, ThemeRole::Heading},
    {IDC_TITLE, ThemeRole::SidePanel},
    {IDC_LINK_CONFIGURE, ThemeRole::SideLink},
    {IDC_LINK_MEDIA_SETTINGS, ThemeRole::SideLink},
    {IDC_LINK_DARK_THEME, ThemeRole::SideLink},
    {IDC_LINK_HELP, ThemeRole::SideLink},
    {IDC_LINK_MORE_INFO, ThemeRole::SideLink},
    {IDC_STATUS, ThemeRole::Alert},
    {IDC_LINK_REPORTS, ThemeRole::TextLink},
    {IDC_CLOSE, ThemeRole::FlatButton},
};

CManageStreamingServerDlg::CManageStreamingServerDlg(IMainWindowHost& host) : CThemedDialog(IDD_MAIN, kLook), m_host(host) {
    SetRoutes(kRoutes);
    g_pMainDlg = this;
    LoadStep();
}

CManageStreamingServerDlg::~CManageStreamingServerDlg() {
    m_helpSlideshows.CloseAll();  // before the window goes, so no slideshow reports to it
    Destroy();
    if (m_bmpSidebar) DeleteObject(m_bmpSidebar);
    if (g_pMainDlg == this) g_pMainDlg = nullptr;
}

void CManageStreamingServerDlg::LoadStep() {
    for (int i = 0; i < 4; ++i) ChannelName(i).clear();
    LoadFilesAndServers();
}

void CManageStreamingServerDlg::LoadFilesAndServers() {
    const std::wstring appData = AppDataFolder();
    EnsureSettingsFolder(appData);
    m_szSettingsPath = SettingsFilePath(appData, kSettingsIni);
    m_szLocalSettingsPath = SettingsFilePath(appData, kLocalSettingsIni);
    const std::wstring path = LoadServers(g_ServerList, Settings(), m_szSettingsPath);
    if (!path.empty()) m_strRecordingPath = path;
}

void CManageStreamingServerDlg::ReloadServers() {
    LoadFilesAndServers();
    // A removed server leaves its channel; every other choice stays and is checked again.
    for (int i = 0; i < 4; ++i)
        if (g_ServerList.FindServerByName(ChannelName(i)) < 0) ChannelName(i).clear();
    RefreshChannels();
}

std::wstring CManageStreamingServerDlg::ReadDevice(const wchar_t* key, const wchar_t* def) const {
    return Settings().GetString(m_szSettingsPath, L"Device", key, def);
}

BOOL CManageStreamingServerDlg::OnInitDialog() {
    Bind(m_btnStart, IDC_START);
    Bind(m_btnStop, IDC_STOP);
    Bind(m_editRecordingFile, IDC_RECORDING_FILE);
    Bind(m_chkSaveLocally, IDC_SAVE_LOCALLY);
    for (int i = 0; i < 4; ++i) Bind(*m_channels[i], IDC_CHANNEL1 + i);
    Bind(m_staticTitle, IDC_TITLE);
    Bind(m_linkConfigureChannels, IDC_LINK_CONFIGURE);
    Bind(m_linkMediaSettings, IDC_LINK_MEDIA_SETTINGS);
    Bind(m_linkDarkTheme, IDC_LINK_DARK_THEME);
    Bind(m_linkHelp, IDC_LINK_HELP);
    Bind(m_linkMoreInfo, IDC_LINK_MORE_INFO);
    Bind(m_staticSeparateFile, IDC_SEPARATE_FILE_LABEL);
    Bind(m_chkSeparateFile, IDC_SEPARATE_FILE);
    m_editRecordingFile.AddBrowseButton(m_hWnd);
    m_bmpSidebar = SetCentredPicture(Item(IDC_SIDEBAR), GetModuleHandleW(nullptr), IDB_SIDEBAR);

    for (int id : {IDC_CHANNEL3, IDC_CHANNEL4, IDC_CHANNEL3_LABEL, IDC_CHANNEL4_LABEL}) ShowWindow(Item(id), SW_HIDE);
    for (CComboBox* combo : m_channels) {
        combo->AddString(L"");
        for (const CStreamingServices& s : g_ServerList)
            if (s.InUse != 1) combo->AddString(s.Name);
    }

    LoadDeviceOptions();
    if (m_strVideoDevice.empty() || m_strAudioDevice.empty()) SetStatus(kPrivacyHint);
    m_nScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    m_nScreenHeight = GetSystemMetrics(SM_CYSCREEN);
    m_strRecordingPath = Settings().GetString(m_szSettingsPath, L"Paths", L"Video Local Folder", L"");
    m_editRecordingFile.SetText(m_strRecordingPath);
    m_strTheme = ReadDevice(L"Theme");
    ApplyTheme(m_strTheme);
    m_editRecordingFile.m_strDefaultExt = ReadDevice(L"DefaultRecordingFormat", m_editRecordingFile.m_strDefaultExt.c_str());
    m_bMoreChannels = false;
    ToggleMoreChannels();
    if (Settings().GetInt(m_szSettingsPath, L"Device", L"DemoMode", 0) == 0)
        m_helpSlideshows.Start(m_hWnd);
    else if (m_strAudioDevice.empty())  // once start-up has finished: the icon and a second copy's hand-over work meanwhile
        PostMessageW(m_hWnd, WM_APP_HELP_CLOSED, 0, 0);
    LoadVideoOptions();
    LoadLocalOptions();
    SelectStoredChannels();
    return TRUE;
}

void CManageStreamingServerDlg::LoadDeviceOptions() {
    m_strVideoDevice = ReadDevice(L"VideoDevice");
    // Any value but 0 is on: the inputs and the stream maps of the line then always agree.
    m_nDisableVideo = Settings().GetInt(m_szSettingsPath, L"Device", L"DisableVideo", 0) != 0 ? 1 : 0;
    const std::wstring position = ReadDevice(L"OverlayVideoPos");
    const wchar_t* positions[] = {L"Bottom Left", L"Top Left", L"Bottom Right", L"Top Right"};
    m_nOverlayVideoPos = 0;
    for (int i = 0; i < 4; ++i)
        if (position == positions[i]) m_nOverlayVideoPos = i;
    m_nMuteAudio = Settings().GetInt(m_szSettingsPath, L"Device", L"MuteAudio", 0) != 0 ? 1 : 0;
    m_strAudioDevice = ReadDevice(L"AudioDevice");
    g_strRecordingDevice = ReadDevice(L"RecordingDevice");
}

void CManageStreamingServerDlg::ReloadDeviceOptions() {
    LoadDeviceOptions();
    ShowPlan();
}

void CManageStreamingServerDlg::LoadLocalOptions() {
    const int save = Settings().GetInt(m_szLocalSettingsPath, L"Local", L"SaveInLocalPath", 0);
    m_chkSaveLocally.SetCheck(save != 0);
    m_editRecordingFile.Enable(save != 0);
    m_chkSeparateFile.Enable(save != 0);
    m_staticSeparateFile.Enable(save != 0);
    m_chkSeparateFile.SetCheck(Settings().GetInt(m_szLocalSettingsPath, L"Local", L"SaveInSeperateFile", 0) != 0);
}

// A name the selector does not list gives the empty item, never a blank without an item.
void CManageStreamingServerDlg::SelectByName(CComboBox& combo, const std::wstring& name) const {
    const int index = name.empty() ? -1 : combo.FindExact(name);
    combo.SetCurSel(index >= 0 ? index : combo.Count() > 0 && combo.ItemText(0).empty() ? 0 : -1);
}

// Every selector back on its remembered name and checked by the channel rules, so that what
// the selectors show is exactly what is in use.
void CManageStreamingServerDlg::RefreshChannels() {
    for (int i = 0; i < 4; ++i) {
        SelectByName(*m_channels[i], ChannelName(i));
        OnChannelChanged(i);
    }
    if (g_bSessionRunning == 1) m_btnStop.Enable(true);
}

void CManageStreamingServerDlg::OnShowOrHide(bool shown) {
    RefreshChannels();
    // A server in a hidden selector would still be streamed to: it must be seen.
    if (shown && !m_bMoreChannels && (!g_strChannel3.empty() || !g_strChannel4.empty())) ToggleMoreChannels();
    m_bSeparateFile = m_chkSeparateFile.IsChecked();
    if (shown && m_report) {
        ShowSessionState(true);  // whatever the selectors' handlers wrote there
    }
}

// The choices of the last Start become the remembered ones: the first show checks them as if
// the user had just made them. A name no server has, or one taken already, is no choice.
void CManageStreamingServerDlg::SelectStoredChannels() {
    for (int i = 0; i < 4; ++i) {
        const std::wstring key = L"Channel" + std::to_wstring(i + 1);
        const int index = g_ServerList.FindServerByName(
            Settings().GetString(m_szLocalSettingsPath, L"Server", key.c_str(), L""));
        std::wstring name = index >= 0 ? g_ServerList.ServerAt(index).Name : L"";
        for (int j = 0; j < i; ++j)
            if (EqualsIgnoringCase(ChannelName(j), name)) name.clear();
        ChannelName(i) = name;
    }
    m_bSeparateFile = m_chkSeparateFile.IsChecked();
}

void CManageStreamingServerDlg::OnConfigureChannels() {
    CCustomizeStreamingServerDlg servers;
    servers.m_strSettingsPath = m_szSettingsPath;
    servers.m_strTheme = m_strTheme;
    for (int i = 0; i < 4; ++i) servers.m_channels[i] = m_channels[i];
    servers.m_sessionServers = m_sessionServers;
    UI().RunModal(servers, m_hWnd);  // whatever closed it, the file may have changed
    ReloadServers();
}

void CManageStreamingServerDlg::OnMediaSettings() {
    CVandrelSettingsDlg settings;
    settings.themeName = m_strTheme;
    UI().RunModal(settings, m_hWnd);
    // Whatever closed it: after Close these are the values it started with.
    const MediaSettingsResult& r = settings.Result();
    m_nOverlayVideoPos = r.overlayPositionIndex;
    m_nDisableVideo = r.disableVideo;
    m_strVideoDevice = r.overlayVideoDevice;
    m_nMuteAudio = r.muteAudio;
    m_strAudioDevice = r.audioDevice;
    g_strRecordingDevice = r.recordingDevice;
    m_editRecordingFile.m_strDefaultExt = r.defaultRecordingFormat;
    LoadVideoOptions();
    ShowPlan();  // a new frame rate or device can change what a Start would do
}

void CManageStreamingServerDlg::OnHelp() { m_helpSlideshows.Start(m_hWnd); }

void CManageStreamingServerDlg::OnMoreInfo() { UI().ShellOpen(m_hWnd, kProductSite); }

bool CManageStreamingServerDlg::OnCommand(int id, int code, HWND control) {
    if (CDialog::OnCommand(id, code, control)) return true;
    // Menu commands the window does not handle go on to the application.
    return code == 0 && !control && m_host.OnUnhandledCommand(id);
}

bool CManageStreamingServerDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_SHOWWINDOW:
        OnShowOrHide(wParam != 0);
        return false;  // the default treatment goes on
    case WM_APP_LAUNCH_FAILED:
        OnLaunchFailed();
        return true;
    case WM_APP_ENCODER_ENDED:
        OnEncoderEnded(wParam, static_cast<DWORD>(lParam));
        return true;
    case WM_APP_SOUND_LOST:
        OnSoundLost(wParam);
        return true;
    case WM_TIMER:
        return OnReportTimer(wParam);
    case WM_ENDSESSION:  // sign-out, restart or shutdown: the encoder finishes its outputs now
        if (wParam) {
            m_strSessionFile.clear();  // its conversion is left for the next start
            if (g_bSessionRunning) StopSession(0);
            LeaveConversion();
        }
        result = 0;
        return true;
    case WM_APP_CONVERSION_DONE:
        OnConversionDone();
        return true;
    case WM_APP_HELP_CLOSED:  // a slideshow ended, or a first run began: on to the media settings
        if (m_strAudioDevice.empty()) OnMediaSettings();
        return true;
    }
    return false;
}

void CManageStreamingServerDlg::SetStatus(const std::wstring& text) const {
    SetDlgItemTextW(m_hWnd, IDC_STATUS, text.c_str());
}

// The browse field.

void CBrowseEdit::AddBrowseButton(HWND dialog) {
    RECT rc;
    GetWindowRect(m_hWnd, &rc);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
    const int button = rc.bottom - rc.top + 6;
    SetWindowPos(m_hWnd, nullptr, 0, 0, rc.right - rc.left - button, rc.bottom - rc.top, SWP_NOMOVE | SWP_NOZORDER);
    m_btnBrowse.Attach(CreateWindowExW(0, L"BUTTON", L"...", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                       rc.right - button, rc.top, button, rc.bottom - rc.top, dialog,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_BROWSE)),
                                       GetModuleHandleW(nullptr), nullptr));
    SetWindowPos(m_btnBrowse.Handle(), m_hWnd, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);  // Tab: field, then button
    m_btnBrowse.SetFont(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
    m_btnBrowse.Enable(IsEnabled());
}

void CBrowseEdit::Enable(bool on) const {
    CEdit::Enable(on);
    m_btnBrowse.Enable(on);
}

void CBrowseEdit::OnBrowseButton(HWND owner) {
    m_strDefaultExt = LowerAscii(m_strDefaultExt);
    SaveAsRequest request;
    if (m_strDefaultExt == L"wmv")
        request.filter = L"Windows Media Video File (*.wmv)|*.wmv|MP4 Video File (*.mp4)|*.mp4|All Files (*.*)|*.*||";
    else if (m_strDefaultExt == L"mp4")
        request.filter = L"MP4 Video File (*.mp4)|*.mp4|Windows Media Video File (*.wmv)|*.wmv|All Files (*.*)|*.*||";
    request.defaultExt = m_strDefaultExt;
    request.fileName = L"Screen Recording";
    // The current folder stays where it is whatever folder the user browses to.
    request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR;
    // Cancelled: the field stays as it was.
    if (auto chosen = UI().SaveAs(owner, request)) SetText(*chosen);
}
