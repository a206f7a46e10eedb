// The session as the encoder reports it, with the stand-in encoder writing the report's lines:
// the status beside each selector, the tray's tooltip, the notice of a session that ended by
// itself, and no report left on disk afterwards.
#include "MainWindowFixture.h"
#include "engine/ReportFile.h"
#include "ui/main/SessionStatus.h"
#include <algorithm>

namespace {

class SessionReportFixture : public MainWindowFixture {
protected:
    void SetUp() override {
        FreeConsole();
        GetCurrentDirectoryW(MAX_PATH, m_oldDir);
        SetCurrentDirectoryW(work.Path().c_str());
        ASSERT_TRUE(CopyFileW((ExeFolder() + L"\\fake_encoder.exe").c_str(), (work / L"ffmpeg.exe").c_str(), FALSE));
        SetEnvironmentVariableW(L"VANDREL_FAKE_MODE", nullptr);
        SetEnvironmentVariableW(L"VANDREL_FAKE_REPORT", (work / L"lines.txt").c_str());
    }
    void TearDown() override {
        if (g_bSessionRunning) dlg->OnStop();
        SetEnvironmentVariableW(L"VANDREL_FAKE_REPORT", nullptr);
        SetEnvironmentVariableW(L"VANDREL_FAKE_MODE", nullptr);
        SetCurrentDirectoryW(m_oldDir);
        MainWindowFixture::TearDown();
        KillProcesses(L"ffmpeg.exe");
    }
    // The lines the stand-in adds to its report after the command line.
    void ReportLines(const std::string& lines) const {
        HANDLE f = CreateFileW((work / L"lines.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(f, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
        CloseHandle(f);
    }
    static std::vector<std::wstring> Reports() {
        std::vector<std::wstring> found;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((ReportFolder() + L"vandrel-report-*.log").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return found;
        do found.push_back(ReportFolder() + data.cFileName);
        while (FindNextFileW(find, &data));
        FindClose(find);
        return found;
    }
    // Every file under folder (and its subfolders) whose bytes hold text.
    static std::vector<std::wstring> FilesHolding(const std::wstring& folder, const std::string& text) {
        std::vector<std::wstring> found;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return found;
        do {
            const std::wstring name = data.cFileName, path = folder + L"\\" + name;
            if (name == L"." || name == L"..") continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                for (const std::wstring& f : FilesHolding(path, text)) found.push_back(f);
                continue;
            }
            std::string bytes;
            HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            char buf[4096];
            DWORD read = 0;
            while (f != INVALID_HANDLE_VALUE && ReadFile(f, buf, sizeof buf, &read, nullptr) && read > 0) bytes.append(buf, read);
            if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
            // The settings files are UTF-16: look for both spellings.
            const std::wstring wide(text.begin(), text.end());
            const std::string utf16(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
            if (bytes.find(text) != std::string::npos || bytes.find(utf16) != std::string::npos) found.push_back(name);
        } while (FindNextFileW(find, &data));
        FindClose(find);
        return found;
    }
    static std::wstring LastTip() {
        for (auto c = g_shellCalls.rbegin(); c != g_shellCalls.rend(); ++c)
            if (c->data.uFlags & NIF_TIP) return c->data.szTip;
        return L"<none>";
    }

    TempFolder work{L"work"};
    wchar_t m_oldDir[MAX_PATH] = {};
};

}  // namespace

TEST_F(SessionReportFixture, StatusBesideEachSelectorAndInTheTray) {
    FakeShell shell;
    Build(kThreeServers);
    ASSERT_TRUE(theApp.m_trayIcon.AddToNotificationArea(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))));
    // Beta (the second target) refused, then the session moves on.
    ReportLines("[tee @ 0000000000d08480] Slave '[f=flv:onfail=ignore]rtmp://b.example/live/b1': error opening: "
                "Error number -138 occurred\r\n"
                "[tee @ 0000000000d08480] Slave muxer #1 failed: Error number -138 occurred, continuing with 2/3 slaves.\r\n"
                "frame=   34 fps=5.3 q=26.0 size=N/A time=00:00:01.25 bitrate=N/A speed=0.787x    \r");
    // A report an earlier session left behind.
    const std::wstring leftover = ReportFolder() + L"vandrel-report-1-1.log";
    WriteTextFile(leftover, L"rtmp://live.twitch.example/app/live_1");
    Choose(0, L"Twitch");
    Choose(1, L"Beta");
    Click(IDC_SAVE_LOCALLY);
    TypePath(work / L"rec.mp4");
    ASSERT_EQ(SendMessageW(Item(IDC_SAVE_LOCALLY), BM_GETCHECK, 0, 0), BST_CHECKED);
    ASSERT_EQ(Status(), L"");
    ASSERT_TRUE(Enabled(IDC_START));
    Click(IDC_START);
    ASSERT_EQ(g_bSessionRunning, 1);

