// The theme layer of the dialogs: general rules per look, and each dialog's exceptions.
#include "ui/theme/ThemedDialog.h"
#include "ui/theme/DarkControls.h"
#include "ui/theme/Theme.h"
#include <algorithm>

namespace {
constexpr COLORREF kLinkLight = RGB(0, 102, 204);
constexpr COLORREF kLinkDark = RGB(120, 180, 255);
constexpr COLORREF kTextLinkDark = RGB(140, 190, 255);

bool IsClass(HWND hwnd, const wchar_t* name) {
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    return lstrcmpiW(cls, name) == 0;
}

LONG ButtonType(HWND button) { return GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK; }

bool IsCheckBox(HWND button) {
    const LONG type = ButtonType(button);
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE;
}

bool IsPushButton(HWND button) {
    const LONG type = ButtonType(button);
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}


// The dialog font with an underline.
HFONT CreateLinkFont(HWND dialog) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    lf.lfUnderline = TRUE;
    return CreateFontIndirectW(&lf);
}
}  // namespace

CThemedDialog::~CThemedDialog() {
    Destroy();  // the controls go before the fonts and brushes they use
    for (auto& [id, font] : m_fonts) DeleteObject(font);
    for (HBRUSH brush : {m_brBackground, m_brField, m_brSidebar})
        if (brush) DeleteObject(brush);
}

bool CThemedDialog::Has(int id, ThemeRole role) const {
    return std::any_of(m_exceptions.begin(), m_exceptions.end(),
                       [&](const ThemeException& e) { return e.id == id && e.role == role; });
}

HFONT CThemedDialog::FontOf(int id) const {
    for (const auto& [control, font] : m_fonts)
        if (control == id) return font;
    return nullptr;
}

void CThemedDialog::ApplyTheme(const std::wstring& themeName) {
    m_dark = IsDarkTheme(themeName);
    m_brField = CreateSolidBrush(ColorDarkField);
    for (const ThemeException& e : m_exceptions) {
        HFONT font = nullptr;
        switch (e.role) {
        case ThemeRole::Heading: font = CreateArialFont(150); break;
        case ThemeRole::SideLink: font = CreateArialFont(105); break;
        case ThemeRole::Hyperlink: font = CreateLinkFont(m_hWnd); break;
        default: break;
        }
        if (font) {
            m_fonts.emplace_back(e.id, font);
            SendMessageW(Item(e.id), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        }
        if ((e.role == ThemeRole::SideLink || e.role == ThemeRole::SidePanel) && !m_brSidebar)
            m_brSidebar = CreateSolidBrush(ColorSidebarBlue);
    }
    if (!m_dark) return;
    m_brBackground = CreateSolidBrush(ColorDarkBackground);
    for (HWND child = GetWindow(m_hWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsClass(child, WC_COMBOBOXW)) UseDarkComboFrame(child);
        if (IsClass(child, WC_LISTVIEWW)) DarkenListView(child);
        if (IsClass(child, WC_LISTVIEWW) || IsClass(child, WC_EDITW)) UseDarkFieldFrame(child);
    }
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

namespace {
// Wine's SysLink deletes the brush its parent answers: a stock brush survives that (deleting one
// does nothing), and takes its colour from the DC.
LRESULT DarkStaticBrush(HDC dc) {
    SetBkColor(dc, ColorDarkBackground);
    SetDCBrushColor(dc, ColorDarkBackground);
    return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
}
}  // namespace

LRESULT CThemedDialog::OnControlColor(HDC dc, HWND control, UINT kind) const {
    const int id = GetDlgCtrlID(control);
    if (kind == CTLCOLOR_STATIC && (Has(id, ThemeRole::SideLink) || Has(id, ThemeRole::SidePanel))) {
        SetTextColor(dc, ColorWhite);
        SetBkColor(dc, ColorSidebarBlue);
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(m_brSidebar);
    }
    const bool alert = Has(id, ThemeRole::Alert), link = Has(id, ThemeRole::TextLink);
    if (kind == CTLCOLOR_STATIC && (alert || link)) {
        SetTextColor(dc, alert ? ColorAlertRed : m_dark ? kTextLinkDark : ColorSidebarBlue);
        SetBkMode(dc, TRANSPARENT);
        // A light dialog must answer with a brush, or the default colouring undoes the colour.
        if (!m_dark) return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_3DFACE));
        return DarkStaticBrush(dc);
    }
    // A disabled field must look disabled: the platform would show its text as bright as ever.
    const bool disabled = !IsWindowEnabled(control);
    if (!m_dark) {
        if (kind != CTLCOLOR_EDIT || !disabled) return 0;  // the platform's own colours
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        SetBkColor(dc, GetSysColor(COLOR_3DFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_3DFACE));
    }
    switch (kind) {
    case CTLCOLOR_EDIT:
        SetTextColor(dc, disabled ? ColorDimText : ColorWhite);
        SetBkColor(dc, ColorDarkField);
        return reinterpret_cast<LRESULT>(m_brField);
    case CTLCOLOR_LISTBOX:  // a combo's field and its dropped list
        SetTextColor(dc, ColorWhite);
        SetBkColor(dc, ColorDarkField);
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(m_brField);
    case CTLCOLOR_STATIC:
        SetTextColor(dc, ColorWhite);
        SetBkMode(dc, TRANSPARENT);
        return DarkStaticBrush(dc);
    }
    return 0;
}

