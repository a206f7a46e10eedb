// The credentials editor: one server's name, RTMP URL, key and port, checked while typed.
#pragma once
#include "ui/dialogs/CredentialRules.h"
#include "ui/theme/ThemedDialog.h"
#include <string>

// Run modally (UI().RunModal); after OK the caller reads the four texts.
class CEditStreamingCredentials : public CThemedDialog {
public:
    CEditStreamingCredentials();

    // In: shown when the dialog opens. Out: the fields after Apply, as typed.
    std::wstring m_strServerName, m_strRtmpUrl, m_strPort, m_strKey;
    int m_nModifyMode = 0;
    int m_nPersistent = 0;
    std::wstring m_strOldName;  // modify mode: finds the record
    std::wstring m_strTheme;
    CredentialErrors m_errors;

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnOK() override;  // Enter reaches Apply only while Apply is enabled

private:
    void OnNameChanged();
    void OnUrlChanged();
    void OnServiceChanged();  // fills the address with the service's own
    void ShowService();
    void OnPortChanged();
    void OnKeyChanged();
    void OnShowKey();  // the key field masked unless "Show key" is ticked
    void OnShowKeyLabel();
    void OnApply();
    void Show(const FieldCheck& check, bool& error);
    void UpdateApply();

    static const CommandRoute<CEditStreamingCredentials> kRoutes[];
    static const ThemeException kLook[];
    CEdit m_editName, m_editUrl, m_editPort, m_editKey;
    CComboBox m_cmbService;
    CStatic m_staticHint;
    CButton m_btnApply;
    bool m_bFilling = false;  // setting the fields on opening runs no check
};
