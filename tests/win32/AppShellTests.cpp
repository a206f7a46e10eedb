// The application shell: tray icon and menu, tray commands, the single-instance guard, real copies of vandrel.exe.
#include "TestSupport.h"
#include "app/InstanceChecker.h"
#include "app/SystemTray.h"
#include "app/VandrelApp.h"
#include "config/StreamingServices.h"
#include "resources/resource.h"
#include "ui/main/MainWindow.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

namespace {

// The values the shell and the menu resource agree on, written out so that a renumbering shows.
constexpr UINT kStart = 32771, kStop = 32772, kExit = 32775, kManageServers = 32778;
constexpr UINT kTrayMessage = 0x812C, kIconId = 130;
constexpr UINT kGetMenuHandle = 0x01E1;  // MN_GETHMENU
constexpr UINT kTrayFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
constexpr wchar_t kTip[] = L"Double click to Launch Vandrel Main Window";
constexpr wchar_t kSelectServer[] = L"Please select at least one server";
constexpr wchar_t kConfirmExit[] = L"Are you sure you want to exit Vandrel?";

HICON AppIcon() { return LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME)); }

// APPDATA for the test's lifetime; copies started meanwhile inherit it.
class ScopedAppData {
public:
    explicit ScopedAppData(const std::wstring& value) : m_old(32767, L'\0') {
        m_had = GetEnvironmentVariableW(L"APPDATA", m_old.data(), 32767) > 0;
        SetEnvironmentVariableW(L"APPDATA", value.c_str());
    }
    ~ScopedAppData() { SetEnvironmentVariableW(L"APPDATA", m_had ? m_old.c_str() : nullptr); }

private:
    std::wstring m_old;
    bool m_had;
};

// ---- The icon as the shell receives it ----

