// The application object: start-up, the tray commands and the way out.
#pragma once
#include "app/SystemTray.h"
#include "engine/Readiness.h"
#include "ui/main/MainWindow.h"
#include <atomic>

class CVandrelApp : public IMainWindowHost {
public:
    CVandrelApp();
    // Returns false when this copy handed over to a running one and must end.
    bool StartUp();
    int Run();  // the message loop, until the quit message
    // Tray commands; true when the id is one of them.
    bool OnCommand(int id);

    void OnTrayStart();
    void OnTrayStop();
    void OnTrayManageServers();
    void OnTraySettings();
    void OnTrayAbout();
    void OnTrayExit();
    // A Start or Stop has ended: the tray offers both again and a waiting Exit runs.
    void OnSessionSettled();

    // The start/stop hotkey was pressed, wherever the focus is.
    void OnHotkey();
    // The start-up check of the encoder has answered.
    void OnEncoderChecked(EncoderReadiness result);

    // The theme switch: a new main window in place of the current one, which is deleted.
    void ReplaceMainWindow();

    // What the main window asks of the application.
    bool SessionBusy() const override;
    void SessionChanged(SessionPhase phase, const TrayNotice& notice = {}) override;
    void ShowTrayNotice(const TrayNotice& notice) override;
    void RequestThemeChange() override;  // posted to the icon's window
    bool OnUnhandledCommand(int id) override { return OnCommand(id); }

    CManageStreamingServerDlg*& m_pMainDlg = g_pMainDlg;  // the same pointer, by the application's name
    CSystemTray m_trayIcon;
    std::atomic<unsigned char> m_bMainWindowBusy{0};
    bool m_bExitPending = false;  // Exit chosen while a Start or Stop was under way
    unsigned char m_bHotkeyBusy = 0;
    bool m_bThemePending = false;  // the theme switch asked for, the new window not yet up
    DWORD m_settledAt = 0;         // when the last Start or Stop ended (GetTickCount)

private:
    bool ArrivedWhileBusy() const;  // the message being handled was queued before m_settledAt
    bool BringOpenDialogForward() const;
};

extern CVandrelApp theApp;

// The current main window's handle, or null.
HWND AppMainWindow();
