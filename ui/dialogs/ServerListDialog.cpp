// The server list dialog: every change goes to settings.ini at once and into the channel selectors.
#include "ui/dialogs/ServerListDialog.h"
#include "config/StreamingServices.h"
#include "config/TextRules.h"
#include "config/Win32SettingsStore.h"
#include "engine/EncoderReport.h"
#include "resources/resource.h"
#include "ui/dialogs/CredentialsEditor.h"
#include "ui/framework/UserInterface.h"
#include "ui/main/MainWindow.h"

namespace {
enum Column { kName, kUrl, kPort, kKey };
constexpr wchar_t kIntro[] = L"Add or Remove or Edit the Server properties in the list.";
constexpr wchar_t kInSessionHint[] = L"A server in use while streaming cannot be modified or removed until streaming stops.";

// Deletes every item that names this server, A–Z compared without case.
void RemoveName(CComboBox& combo, const std::wstring& name) {
    for (int k = combo.Count() - 1; k >= 0; --k)
        if (EqualsIgnoringCase(combo.ItemText(k), name)) combo.DeleteString(k);
}
}  // namespace

const CommandRoute<CCustomizeStreamingServerDlg> CCustomizeStreamingServerDlg::kRoutes[] = {
    {IDC_SERVERS_ADD, BN_CLICKED, &CCustomizeStreamingServerDlg::OnAdd},
    {IDC_SERVERS_MODIFY, BN_CLICKED, &CCustomizeStreamingServerDlg::OnModify},
    {IDC_SERVERS_REMOVE, BN_CLICKED, &CCustomizeStreamingServerDlg::OnRemove},
    {IDC_SERVERS_OK, BN_CLICKED, &CCustomizeStreamingServerDlg::OnConfirm},
    {IDC_SERVERS_FILTER, EN_CHANGE, &CCustomizeStreamingServerDlg::OnFilterChanged},
};

const NotifyRoute<CCustomizeStreamingServerDlg> CCustomizeStreamingServerDlg::kNotifyRoutes[] = {
    {IDC_SERVERS_LIST, NM_CLICK, &CCustomizeStreamingServerDlg::OnListClick},
    {IDC_SERVERS_LIST, NM_DBLCLK, &CCustomizeStreamingServerDlg::OnListDoubleClick},
};

const ThemeException CCustomizeStreamingServerDlg::kLook[] = {
    {IDC_SERVERS_TITLE, ThemeRole::Heading},
    {IDC_SERVERS_ADD, ThemeRole::FlatButton},
    {IDCANCEL, ThemeRole::FlatButton},
};

CCustomizeStreamingServerDlg::CCustomizeStreamingServerDlg() : CThemedDialog(IDD_SERVER_LIST, kLook) {
    SetRoutes(kRoutes);
    SetRoutes(kNotifyRoutes);
}

BOOL CCustomizeStreamingServerDlg::OnInitDialog() {
    Bind(m_listServers, IDC_SERVERS_LIST);
    Bind(m_editFilter, IDC_SERVERS_FILTER);
    Bind(m_btnModify, IDC_SERVERS_MODIFY);
    Bind(m_btnRemove, IDC_SERVERS_REMOVE);
    Bind(m_btnOk, IDC_SERVERS_OK);
    ApplyTheme(m_strTheme);
    FitLabelWidth(Item(IDC_SERVERS_INTRO));

    m_btnModify.Enable(false);
    m_btnRemove.Enable(false);
    m_btnOk.Enable(false);
    m_listServers.AddColumn(kName, L"Server", 75);
    m_listServers.AddColumn(kUrl, L"RTMP URL", 175);
    m_listServers.AddColumn(kPort, L"Port", 50);
    m_listServers.AddColumn(kKey, L"Key", 225);
    SendMessageW(m_listServers.Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_ONECLICKACTIVATE | LVS_EX_INFOTIP);
    FillList(L"");
    m_listServers.EnsureVisible(0);
    return TRUE;
}

void CCustomizeStreamingServerDlg::InsertRow(const std::wstring& name, const std::wstring& url,
                                             const std::wstring& port, const std::wstring& key) {
    const int row = m_listServers.InsertRow(0, name);
    m_listServers.SetCellText(row, kUrl, url);
    m_listServers.SetCellText(row, kPort, port);
    m_listServers.SetCellText(row, kKey, MaskKey(key));  // a key on screen is a key given away
}

// Each record goes in at the top, so the last server shows first.
void CCustomizeStreamingServerDlg::FillList(const std::wstring& filter) {
    m_listServers.DeleteAllRows();
    for (const CStreamingServices& s : g_ServerList)
        if (ContainsIgnoringCase(s.Name, filter)) InsertRow(s.Name, s.RtmpUrl, std::to_wstring(s.Port), s.Key);
}

std::vector<int> CCustomizeStreamingServerDlg::SelectedRows() const {
    std::vector<int> rows;
    for (int row = m_listServers.NextSelected(-1); row >= 0; row = m_listServers.NextSelected(row))
        rows.insert(rows.begin(), row);
    return rows;
}

void CCustomizeStreamingServerDlg::OnAdd() {
    CEditStreamingCredentials editor;
    editor.m_strTheme = m_strTheme;
    if (UI().RunModal(editor, m_hWnd) != IDOK) return;
    InsertRow(editor.m_strServerName, editor.m_strRtmpUrl, editor.m_strPort, editor.m_strKey);
    WriteServerSection(Settings(), m_strSettingsPath, L"", editor.m_strServerName, editor.m_strRtmpUrl,
                       editor.m_strPort, editor.m_strKey, 0);
    for (CComboBox* combo : m_channels) combo->AddString(editor.m_strServerName);
    m_btnOk.Enable(true);
}

