// The About box: product title, maker, version and a link to the product site.
#pragma once
#include "ui/framework/Dialog.h"
#include <string>

// The product version of the running module's version resource, as "1.38.0.0".
std::wstring ProductVersionText();

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
    ~CAboutDlg() override;

    std::wstring m_strProductTitle;
    std::wstring m_strTheme;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void DrawLink(const DRAWITEMSTRUCT& item) const;

    HWND m_tooltip = nullptr;
    HFONT m_linkFont = nullptr;
};
