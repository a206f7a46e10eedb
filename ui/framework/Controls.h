// Thin wrappers over a dialog's child controls: the operations the dialogs use, nothing more.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <string>

class CWnd {
public:
    HWND m_hWnd = nullptr;

    void Attach(HWND hwnd) { m_hWnd = hwnd; }
    HWND Handle() const { return m_hWnd; }
    void Enable(bool on) const { EnableWindow(m_hWnd, on); }
    bool IsEnabled() const { return IsWindowEnabled(m_hWnd); }
    void Show(bool on) const { ShowWindow(m_hWnd, on ? SW_SHOW : SW_HIDE); }
    bool IsVisible() const { return IsWindowVisible(m_hWnd); }
    void SetText(const std::wstring& text) const { SetWindowTextW(m_hWnd, text.c_str()); }
    std::wstring Text() const {
        std::wstring text(static_cast<size_t>(GetWindowTextLengthW(m_hWnd)) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(m_hWnd, text.data(), static_cast<int>(text.size()))));
        return text;
    }
    void SetFont(HFONT font) const { SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }
};

class CButton : public CWnd {
public:
    bool IsChecked() const { return SendMessageW(m_hWnd, BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void SetCheck(bool on) const { SendMessageW(m_hWnd, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }
};

class CStatic : public CWnd {};
class CEdit : public CWnd {};

class CComboBox : public CWnd {
public:
    int Count() const { return static_cast<int>(SendMessageW(m_hWnd, CB_GETCOUNT, 0, 0)); }
    int AddString(const std::wstring& s) const {
        return static_cast<int>(SendMessageW(m_hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str())));
    }
    void DeleteString(int index) const { SendMessageW(m_hWnd, CB_DELETESTRING, static_cast<WPARAM>(index), 0); }
    int CurSel() const { return static_cast<int>(SendMessageW(m_hWnd, CB_GETCURSEL, 0, 0)); }
    void SetCurSel(int index) const { SendMessageW(m_hWnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }
    std::wstring ItemText(int index) const {
        const LRESULT n = SendMessageW(m_hWnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
        if (n == CB_ERR) return L"";
        std::wstring text(static_cast<size_t>(n) + 1, L'\0');
        SendMessageW(m_hWnd, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(n));
        return text;
    }
    std::wstring SelectedText() const { return CurSel() < 0 ? L"" : ItemText(CurSel()); }
    // Exact match, letter case ignored; -1 when absent.
    int FindExact(const std::wstring& s) const {
        const LRESULT i = SendMessageW(m_hWnd, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(s.c_str()));
        return i == CB_ERR ? -1 : static_cast<int>(i);
    }
};

// A report-view list: rows of column texts.
class CListCtrl : public CWnd {
public:
    int Count() const { return static_cast<int>(SendMessageW(m_hWnd, LVM_GETITEMCOUNT, 0, 0)); }
    void AddColumn(int index, const wchar_t* title, int width) const {
        LVCOLUMNW c{};
        c.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        c.fmt = LVCFMT_LEFT;
        c.cx = width;
        c.pszText = const_cast<wchar_t*>(title);
        c.iSubItem = index;
        SendMessageW(m_hWnd, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&c));
    }
    int InsertRow(int index, const std::wstring& text) const {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.pszText = const_cast<wchar_t*>(text.c_str());
        return static_cast<int>(SendMessageW(m_hWnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    }
    void SetCellText(int row, int column, const std::wstring& text) const {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = const_cast<wchar_t*>(text.c_str());
        SendMessageW(m_hWnd, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }
    std::wstring CellText(int row, int column) const {
        std::wstring text(1024, L'\0');
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text.data();
        item.cchTextMax = static_cast<int>(text.size());
        text.resize(static_cast<size_t>(
            SendMessageW(m_hWnd, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item))));
        return text;
    }
    void DeleteRow(int row) const { SendMessageW(m_hWnd, LVM_DELETEITEM, static_cast<WPARAM>(row), 0); }
    void DeleteAllRows() const { SendMessageW(m_hWnd, LVM_DELETEALLITEMS, 0, 0); }
    // The next selected row after the given one (-1: from the start); -1 when there is none.
    int NextSelected(int after) const {
        return static_cast<int>(SendMessageW(m_hWnd, LVM_GETNEXTITEM, static_cast<WPARAM>(after), LVNI_SELECTED));
    }
    void EnsureVisible(int row) const { SendMessageW(m_hWnd, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE); }
};