    EXPECT_EQ(GetFileAttributesW(leftover.c_str()), INVALID_FILE_ATTRIBUTES) << "a leftover report stayed";
    ASSERT_TRUE(PumpUntil([&] { return Text(IDC_CHANNEL1_STATE) == L"Live"; }, 8000)) << Text(IDC_CHANNEL1_STATE).c_str();
    EXPECT_EQ(Text(IDC_CHANNEL2_STATE), L"Down: connection refused");
    EXPECT_EQ(Text(IDC_CHANNEL3_STATE), L"");
    EXPECT_EQ(Status(), L"Recording.");
    EXPECT_EQ(LastTip().substr(0, 52), L"Vandrel: live on 1 of 2 channels, recording \u2013 0:00:0");
    // Shown from the tray: the statuses stand beside the selectors that hold those servers.
    ShowWindow(dlg->Handle(), SW_SHOWNORMAL);
    EXPECT_TRUE(IsWindowVisible(Item(IDC_CHANNEL1_STATE)));
    EXPECT_TRUE(IsWindowVisible(Item(IDC_CHANNEL2_STATE)));
    EXPECT_FALSE(IsWindowVisible(Item(IDC_CHANNEL3_STATE)));
    EXPECT_EQ(Status(), L"Recording.");
    // The report exists while the session runs; the application's own environment never saw FFREPORT.
    ASSERT_EQ(Reports().size(), 1u);
    EXPECT_EQ(GetEnvironmentVariableW(L"FFREPORT", nullptr, 0), 0u);

    Click(IDC_STOP);
    EXPECT_TRUE(Reports().empty()) << "the raw report, keys and all, stayed on disk";
    EXPECT_FALSE(IsWindowVisible(Item(IDC_CHANNEL1_STATE)));
    EXPECT_EQ(LastTip(), L"Double click to Launch Vandrel Main Window");
    for (const std::wstring& balloon : FakeShell::Balloons()) EXPECT_EQ(balloon.find(L"live_1"), std::wstring::npos);
    // The report is kept for asking for help, redacted: no file but settings.ini holds a key.
    const std::wstring kept = KeptReportsFolder(SettingsIni());
    EXPECT_EQ(FilesHolding(appData.Path(), "Command line:").size(), 1u) << "no kept report";
    EXPECT_EQ(FilesHolding(kept, "rtmp://live.twitch.example/app/********|"), FilesHolding(kept, "Command line:"));
    EXPECT_EQ(FilesHolding(appData.Path(), "live_1"), (std::vector<std::wstring>{L"settings.ini"}));
    EXPECT_EQ(FilesHolding(appData.Path(), "b1"), (std::vector<std::wstring>{L"settings.ini"}));
    ClickLabel(IDC_LINK_REPORTS);
    EXPECT_EQ(user.Opened(), (std::vector<std::wstring>{kept}));
    theApp.m_trayIcon.RemoveFromNotificationArea();
}

TEST_F(SessionReportFixture, SessionThatEndsByItselfNamesTheServerAndTheReason) {
    FakeShell shell;
    Build(kThreeServers);
    SetEnvironmentVariableW(L"VANDREL_FAKE_MODE", L"late");  // ends after a second, as when every output failed
    ReportLines("[tee @ 0x5601e45d9c80] Slave '[f=flv:onfail=ignore]rtmp://live.twitch.example/app/live_1': error opening: "
                "Error number -138 occurred\n[tee @ 0x5601e45d9c80] All tee outputs failed.\n");
    Choose(0, L"Twitch");
    Click(IDC_START);
    ASSERT_TRUE(PumpUntil([] { return g_bSessionRunning == 0; }, 8000));
    const std::wstring notice = L"Streaming has stopped: no channel could be reached (Twitch: connection refused).";
    EXPECT_EQ(Status(), notice);
    ASSERT_FALSE(FakeShell::Balloons().empty());
    EXPECT_EQ(FakeShell::Balloons().back(), notice);
    EXPECT_TRUE(Reports().empty());
}

TEST_F(SessionReportFixture, AFailedRecordingIsToldAtOnceAndAgainAfterTheStop) {
    FakeShell shell;
    Build(kThreeServers);
    ASSERT_TRUE(theApp.m_trayIcon.AddToNotificationArea(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))));
    ReportLines("frame=   34 fps=5.3 q=26.0 size=N/A time=00:00:01.25 bitrate=N/A speed=0.787x    \r"
                "[tee @ 0000000000d08480] Slave muxer #1 failed: No space left on device, continuing with 1/2 slaves.\r\n");
    Choose(0, L"Twitch");
    Click(IDC_SAVE_LOCALLY);
    TypePath(work / L"rec.mp4");
    Click(IDC_START);
    const std::wstring told = L"The recording to " + work / L"rec.mp4" + L" failed (no space left on device).";
    EXPECT_TRUE(PumpUntil([&] {
        const auto b = FakeShell::Balloons();
        return std::find(b.begin(), b.end(), told + L" Streaming goes on without it.") != b.end();
    }, 8000));
    EXPECT_NE(LastTip().find(L"live on 1 of 1 channel, recording failed \u2013"), std::wstring::npos) << LastTip().c_str();
    Click(IDC_STOP);
    ASSERT_FALSE(FakeShell::Balloons().empty());
    EXPECT_EQ(FakeShell::Balloons().back(), told);
    theApp.m_trayIcon.RemoveFromNotificationArea();
}