TEST(TrayIcon, AddGivesTheShellIconTipAndStartBalloon) {
    FakeShell shell;
    CSystemTray tray;
    const HICON icon = AppIcon();
    ASSERT_TRUE(tray.AddToNotificationArea(icon));
    ASSERT_EQ(g_shellCalls.size(), 1u);
    const ShellCall& c = g_shellCalls[0];
    EXPECT_EQ(c.message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(c.data.cbSize, sizeof(NOTIFYICONDATAW));
    EXPECT_NE(tray.Handle(), nullptr);
    EXPECT_EQ(c.data.hWnd, tray.Handle());
    EXPECT_EQ(c.data.uID, kIconId);
    EXPECT_EQ(c.data.uFlags, kTrayFlags);
    EXPECT_EQ(c.data.uCallbackMessage, kTrayMessage);
    EXPECT_EQ(c.data.hIcon, icon);
    EXPECT_STREQ(c.data.szTip, kTip);
    EXPECT_STREQ(c.data.szInfo, L"Vandrel Application Started!");
    EXPECT_STREQ(c.data.szInfoTitle, L"Vandrel");
    EXPECT_EQ(c.data.uTimeout, 20000u);
    EXPECT_EQ(c.data.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
    // The balloon is shown once: a later re-add must not repeat it.
    EXPECT_STREQ(tray.m_iconData.szInfo, L"");
    EXPECT_EQ(tray.m_bIconHidden, 0);
    EXPECT_EQ(tray.m_bIconRemoved, 0);
}

TEST(TrayIcon, TaskbarCreatedAddsTheIconAgainWithoutBalloon) {
    FakeShell shell;
    CSystemTray tray;
    ASSERT_TRUE(tray.AddToNotificationArea(AppIcon()));
    g_shellCalls.clear();
    SendMessageW(tray.Handle(), g_uTaskbarCreated, 0, 0);
    ASSERT_EQ(g_shellCalls.size(), 1u);
    const ShellCall& c = g_shellCalls[0];
    EXPECT_EQ(c.message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(c.data.uID, kIconId);
    EXPECT_EQ(c.data.uFlags, kTrayFlags);
    EXPECT_STREQ(c.data.szTip, kTip);
    EXPECT_STREQ(c.data.szInfo, L"");
}

TEST(TrayIcon, RefusedByTheShellStaysHiddenAndIsNeverDeleted) {
    FakeShell shell(FALSE);
    {
        CSystemTray tray;
        EXPECT_FALSE(tray.AddToNotificationArea(AppIcon()));
        EXPECT_EQ(tray.m_bIconHidden, 1);
        EXPECT_EQ(tray.m_bIconRemoved, 1);
    }
    EXPECT_EQ(FakeShell::Count(NIM_ADD), 1);
    EXPECT_EQ(FakeShell::Count(NIM_DELETE), 0);
}

TEST(TrayIcon, DestructionDeletesTheAddedIconOnce) {
    FakeShell shell;
    HWND window = nullptr;
    {
        CSystemTray tray;
        ASSERT_TRUE(tray.AddToNotificationArea(AppIcon()));
        window = tray.Handle();
        EXPECT_EQ(tray.HandleIconMessage(kIconId, WM_LBUTTONDBLCLK), 0);  // no main window to show
    }
    ASSERT_EQ(FakeShell::Count(NIM_DELETE), 1);
    EXPECT_EQ(g_shellCalls.back().data.uID, kIconId);
    EXPECT_EQ(g_shellCalls.back().data.hWnd, window);
    EXPECT_FALSE(IsWindow(window));
    {
        CSystemTray tray;
        ASSERT_TRUE(tray.AddToNotificationArea(AppIcon()));
        EXPECT_TRUE(tray.RemoveFromNotificationArea());  // an early removal is not repeated
    }
    EXPECT_EQ(FakeShell::Count(NIM_DELETE), 2);
}

// ---- Tray menu and commands against a real, hidden main window ----

// The main window in a fresh AppData folder, installed as the application's.
class MainWindowHost : public testing::Test {
protected:
    MainWindowHost() {
        m_dlg->Create(nullptr);
        theApp.m_pMainDlg = m_dlg;
    }
    ~MainWindowHost() override {
        theApp.m_pMainDlg = nullptr;
        delete m_dlg;
        g_ServerList.clear();
        g_bSessionRunning = 0;
        theApp.m_trayIcon.m_bIdle = 1;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    }
    HWND Main() const { return m_dlg->Handle(); }

    TempFolder m_folder{L"shell"};
    ScopedAppData m_appData{m_folder.Path()};
    CManageStreamingServerDlg* m_dlg = new CManageStreamingServerDlg(theApp);
};

class TrayMenu : public MainWindowHost {
protected:
    TrayMenu() {
        m_tray.AddToNotificationArea(AppIcon());
        m_tray.SetDefaultMenuItem();
    }
    FakeShell m_shell;
    CSystemTray m_tray;
};

// What the open popup menu showed, read by a timer that the menu's own loop dispatches.
struct MenuSnapshot {
    bool seen = false;
    UINT start = 0, stop = 0, defaultItem = 0;
    int menuOpenFlag = 0;
    LRESULT result = 0;
};
MenuSnapshot g_menu;
CSystemTray* g_menuTray = nullptr;

// This thread's open popup menu; the system may keep hidden ones of its own.
HWND OpenPopupMenu() {
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32768", nullptr));)
        if (IsWindowVisible(w) && GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId()) return w;
    return nullptr;
}

void CALLBACK ReadMenuAndClose(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND popup = OpenPopupMenu();
    if (!popup) return;  // not open yet
    KillTimer(nullptr, timer);
    const auto menu = reinterpret_cast<HMENU>(SendMessageW(popup, kGetMenuHandle, 0, 0));
    g_menu.seen = true;
    g_menu.start = GetMenuState(menu, kStart, MF_BYCOMMAND);
    g_menu.stop = GetMenuState(menu, kStop, MF_BYCOMMAND);
    g_menu.defaultItem = GetMenuDefaultItem(menu, FALSE, 0);
    g_menu.menuOpenFlag = g_menuTray->m_bMenuOpen;
    EndMenu();
}

// A right click; the timer closes whatever menu it opens, so a wrong one cannot hang the test.
MenuSnapshot RightClick(CSystemTray& tray, WPARAM iconId = kIconId) {
    g_menu = {};
    g_menuTray = &tray;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, ReadMenuAndClose);
    g_menu.result = tray.HandleIconMessage(iconId, WM_RBUTTONUP);  // returns when the menu closes
    KillTimer(nullptr, timer);
    return g_menu;
}

constexpr UINT kUnavailable = MF_GRAYED | MF_DISABLED;
constexpr UINT kMissing = static_cast<UINT>(-1);

TEST_F(TrayMenu, IdleOffersStartAndGraysStop) {
    m_tray.m_bIdle = 1;
    const MenuSnapshot m = RightClick(m_tray);
    EXPECT_EQ(m.result, 1);
    ASSERT_TRUE(m.seen) << "no popup menu appeared";
    ASSERT_TRUE(m.start != kMissing && m.stop != kMissing);
    EXPECT_EQ(m.start & kUnavailable, 0u);
    EXPECT_NE(m.stop & MF_GRAYED, 0u);
    EXPECT_EQ(m.defaultItem, kManageServers);
    EXPECT_EQ(m.menuOpenFlag, 1);
    EXPECT_EQ(m_tray.m_bMenuOpen, 0);
}

TEST_F(TrayMenu, StreamingOffersStopAndGraysStart) {
    m_tray.m_bIdle = 0;
    const MenuSnapshot m = RightClick(m_tray);
    ASSERT_TRUE(m.seen) << "no popup menu appeared";
    ASSERT_TRUE(m.start != kMissing && m.stop != kMissing);
    EXPECT_NE(m.start & MF_GRAYED, 0u);
    EXPECT_EQ(m.stop & kUnavailable, 0u);
    EXPECT_EQ(m.defaultItem, kManageServers);
}

TEST_F(TrayMenu, StartOrStopUnderWayGraysBoth) {
    for (int idle : {1, 0}) {
        m_tray.m_bIdle = idle;
        m_tray.m_bBusy = 1;
        const MenuSnapshot m = RightClick(m_tray);
        ASSERT_TRUE(m.seen) << "no popup menu appeared";
        EXPECT_NE(m.start & MF_GRAYED, 0u) << idle;
        EXPECT_NE(m.stop & MF_GRAYED, 0u) << idle;
    }
    m_tray.m_bBusy = 0;
}

TEST_F(TrayMenu, DoubleClickShowsTheMainWindow) {
    ASSERT_FALSE(IsWindowVisible(Main()));
    // Through the icon's window, as the shell delivers it.
    EXPECT_EQ(SendMessageW(m_tray.Handle(), kTrayMessage, kIconId, WM_LBUTTONDBLCLK), 1);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, Main(), WM_COMMAND, WM_COMMAND, PM_NOREMOVE));
    EXPECT_EQ(msg.wParam, kManageServers);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(Main()) != FALSE; }));
}

