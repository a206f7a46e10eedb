// The look of a dialog in one place: its brushes and fonts, the answers to the colour requests,
// the flat buttons and the dark drawing of check boxes, combo frames and lists. A dialog derives
// from CThemedDialog and names only the controls that the general rules do not fit.
#pragma once
#include "ui/framework/Dialog.h"
#include <span>
#include <string>
#include <vector>

// What a control is where the general rules of the look do not fit it.
enum class ThemeRole {
    Heading,     // Arial 15 pt
    SideLink,    // Arial 10.5 pt, white on the side panel's blue
    SidePanel,   // white on the side panel's blue
    Alert,       // a red message or hint line
    TextLink,    // a clickable text on the dialog's own background, in a link's blue
    FlatButton,  // owner-drawn: blue fill and white text in both looks
    Hyperlink,   // owner-drawn button shown as an underlined address, with the hand cursor
};

// One row of a dialog's exception table; a control may have more than one row.
struct ThemeException {
    int id;
    ThemeRole role;
};

class CThemedDialog : public CDialog {
public:
    CThemedDialog(int templateId, std::span<const ThemeException> exceptions)
        : CDialog(templateId), m_exceptions(exceptions) {}
    ~CThemedDialog() override;

    bool IsDark() const { return m_dark; }

protected:
    // From the dialog's OnInitDialog, once its theme name is known: fonts, background and the
    // dark drawing of its combos and lists. "Dark" gives the dark look, anything else the light.
    void ApplyTheme(const std::wstring& themeName);
    bool OnThemeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool Has(int id, ThemeRole role) const;
    HFONT FontOf(int id) const;
    LRESULT OnControlColor(HDC dc, HWND control, UINT kind) const;
    bool OnCustomDraw(NMHDR& hdr, LRESULT& result) const;
    void DrawLink(const DRAWITEMSTRUCT& item) const;

    std::span<const ThemeException> m_exceptions;
    bool m_dark = false;
    HBRUSH m_brBackground = nullptr, m_brField = nullptr, m_brSidebar = nullptr;
    std::vector<std::pair<int, HFONT>> m_fonts;  // control id and the font it was given
};
