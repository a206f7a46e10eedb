// The credentials editor: field checks on every change, Apply commits to the server list.
#include "ui/dialogs/CredentialsEditor.h"
#include "config/StreamingServices.h"
#include "config/TextRules.h"
#include "engine/Platforms.h"
#include "resources/resource.h"

const CommandRoute<CEditStreamingCredentials> CEditStreamingCredentials::kRoutes[] = {
    {IDC_CREDENTIALS_NAME, EN_CHANGE, &CEditStreamingCredentials::OnNameChanged},
    {IDC_CREDENTIALS_URL, EN_CHANGE, &CEditStreamingCredentials::OnUrlChanged},
    {IDC_CREDENTIALS_SERVICE, CBN_SELCHANGE, &CEditStreamingCredentials::OnServiceChanged},
    {IDC_CREDENTIALS_PORT, EN_CHANGE, &CEditStreamingCredentials::OnPortChanged},
    {IDC_CREDENTIALS_KEY, EN_CHANGE, &CEditStreamingCredentials::OnKeyChanged},
    {IDC_CREDENTIALS_APPLY, BN_CLICKED, &CEditStreamingCredentials::OnApply},
    {IDC_CREDENTIALS_CANCEL, BN_CLICKED, &CEditStreamingCredentials::OnCancel},
    {IDC_CREDENTIALS_SHOW_KEY, BN_CLICKED, &CEditStreamingCredentials::OnShowKey},
    {IDC_CREDENTIALS_SHOW_KEY_LABEL, STN_CLICKED, &CEditStreamingCredentials::OnShowKeyLabel},
};

const ThemeException CEditStreamingCredentials::kLook[] = {
    {IDC_CREDENTIALS_TITLE, ThemeRole::Heading},
    {IDC_CREDENTIALS_HINT, ThemeRole::Alert},
    {IDC_CREDENTIALS_CANCEL, ThemeRole::FlatButton},
};

CEditStreamingCredentials::CEditStreamingCredentials() : CThemedDialog(IDD_EDIT_CREDENTIALS, kLook) {
    SetRoutes(kRoutes);
}

BOOL CEditStreamingCredentials::OnInitDialog() {
    Bind(m_editName, IDC_CREDENTIALS_NAME);
    Bind(m_editUrl, IDC_CREDENTIALS_URL);
    Bind(m_editPort, IDC_CREDENTIALS_PORT);
    Bind(m_editKey, IDC_CREDENTIALS_KEY);
    Bind(m_staticHint, IDC_CREDENTIALS_HINT);
    Bind(m_btnApply, IDC_CREDENTIALS_APPLY);
    Bind(m_cmbService, IDC_CREDENTIALS_SERVICE);
    for (const ServiceAddress& service : kServiceAddresses) m_cmbService.AddString(service.name);
    ApplyTheme(m_strTheme);
    FitLabelWidth(Item(IDC_CREDENTIALS_TITLE));

    m_bFilling = true;
    m_editName.SetText(m_strServerName);
    m_editUrl.SetText(m_strRtmpUrl);
    m_editPort.SetText(m_strPort);
    m_editKey.SetText(m_strKey);
    m_bFilling = false;
    ShowService();
    m_errors = {};
    if (m_nModifyMode) m_editName.Enable(false);  // a server keeps its name
    OnShowKey();  // masked whenever the editor opens
    m_btnApply.Enable(false);
    return TRUE;
}

void CEditStreamingCredentials::OnShowKey() {
    const bool show = IsDlgButtonChecked(m_hWnd, IDC_CREDENTIALS_SHOW_KEY) == BST_CHECKED;
    SendMessageW(m_editKey.Handle(), EM_SETPASSWORDCHAR, show ? 0 : L'\u25CF', 0);
    InvalidateRect(m_editKey.Handle(), nullptr, TRUE);
}

void CEditStreamingCredentials::OnShowKeyLabel() {
    CheckDlgButton(m_hWnd, IDC_CREDENTIALS_SHOW_KEY,
                   IsDlgButtonChecked(m_hWnd, IDC_CREDENTIALS_SHOW_KEY) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
    OnShowKey();
}

void CEditStreamingCredentials::Show(const FieldCheck& check, bool& error) {
    m_staticHint.SetText(check.hint);
    error = check.error;
    UpdateApply();
}

void CEditStreamingCredentials::OnNameChanged() {
    if (m_bFilling) return;
    const std::wstring name = m_editName.Text();
    // In modify mode the server's own record does not count as taken.
    const bool own = m_nModifyMode && EqualsIgnoringCase(name, m_strOldName);
    Show(CheckServerName(name, !own && g_ServerList.FindServerByName(name) >= 0), m_errors.name);
}

void CEditStreamingCredentials::OnUrlChanged() {
    if (m_bFilling) return;
    Show(CheckRtmpUrl(m_editUrl.Text()), m_errors.url);
    ShowService();
}

// The service whose address the field holds, else Custom.
void CEditStreamingCredentials::ShowService() {
    m_cmbService.SetCurSel(0);
    for (int i = 1; i < static_cast<int>(std::size(kServiceAddresses)); ++i)
        if (EqualsIgnoringCase(m_editUrl.Text(), kServiceAddresses[i].url)) m_cmbService.SetCurSel(i);
}

void CEditStreamingCredentials::OnServiceChanged() {
    const int chosen = m_cmbService.CurSel();
    if (chosen > 0) m_editUrl.SetText(kServiceAddresses[chosen].url);  // checked as if typed
}

void CEditStreamingCredentials::OnPortChanged() {
    if (!m_bFilling) Show(CheckPort(m_editPort.Text()), m_errors.port);
}

void CEditStreamingCredentials::OnKeyChanged() {
    if (m_bFilling) return;
    const FieldCheck check = CheckKey(m_editKey.Text());
    m_errors.keyRefused = check.refused;
    Show(check, m_errors.key);
}

void CEditStreamingCredentials::UpdateApply() {
    m_btnApply.Enable(ApplyAllowed(m_nPersistent != 0, m_editName.Text(), m_editUrl.Text(), m_editKey.Text(), m_errors));
}

void CEditStreamingCredentials::OnApply() {
    m_strServerName = m_editName.Text();
    m_strRtmpUrl = m_editUrl.Text();
    m_strPort = m_editPort.Text();
    m_strKey = m_editKey.Text();
    if (!m_nModifyMode) {
        CStreamingServices server;
        server.Name = m_strServerName;
        server.RtmpUrl = m_strRtmpUrl;
        server.Port = PortValue(m_strPort);
        server.Key = m_strKey;
        g_ServerList.AppendServer(server);
    } else if (const int index = g_ServerList.FindServerByName(m_strOldName); index >= 0) {
        CStreamingServices& server = g_ServerList.ServerAt(index);  // Persistent and InUse stay
        server.Name = m_strServerName;
        server.RtmpUrl = m_strRtmpUrl;
        server.Port = PortValue(m_strPort);
        server.Key = m_strKey;
    } else {
        return;  // no record to change: only Cancel can close
    }
    EndDialog(IDOK);
}

void CEditStreamingCredentials::OnOK() {
    if (m_btnApply.IsEnabled()) OnApply();
}

bool CEditStreamingCredentials::OnMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT&) {
    // A persistent server keeps its name and URL; only key and port stay open.
    if (msg == WM_SHOWWINDOW && wParam && m_nPersistent) {
        m_editName.Enable(false);
        m_editUrl.Enable(false);
        m_cmbService.Enable(false);
        // The focus must not stay in a field that was just locked.
        SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_editKey.Handle()), TRUE);
    }
    return false;
}
