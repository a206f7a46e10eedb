// The server list dialog: lists, filters, adds, modifies and removes the streaming servers.
#pragma once
#include "ui/theme/ThemedDialog.h"
#include <array>
#include <string>
#include <vector>

struct CStreamingServices;

// Run modally (UI().RunModal) by the main window, which reloads its servers afterwards.
class CCustomizeStreamingServerDlg : public CThemedDialog {
public:
    CCustomizeStreamingServerDlg();

    // Inputs, set before it runs.
    std::wstring m_strSettingsPath;
    std::wstring m_strTheme;
    std::array<CComboBox*, 4> m_channels{};  // the main window's selectors, channels 1 to 4
    std::vector<std::wstring> m_sessionServers;  // streamed to now: neither modified nor removed

    void OnAdd();
    void OnModify();
    void OnRemove();
    void OnListClick();
    void OnListDoubleClick();
    void OnFilterChanged();

protected:
    BOOL OnInitDialog() override;
    bool PreTranslateMessage(const MSG& msg) override;
    void OnOK() override {}  // Enter runs Modify; only the OK button closes with OK

private:
    void OnConfirm() { EndDialog(IDOK); }
    void InsertRow(const std::wstring& name, const std::wstring& url, const std::wstring& port,
                   const std::wstring& key);
    void FillList(const std::wstring& filter);
    std::vector<int> SelectedRows() const;  // highest index first
    bool InSession(const std::wstring& name) const;
    void RenameInChannels(const std::wstring& oldName, const std::wstring& newName);

    static const CommandRoute<CCustomizeStreamingServerDlg> kRoutes[];
    static const NotifyRoute<CCustomizeStreamingServerDlg> kNotifyRoutes[];
    static const ThemeException kLook[];
    CListCtrl m_listServers;
    CEdit m_editFilter;
    CButton m_btnModify, m_btnRemove, m_btnOk;
};
