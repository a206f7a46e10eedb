// Start-up, tray commands and exit.
#include "app/VandrelApp.h"
#include "app/InstanceChecker.h"
#include "engine/EncoderProcess.h"
#include "engine/ReportFile.h"
#include "engine/EncoderCheck.h"
#include "config/Win32SettingsStore.h"
#include "ui/main/StartStopHotkey.h"
#include "resources/resource.h"
#include "ui/dialogs/AboutDlg.h"
#include "ui/dialogs/MediaSettingsDialog.h"
#include "ui/framework/UserInterface.h"
#include "ui/main/MainWindow.h"
#include <commctrl.h>
#include <thread>

CVandrelApp theApp;

HWND AppMainWindow() { return theApp.m_pMainDlg ? theApp.m_pMainDlg->Handle() : nullptr; }

CVandrelApp::CVandrelApp() {
    // The icon's window outlives every main window: what the application posts itself goes there.
    m_trayIcon.m_onAppMessage = [this](UINT msg, WPARAM wParam, LPARAM) {
        if (msg == WM_HOTKEY && wParam == kStartStopHotkeyId) OnHotkey();
        else if (msg == WM_APP_ENCODER_CHECKED) OnEncoderChecked(static_cast<EncoderReadiness>(wParam));
        else if (msg == WM_APP_REPLACE_MAIN_WINDOW) ReplaceMainWindow();
        else return false;
        return true;
    };
}

namespace {
// Started at sign-in (the Run key) or by the restart manager, the working folder is not the
// install folder: without an encoder there, the one beside the program is meant. The encoder is
// launched from that folder by its full path, whatever a file dialog makes the current folder.
void FindEncoderBesideProgram() {
    const std::wstring folder = DecideEncoderFolder();
    SetEncoderFolder(folder);
    if (GetFileAttributesW((folder + L"\\ffmpeg.exe").c_str()) != INVALID_FILE_ATTRIBUTES)
        SetCurrentDirectoryW(folder.c_str());
}
}  // namespace

bool CVandrelApp::StartUp() {
    FindEncoderBesideProgram();
    DeleteLeftoverReports();  // a session cut short (a crash, a power cut) left its report with the keys in it
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    // Restarted by the system after an update or a crash, without arguments.
    RegisterApplicationRestart(L"", 0);

    CInstanceChecker checker(L"Vandrel");
    checker.AcquireStartupLock();
    // A block naming no live copy of ours (stale, foreign) makes this copy the first.
    if (checker.AnotherInstanceRunning() &&
        checker.ActivateRunningInstance(FileNameArgument(GetCommandLineW()).c_str(), nullptr))
        return false;

    m_pMainDlg = new CManageStreamingServerDlg(*this);
    m_pMainDlg->Create(nullptr);
    SetForegroundWindow(m_pMainDlg->Handle());
    ShowWindow(m_pMainDlg->Handle(), SW_SHOWNORMAL);

    // Without a taskbar yet the icon comes when the shell announces it ("TaskbarCreated"):
    // start-up carries on in full, so a second copy still finds this one.
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    if (!m_trayIcon.AddToNotificationArea(icon)) m_trayIcon.m_bIconHidden = 0;
    m_trayIcon.SetDefaultMenuItem();
    // Hidden and never shown: its initialisation writes the first-run device defaults. It lives
    // as long as the process, like its window, so nothing keeps a pointer to it.
    CVandrelSettingsDlg* hiddenSettings = new CVandrelSettingsDlg;
    if (hiddenSettings->Create(nullptr)) ShowWindow(hiddenSettings->Handle(), SW_HIDE);
    // A first run: it wrote the device defaults, which a Start must compose from.
    if (m_pMainDlg->m_strAudioDevice.empty()) m_pMainDlg->ReloadDeviceOptions();
    checker.PublishFirstInstance();
    m_pMainDlg->ConvertPendingRecording();

    // The hotkey lives on the icon's window, which every theme switch leaves in place.
    StartStopHotkey().SetWindow(m_trayIcon.Handle());
    const std::wstring hotkey =
        Settings().GetString(SettingsFilePath(AppDataFolder(), kSettingsIni), L"Device", L"StartStopHotkey", L"");
    if (!StartStopHotkey().Register(hotkey) && StartStopHotkey().FirstRefusalOf(StartStopHotkey().Refused()))
        m_trayIcon.ShowBalloon(L"Vandrel", HotkeyInUseMessage(ParseHotkey(hotkey).hotkey), NIIF_WARNING);
    // The encoder is checked once the window is up, off this thread: a mute one takes 5 s.
    if (HWND tray = m_trayIcon.Handle())
        std::thread([tray] { PostMessageW(tray, WM_APP_ENCODER_CHECKED, static_cast<WPARAM>(EncoderCheck().Check()), 0); })
            .detach();
    return true;
}

