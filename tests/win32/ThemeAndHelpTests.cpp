// The theme switch, the help slideshow and the About box, driven as a user would.
#include "MainWindowFixture.h"
#include "resources/MediaSettingsRes.h"
#include "app/InstanceChecker.h"
#include "config/Win32SettingsStore.h"
#include "ui/theme/Theme.h"
#include "ui/theme/ThemedDialog.h"
#include <atomic>

namespace {
constexpr wchar_t kConfirm[] =
    L"The application will continue running in the background but needs to close and reopen all windows for the "
    L"theme change to be applied. No running streaming tasks will be interrupted. Continue?";
constexpr wchar_t kRefused[] = L"The app UI theme canot be changed when streaming is live.";

void ClickThemeLink(HWND window) {
    HWND link = GetDlgItem(window, IDC_LINK_DARK_THEME);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_LINK_DARK_THEME, STN_CLICKED), reinterpret_cast<LPARAM>(link));
}

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[256] = {};
    GetDlgItemTextW(dialog, id, text, 256);
    return text;
}
}  // namespace

class ThemeSwitch : public MainWindowFixture {
protected:
    void TearDown() override {
        if (g_hInstanceMapping) CloseHandle(g_hInstanceMapping);
        g_hInstanceMapping = nullptr;
        MainWindowFixture::TearDown();
    }
    std::wstring StoredTheme() const { return Settings().GetString(SettingsIni(), L"Device", L"Theme", L"<none>"); }
    const std::wstring m_guard = L"VandrelThemeTest" + std::to_wstring(GetCurrentProcessId());
};

TEST_F(ThemeSwitch, WritesDarkThenLightAndTheNewWindowKeepsTheChoices) {
    Build(kThreeServers);
    CInstanceChecker first(m_guard);
    first.AcquireStartupLock();
    ASSERT_TRUE(first.PublishFirstInstance());
    Choose(0, L"Twitch");
    Choose(2, L"Beta");
    Click(IDC_SAVE_LOCALLY);
    TypePath(appData / L"show.mp4");

    for (const std::wstring theme : {L"Dark", L"Light"}) {
        CManageStreamingServerDlg* old = dlg.release();  // the switch deletes it
        const HWND oldWindow = old->Handle();
        ClickThemeLink(oldWindow);
        // The switch is posted: the old window is replaced once its click has been handled.
        EXPECT_EQ(theApp.m_pMainDlg, old);
        ASSERT_TRUE(PumpUntil([&] { return theApp.m_pMainDlg != old; }));
        dlg.reset(theApp.m_pMainDlg);
        ASSERT_NE(dlg.get(), old);
        EXPECT_FALSE(IsWindow(oldWindow));
        EXPECT_EQ(g_pMainDlg, dlg.get());
        EXPECT_EQ(StoredTheme(), theme);
        EXPECT_EQ(dlg->m_strTheme, theme);
        EXPECT_TRUE(IsWindowVisible(dlg->Handle()));
        // The same choices, the same servers in use.
        EXPECT_EQ(dlg->Channel(0).SelectedText(), L"Twitch");
        EXPECT_EQ(dlg->Channel(2).SelectedText(), L"Beta");
        EXPECT_EQ(g_strChannel1, L"Twitch");
        EXPECT_EQ(g_strChannel3, L"Beta");
        EXPECT_EQ(InUse(L"Twitch"), 1);
        EXPECT_EQ(InUse(L"Beta"), 1);
        EXPECT_EQ(Items(1), (std::vector<std::wstring>{L"", L"NoKey", L"Studio A"}));
        EXPECT_TRUE(Checked(IDC_SAVE_LOCALLY));
        EXPECT_EQ(Text(IDC_RECORDING_FILE), appData / L"show.mp4");
        EXPECT_TRUE(Enabled(IDC_RECORDING_FILE));
        EXPECT_TRUE(Enabled(IDC_START));
        // A copy started now brings this window forward.
        ShowWindow(dlg->Handle(), SW_HIDE);
        EXPECT_EQ(CInstanceChecker(m_guard).ActivateRunningInstance(nullptr, nullptr), dlg->Handle());
        EXPECT_TRUE(IsWindowVisible(dlg->Handle()));
    }
    const auto boxes = user.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    for (const auto& box : boxes) {
        EXPECT_EQ(box.text, kConfirm);
        EXPECT_EQ(box.type, static_cast<UINT>(MB_OKCANCEL | MB_ICONINFORMATION));
    }
}

