// The notification-area icon: add, re-add after the taskbar returns, menu and double click.
#include "app/SystemTray.h"
#include "app/VandrelApp.h"
#include "resources/resource.h"
#include <cwchar>

const UINT g_uTaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");

namespace {

NotifyIconFunction g_notify = nullptr;
constexpr wchar_t kIdleTooltip[] = L"Double click to Launch Vandrel Main Window";

BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW* data) {
    return g_notify ? g_notify(message, data) : Shell_NotifyIconW(message, data);
}

// The version as the system reports it, not as the compatibility layer shims it.
OSVERSIONINFOW SystemVersion() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(&info);
#pragma GCC diagnostic pop
    return info;
}



}  // namespace

void SetNotifyIconFunction(NotifyIconFunction f) { g_notify = f; }

#if defined(__i386__)
static_assert(sizeof(NOTIFYICONDATAW) == 956, "the shell expects the full record");
#endif

CSystemTray::CSystemTray() {
    const OSVERSIONINFOW v = SystemVersion();
    m_bBalloonSupported = v.dwPlatformId == VER_PLATFORM_WIN32_NT && v.dwMajorVersion > 4;
}

CSystemTray::~CSystemTray() {
    RemoveFromNotificationArea();
    if (m_hWnd) DestroyWindow(m_hWnd);
}

bool CSystemTray::AddToNotificationArea(HICON icon) {
    m_bAvailable = SystemVersion().dwMajorVersion >= 4;
    if (!m_bAvailable) return false;
    MessageWindow();
    m_iconData.cbSize = sizeof(NOTIFYICONDATAW);
    m_iconData.hWnd = m_hWnd;
    m_iconData.uID = kTrayIconId;
    m_iconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_iconData.uCallbackMessage = WM_TRAYICON;
    m_iconData.hIcon = icon;
    wcsncpy(m_iconData.szTip, kIdleTooltip, 127);
    if (m_bBalloonSupported) {
        m_iconData.uFlags |= NIF_INFO;
        wcsncpy(m_iconData.szInfo, L"Vandrel Application Started!", 255);
        wcsncpy(m_iconData.szInfoTitle, L"Vandrel", 63);
        m_iconData.uTimeout = 20000;
        m_iconData.dwInfoFlags = NIIF_INFO;
    }
    m_bIconHidden = 0;
    m_uSavedFlags = m_iconData.uFlags;
    const bool ok = NotifyIcon(NIM_ADD, &m_iconData);
    m_bIconRemoved = m_bIconHidden = m_bReAddPending = ok ? 0 : 1;
    if (m_bBalloonSupported) m_iconData.szInfo[0] = L'\0';
    return ok;
}

HWND CSystemTray::MessageWindow() {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VandrelTrayWindow";
        return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    if (!m_hWnd)
        m_hWnd = CreateWindowExW(0, L"VandrelTrayWindow", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), this);
    return m_hWnd;
}

// Menu resource 130, loaded for one use and destroyed with this object.
class CSystemTray::TrayMenu {
public:
    explicit TrayMenu(UINT id) : m_menu(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id))) {}
    ~TrayMenu() {
        if (m_menu) DestroyMenu(m_menu);
    }
    TrayMenu(const TrayMenu&) = delete;
    TrayMenu& operator=(const TrayMenu&) = delete;
    HMENU Popup() const { return m_menu ? GetSubMenu(m_menu, 0) : nullptr; }

private:
    HMENU m_menu;
};

bool CSystemTray::SetDefaultMenuItem() {
    if (m_nDefaultItem == 3 && m_bDefaultByPosition) return true;
    m_nDefaultItem = 3;
    m_bDefaultByPosition = 1;
    const TrayMenu menu(MenuId());
    if (menu.Popup()) SetMenuDefaultItem(menu.Popup(), m_nDefaultItem, TRUE);
    return menu.Popup() != nullptr;
}

bool CSystemTray::RemoveFromNotificationArea() {
    m_bReAddPending = 0;
    if (!m_bAvailable || m_bIconRemoved) return true;
    m_iconData.uFlags = 0;
    if (NotifyIcon(NIM_DELETE, &m_iconData)) m_bIconHidden = m_bIconRemoved = 1;
    return m_bIconRemoved;
}