void CVandrelApp::OnHotkey() {
    // Like the tray: Start when idle, Stop when a session runs, nothing while either is under way.
    if (m_bHotkeyBusy || m_bMainWindowBusy || m_trayIcon.m_bBusy || !m_pMainDlg || ArrivedWhileBusy()) return;
    m_bHotkeyBusy = 1;
    if (g_bSessionRunning) OnTrayStop();
    else OnTrayStart();
    m_bHotkeyBusy = 0;
}

// A Start or Stop waits on this thread: a press or a tray command queued meanwhile was meant for
// the session as it was then, and is not acted on afterwards.
bool CVandrelApp::ArrivedWhileBusy() const {
    return static_cast<LONG>(static_cast<DWORD>(GetMessageTime()) - m_settledAt) < 0;
}

// While one of the application's dialogs or questions is open, the tray brings it forward.
bool CVandrelApp::BringOpenDialogForward() const {
    if (!ModalOpen()) return false;
    if (HWND open = OpenModalWindow()) SetForegroundWindow(open);
    return true;
}

void CVandrelApp::OnEncoderChecked(EncoderReadiness result) {
    if (result == EncoderReadiness::Ready || result == EncoderReadiness::Unchecked) return;
    // Told once, where a tray program speaks at start-up; Start says it in full again.
    const std::wstring text = result == EncoderReadiness::Missing
        ? L"ffmpeg.exe is missing: streaming cannot start until it is in " + EncoderHomeFolder() + L"."
        : L"ffmpeg.exe did not answer as FFmpeg does: streaming cannot start with it.";
    m_trayIcon.ShowBalloon(L"Vandrel", text, NIIF_WARNING);
}