TEST_F(TrayMenu, SingleClickAndOtherIconsDoNothing) {
    EXPECT_EQ(m_tray.HandleIconMessage(kIconId, WM_LBUTTONUP), 1);
    EXPECT_EQ(m_tray.HandleIconMessage(kIconId + 1, WM_LBUTTONDBLCLK), 0);
    const MenuSnapshot other = RightClick(m_tray, kIconId + 1);
    EXPECT_EQ(other.result, 0);
    EXPECT_FALSE(other.seen);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, Main(), WM_COMMAND, WM_COMMAND, PM_NOREMOVE));
    PumpFor(100);
    EXPECT_FALSE(IsWindowVisible(Main()));
}

class TrayCommands : public MainWindowHost {};

TEST_F(TrayCommands, StartWithNothingChosenAsksForAServer) {
    ScriptedUser user;
    theApp.OnTrayStart();
    const auto boxes = user.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kSelectServer);
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OKCANCEL | MB_ICONINFORMATION));
    EXPECT_EQ(boxes[0].owner, Main());
    EXPECT_EQ(g_bSessionRunning.load(), 0);
}

TEST_F(TrayCommands, StopWhileIdleDoesNothing) {
    ScriptedUser user;
    theApp.m_trayIcon.m_bIdle = 0;  // a stop would set it back to 1
    theApp.OnTrayStop();
    EXPECT_TRUE(user.Boxes().empty());
    EXPECT_EQ(theApp.m_trayIcon.m_bIdle.load(), 0);
    EXPECT_EQ(g_bSessionRunning.load(), 0);
}

TEST_F(TrayCommands, ExitAsksAndQuitsOnlyOnYes) {
    ScriptedUser user;
    user.nextAnswer = IDNO;
    theApp.OnTrayExit();
    const auto boxes = user.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kConfirmExit);
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));

    user.nextAnswer = IDYES;
    theApp.OnTrayExit();
    EXPECT_EQ(user.Boxes().size(), 2u);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
}

TEST_F(TrayCommands, MenuCommandsReachTheApplicationThroughTheMainWindow) {
    ScriptedUser user;
    user.nextAnswer = IDNO;
    SendMessageW(Main(), WM_COMMAND, kExit, 0);
    SendMessageW(Main(), WM_COMMAND, kStart, 0);
    SendMessageW(Main(), WM_COMMAND, kStop, 0);  // idle: silent
    const auto boxes = user.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, kConfirmExit);
    EXPECT_EQ(boxes[1].text, kSelectServer);
    ASSERT_FALSE(IsWindowVisible(Main()));
    SendMessageW(Main(), WM_COMMAND, kManageServers, 0);
    EXPECT_TRUE(IsWindowVisible(Main()));
}

// ---- The single-instance guard, in this process under names of its own ----

struct ReceivedCopy {
    ULONG_PTR dwData;
    DWORD cbData;
    std::wstring bytes;  // as received, terminator included
};
std::vector<ReceivedCopy> g_received;

