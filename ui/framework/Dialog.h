// The dialog base: a window from a numbered template, modeless or modal, with a routed
// message map and a boundary that no exception crosses.
#pragma once
#include "ui/framework/Controls.h"
#include <span>

// One row of a dialog's message map: control id and notification code to a handler.
template <class T>
struct CommandRoute {
    int id;
    int code;
    void (T::*handler)();
};

// One row of a dialog's notification map (WM_NOTIFY): control id and code to a handler.
template <class T>
struct NotifyRoute {
    int id;
    UINT code;
    void (T::*handler)();
};

class CDialog : public CWnd {
public:
    explicit CDialog(int templateId) : m_templateId(templateId) {}
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    bool Create(HWND parent);     // modeless; the window starts hidden as its template says
    INT_PTR DoModal(HWND parent);  // runs until EndDialog
    void EndDialog(INT_PTR result);
    void Destroy();

    int TemplateId() const { return m_templateId; }
    HWND Item(int id) const { return GetDlgItem(m_hWnd, id); }
    void Bind(CWnd& control, int id) const { control.Attach(Item(id)); }
    void SetBackgroundColor(COLORREF color);

protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    // Commands not in the map; return false to let them go on.
    virtual bool OnCommand(int id, int code, HWND control);
    // Any other window message; return true when handled and set result.
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // A modal dialog sees each message for itself or its controls before its loop dispatches
    // it; true consumes the message.
    virtual bool PreTranslateMessage(const MSG&) { return false; }

    // Dispatches a command through a routing table; true when a row matched.
    template <class T>
    bool Route(std::span<const CommandRoute<T>> routes, int id, int code) {
        for (const auto& r : routes)
            if (r.id == id && r.code == code) {
                (static_cast<T*>(this)->*r.handler)();
                return true;
            }
        return false;
    }

    template <class T>
    bool Route(std::span<const NotifyRoute<T>> routes, const NMHDR& hdr) {
        for (const auto& r : routes)
            if (r.id == static_cast<int>(hdr.idFrom) && r.code == hdr.code) {
                (static_cast<T*>(this)->*r.handler)();
                return true;
            }
        return false;
    }

private:
    static LRESULT CALLBACK MessageFilterProc(int code, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);

    int m_templateId;
    bool m_modal = false;
    HBRUSH m_background = nullptr;
    COLORREF m_backgroundColor = 0;
};

// Widens a one-line label whose text its font would cut, as far as its dialog allows.
void FitLabelWidth(HWND label);

// Reports an exception that reached a window procedure, as a message box.
void ReportException(HWND owner, const char* what);
