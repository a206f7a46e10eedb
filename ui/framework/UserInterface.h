// The platform's message boxes, Save As dialog and shell open, behind one seam tests can answer.
#pragma once
#include <windows.h>
#include <optional>
#include <string>

struct SaveAsRequest {
    std::wstring filter;      // "Name|*.ext|...||" as the file types are written in code
    std::wstring defaultExt;
    std::wstring fileName;    // initial name
    DWORD flags = 0;
};

class CDialog;

class IUserInterface {
public:
    virtual ~IUserInterface() = default;
    virtual int MessageBox(HWND owner, const std::wstring& text, UINT type) = 0;
    // The chosen full path, or nothing when cancelled.
    virtual std::optional<std::wstring> SaveAs(HWND owner, const SaveAsRequest& request) = 0;
    virtual void ShellOpen(HWND owner, const std::wstring& target) = 0;
    // Runs a dialog modally and returns how it was ended; tests drive it or end it themselves.
    virtual INT_PTR RunModal(CDialog& dialog, HWND owner) = 0;
};

// The seam in force; tests put their own in and take it out again.
IUserInterface& UI();
void SetUserInterface(IUserInterface* ui);  // nullptr restores the platform's

// Whether a message box, Save As or dialog run through UI() is open now, and its window (the
// innermost, when one opened another; null when none is open).
bool ModalOpen();
HWND OpenModalWindow();

inline constexpr wchar_t kAppTitle[] = L"Vandrel";