LRESULT CALLBACK ReceiverProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_COPYDATA) return DefWindowProcW(hwnd, msg, wParam, lParam);
    const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    const auto* text = static_cast<const wchar_t*>(cds->lpData);
    g_received.push_back({cds->dwData, cds->cbData, std::wstring(text, cds->cbData / sizeof(wchar_t))});
    return TRUE;
}

// A first copy that publishes a window of the test's choosing.
class PublishingChecker : public CInstanceChecker {
public:
    PublishingChecker(const std::wstring& name, HWND window) : CInstanceChecker(name), m_window(window) {}
    HWND WindowToPublish() const override { return m_window; }

private:
    HWND m_window;
};

// Looks like a main window to the guard: a dialog holding a Start button, in a process whose
// image is this test program.
HWND CreateReceiver() {
    HWND w = CreateWindowExW(0, L"#32770", L"receiver", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    CreateWindowExW(0, L"BUTTON", L"Start", WS_CHILD, 0, 0, 50, 20, w, reinterpret_cast<HMENU>(IDC_START),
                    GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ReceiverProc));
    return w;
}

class InstanceChecker : public testing::Test {
protected:
    InstanceChecker() {
        m_receiver = CreateReceiver();
        g_received.clear();
    }
    ~InstanceChecker() override {
        // The product keeps the mapping for the life of the process; a test must not.
        if (g_hInstanceMapping) CloseHandle(g_hInstanceMapping);
        g_hInstanceMapping = nullptr;
        DestroyWindow(m_receiver);
    }

    static inline int s_counter = 0;
    const std::wstring m_name =
        L"VandrelTest" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++s_counter);
    HWND m_receiver = nullptr;
};

TEST_F(InstanceChecker, SecondCopyFindsTheFirstAndHandsItTheFileName) {
    ASSERT_NE(m_receiver, nullptr);
    PublishingChecker first(m_name, m_receiver);
    first.AcquireStartupLock();
    EXPECT_FALSE(first.AnotherInstanceRunning());
    ASSERT_TRUE(first.PublishFirstInstance());
    EXPECT_NE(g_hInstanceMapping, nullptr);

    CInstanceChecker second(m_name);
    second.AcquireStartupLock();
    EXPECT_TRUE(second.AnotherInstanceRunning());
    EXPECT_FALSE(second.PublishFirstInstance());
    EXPECT_FALSE(CInstanceChecker(m_name + L"x").AnotherInstanceRunning());

    ASSERT_FALSE(IsWindowVisible(m_receiver));
    EXPECT_EQ(second.ActivateRunningInstance(L"clip.mp4", nullptr), m_receiver);
    EXPECT_TRUE(IsWindowVisible(m_receiver));  // restored for the user
    EXPECT_EQ(CInstanceChecker(m_name).ActivateRunningInstance(L"", nullptr), m_receiver);
    EXPECT_EQ(CInstanceChecker(m_name).ActivateRunningInstance(nullptr, nullptr), m_receiver);

    ASSERT_EQ(g_received.size(), 2u);  // no text, no message
    EXPECT_EQ(g_received[0].dwData, 0u);
    EXPECT_EQ(g_received[0].cbData, (wcslen(L"clip.mp4") + 1) * 2);
    EXPECT_EQ(g_received[0].bytes, std::wstring(L"clip.mp4") + L'\0');
    EXPECT_EQ(g_received[1].dwData, 0u);
    EXPECT_EQ(g_received[1].cbData, 2u);
    EXPECT_EQ(g_received[1].bytes, std::wstring(1, L'\0'));
}

TEST_F(InstanceChecker, PublishesTheMainWindowEvenWhenThereIsNone) {
    ASSERT_EQ(AppMainWindow(), nullptr);
    CInstanceChecker first(m_name);
    first.AcquireStartupLock();
    ASSERT_TRUE(first.PublishFirstInstance());
    CInstanceChecker second(m_name);
    EXPECT_TRUE(second.AnotherInstanceRunning());
    EXPECT_EQ(second.ActivateRunningInstance(L"clip.mp4", nullptr), nullptr);
    EXPECT_TRUE(g_received.empty());
}