void CCustomizeStreamingServerDlg::OnModify() {
    CEditStreamingCredentials editor;
    editor.m_strTheme = m_strTheme;
    editor.m_nModifyMode = 1;
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) return;  // nothing to edit: no editor with an empty, locked name
    const int row = rows.front();
    if (InSession(m_listServers.CellText(row, kName))) return;
    int persistent = 0;
    if (row >= 0) {
        editor.m_strServerName = m_listServers.CellText(row, kName);
        editor.m_strRtmpUrl = m_listServers.CellText(row, kUrl);
        editor.m_strPort = m_listServers.CellText(row, kPort);
        editor.m_strOldName = editor.m_strServerName;
        // The row shows the key masked: the editor gets the record's.
        if (const int index = g_ServerList.FindServerByName(editor.m_strOldName); index >= 0) {
            persistent = g_ServerList.ServerAt(index).Persistent;
            editor.m_strKey = g_ServerList.ServerAt(index).Key;
        }
    }
    editor.m_nPersistent = persistent;
    if (UI().RunModal(editor, m_hWnd) != IDOK || row < 0) return;
    m_listServers.SetCellText(row, kName, editor.m_strServerName);
    m_listServers.SetCellText(row, kUrl, editor.m_strRtmpUrl);
    m_listServers.SetCellText(row, kPort, editor.m_strPort);
    m_listServers.SetCellText(row, kKey, MaskKey(editor.m_strKey));
    WriteServerSection(Settings(), m_strSettingsPath, editor.m_strOldName, editor.m_strServerName,
                       editor.m_strRtmpUrl, editor.m_strPort, editor.m_strKey, persistent);
    if (editor.m_strServerName != editor.m_strOldName) RenameInChannels(editor.m_strOldName, editor.m_strServerName);
    m_btnOk.Enable(true);
}

// A renamed server stays where it was chosen: in the selectors and in the remembered channel names.
void CCustomizeStreamingServerDlg::RenameInChannels(const std::wstring& oldName, const std::wstring& newName) {
    for (CComboBox* combo : m_channels)
        for (int k = combo->Count() - 1; k >= 0; --k)
            if (EqualsIgnoringCase(combo->ItemText(k), oldName)) {
                const bool chosen = combo->CurSel() == k;
                combo->DeleteString(k);
                const int added = combo->AddString(newName);
                if (chosen) combo->SetCurSel(added);
                break;  // one item per server, and the new one may match again
            }
    for (int i = 0; i < 4; ++i)
        if (EqualsIgnoringCase(ChannelName(i), oldName)) ChannelName(i) = newName;
}

void CCustomizeStreamingServerDlg::OnRemove() {
    for (int row : SelectedRows()) {  // from the bottom up, so the other rows keep their indices
        const std::wstring name = m_listServers.CellText(row, kName);
        const int index = g_ServerList.FindServerByName(name);
        if (index < 0 || g_ServerList.ServerAt(index).Persistent || InSession(name)) continue;
        m_listServers.DeleteRow(row);
        DeleteServerSection(Settings(), m_strSettingsPath, name);
        g_ServerList.RemoveServerAt(index);
        for (CComboBox* combo : m_channels) RemoveName(*combo, name);
    }
    m_btnOk.Enable(true);
}

bool CCustomizeStreamingServerDlg::InSession(const std::wstring& name) const {
    for (const std::wstring& streamed : m_sessionServers)
        if (EqualsIgnoringCase(streamed, name)) return true;
    return false;
}

void CCustomizeStreamingServerDlg::OnListClick() {
    m_btnModify.Enable(false);
    m_btnRemove.Enable(false);
    bool streamed = false;
    for (int row : SelectedRows()) {
        const std::wstring name = m_listServers.CellText(row, kName);
        if (InSession(name)) {
            streamed = true;
            continue;
        }
        m_btnModify.Enable(true);
        const int index = g_ServerList.FindServerByName(name);
        if (index >= 0 && !g_ServerList.ServerAt(index).Persistent) m_btnRemove.Enable(true);
    }
    SetDlgItemTextW(m_hWnd, IDC_SERVERS_INTRO, streamed ? kInSessionHint : kIntro);
    FitLabelWidth(Item(IDC_SERVERS_INTRO));
}

void CCustomizeStreamingServerDlg::OnListDoubleClick() {
    if (!SelectedRows().empty()) OnModify();
}

void CCustomizeStreamingServerDlg::OnFilterChanged() { FillList(m_editFilter.Text()); }

bool CCustomizeStreamingServerDlg::PreTranslateMessage(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    if (msg.wParam == VK_RETURN) {
        // A button reached by Tab is pressed by Enter, as everywhere else.
        wchar_t cls[16] = {};
        GetClassNameW(GetFocus(), cls, 16);
        if (lstrcmpiW(cls, WC_BUTTONW) == 0) return false;
        OnModify();
        return true;  // Enter never presses OK
    }
    // In the filter box Delete edits the text; only in the list does it remove servers.
    if (msg.wParam == VK_DELETE && GetFocus() == m_listServers.Handle()) OnRemove();
    return false;
}
