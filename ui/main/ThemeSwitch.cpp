// The Dark/Light switch of the main window and what it carries over to the rebuilt window.
#include "config/Win32SettingsStore.h"
#include "ui/framework/UserInterface.h"
#include "ui/main/MainWindow.h"
#include "ui/theme/Theme.h"
#include <utility>

namespace {
constexpr wchar_t kThemeRefused[] = L"The app UI theme canot be changed when streaming is live.";
constexpr wchar_t kThemeConfirm[] =
    L"The application will continue running in the background but needs to close and reopen all windows for the "
    L"theme change to be applied. No running streaming tasks will be interrupted. Continue?";
}  // namespace

void CManageStreamingServerDlg::OnThemeSwitch() {
    // The window is never replaced under a session or a save; asked again after the question,
    // in case one began from the tray meanwhile.
    const auto refused = [this] {
        if (g_bSessionRunning == 0 && !m_host.SessionBusy()) return false;
        UI().MessageBox(m_hWnd, kThemeRefused, MB_OKCANCEL | MB_ICONWARNING);
        return true;
    };
    if (refused()) return;
    if (UI().MessageBox(m_hWnd, kThemeConfirm, MB_OKCANCEL | MB_ICONINFORMATION) != IDOK || refused()) return;
    m_strTheme = IsDarkTheme(m_strTheme) ? L"Light" : L"Dark";
    Settings().WriteString(m_szSettingsPath, L"Device", L"Theme", m_strTheme.c_str());
    OnClose();
    m_host.RequestThemeChange();
}

CManageStreamingServerDlg::CarriedChoices CManageStreamingServerDlg::ChoicesToCarry() const {
    CarriedChoices c;
    for (int i = 0; i < 4; ++i) c.channels[i] = ChannelName(i);
    c.saveLocally = m_chkSaveLocally.IsChecked();
    c.path = m_editRecordingFile.Text();
    c.separateFile = m_chkSeparateFile.IsChecked();
    return c;
}

// The new window shows what the old one showed, with the same servers in use.
void CManageStreamingServerDlg::CarryOver(const CarriedChoices& c, CManageStreamingServerDlg& old) {
    if ((!c.channels[2].empty() || !c.channels[3].empty()) && !m_bMoreChannels) ToggleMoreChannels();
    for (int i = 0; i < 4; ++i) ChannelName(i) = c.channels[i];
    m_chkSaveLocally.SetCheck(c.saveLocally);
    m_editRecordingFile.SetText(c.path);  // checked and stored as a typed path would be
    m_chkSeparateFile.SetCheck(c.separateFile);
    m_bSeparateFile = c.separateFile;
    OnSaveLocally();
    RefreshChannels();  // and Start as the choices decide
    m_helpSlideshows.TakeOver(old.m_helpSlideshows, m_hWnd);
    // A recording being saved goes on, and tells this window when it is done.
    std::swap(m_conversion, old.m_conversion);
    m_conversion->Retarget(m_hWnd);
    if (std::exchange(old.m_bStartAfterSave, false)) OnStart();
}