TEST_F(InstanceChecker, OnlyALiveMainWindowOfThisProgramIsHandedOver) {
    HWND plain = CreateWindowExW(0, L"#32770", L"settings", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    HWND dead = CreateReceiver();
    DestroyWindow(dead);
    const std::pair<HWND, bool> rows[] = {{m_receiver, true}, {plain, false}, {dead, false}, {GetDesktopWindow(), false},
                                          {nullptr, false}};
    int row = 0;
    for (const auto& [window, handedOver] : rows) {
        const std::wstring name = m_name + L"-" + std::to_wstring(++row);
        PublishingChecker first(name, window);
        first.AcquireStartupLock();
        ASSERT_TRUE(first.PublishFirstInstance());
        HANDLE firstBlock = std::exchange(g_hInstanceMapping, nullptr);
        CInstanceChecker second(name);
        second.AcquireStartupLock();
        EXPECT_EQ(second.ActivateRunningInstance(L"clip.mp4", nullptr), handedOver ? window : nullptr) << row;
        EXPECT_FALSE(IsWindowVisible(plain));  // the hidden settings dialog stays hidden
        // Not handed over: the second copy becomes the first and publishes itself over the block.
        PublishingChecker third(name, m_receiver);
        EXPECT_EQ(third.PublishFirstInstance(), !handedOver) << row;
        EXPECT_TRUE(CInstanceChecker(name).ActivateRunningInstance(nullptr, nullptr) == m_receiver || handedOver) << row;
        if (g_hInstanceMapping) CloseHandle(std::exchange(g_hInstanceMapping, nullptr));
        CloseHandle(firstBlock);
    }
    EXPECT_EQ(g_received.size(), 1u);
    DestroyWindow(plain);
}

TEST_F(InstanceChecker, StartupLockHoldsASecondCopyUntilTheFirstHasPublished) {
    auto first = std::make_unique<PublishingChecker>(m_name, m_receiver);
    first->AcquireStartupLock();
    std::atomic<int> sawFirst{-1};
    std::thread second([&] {
        CInstanceChecker checker(m_name);
        checker.AcquireStartupLock();
        sawFirst = checker.AnotherInstanceRunning() ? 1 : 0;
    });
    Sleep(300);  // only time shows that it waits
    EXPECT_EQ(sawFirst.load(), -1);
    EXPECT_TRUE(first->PublishFirstInstance());
    EXPECT_TRUE(PumpUntil([&] { return sawFirst != -1; }));  // publishing alone lets it in
    first.reset();  // releases the lock in any case, so the join cannot hang
    second.join();
    EXPECT_EQ(sawFirst.load(), 1);
}

TEST(InstanceCheckerArguments, FileNameIsTheFirstArgumentThatIsNoSwitch) {
    EXPECT_EQ(FileNameArgument(L"vandrel.exe"), L"");
    EXPECT_EQ(FileNameArgument(L"vandrel.exe -x /y clip.mp4 other"), L"clip.mp4");
    EXPECT_EQ(FileNameArgument(L"\"C:\\a b\\vandrel.exe\" \"my file.mp4\""), L"my file.mp4");
    EXPECT_EQ(FileNameArgument(L"vandrel.exe -x /y"), L"");
}

// ---- Real copies of vandrel.exe ----

// The copy's main window; every copy's has the same caption.
HWND MainWindowOf(HANDLE process) {
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32770", L"Quillane Vandrel"));) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == GetProcessId(process)) return w;
    }
    return nullptr;
}

// The copy's shown dialog of that caption (Media Settings has a hidden twin).
HWND ShownWindowOf(HANDLE process, const wchar_t* caption) {
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32770", caption));) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == GetProcessId(process) && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

bool Ended(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }

DWORD ExitCode(HANDLE process) {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process, &code);
    return code;
}

HWND PublishedWindow(HANDLE mapping) {
    auto* view = static_cast<const std::uint32_t*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 4));
    if (!view) return nullptr;
    HWND h = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(*view));
    UnmapViewOfFile(view);
    return h;
}

class AppShellProcesses : public testing::Test {
protected:
    ~AppShellProcesses() override {
        // Also after a failed check: no copy outlives the test.
        for (HANDLE h : m_threads) ResumeThread(h), CloseHandle(h);
        KillProcesses(L"vandrel.exe");
        for (HANDLE h : m_started) CloseHandle(h);
    }
    HANDLE Start(const std::wstring& arguments = L"", const std::wstring& exe = ExeFolder() + L"\\vandrel.exe") {
        std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            m_folder.Path().c_str(), &si, &pi))
            return nullptr;
        m_threads.push_back(pi.hThread);  // the user-interface thread, for a test that stalls it
        m_started.push_back(pi.hProcess);
        return pi.hProcess;
    }

    TempFolder m_folder{L"copies"};
    ScopedAppData m_appData{m_folder.Path()};
    std::vector<HANDLE> m_started;
    std::vector<HANDLE> m_threads;
};

