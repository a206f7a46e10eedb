// Dialog creation, message dispatch and the exception boundary.
#include "ui/framework/Dialog.h"
#include "ui/framework/UserInterface.h"
#include <exception>

CDialog::~CDialog() {
    Destroy();
    if (m_background) DeleteObject(m_background);
}

bool CDialog::Create(HWND parent) {
    m_modal = false;
    m_hWnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), parent,
                                DialogProc, reinterpret_cast<LPARAM>(this));
    return m_hWnd != nullptr;
}

INT_PTR CDialog::DoModal(HWND parent) {
    m_modal = true;
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId),
                                           parent, DialogProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return result;
}

void CDialog::EndDialog(INT_PTR result) {
    if (m_modal)
        ::EndDialog(m_hWnd, result);
    else
        ShowWindow(m_hWnd, SW_HIDE);  // a modeless dialog is only hidden
}

void CDialog::Destroy() {
    if (m_hWnd && !m_modal) {
        SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
        DestroyWindow(m_hWnd);
    }
    m_hWnd = nullptr;
}

void CDialog::SetBackgroundColor(COLORREF color) {
    if (m_background) DeleteObject(m_background);
    m_background = CreateSolidBrush(color);
    m_backgroundColor = color;
    if (m_hWnd) InvalidateRect(m_hWnd, nullptr, TRUE);
}

bool CDialog::OnCommand(int id, int, HWND) {
    if (id == IDOK) OnOK();
    else if (id == IDCANCEL) OnCancel();
    else return false;
    return true;
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

INT_PTR CDialog::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return TRUE;
        break;
    case WM_CTLCOLORDLG:
        if (m_background) return reinterpret_cast<INT_PTR>(m_background);
        break;
    }
    if (OnMessage(msg, wParam, lParam, result)) {
        switch (msg) {  // these answer through the return value, not DWLP_MSGRESULT
        case WM_CTLCOLORDLG: case WM_CTLCOLORSTATIC: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN: case WM_CTLCOLORSCROLLBAR: case WM_COMPAREITEM: case WM_VKEYTOITEM:
        case WM_CHARTOITEM: case WM_QUERYDRAGICON: case WM_INITDIALOG:
            return static_cast<INT_PTR>(result);
        }
        SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    if (msg == WM_CTLCOLORSTATIC && m_background) {  // statics take the dialog's colour
        SetBkColor(reinterpret_cast<HDC>(wParam), m_backgroundColor);
        return reinterpret_cast<INT_PTR>(m_background);
    }
    return FALSE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        reinterpret_cast<CDialog*>(lParam)->m_hWnd = hwnd;
    }
    auto* self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) return FALSE;
    try {
        return self->Dispatch(msg, wParam, lParam);
    } catch (const std::exception& e) {
        ReportException(hwnd, e.what());
    } catch (...) {
        ReportException(hwnd, "unknown error");
    }
    return FALSE;
}

void ReportException(HWND owner, const char* what) {
    std::wstring text = L"An unexpected error occurred: ";
    for (const char* p = what; *p; ++p) text += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    UI().MessageBox(owner, text, MB_OK | MB_ICONERROR);
}
