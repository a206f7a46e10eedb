// The notification-area icon with its invisible message window and command menu.
#pragma once
#include <windows.h>
#include <shellapi.h>
#include <atomic>
#include <functional>
#include <string>

inline constexpr UINT WM_TRAYICON = WM_APP + 300;  // 0x812C
inline constexpr UINT kTrayIconId = 130;
// Posted to the icon's window when the start-up check of the encoder has an answer.
inline constexpr UINT WM_APP_ENCODER_CHECKED = WM_APP + 310;
// Posted to the icon's window by the theme switch: the main window is replaced once idle.
inline constexpr UINT WM_APP_REPLACE_MAIN_WINDOW = WM_APP + 311;

extern const UINT g_uTaskbarCreated;

class CSystemTray {
public:
    CSystemTray();
    virtual ~CSystemTray();
    CSystemTray(const CSystemTray&) = delete;
    CSystemTray& operator=(const CSystemTray&) = delete;

    bool AddToNotificationArea(HICON icon);
    bool SetDefaultMenuItem();
    bool RemoveFromNotificationArea();
    // A balloon notice from the icon, which otherwise stays as it is.
    bool ShowBalloon(const wchar_t* title, const std::wstring& text, DWORD infoFlags);
    // The tooltip now and for every later re-add; empty text gives the idle one.
    bool SetTooltip(const std::wstring& text);
    virtual LRESULT HandleIconMessage(WPARAM iconId, LPARAM mouseMessage);
    HWND Handle() const { return m_hWnd; }
    // The icon's window, made when first needed: the application's own messages go there.
    HWND MessageWindow();

    int m_bMenuOpen = 0;
    NOTIFYICONDATAW m_iconData{};
    int m_bAvailable = 0;
    int m_bIconHidden = 1;
    int m_bIconRemoved = 1;
    int m_bReAddPending = 0;
    int m_bBalloonSupported = 0;
    UINT m_nDefaultItem = 0;
    int m_bDefaultByPosition = 1;
    UINT m_uSavedFlags = 0;
    std::atomic<int> m_bIdle{1};
    std::atomic<int> m_bBusy{0};  // a Start or Stop under way: the menu offers neither
    // The application's own messages to the icon's window (it outlives every main window);
    // true when handled.
    std::function<bool(UINT msg, WPARAM wParam, LPARAM lParam)> m_onAppMessage;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnTaskbarCreated();
    class TrayMenu;
    UINT MenuId() const { return m_iconData.uID ? m_iconData.uID : kTrayIconId; }

    HWND m_hWnd = nullptr;
};

// What the shell is asked to do with the icon; tests put their own in.
using NotifyIconFunction = BOOL (*)(DWORD message, NOTIFYICONDATAW* data);
void SetNotifyIconFunction(NotifyIconFunction f);  // nullptr restores Shell_NotifyIconW