TEST_F(AppShellProcesses, AFirstCopyWhoseWindowDoesNotAnswerHoldsNoLaterCopy) {
    ASSERT_EQ(CountProcesses(L"vandrel.exe"), 0) << "a vandrel.exe was already running";
    HANDLE first = Start();
    ASSERT_NE(first, nullptr);
    HWND window = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (window = MainWindowOf(first)) && IsWindowVisible(window); }, 30000));
    ASSERT_TRUE(PumpUntil([&] {  // published, so the start-up lock is free again
        HANDLE block = OpenFileMappingW(FILE_MAP_READ, FALSE, L"CInstanceChecker_MMF_Vandrel");
        const bool published = block && PublishedWindow(block) == window;
        if (block) CloseHandle(block);
        return published;
    }, 10000));
    ASSERT_NE(SuspendThread(m_threads[0]), static_cast<DWORD>(-1));  // as busy as a Stop that waits

    const DWORD began = GetTickCount();
    HANDLE second = Start(L"clip.mp4");
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(WaitForSingleObject(second, 15000), WAIT_OBJECT_0) << "the second copy hangs on the first";
    EXPECT_LT(GetTickCount() - began, 10000u);
    EXPECT_EQ(ExitCode(second), 0u);
    HANDLE third = Start();  // not kept waiting behind the second on the start-up lock
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(WaitForSingleObject(third, 15000), WAIT_OBJECT_0);
    EXPECT_EQ(CountProcesses(L"vandrel.exe"), 1);

    ResumeThread(m_threads[0]);
    EXPECT_FALSE(Ended(first));
    EXPECT_TRUE(PumpUntil([&] { return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr) != 0; }));
}

TEST_F(AppShellProcesses, ABlockNamingAForeignOrDeadWindowIsTakenOverUntouched) {
    ASSERT_EQ(CountProcesses(L"vandrel.exe"), 0) << "a vandrel.exe was already running";
    // This test program holds the block and the window it names: another program to vandrel.exe.
    HWND foreign = CreateReceiver();
    g_received.clear();
    HANDLE block = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4, L"CInstanceChecker_MMF_Vandrel");
    ASSERT_NE(block, nullptr);
    auto* view = static_cast<std::uint32_t*>(MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, 4));
    ASSERT_NE(view, nullptr);
    *view = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(foreign));
    UnmapViewOfFile(view);

    HANDLE first = Start(L"clip.mp4");
    ASSERT_NE(first, nullptr);
    HWND window = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (window = MainWindowOf(first)) && IsWindowVisible(window); }, 30000))
        << "the copy did not start as the first: ended " << Ended(first);
    EXPECT_TRUE(PumpUntil([&] { return PublishedWindow(block) == window; }, 10000));
    EXPECT_FALSE(IsWindowVisible(foreign));
    EXPECT_TRUE(g_received.empty());

    // The block outlives that copy here, naming its destroyed window: the next copy starts all the same.
    KillProcesses(L"vandrel.exe");
    ASSERT_TRUE(PumpUntil([&] { return Ended(first); }));
    ASSERT_FALSE(IsWindow(window));
    HANDLE next = Start();
    ASSERT_NE(next, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return (window = MainWindowOf(next)) && IsWindowVisible(window); }, 30000));
    EXPECT_TRUE(PumpUntil([&] { return PublishedWindow(block) == window; }, 10000));
    CloseHandle(block);
    DestroyWindow(foreign);
}

TEST_F(AppShellProcesses, LaterCopiesHandOverToTheRunningOneAndEnd) {
    ASSERT_EQ(CountProcesses(L"vandrel.exe"), 0) << "a vandrel.exe was already running";
    HANDLE first = Start();
    ASSERT_NE(first, nullptr) << "cannot start vandrel.exe in " << testing::PrintToString(ExeFolder());
    HWND window = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (window = MainWindowOf(first)) && IsWindowVisible(window); }, 30000));
    ShowWindow(window, SW_HIDE);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(window); }));

    HANDLE second = Start(L"clip.mp4");
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(WaitForSingleObject(second, 20000), WAIT_OBJECT_0) << "the second copy did not end";
    EXPECT_EQ(ExitCode(second), 0u);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(window) != FALSE; }));

    std::vector<HANDLE> crowd;
    for (int i = 0; i < 10; ++i) crowd.push_back(Start());
    ASSERT_TRUE(std::none_of(crowd.begin(), crowd.end(), [](HANDLE h) { return h == nullptr; }));
    EXPECT_TRUE(PumpUntil([&] { return std::all_of(crowd.begin(), crowd.end(), Ended); }, 30000));
    for (HANDLE h : crowd) EXPECT_EQ(ExitCode(h), 0u);
    EXPECT_FALSE(Ended(first));
    EXPECT_EQ(CountProcesses(L"vandrel.exe"), 1);
}

