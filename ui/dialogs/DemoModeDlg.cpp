// The help slideshow dialog and the threads that run it.
#include "ui/dialogs/DemoModeDlg.h"
#include "resources/resource.h"
#include "ui/framework/UserInterface.h"
#include <algorithm>

const CommandRoute<CDemoModeDlg> CDemoModeDlg::kRoutes[] = {
    {IDOK, BN_CLICKED, &CDemoModeDlg::OnNext},
    {IDC_PREVIOUS, BN_CLICKED, &CDemoModeDlg::OnPrevious},
};

CDemoModeDlg::CDemoModeDlg(std::atomic<HWND>* handle) : CDialog(IDD_HELP), m_handle(handle) { SetRoutes(kRoutes); }

CDemoModeDlg::~CDemoModeDlg() {
    if (m_bitmap) DeleteObject(m_bitmap);
}

BOOL CDemoModeDlg::OnInitDialog() {
    if (m_handle) *m_handle = m_hWnd;
    m_view = PaintedHelpView(HelpView{});
    Apply(HelpStep{m_view});
    return TRUE;
}

void CDemoModeDlg::Apply(const HelpStep& step) {
    m_view = step.view;
    HWND previous = Item(IDC_PREVIOUS), next = Item(IDOK);
    // A button that turns off under the keyboard focus would leave Enter with nothing to press.
    if (!m_view.previousEnabled && GetFocus() == previous)
        SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
    EnableWindow(previous, m_view.previousEnabled);
    SetWindowTextW(next, m_view.finish ? L"Finish" : L"Next");
    if (step.closes) {
        EndDialog(IDOK);
        return;
    }
    ShowPage();
}

// Buttons under the picture, the window as wide as the picture and as high as the picture, the
// buttons and a margin need inside the window's real frame, centred on the work area.
void CDemoModeDlg::ShowPage() {
    if (m_bitmap) DeleteObject(m_bitmap);
    m_bitmap = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_view.page), IMAGE_BITMAP,
                                               0, 0, LR_CREATEDIBSECTION));
    InvalidateRect(m_hWnd, nullptr, TRUE);
    if (!m_bitmap || IsIconic(m_hWnd)) return;
    BITMAP bm{};
    GetObjectW(m_bitmap, sizeof bm, &bm);
    const int W = bm.bmWidth, H = bm.bmHeight;
    RECT button, outer, client;
    GetWindowRect(Item(IDC_PREVIOUS), &button);
    GetWindowRect(m_hWnd, &outer);
    GetClientRect(m_hWnd, &client);
    // Caption and borders grow with the display scaling; margins grow with it too.
    const int frameW = (outer.right - outer.left) - client.right, frameH = (outer.bottom - outer.top) - client.bottom;
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const int w = button.right - button.left, h = button.bottom - button.top;
    const int side = MulDiv(4, dpi, 96), bottom = MulDiv(15, dpi, 96);
    MoveWindow(Item(IDC_PREVIOUS), 6, H, w, h, TRUE);
    MoveWindow(Item(IDOK), W - frameW - side - w, H, w, h, TRUE);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int outerH = H + h + bottom + frameH;
    const int x = work.left + std::max(0, static_cast<int>(work.right - work.left - W) / 2);
    const int y = work.top + std::max(0, static_cast<int>(work.bottom - work.top - outerH) / 2);
    SetWindowPos(m_hWnd, nullptr, x, y, W, outerH, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CDemoModeDlg::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    if (m_bitmap && !IsIconic(m_hWnd)) {
        BITMAP bm{};
        GetObjectW(m_bitmap, sizeof bm, &bm);
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, m_bitmap);
        BitBlt(dc, 0, 0, bm.bmWidth, bm.bmHeight, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
    }
    EndPaint(m_hWnd, &ps);
}

bool CDemoModeDlg::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg == WM_PAINT) {
        Paint();
        result = 0;
        return true;
    }
    if (msg == WM_DESTROY && m_handle) *m_handle = nullptr;
    return false;
}

// The threads.

DWORD WINAPI ShowHelpSlideshow(void* parameter) {
    auto* run = static_cast<CHelpSlideshows::Run*>(parameter);
    {
        CDemoModeDlg dialog(&run->dialog);
        UI().RunModal(dialog, nullptr);  // no owner: the main window stays usable
    }
    run->dialog = nullptr;
    if (!run->cancelled)
        if (HWND notify = run->notify.load()) PostMessageW(notify, WM_APP_HELP_CLOSED, 0, 0);
    return 0;
}

bool CHelpSlideshows::Start(HWND notify) {
    std::lock_guard guard(m_lock);
    Reap();
    auto run = std::make_unique<Run>();
    run->notify = notify;
    run->thread = CreateThread(nullptr, 0, ShowHelpSlideshow, run.get(), 0, nullptr);
    if (!run->thread) return false;
    m_runs.push_back(std::move(run));
    return true;
}

void CHelpSlideshows::Reap() {
    std::erase_if(m_runs, [](const std::unique_ptr<Run>& run) {
        if (WaitForSingleObject(run->thread, 0) != WAIT_OBJECT_0) return false;
        CloseHandle(run->thread);
        return true;
    });
}

void CHelpSlideshows::CloseAll() {
    std::vector<std::unique_ptr<Run>> runs;
    {
        std::lock_guard guard(m_lock);
        runs.swap(m_runs);
    }
    for (auto& run : runs) run->cancelled = true;
    const DWORD start = GetTickCount();
    for (auto& run : runs) {
        // Messages other threads send to this one's windows keep flowing while it waits.
        while (WaitForSingleObject(run->thread, 0) != WAIT_OBJECT_0 && GetTickCount() - start < 5000) {
            if (HWND dialog = run->dialog.load()) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            if (MsgWaitForMultipleObjects(1, &run->thread, FALSE, 20, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
                MSG msg;
                PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            }
        }
        if (WaitForSingleObject(run->thread, 0) != WAIT_OBJECT_0) {
            (void)run.release();  // a thread that would not end keeps its run; it posts nothing
            continue;
        }
        CloseHandle(run->thread);
    }
}

void CHelpSlideshows::TakeOver(CHelpSlideshows& other, HWND notify) {
    if (&other == this) return;
    std::scoped_lock guard(m_lock, other.m_lock);
    for (auto& run : other.m_runs) {
        run->notify = notify;
        m_runs.push_back(std::move(run));
    }
    other.m_runs.clear();
}