int CVandrelApp::Run() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        HWND dialog = AppMainWindow();
        if (dialog && IsDialogMessageW(dialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

bool CVandrelApp::OnCommand(int id) {
    switch (id) {
    case ID_TRAY_START: if (!ArrivedWhileBusy()) OnTrayStart(); break;
    case ID_TRAY_STOP: if (!ArrivedWhileBusy()) OnTrayStop(); break;
    case ID_TRAY_MANAGE_SERVERS: OnTrayManageServers(); break;
    case ID_TRAY_SETTINGS: OnTraySettings(); break;
    case ID_TRAY_ABOUT: OnTrayAbout(); break;
    case ID_TRAY_EXIT: OnTrayExit(); break;
    default: return false;
    }
    return true;
}

// The window's Start, with the window's plan: a refused plan is told in a message box.
void CVandrelApp::OnTrayStart() {
    if (m_trayIcon.m_bBusy || g_bSessionRunning != 0) return;
    // An open dialog may be changing what the Start would use; a theme switch replaces the window.
    if (ModalOpen() || m_bThemePending) {
        m_trayIcon.ShowBalloon(kAppTitle, L"Streaming was not started: close the open Vandrel window first.", NIIF_WARNING);
        return;
    }
    m_pMainDlg->OnStart();
    m_settledAt = GetTickCount();
}

void CVandrelApp::OnTrayStop() {
    if (m_trayIcon.m_bBusy || g_bSessionRunning == 0) return;
    m_pMainDlg->OnStop();
    m_settledAt = GetTickCount();
}

void CVandrelApp::OnSessionSettled() {
    m_trayIcon.m_bBusy = 0;
    if (!m_bExitPending) return;
    m_bExitPending = false;
    PostMessageW(AppMainWindow(), WM_COMMAND, ID_TRAY_EXIT, 0);
}

void CVandrelApp::OnTrayManageServers() {
    if (m_bMainWindowBusy || BringOpenDialogForward()) return;
    m_bMainWindowBusy = 1;
    ShowWindow(m_pMainDlg->Handle(), SW_SHOWNORMAL);
    m_bMainWindowBusy = 0;
}

// The same dialog as the window's link, and its results go into the window the same way.
void CVandrelApp::OnTraySettings() {
    if (!BringOpenDialogForward()) m_pMainDlg->OnMediaSettings();
}

void CVandrelApp::OnTrayAbout() {
    if (BringOpenDialogForward()) return;
    CAboutDlg about;
    UI().RunModal(about, AppMainWindow());
}

void CVandrelApp::OnTrayExit() {
    if (m_trayIcon.m_bBusy) {  // runs once the Start or Stop has ended
        m_bExitPending = true;
        return;
    }
    if (UI().MessageBox(m_pMainDlg->Handle(), L"Are you sure you want to exit Vandrel?", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    m_pMainDlg->OnStop();
    m_pMainDlg->FinishConversion(30000);
    PostQuitMessage(0);
}

void CVandrelApp::ReplaceMainWindow() {
    if (m_bMainWindowBusy || !m_bThemePending) return;
    m_bMainWindowBusy = 1;
    m_bThemePending = false;
    CManageStreamingServerDlg* old = m_pMainDlg;
    const CManageStreamingServerDlg::CarriedChoices choices = old->ChoicesToCarry();
    m_pMainDlg = new CManageStreamingServerDlg(*this);  // reads the new theme when it initialises
    m_pMainDlg->Create(nullptr);
    SetForegroundWindow(m_pMainDlg->Handle());
    ShowWindow(m_pMainDlg->Handle(), SW_SHOWNORMAL);
    m_pMainDlg->CarryOver(choices, *old);
    // A later copy must bring this window forward, not the destroyed one.
    PublishMainWindow(m_pMainDlg->Handle());
    m_bMainWindowBusy = 0;
    delete old;
}

bool CVandrelApp::SessionBusy() const { return m_trayIcon.m_bBusy != 0; }

void CVandrelApp::SessionChanged(SessionPhase phase, const TrayNotice& notice) {
    if (phase == SessionPhase::Busy) m_trayIcon.m_bBusy = 1;
    else m_trayIcon.m_bIdle = phase == SessionPhase::Idle ? 1 : 0;
    if (phase != SessionPhase::Busy) m_settledAt = GetTickCount();
    ShowTrayNotice(notice);
    if (phase != SessionPhase::Busy && m_trayIcon.m_bBusy) OnSessionSettled();
}

void CVandrelApp::ShowTrayNotice(const TrayNotice& notice) {
    // The report's tooltip comes every second: the shell hears of it only when it changes.
    if (notice.tooltip && (notice.tooltip->empty() || *notice.tooltip != m_trayIcon.m_iconData.szTip))
        m_trayIcon.SetTooltip(*notice.tooltip);
    if (!notice.balloon.empty()) m_trayIcon.ShowBalloon(kAppTitle, notice.balloon, notice.balloonIcon);
}

void CVandrelApp::RequestThemeChange() {
    m_bThemePending = true;  // from now until the new window is up, nothing starts
    PostMessageW(m_trayIcon.MessageWindow(), WM_APP_REPLACE_MAIN_WINDOW, 0, 0);
}