TEST_F(AppShellProcesses, TenCopiesStartedAtOnceLeaveExactlyOne) {
    ASSERT_EQ(CountProcesses(L"vandrel.exe"), 0) << "a vandrel.exe was already running";
    for (int i = 0; i < 10; ++i) ASSERT_NE(Start(), nullptr);
    auto ended = [&] { return std::count_if(m_started.begin(), m_started.end(), Ended); };
    EXPECT_TRUE(PumpUntil([&] { return ended() >= 9; }, 30000)) << ended() << " copies ended";
    for (HANDLE h : m_started)
        if (Ended(h)) { EXPECT_EQ(ExitCode(h), 0u); }
    EXPECT_EQ(ended(), 9);
    EXPECT_EQ(CountProcesses(L"vandrel.exe"), 1);
    const auto survivor = std::find_if_not(m_started.begin(), m_started.end(), Ended);
    ASSERT_NE(survivor, m_started.end());
    EXPECT_TRUE(PumpUntil([&] { return MainWindowOf(*survivor) != nullptr; }, 30000));
}

TEST_F(AppShellProcesses, StartedFromAnotherFolderTheEncoderBesideTheProgramIsUsed) {
    ASSERT_EQ(CountProcesses(L"vandrel.exe"), 0) << "a vandrel.exe was already running";
    const std::wstring program = m_folder / L"program";  // as installed; started at sign-in elsewhere
    CreateDirectoryW(program.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW((ExeFolder() + L"\\vandrel.exe").c_str(), (program + L"\\vandrel.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((ExeFolder() + L"\\fake_encoder.exe").c_str(), (program + L"\\ffmpeg.exe").c_str(), FALSE));
    CreateDirectoryW((m_folder / L"Quillane").c_str(), nullptr);
    CreateDirectoryW((m_folder / L"Quillane\\Vandrel").c_str(), nullptr);
    WriteTextFile(m_folder / L"Quillane\\Vandrel\\settings.ini",
                  L"[Device]\r\nAudioDevice=Microphone\r\nDisableVideo=1\r\nDemoMode=1\r\n"
                  L"[Twitch]\r\nRtmpurl=rtmp://live.twitch.example/app\r\nKey=live_1\r\n");
    WriteTextFile(m_folder / L"Quillane\\Vandrel\\LocalSettings.ini", L"[Server]\r\nChannel1=Twitch\r\n");
    HANDLE copy = Start(L"", program + L"\\vandrel.exe");
    ASSERT_NE(copy, nullptr);
    HWND window = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (window = MainWindowOf(copy)) && IsWindowVisible(window); }, 30000));
    PostMessageW(window, WM_COMMAND, ID_TRAY_START, 0);
    EXPECT_TRUE(PumpUntil([&] { return !ReadWholeFile(program + L"\\fake_encoder.log").empty(); }, 15000))
        << "the encoder beside the program was not started";
    KillProcesses(L"ffmpeg.exe");
}

// A first run: nothing in [Device] but what the first start itself writes.
class FirstRun : public AppShellProcesses {
protected:
    void Prepare(const std::wstring& device) {
        ASSERT_TRUE(CopyFileW((ExeFolder() + L"\\fake_encoder.exe").c_str(), (m_folder / L"ffmpeg.exe").c_str(), FALSE));
        CreateDirectoryW((m_folder / L"Quillane").c_str(), nullptr);
        CreateDirectoryW((m_folder / L"Quillane\\Vandrel").c_str(), nullptr);
        WriteTextFile(m_folder / L"Quillane\\Vandrel\\settings.ini",
                      L"[Device]\r\n" + device + L"[Twitch]\r\nRtmpurl=rtmp://live.twitch.example/app\r\nKey=live_1\r\n");
        WriteTextFile(m_folder / L"Quillane\\Vandrel\\LocalSettings.ini", L"[Server]\r\nChannel1=Twitch\r\n");
    }
};

TEST_F(FirstRun, MediaSettingsOpensOnceStartUpHasEndedSoASecondCopyHandsOver) {
    ASSERT_EQ(CountProcesses(L"vandrel.exe"), 0) << "a vandrel.exe was already running";
    Prepare(L"DemoMode=1\r\n");
    HANDLE first = Start();
    ASSERT_NE(first, nullptr);
    HWND settings = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (settings = ShownWindowOf(first, L"Vandrel Settings")) != nullptr; }, 30000));
    HANDLE second = Start(L"clip.mp4");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(WaitForSingleObject(second, 15000), WAIT_OBJECT_0) << "a second copy hangs while Media Settings is open";
    EXPECT_EQ(ExitCode(second), 0u);
    EXPECT_EQ(CountProcesses(L"vandrel.exe"), 1);
}

