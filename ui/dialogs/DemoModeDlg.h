// The help slideshow: a picture guide of six pages, run on a thread of its own.
#pragma once
#include "ui/dialogs/HelpPages.h"
#include "ui/framework/Dialog.h"
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

// Posted to the main window when a slideshow has closed; the window decides what follows.
inline constexpr UINT WM_APP_HELP_CLOSED = WM_APP + 303;

class CDemoModeDlg : public CDialog {
public:
    // handle, when given, holds the dialog's window while it is open.
    explicit CDemoModeDlg(std::atomic<HWND>* handle = nullptr);
    ~CDemoModeDlg() override;

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnNext() { Apply(HelpPageSequence(m_view, HelpCommand::Next)); }
    void OnPrevious() { Apply(HelpPageSequence(m_view, HelpCommand::Previous)); }
    void Apply(const HelpStep& step);
    void ShowPage();
    void Paint();

    static const CommandRoute<CDemoModeDlg> kRoutes[];
    HelpView m_view;
    HBITMAP m_bitmap = nullptr;
    std::atomic<HWND>* m_handle;
};

// The slideshows one main window started. Each runs on its own thread and, when it closes,
// posts WM_APP_HELP_CLOSED to the window; it never touches the window otherwise.
class CHelpSlideshows {
public:
    struct Run {
        HANDLE thread = nullptr;
        std::atomic<HWND> dialog{nullptr};
        std::atomic<HWND> notify{nullptr};
        std::atomic<bool> cancelled{false};
    };

    CHelpSlideshows() = default;
    CHelpSlideshows(const CHelpSlideshows&) = delete;
    CHelpSlideshows& operator=(const CHelpSlideshows&) = delete;
    ~CHelpSlideshows() { CloseAll(); }

    bool Start(HWND notify);
    // Closes every open slideshow and waits for its thread; after this none posts anything.
    void CloseAll();
    // Open slideshows of a window being replaced report to this one's window from now on.
    void TakeOver(CHelpSlideshows& other, HWND notify);

private:
    void Reap();  // forgets the runs whose thread has ended

    std::mutex m_lock;
    std::vector<std::unique_ptr<Run>> m_runs;
};

// The thread routine: shows one slideshow from its first page and reports its end.
DWORD WINAPI ShowHelpSlideshow(void* run);