TEST_F(ThemeSwitch, RefusedWhileStreamingWhateverTheAnswerAndCancelChangesNothing) {
    Build(kThreeServers);
    g_bSessionRunning = 1;
    for (int answer : {IDOK, IDCANCEL}) {
        user.nextAnswer = answer;
        ClickLabel(IDC_ICON_DARK_THEME);
    }
    g_bSessionRunning = 0;
    user.nextAnswer = IDCANCEL;
    ClickLabel(IDC_LINK_DARK_THEME);
    const auto boxes = user.Boxes();
    ASSERT_EQ(boxes.size(), 3u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(boxes[i].text, kRefused);
        EXPECT_EQ(boxes[i].type, static_cast<UINT>(MB_OKCANCEL | MB_ICONWARNING));
    }
    EXPECT_EQ(boxes[2].text, kConfirm);
    EXPECT_EQ(theApp.m_pMainDlg, dlg.get());
    EXPECT_EQ(StoredTheme(), L"<none>");
    EXPECT_TRUE(IsWindowVisible(dlg->Handle()));
}

TEST_F(MainWindowFixture, HelpRunsTheSlideshowOnItsOwnThreadToFinish) {
    Build(kThreeServers);
    std::atomic<bool> done{false};
    DWORD thread = 0;
    std::wstring caption, lastCaption;
    bool previousOnFirst = true;
    RECT window{};
    user.OnNextModal([&](HWND h) {
        thread = GetCurrentThreadId();
        caption.resize(32);
        caption.resize(GetWindowTextW(h, caption.data(), 32));
        previousOnFirst = IsWindowEnabled(GetDlgItem(h, IDC_PREVIOUS));
        for (int i = 0; i < 5; ++i) SendMessageW(h, WM_COMMAND, IDOK, 0);
        lastCaption = ItemText(h, IDOK);
        GetWindowRect(h, &window);
        SendMessageW(h, WM_COMMAND, IDOK, 0);  // Finish
        done = true;
    });
    ClickLabel(IDC_LINK_HELP);
    ASSERT_TRUE(PumpUntil([&] { return done.load(); }));
    EXPECT_NE(thread, GetCurrentThreadId());
    EXPECT_EQ(caption, L"Help  ?");
    EXPECT_FALSE(previousOnFirst);
    EXPECT_EQ(lastCaption, L"Finish");
    EXPECT_EQ(window.right - window.left, 800);  // sized to the picture
    EXPECT_EQ(user.Modals(), (std::vector<int>{IDD_HELP}));
}

