// The main window reaches the application only through the host it is handed: what it tells
// the host across a session, and what it leaves to it.
#include "MainWindowFixture.h"
#include "config/Win32SettingsStore.h"
#include <algorithm>

namespace {

// Writes down every call, in order, as one line each.
class RecordingHost : public IMainWindowHost {
public:
    bool SessionBusy() const override { return busy; }
    void SessionChanged(SessionPhase phase, const TrayNotice& notice) override {
        busy = phase == SessionPhase::Busy;
        calls.push_back(phase == SessionPhase::Busy ? L"busy" : phase == SessionPhase::Live ? L"live" : L"idle");
        ShowTrayNotice(notice);
    }
    void ShowTrayNotice(const TrayNotice& notice) override {
        if (notice.tooltip) calls.push_back(L"tooltip \"" + *notice.tooltip + L"\"");
        if (!notice.balloon.empty())
            calls.push_back((notice.balloonIcon == NIIF_WARNING ? L"warning " : L"balloon ") + notice.balloon);
    }
    void RequestThemeChange() override { calls.push_back(L"theme"); }
    bool OnUnhandledCommand(int id) override {
        calls.push_back(L"command " + std::to_wstring(id));
        return true;
    }

    bool busy = false;
    std::vector<std::wstring> calls;
};

class HostedWindow : public MainWindowFixture {
protected:
    void SetUp() override {
        FreeConsole();  // like the GUI program
        GetCurrentDirectoryW(MAX_PATH, m_oldDir);
        SetCurrentDirectoryW(work.Path().c_str());
        SetEnvironmentVariableW(L"VANDREL_FAKE_MODE", nullptr);
        ASSERT_TRUE(CopyFileW((ExeFolder() + L"\\fake_encoder.exe").c_str(), (work / L"ffmpeg.exe").c_str(), FALSE));
        host = &recorder;
        // The report left unread: the tooltip a session starts with is then fixed.
        std::wstring settings = kThreeServers;
        settings.insert(settings.find(L"DemoMode=1") + 12, L"EncoderReport=0\r\n");
        Build(settings);
    }
    void TearDown() override {
        if (g_bSessionRunning) dlg->OnStop();
        SetCurrentDirectoryW(m_oldDir);
        MainWindowFixture::TearDown();
        KillProcesses(L"ffmpeg.exe");
    }

    RecordingHost recorder;
    TempFolder work{L"hosted"};
    wchar_t m_oldDir[MAX_PATH] = {};
};

}  // namespace

TEST_F(HostedWindow, ASessionIsBusyLiveBusyIdleWithTheTraysTextsAndNothingWhileTheHostIsBusy) {
    Choose(0, L"Twitch");
    Click(IDC_SAVE_LOCALLY);
    TypePath(work / L"rec.mp4");

    recorder.busy = true;  // a Start or Stop under way elsewhere: the window's own waits too
    Click(IDC_START);
    EXPECT_EQ(g_bSessionRunning, 0);
    EXPECT_TRUE(recorder.calls.empty());
    recorder.busy = false;

    Click(IDC_START);
    ASSERT_EQ(g_bSessionRunning, 1);
    recorder.busy = true;
    Click(IDC_STOP);  // refused while the host says busy
    EXPECT_EQ(g_bSessionRunning, 1);
    recorder.busy = false;
    Click(IDC_STOP);
    EXPECT_EQ(g_bSessionRunning, 0);

    const std::vector<std::wstring> expected = {
        L"busy",
        L"tooltip \"Vandrel: session running (the encoder's report is not read)\"",
        L"live",
        L"balloon Going live on Twitch. Recording to " + work / L"rec.mp4" + L".",
        L"busy",
        L"tooltip \"\"",
        L"idle",
    };
    EXPECT_EQ(recorder.calls, expected);
}

TEST_F(HostedWindow, TheThemeSwitchAndForeignCommandsAreTheHostsAndTheWindowStays) {
    ClickLabel(IDC_LINK_DARK_THEME);  // the scripted user confirms
    SendMessageW(dlg->Handle(), WM_COMMAND, ID_TRAY_ABOUT, 0);
    EXPECT_EQ(recorder.calls, (std::vector<std::wstring>{L"theme", L"command " + std::to_wstring(ID_TRAY_ABOUT)}));
    EXPECT_TRUE(IsWindow(dlg->Handle()));  // replacing it is the host's business, later
    EXPECT_EQ(Settings().GetString(SettingsIni(), L"Device", L"Theme", L""), L"Dark");
}

TEST_F(HostedWindow, ASessionBegunDuringTheThemeQuestionKeepsTheWindowAndItsTheme) {
    Choose(0, L"Twitch");
    user.duringMessageBox = [&](const std::wstring&) {  // a Start from elsewhere while it is asked
        user.duringMessageBox = nullptr;
        dlg->OnStart();
    };
    ClickLabel(IDC_LINK_DARK_THEME);
    EXPECT_EQ(g_bSessionRunning, 1);
    const auto boxes = user.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, L"The app UI theme canot be changed when streaming is live.");
    EXPECT_EQ(std::count(recorder.calls.begin(), recorder.calls.end(), L"theme"), 0);
    EXPECT_EQ(Settings().GetString(SettingsIni(), L"Device", L"Theme", L""), L"");
}

TEST_F(HostedWindow, WithoutATempFolderTheEncoderCanBeGivenTheSessionRunsAsWithTheReaderOff) {
    Build(kThreeServers);  // the reader on
    wchar_t tmp[MAX_PATH] = {}, temp[MAX_PATH] = {};
    GetEnvironmentVariableW(L"TMP", tmp, MAX_PATH);
    GetEnvironmentVariableW(L"TEMP", temp, MAX_PATH);
    for (const wchar_t* name : {L"TMP", L"TEMP"}) SetEnvironmentVariableW(name, L"C:\\users\\Zo\u00eb\\Temp");  // no 8.3 form
    Choose(0, L"Twitch");
    Click(IDC_START);
    SetEnvironmentVariableW(L"TMP", tmp);
    SetEnvironmentVariableW(L"TEMP", temp);
    ASSERT_EQ(g_bSessionRunning, 1);
    EXPECT_EQ(recorder.calls.at(1), L"tooltip \"Vandrel: session running (the encoder's report is not read)\"");
    PumpFor(1500);  // the report timer would have claimed a channel state by now
    EXPECT_EQ(std::count_if(recorder.calls.begin(), recorder.calls.end(),
                            [](const std::wstring& c) { return c.find(L"channel") != std::wstring::npos; }), 0);
}
