// The platform side of the user-interface seam.
#include "ui/framework/UserInterface.h"
#include "ui/framework/Dialog.h"
#include <commdlg.h>
#include <shellapi.h>
#include <atomic>

namespace {

class PlatformUserInterface : public IUserInterface {
public:
    int MessageBox(HWND owner, const std::wstring& text, UINT type) override {
        // Boxes that name no icon get the default one of their buttons.
        if (!(type & MB_ICONMASK))
            type |= (type & MB_TYPEMASK) == MB_YESNO || (type & MB_TYPEMASK) == MB_YESNOCANCEL
                        ? MB_ICONQUESTION : MB_ICONEXCLAMATION;
        return ::MessageBoxW(owner, text.c_str(), kAppTitle, type);
    }

    std::optional<std::wstring> SaveAs(HWND owner, const SaveAsRequest& r) override {
        std::wstring filter = r.filter;  // '|' separators become the zeros the dialog wants
        for (wchar_t& c : filter)
            if (c == L'|') c = L'\0';
        std::wstring file = r.fileName;
        file.resize(32768, L'\0');
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = owner;
        ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
        ofn.lpstrFile = file.data();
        ofn.nMaxFile = static_cast<DWORD>(file.size());
        ofn.lpstrDefExt = r.defaultExt.c_str();
        ofn.Flags = r.flags | OFN_EXPLORER | OFN_ENABLESIZING;
        if (!GetSaveFileNameW(&ofn)) return std::nullopt;
        return std::wstring(file.c_str());
    }

    void ShellOpen(HWND, const std::wstring& target) override {
        ShellExecuteW(nullptr, nullptr, target.c_str(), nullptr, nullptr, SW_SHOW);
    }

    INT_PTR RunModal(CDialog& dialog, HWND owner) override { return dialog.DoModal(owner); }
};

PlatformUserInterface g_platform;
std::atomic<IUserInterface*> g_ui{&g_platform};

}  // namespace

IUserInterface& UI() { return *g_ui.load(); }
void SetUserInterface(IUserInterface* ui) { g_ui = ui ? ui : &g_platform; }
