// The About box.
#include "ui/dialogs/AboutDlg.h"
#include "config/Win32SettingsStore.h"
#include "resources/resource.h"
#include "ui/framework/UserInterface.h"
#include "ui/main/MainWindow.h"
#include <commctrl.h>
#include <cstdio>
#include <vector>

std::wstring ProductVersionText() {
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(module, &ignored);
    if (!size) return L"";
    std::vector<unsigned char> data(size);
    if (!GetFileVersionInfoW(module, 0, size, data.data())) return L"";
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info) return L"";
    wchar_t text[64];
    swprintf(text, 64, L"%d.%d.%d.%d", HIWORD(info->dwProductVersionMS), LOWORD(info->dwProductVersionMS),
             HIWORD(info->dwProductVersionLS), LOWORD(info->dwProductVersionLS));
    return text;
}

const CommandRoute<CAboutDlg> CAboutDlg::kRoutes[] = {
    {IDC_SITE_LINK, BN_CLICKED, &CAboutDlg::OnSiteLink},
};

const ThemeException CAboutDlg::kLook[] = {
    {IDC_SITE_LINK, ThemeRole::Hyperlink},
};

CAboutDlg::CAboutDlg() : CThemedDialog(IDD_ABOUTBOX, kLook) { SetRoutes(kRoutes); }

BOOL CAboutDlg::OnInitDialog() {
    const std::wstring version = ProductVersionText();
    SetDlgItemTextW(m_hWnd, IDC_PRODUCT_TITLE, L"Quillane Vandrel");
    SetDlgItemTextW(m_hWnd, IDC_VERSION, (L"Ver " + version).c_str());

    // The link: the site's address, with its tooltip.
    HWND link = Item(IDC_SITE_LINK);
    SetWindowTextW(link, kProductSite);
    m_tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, m_hWnd,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_hWnd;
    tool.uId = reinterpret_cast<UINT_PTR>(link);
    tool.lpszText = const_cast<wchar_t*>(L"Check for update");
    SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));

    const std::wstring settings =
        g_pMainDlg ? g_pMainDlg->m_szSettingsPath : SettingsFilePath(AppDataFolder(), kSettingsIni);
    m_strTheme = Settings().GetString(settings, L"Device", L"Theme", L"");
    ApplyTheme(m_strTheme);
    SetFocus(Item(IDOK));  // OK, not the link, holds the focus
    return FALSE;
}

void CAboutDlg::OnSiteLink() { UI().ShellOpen(m_hWnd, kProductSite); }