TEST_F(FirstRun, AStartBeforeMediaSettingsWasOpenedStreamsMutedWithTheSilentTrack) {
    ASSERT_EQ(CountProcesses(L"vandrel.exe"), 0) << "a vandrel.exe was already running";
    Prepare(L"");  // the help slideshow opens, Media Settings not yet
    HANDLE copy = Start();
    ASSERT_NE(copy, nullptr);
    HWND window = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (window = MainWindowOf(copy)) && IsWindowVisible(window); }, 30000));
    PumpFor(500);
    PostMessageW(window, WM_COMMAND, ID_TRAY_START, 0);
    HWND notice = nullptr;  // the first Start's word on the background
    ASSERT_TRUE(PumpUntil([&] { return (notice = ShownWindowOf(copy, L"Vandrel")) != nullptr; }, 15000));
    PostMessageW(notice, WM_COMMAND, IDOK, 0);
    const std::wstring log = m_folder / L"fake_encoder.log";
    ASSERT_TRUE(PumpUntil([&] { return !ReadWholeFile(log).empty(); }, 15000)) << "no session started";
    const std::wstring line = ReadWholeFile(log);
    EXPECT_NE(line.find(L"-f lavfi -i anullsrc=channel_layout=stereo:sample_rate=44100 -map 0:v -map 1:a"), std::wstring::npos) << line;
    EXPECT_EQ(line.find(L"=\"\""), std::wstring::npos) << "a device without a name: " << line;
    KillProcesses(L"ffmpeg.exe");
}

}  // namespace

namespace {

void PressCtrlAltF9() {
    INPUT keys[6] = {};
    const WORD order[6] = {VK_CONTROL, VK_MENU, VK_F9, VK_F9, VK_MENU, VK_CONTROL};
    for (int i = 0; i < 6; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = order[i];
        keys[i].ki.dwFlags = i < 3 ? 0 : KEYEVENTF_KEYUP;
    }
    SendInput(6, keys, sizeof(INPUT));
}

TEST_F(AppShellProcesses, TheHotkeyStartsAndStopsWhileAnotherProgramHasTheFocus) {
    ASSERT_EQ(CountProcesses(L"vandrel.exe"), 0) << "a vandrel.exe was already running";
    ASSERT_TRUE(CopyFileW((ExeFolder() + L"\\fake_encoder.exe").c_str(), (m_folder / L"ffmpeg.exe").c_str(), FALSE));
    CreateDirectoryW((m_folder / L"Quillane").c_str(), nullptr);
    CreateDirectoryW((m_folder / L"Quillane\\Vandrel").c_str(), nullptr);
    WriteTextFile(m_folder / L"Quillane\\Vandrel\\settings.ini",
                  L"[Device]\r\nAudioDevice=Microphone\r\nDisableVideo=1\r\nDemoMode=1\r\nStartStopHotkey=ctrl+alt+f9\r\n"
                  L"[Paths]\r\nVideo Local Folder=" + (m_folder / L"rec.mp4") + L"\r\n");
    WriteTextFile(m_folder / L"Quillane\\Vandrel\\LocalSettings.ini", L"[Local]\r\nSaveInLocalPath=1\r\n");
    HANDLE copy = Start();
    ASSERT_NE(copy, nullptr);
    HWND window = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (window = MainWindowOf(copy)) && IsWindowVisible(window); }, 30000));

    // Another program has the focus.
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION notepad{};
    std::wstring commandLine = L"notepad.exe";
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &notepad));
    HWND other = nullptr;
    EXPECT_TRUE(PumpUntil([&] {
        other = FindWindowW(L"Notepad", nullptr);
        return other && IsWindowVisible(other);
    }, 15000));
    SetForegroundWindow(other);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == other; }, 5000));
    // The copy holds the key once it has registered it: a key pressed before would be lost.
    ASSERT_TRUE(PumpUntil([] {
        if (!RegisterHotKey(nullptr, 0x7000, MOD_CONTROL | MOD_ALT, VK_F9)) return true;
        UnregisterHotKey(nullptr, 0x7000);
        return false;
    }, 15000)) << "the hotkey was never registered";

    const std::wstring log = m_folder / L"fake_encoder.log";
    PressCtrlAltF9();
    EXPECT_TRUE(PumpUntil([&] { return !ReadWholeFile(log).empty(); }, 15000)) << "no session started";
    EXPECT_EQ(CountProcesses(L"ffmpeg.exe"), 1);
    PumpFor(500);
    PressCtrlAltF9();
    EXPECT_TRUE(PumpUntil([&] { return CountProcesses(L"ffmpeg.exe") == 0; }, 15000)) << "the session was not stopped";
    EXPECT_EQ(GetForegroundWindow(), other);  // nothing took the focus
    TerminateProcess(notepad.hProcess, 0);
    CloseHandle(notepad.hProcess);
    CloseHandle(notepad.hThread);
    KillProcesses(L"ffmpeg.exe");
}

}  // namespace