TEST_F(MainWindowFixture, AboutShowsTheVersionAndPaintsTheStoredLook) {
    for (const std::wstring theme : {L"Light", L"Dark"}) {
        std::wstring settings = kThreeServers;
        settings.insert(settings.find(L"DemoMode=1"), L"Theme=" + theme + L"\r\n");
        Build(settings);
        std::wstring title, version;
        COLORREF background = CLR_INVALID;
        user.OnNextModal([&](HWND h) {
            title = ItemText(h, IDC_PRODUCT_TITLE);
            version = ItemText(h, IDC_VERSION);
            RedrawWindow(h, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            RECT rc;
            GetClientRect(h, &rc);
            HDC dc = GetDC(h);
            background = GetPixel(dc, 6, rc.bottom - 6);  // below the icon, left of OK
            ReleaseDC(h, dc);
            EndDialog(h, IDOK);
        });
        theApp.OnTrayAbout();
        EXPECT_EQ(title, L"Quillane Vandrel");
        EXPECT_EQ(version, L"Ver 1.38.0.0");
        EXPECT_EQ(background, theme == L"Dark" ? ColorDarkBackground : GetSysColor(COLOR_3DFACE)) << "look " << theme.size();
        TearDown();
    }
    EXPECT_EQ(user.Modals(), (std::vector<int>{IDD_ABOUTBOX, IDD_ABOUTBOX}));
}

TEST_F(MainWindowFixture, FirstStartOpensTheHelpAndThenTheMediaSettings) {
    for (const int demoMode : {1, 0}) {
        std::wstring settings = L"[Device]\r\nDemoMode=" + std::to_wstring(demoMode) + L"\r\nAudioDevice=\r\n";
        std::vector<int> expected{IDD_MEDIA_SETTINGS};  // no audio device yet
        if (demoMode == 0) {
            expected.insert(expected.begin(), IDD_HELP);
            user.OnNextModal([](HWND h) {
                SendMessageW(h, WM_COMMAND, IDOK, 0);
                SendMessageW(h, WM_COMMAND, IDCANCEL, 0);  // Escape on page 2 ends it as Finish would
            });
        }
        Build(settings);
        // The help ends on its own thread; its report brings the media settings on this one.
        EXPECT_TRUE(PumpUntil([&] { return user.Modals().size() >= expected.size(); })) << "DemoMode=" << demoMode;
        EXPECT_EQ(user.Modals(), expected) << "DemoMode=" << demoMode;
        TearDown();
        user.ClearModals();
    }
}

namespace {
// Every page of the help: both buttons wholly inside the window's client area, the window on the
// work area. Returns the number of pages seen.
int CheckHelpPages() {
    CDemoModeDlg help;
    int pages = 0;
    ScriptedUser user;
    user.OnNextModal([&](HWND h) {
        RECT work;
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        for (; pages < 6; ++pages) {
            RECT client, window;
            GetClientRect(h, &client);
            GetWindowRect(h, &window);
            for (int id : {IDC_PREVIOUS, IDOK}) {
                RECT button;
                GetWindowRect(GetDlgItem(h, id), &button);
                MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&button), 2);
                EXPECT_TRUE(button.left >= 0 && button.top >= 0 && button.right <= client.right && button.bottom <= client.bottom)
                    << "page " << pages + 1 << ", button " << id << " at " << button.left << "," << button.top << "-"
                    << button.right << "," << button.bottom << " in " << client.right << "x" << client.bottom;
            }
            EXPECT_TRUE(window.left >= work.left && window.top >= work.top && window.right <= work.right &&
                        window.bottom <= work.bottom) << "page " << pages + 1;
            SendMessageW(h, WM_COMMAND, IDOK, 0);
        }
    });
    UI().RunModal(help, nullptr);
    return pages;
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}
}  // namespace

// Run in a copy of the test program started by the next test, at the display scaling it sets.
TEST(HelpWindow, ButtonsInsideAtThisScaling) {
    if (const char* expected = getenv("VANDREL_EXPECTED_DPI")) {
        ASSERT_EQ(ScreenDpi(), atoi(expected));
    }
    EXPECT_EQ(CheckHelpPages(), 6);
}

// At 150 % and 200 % display scaling (the per-user LogPixels, read by each program as it starts)
// Next and Previous stay inside the window on every page.
TEST(HelpWindow, ButtonsInsideAt150And200Percent) {
    HKEY desktop = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &desktop), ERROR_SUCCESS);
    DWORD saved = 0, size = sizeof saved;
    const bool hadValue = RegQueryValueExW(desktop, L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&saved), &size) == ERROR_SUCCESS;
    for (DWORD dpi : {144u, 192u}) {
        RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
        SetEnvironmentVariableW(L"VANDREL_EXPECTED_DPI", std::to_wstring(dpi).c_str());
        wchar_t exe[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, exe, MAX_PATH);
        std::wstring commandLine = L"\"" + std::wstring(exe) + L"\" --gtest_filter=HelpWindow.ButtonsInsideAtThisScaling";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;  // its report goes into this one's
        si.hStdOutput = si.hStdError = GetStdHandle(STD_OUTPUT_HANDLE);
        PROCESS_INFORMATION pi{};
        const bool started = CreateProcessW(exe, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
        DWORD code = 99;
        if (started) {
            WaitForSingleObject(pi.hProcess, 60000);
            GetExitCodeProcess(pi.hProcess, &code);
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
        SetEnvironmentVariableW(L"VANDREL_EXPECTED_DPI", nullptr);
        EXPECT_TRUE(started);
        EXPECT_EQ(code, 0u) << "at " << dpi << " DPI";
    }
    if (hadValue)
        RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&saved), sizeof saved);
    else
        RegDeleteValueW(desktop, L"LogPixels");
    RegCloseKey(desktop);
}

