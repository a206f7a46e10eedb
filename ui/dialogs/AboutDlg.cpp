// The About box.
#include "ui/dialogs/AboutDlg.h"
#include "app/VandrelApp.h"
#include "config/Win32SettingsStore.h"
#include "resources/resource.h"
#include "ui/framework/UserInterface.h"
#include "ui/main/MainWindow.h"
#include "ui/theme/Theme.h"
#include <commctrl.h>
#include <cstdio>
#include <vector>

namespace {
constexpr COLORREF kLinkLight = RGB(0, 102, 204);
constexpr COLORREF kLinkDark = RGB(120, 180, 255);
}  // namespace

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

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

CAboutDlg::~CAboutDlg() {
    if (m_linkFont) DeleteObject(m_linkFont);
}

BOOL CAboutDlg::OnInitDialog() {
    const std::wstring version = ProductVersionText();
    m_strProductTitle = L"Quillane Vandrel";
    SetDlgItemTextW(m_hWnd, IDC_PRODUCT_TITLE, m_strProductTitle.c_str());
    SetDlgItemTextW(m_hWnd, IDC_VERSION, (L"Ver " + version).c_str());

    // The link: the site's address, underlined, with its tooltip.
    HWND link = Item(IDC_SITE_LINK);
    SetWindowTextW(link, kProductSite);
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    lf.lfUnderline = TRUE;
    m_linkFont = CreateFontIndirectW(&lf);
    m_tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, m_hWnd,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_hWnd;
    tool.uId = reinterpret_cast<UINT_PTR>(link);
    tool.lpszText = const_cast<wchar_t*>(L"Check for update");
    SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));

    const std::wstring settings = theApp.m_pMainDlg ? theApp.m_pMainDlg->m_szSettingsPath
                                                    : SettingsFilePath(AppDataFolder(), kSettingsIni);
    m_strTheme = Settings().GetString(settings, L"Device", L"Theme", L"");
    if (IsDarkTheme(m_strTheme)) SetBackgroundColor(ColorDarkBackground);
    SetFocus(Item(IDOK));  // OK, not the link, holds the focus
    return FALSE;
}

bool CAboutDlg::OnCommand(int id, int code, HWND control) {
    if (id == IDC_SITE_LINK && code == BN_CLICKED) {
        UI().ShellOpen(m_hWnd, kProductSite);
        return true;
    }
    return CDialog::OnCommand(id, code, control);
}

void CAboutDlg::DrawLink(const DRAWITEMSTRUCT& item) const {
    const bool dark = IsDarkTheme(m_strTheme);
    HBRUSH back = CreateSolidBrush(dark ? ColorDarkBackground : GetSysColor(COLOR_3DFACE));
    FillRect(item.hDC, &item.rcItem, back);
    DeleteObject(back);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, dark ? kLinkDark : kLinkLight);
    HGDIOBJ old = SelectObject(item.hDC, m_linkFont);
    wchar_t text[260] = {};
    GetWindowTextW(item.hwndItem, text, 260);
    RECT rc = item.rcItem;
    DrawTextW(item.hDC, text, -1, &rc, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    SelectObject(item.hDC, old);
    if (item.itemState & ODS_FOCUS) {
        rc = item.rcItem;
        DrawFocusRect(item.hDC, &rc);
    }
}

bool CAboutDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_DRAWITEM:
        if (wParam != IDC_SITE_LINK) return false;
        DrawLink(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        result = TRUE;
        return true;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) != Item(IDC_SITE_LINK)) return false;
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        result = TRUE;
        return true;
    case WM_CTLCOLORSTATIC:
        // White on the dark background; the dialog's own brush fills behind.
        if (IsDarkTheme(m_strTheme)) {
            SetTextColor(reinterpret_cast<HDC>(wParam), ColorWhite);
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        }
        return false;
    }
    return false;
}
