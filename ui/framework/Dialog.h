// The dialog base: a window from a numbered template, modeless or modal, with a routed
// message map and a boundary that no exception crosses.
#pragma once
#include "ui/framework/Controls.h"
#include <span>

// One row of a dialog's message map: control id and notification code to a handler. Commands
// (WM_COMMAND) carry their code in a word, notifications (WM_NOTIFY) as an unsigned number.
template <class T, class Code>
struct MessageRoute {
    using Owner = T;
    int id;
    Code code;
    void (T::*handler)();
};
template <class T>
using CommandRoute = MessageRoute<T, int>;
template <class T>
using NotifyRoute = MessageRoute<T, UINT>;

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

    // The dialog's message map, given once by its constructor: the base runs a matching row's
    // handler before anything else sees the command or notification.
    template <class T, size_t N>
    void SetRoutes(const CommandRoute<T> (&rows)[N]) { m_commands = {rows, N, &RunRoute<CommandRoute<T>>}; }
    template <class T, size_t N>
    void SetRoutes(const NotifyRoute<T> (&rows)[N]) { m_notifies = {rows, N, &RunRoute<NotifyRoute<T>>}; }

    // The look: colour requests and owner or custom drawing the dialog's own OnMessage left to it.
    virtual bool OnThemeMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

private:
    struct RouteTable {
        const void* rows = nullptr;
        size_t count = 0;
        bool (*run)(CDialog& self, const void* rows, size_t count, int id, UINT code) = nullptr;
        bool Run(CDialog& self, int id, UINT code) const { return run && run(self, rows, count, id, code); }
    };
    template <class Row>
    static bool RunRoute(CDialog& self, const void* rows, size_t count, int id, UINT code) {
        for (const Row& r : std::span(static_cast<const Row*>(rows), count))
            if (r.id == id && static_cast<UINT>(r.code) == code) {
                (static_cast<typename Row::Owner&>(self).*r.handler)();
                return true;
            }
        return false;
    }

    static LRESULT CALLBACK MessageFilterProc(int code, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);

    int m_templateId;
    bool m_modal = false;
    RouteTable m_commands, m_notifies;
};

// Centres a window on its opener, or on the work area when the opener is hidden or absent, and
// keeps it wholly on the work area of its monitor.
void PlaceOnOpener(HWND window);

// Widens a one-line label whose text its font would cut, as far as its dialog allows.
void FitLabelWidth(HWND label);

// Reports an exception that reached a window procedure, as a message box.
void ReportException(HWND owner, const char* what);