namespace {
// The main window's template with a table of its own and no other code: what the theme layer
// does with each role and with the controls the table leaves out.
class CThemeProbe : public CThemedDialog {
public:
    explicit CThemeProbe(const wchar_t* theme) : CThemedDialog(IDD_MAIN, kLook), m_theme(theme) {}

protected:
    BOOL OnInitDialog() override {
        ApplyTheme(m_theme);
        return TRUE;
    }

private:
    static constexpr ThemeException kLook[] = {
        {IDC_TITLE, ThemeRole::Heading}, {IDC_LINK_HELP, ThemeRole::SideLink}, {IDC_STATUS, ThemeRole::Alert},
        {IDC_CLOSE, ThemeRole::FlatButton},
    };
    std::wstring m_theme;
};

COLORREF BrushColor(LRESULT brush, HDC dc = nullptr) {
    if (dc && reinterpret_cast<HGDIOBJ>(brush) == GetStockObject(DC_BRUSH)) return GetDCBrushColor(dc);
    LOGBRUSH lb{};
    return brush && GetObjectW(reinterpret_cast<HBRUSH>(brush), sizeof lb, &lb) ? lb.lbColor : CLR_INVALID;
}

LONG FontHeight(HWND control) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return std::wstring(lf.lfFaceName) == L"Arial" ? lf.lfHeight : 0;
}
}  // namespace

