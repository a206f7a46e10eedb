// The platform side of the user-interface seam.
#include "ui/framework/UserInterface.h"
#include "ui/framework/Dialog.h"
#include <commdlg.h>
#include <shellapi.h>
#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

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

// Every call passes here, whoever answers it, so the application can tell what is open.
class TrackedUserInterface : public IUserInterface {
public:
    int MessageBox(HWND owner, const std::wstring& text, UINT type) override {
        Scope open(*this, owner, nullptr);
        return g_ui.load()->MessageBox(owner, text, type);
    }
    std::optional<std::wstring> SaveAs(HWND owner, const SaveAsRequest& request) override {
        Scope open(*this, owner, nullptr);
        return g_ui.load()->SaveAs(owner, request);
    }
    void ShellOpen(HWND owner, const std::wstring& target) override { g_ui.load()->ShellOpen(owner, target); }
    INT_PTR RunModal(CDialog& dialog, HWND owner) override {
        Scope open(*this, owner, &dialog);
        return g_ui.load()->RunModal(dialog, owner);
    }

    // Of this thread's: the help slideshow runs modally on a thread of its own and blocks nothing.
    HWND Innermost() {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto open = Last();
        if (open == m_open.rend()) return nullptr;
        if (open->dialog && open->dialog->Handle()) return open->dialog->Handle();
        HWND popup = open->owner ? GetLastActivePopup(open->owner) : nullptr;  // the box or Save As window
        return popup ? popup : open->owner;
    }
    bool AnyOpen() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return Last() != m_open.rend();
    }

private:
    struct Open {
        DWORD thread;
        HWND owner;
        CDialog* dialog;
    };
    std::vector<Open>::reverse_iterator Last() {
        const DWORD thread = GetCurrentThreadId();
        return std::find_if(m_open.rbegin(), m_open.rend(), [&](const Open& o) { return o.thread == thread; });
    }
    struct Scope {
        Scope(TrackedUserInterface& ui, HWND owner, CDialog* dialog) : m_ui(ui) {
            std::lock_guard<std::mutex> lock(ui.m_mutex);
            ui.m_open.push_back({GetCurrentThreadId(), owner, dialog});
        }
        ~Scope() {
            std::lock_guard<std::mutex> lock(m_ui.m_mutex);
            m_ui.m_open.erase(std::next(m_ui.Last()).base());
        }
        TrackedUserInterface& m_ui;
    };
    std::mutex m_mutex;
    std::vector<Open> m_open;
};

TrackedUserInterface g_tracked;

}  // namespace

IUserInterface& UI() { return g_tracked; }
bool ModalOpen() { return g_tracked.AnyOpen(); }
HWND OpenModalWindow() { return g_tracked.Innermost(); }
void SetUserInterface(IUserInterface* ui) { g_ui = ui ? ui : &g_platform; }