bool CThemedDialog::OnCustomDraw(NMHDR& hdr, LRESULT& result) const {
    if (!m_dark) return false;
    if (IsClass(hdr.hwndFrom, WC_LISTVIEWW)) {
        result = DrawDarkListItem(*reinterpret_cast<NMLVCUSTOMDRAW*>(&hdr));
        return true;
    }
    if (!IsClass(hdr.hwndFrom, WC_BUTTONW)) return false;
    const auto& draw = *reinterpret_cast<const NMCUSTOMDRAW*>(&hdr);
    if (IsCheckBox(hdr.hwndFrom))
        result = DrawDarkCheckBox(draw);
    else if (IsPushButton(hdr.hwndFrom))
        result = DrawDarkPushButton(draw);
    else
        return false;
    return true;
}

void CThemedDialog::DrawLink(const DRAWITEMSTRUCT& item) const {
    HBRUSH back = CreateSolidBrush(m_dark ? ColorDarkBackground : GetSysColor(COLOR_3DFACE));
    FillRect(item.hDC, &item.rcItem, back);
    DeleteObject(back);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, m_dark ? kLinkDark : kLinkLight);
    HGDIOBJ old = SelectObject(item.hDC, FontOf(static_cast<int>(item.CtlID)));
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

bool CThemedDialog::OnThemeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_CTLCOLORDLG:
        result = reinterpret_cast<LRESULT>(m_brBackground);
        return m_brBackground != nullptr;
    case WM_CTLCOLORSTATIC: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: {
        HWND control = reinterpret_cast<HWND>(lParam);
        result = OnControlColor(reinterpret_cast<HDC>(wParam), control, ControlColorKind(msg, control));
        return result != 0;
    }
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (Has(static_cast<int>(wParam), ThemeRole::FlatButton))
            DrawFlatButton(item);
        else if (Has(static_cast<int>(wParam), ThemeRole::Hyperlink))
            DrawLink(item);
        else
            return false;
        result = TRUE;
        return true;
    }
    case WM_NOTIFY: {
        auto& hdr = *reinterpret_cast<NMHDR*>(lParam);
        return hdr.code == NM_CUSTOMDRAW && OnCustomDraw(hdr, result);
    }
    case WM_SETCURSOR: {
        HWND under = reinterpret_cast<HWND>(wParam);
        if (GetParent(under) != m_hWnd || !Has(GetDlgCtrlID(under), ThemeRole::Hyperlink)) return false;
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        result = TRUE;
        return true;
    }
    }
    return false;
}