TEST(ThemeLayer, EachRoleAndTheGeneralRulesInBothLooks) {
    // The light look leaves all but the table's controls to the platform's colours.
    const COLORREF face = GetSysColor(COLOR_3DFACE), field = GetSysColor(COLOR_WINDOW), text = GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF none = CLR_INVALID;
    struct Answer {
        int id;
        UINT msg;
        COLORREF lightText, lightBrush, darkText, darkBrush;
    };
    const Answer answers[] = {
        {IDC_STATUS, WM_CTLCOLORSTATIC, ColorAlertRed, face, ColorAlertRed, ColorDarkBackground},
        {IDC_LINK_HELP, WM_CTLCOLORSTATIC, ColorWhite, ColorSidebarBlue, ColorWhite, ColorSidebarBlue},
        {IDC_CHANNEL1_LABEL, WM_CTLCOLORSTATIC, text, face, ColorWhite, ColorDarkBackground},
        {IDC_RECORDING_FILE, WM_CTLCOLORSTATIC, GetSysColor(COLOR_GRAYTEXT), face, ColorDimText, ColorDarkField},  // disabled edit
        {IDC_CHANNEL1, WM_CTLCOLOREDIT, text, field, ColorWhite, ColorDarkField},          // combo field
        {IDC_CHANNEL1, WM_CTLCOLORLISTBOX, text, field, ColorWhite, ColorDarkField},
    };
    struct Pixel {
        int id;
        COLORREF light, dark;  // none: anything but the dark field
    };
    const Pixel pixels[] = {
        {IDC_CLOSE, ColorAccentBlue, ColorAccentBlue},
        {IDC_START, none, ColorDarkField},  // every push button is dark in the dark look
        {IDC_SAVE_LOCALLY, none, ColorDarkField},  // every check box is dark in the dark look
    };
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    ScriptedUser user;
    for (const wchar_t* theme : {L"Light", L"Dark"}) {
        const bool dark = IsDarkTheme(theme);
        CThemeProbe probe(theme);
        ASSERT_TRUE(probe.Create(nullptr));
        ShowWindow(probe.Handle(), SW_SHOWNORMAL);
        HWND h = probe.Handle();
        EXPECT_EQ(probe.IsDark(), dark);
        EXPECT_EQ(FontHeight(GetDlgItem(h, IDC_TITLE)), -MulDiv(150, dpi, 720));
        EXPECT_EQ(FontHeight(GetDlgItem(h, IDC_LINK_HELP)), -MulDiv(105, dpi, 720));
        EXPECT_EQ(FontHeight(GetDlgItem(h, IDC_STATUS)), 0);  // the template's
        HDC dc = CreateCompatibleDC(nullptr);
        for (const Answer& a : answers) {
            const LRESULT brush = SendMessageW(h, a.msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(GetDlgItem(h, a.id)));
            EXPECT_EQ(BrushColor(brush, dc), dark ? a.darkBrush : a.lightBrush) << "control " << a.id << " message " << a.msg << " look " << dark;
            EXPECT_EQ(GetTextColor(dc), dark ? a.darkText : a.lightText) << "control " << a.id << " look " << dark;
            // Wine's SysLink deletes the brush a label is answered: later answers and the dialog's own stand.
            if (a.msg == WM_CTLCOLORSTATIC && a.darkBrush == ColorDarkBackground) DeleteObject(reinterpret_cast<HBRUSH>(brush));
        }
        DeleteDC(dc);
        RedrawWindow(h, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        PumpFor(100);
        for (const Pixel& p : pixels) {
            HWND control = GetDlgItem(h, p.id);
            RECT rc;
            GetClientRect(control, &rc);
            HDC cdc = GetDC(control);
            const COLORREF seen = GetPixel(cdc, rc.right / 2 < 4 ? rc.right / 2 : 4, rc.bottom / 2);
            ReleaseDC(control, cdc);
            const COLORREF expected = dark ? p.dark : p.light;
            if (expected == none)
                EXPECT_NE(seen, ColorDarkField) << "control " << p.id << " look " << dark;
            else
                EXPECT_EQ(seen, expected) << "control " << p.id << " look " << dark;
        }
        // Dark: the dialog's own background behind everything else.
        const LRESULT background = SendMessageW(h, WM_CTLCOLORDLG, 0, 0);
        EXPECT_EQ(BrushColor(background), dark ? ColorDarkBackground : face);
    }
}

// A dialog opens centred on the window that opens it, or on the work area when that is hidden,
// and wholly on the work area either way.
TEST_F(MainWindowFixture, DialogsOpenCentredOnTheirOpenerOrTheWorkArea) {
    Build(kThreeServers);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT main;
    GetWindowRect(dlg->Handle(), &main);
    const auto centre = [](const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; };
    EXPECT_LE(std::abs(centre(main).x - centre(work).x), 1);  // the main window itself: the work area
    EXPECT_LE(std::abs(centre(main).y - centre(work).y), 1);
    MoveWindow(dlg->Handle(), work.left, work.top, main.right - main.left, main.bottom - main.top, TRUE);
    GetWindowRect(dlg->Handle(), &main);
    for (const bool shown : {true, false}) {
        ShowWindow(dlg->Handle(), shown ? SW_SHOWNORMAL : SW_HIDE);
        RECT opened{};
        user.OnNextModal([&](HWND h) { GetWindowRect(h, &opened); });
        theApp.OnCommand(ID_TRAY_SETTINGS);
        const POINT expected = centre(shown ? main : work), seen = centre(opened);
        EXPECT_LE(std::abs(seen.x - expected.x), 1) << "opener shown " << shown;
        // Over a main window at the top-left corner it would reach above the work area: it is kept on it.
        EXPECT_TRUE(opened.left >= work.left && opened.top >= work.top && opened.right <= work.right &&
                    opened.bottom <= work.bottom) << "opener shown " << shown;
        if (!shown) {
            EXPECT_LE(std::abs(seen.y - expected.y), 1);
        }
    }
}
