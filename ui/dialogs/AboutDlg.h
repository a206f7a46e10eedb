// The About box: product title, maker, version and a link to the product site.
#pragma once
#include "ui/theme/ThemedDialog.h"
#include <string>

// The product version of the running module's version resource, as "1.38.0.0".
std::wstring ProductVersionText();

class CAboutDlg : public CThemedDialog {
public:
    CAboutDlg();

    std::wstring m_strTheme;

protected:
    BOOL OnInitDialog() override;

private:
    void OnSiteLink();

    static const CommandRoute<CAboutDlg> kRoutes[];
    static const ThemeException kLook[];
    HWND m_tooltip = nullptr;
};