bool CSystemTray::ShowBalloon(const wchar_t* title, const std::wstring& text, DWORD infoFlags) {
    if (!m_bBalloonSupported) return false;
    NOTIFYICONDATAW data = m_iconData;
    data.cbSize = sizeof data;
    data.uID = kTrayIconId;
    data.uFlags = NIF_INFO;
    wcsncpy(data.szInfo, text.c_str(), 255);
    data.szInfo[255] = L'\0';
    wcsncpy(data.szInfoTitle, title, 63);
    data.szInfoTitle[63] = L'\0';
    data.uTimeout = 20000;
    data.dwInfoFlags = infoFlags;
    return NotifyIcon(NIM_MODIFY, &data);
}

bool CSystemTray::SetTooltip(const std::wstring& text) {
    wcsncpy(m_iconData.szTip, text.empty() ? kIdleTooltip : text.c_str(), 127);
    m_iconData.szTip[127] = L'\0';
    if (m_bIconHidden) return false;  // the next add takes it
    NOTIFYICONDATAW data = m_iconData;
    data.uFlags = NIF_TIP;
    return NotifyIcon(NIM_MODIFY, &data);
}

LRESULT CSystemTray::OnTaskbarCreated() {
    m_bReAddPending = 1;
    if (!m_bIconHidden) {
        m_iconData.uFlags = m_uSavedFlags;
        const bool ok = NotifyIcon(NIM_ADD, &m_iconData);
        m_bIconHidden = m_bReAddPending = ok ? 0 : 1;
        if (ok) m_bIconRemoved = 0;  // so that exit removes it again
    }
    return 0;
}

LRESULT CSystemTray::HandleIconMessage(WPARAM iconId, LPARAM mouseMessage) {
    if (iconId != m_iconData.uID) return 0;
    HWND target = AppMainWindow();
    if (!target) return 0;
    switch (LOWORD(mouseMessage)) {
    case WM_RBUTTONUP: {
        const TrayMenu menu(MenuId());
        HMENU popup = menu.Popup();
        if (!popup) return 0;
        SetMenuDefaultItem(popup, m_nDefaultItem, m_bDefaultByPosition);
        EnableMenuItem(popup, ID_TRAY_START, MF_BYCOMMAND | (m_bIdle && !m_bBusy ? MF_ENABLED : MF_GRAYED));
        EnableMenuItem(popup, ID_TRAY_STOP, MF_BYCOMMAND | (!m_bIdle && !m_bBusy ? MF_ENABLED : MF_GRAYED));
        POINT pt;
        GetCursorPos(&pt);
        m_bMenuOpen = 1;
        SetForegroundWindow(target);
        TrackPopupMenu(popup, 0, pt.x, pt.y, 0, target, nullptr);
        PostMessageW(target, WM_NULL, 0, 0);
        m_bMenuOpen = 0;
        return 1;
    }
    case WM_LBUTTONDBLCLK: {
        SetForegroundWindow(target);
        UINT command = m_nDefaultItem;
        if (m_bDefaultByPosition) {
            const TrayMenu menu(MenuId());
            if (!menu.Popup()) return 0;
            command = GetMenuItemID(menu.Popup(), static_cast<int>(m_nDefaultItem));
        }
        PostMessageW(target, WM_COMMAND, command, 0);
        return 1;
    }
    default:
        return 1;
    }
}

LRESULT CALLBACK CSystemTray::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<CSystemTray*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self) {
        if (msg == self->m_iconData.uCallbackMessage && msg != 0) return self->HandleIconMessage(wParam, lParam);
        if (msg == g_uTaskbarCreated) return self->OnTaskbarCreated();
        if (self->m_onAppMessage && self->m_onAppMessage(msg, wParam, lParam)) return 0;
        if (msg == WM_SETTINGCHANGE) {
            const LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
            if (wParam == SPI_SETWORKAREA && self->m_bReAddPending && !self->m_bIconHidden) self->OnTaskbarCreated();
            return r;
        }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}
