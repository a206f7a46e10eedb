// Start and Stop with a stand-in encoder: the exact command line, the Stop timings, no leftovers.
#include "MainWindowFixture.h"
#include "devices/CaptureDevices.h"
#include "engine/CommandLine.h"
#include "engine/EncoderProcess.h"
#include "config/Win32SettingsStore.h"
#include "resources/MediaSettingsRes.h"
#include <commctrl.h>
#include <dlgs.h>
#include <algorithm>
#include <cstdio>
#include <thread>

namespace {

const wchar_t kNotice[] =
    L"The application will continue running in the background. You can start or stop streaming from the system tray.";

class EncoderFixture : public MainWindowFixture {
protected:
    void SetUp() override {
        FreeConsole();  // like the GUI program: no console of its own to send Ctrl+C from
        GetCurrentDirectoryW(MAX_PATH, m_oldDir);
        SetCurrentDirectoryW(work.Path().c_str());
        SetEnvironmentVariableW(L"VANDREL_FAKE_MODE", nullptr);
    }
    void TearDown() override {
        if (g_bSessionRunning) dlg->OnStop();
        SetCurrentDirectoryW(m_oldDir);
        MainWindowFixture::TearDown();
        EXPECT_EQ(CountProcesses(L"ffmpeg.exe"), 0) << "an encoder outlived its test";
        KillProcesses(L"ffmpeg.exe");
    }
    void InstallEncoder() const {
        ASSERT_TRUE(CopyFileW((ExeFolder() + L"\\fake_encoder.exe").c_str(), (work / L"ffmpeg.exe").c_str(), FALSE));
    }
    // Twitch in channel 1 and a local MP4 file in the work folder.
    void PrepareSession() {
        Choose(0, L"Twitch");
        Click(IDC_SAVE_LOCALLY);
        TypePath(work / L"rec.mp4");
        ASSERT_TRUE(Enabled(IDC_START));
    }
    std::wstring EncoderLog() const { return ReadWholeFile(work / L"fake_encoder.log"); }
    bool WaitForEncoder() const {
        return PumpUntil([&] { return EncoderLog().find(L'\n') != EncoderLog().rfind(L'\n'); }, 15000);
    }
    DWORD TimedStop() const {
        const DWORD start = GetTickCount();
        Click(IDC_STOP);
        return GetTickCount() - start;
    }
    // What the window shows: the chosen servers' addresses and, with Save Locally, the field's file.
    std::vector<std::wstring> ShownTargets() const {
        std::vector<std::wstring> targets;
        for (int i = 0; i < 4; ++i) {
            const std::wstring name = dlg->Channel(i).SelectedText();
            if (name.empty()) continue;
            const CStreamingServices& s = g_ServerList.ServerAt(g_ServerList.FindServerByName(name));
            targets.push_back(s.RtmpUrl + L"/" + s.Key);
        }
        std::sort(targets.begin(), targets.end());
        std::wstring file = Checked(IDC_SAVE_LOCALLY) ? Text(IDC_RECORDING_FILE) : L"";
        for (wchar_t& c : file)
            if (c == L'\\') c = L'/';
        if (!file.empty()) targets.push_back(file);  // the file goes last in the line
        return targets;
    }
    // What the stand-in encoder received: every target of its tee, servers sorted, the file last.
    std::vector<std::wstring> ReceivedTargets() const {
        const std::wstring log = EncoderLog();
        const size_t from = log.find(L"-f tee \""), to = log.find(L"\" -y");
        if (from == std::wstring::npos || to == std::wstring::npos) return {L"<no encoder>"};
        std::vector<std::wstring> targets;
        std::wstring file;
        const std::wstring tee = log.substr(from + 8, to - from - 8) + L"|";
        for (size_t at = 0, bar; (bar = tee.find(L'|', at)) != std::wstring::npos; at = bar + 1) {
            const std::wstring target = tee.substr(tee.find(L']', at) + 1, bar - tee.find(L']', at) - 1);
            if (target.rfind(L"rtmp://", 0) == 0) targets.push_back(target);
            else file = target;
        }
        std::sort(targets.begin(), targets.end());
        if (!file.empty()) targets.push_back(file);
        return targets;
    }
    // Dispatches messages until the quit message comes, which it takes; false when it does not.
    static bool PumpUntilQuit(DWORD timeoutMs) {
        for (const DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(10)) {
            MSG m;
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
                if (m.message == WM_QUIT) return true;
                TranslateMessage(&m);
                DispatchMessageW(&m);
            }
        }
        return false;
    }
    void ExpectIdle() const {
        EXPECT_EQ(g_bSessionRunning, 0);
        EXPECT_FALSE(Enabled(IDC_STOP));
        for (int i = 0; i < 4; ++i) EXPECT_TRUE(Enabled(IDC_CHANNEL1 + i));
        EXPECT_TRUE(Enabled(IDC_SAVE_LOCALLY));
        EXPECT_EQ(theApp.m_trayIcon.m_bIdle, 1);
    }

    TempFolder work{L"work"};
    wchar_t m_oldDir[MAX_PATH] = {};
};

std::wstring Slashed(std::wstring path) {
    for (wchar_t& c : path)
        if (c == L'\\') c = L'/';
    return path;
}

}  // namespace

TEST_F(EncoderFixture, StartLaunchesTheExactLineAndStopEndsItByTheQuitKey) {
    std::wstring settings = kThreeServers;
    settings.replace(settings.find(L"DemoMode=1"), 10, L"DemoMode=0");
    Build(settings);
    InstallEncoder();
    PrepareSession();
    Click(IDC_START);

    EXPECT_FALSE(IsWindowVisible(dlg->Handle()));
    EXPECT_EQ(g_bSessionRunning, 1);
    EXPECT_FALSE(Enabled(IDC_START));
    EXPECT_TRUE(Enabled(IDC_STOP));
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(Enabled(IDC_CHANNEL1 + i));
    EXPECT_FALSE(Enabled(IDC_SAVE_LOCALLY));
    EXPECT_FALSE(Enabled(IDC_RECORDING_FILE));
    EXPECT_EQ(theApp.m_trayIcon.m_bIdle, 0);
    ASSERT_EQ(user.Boxes().size(), 1u);
    EXPECT_EQ(user.Boxes()[0].text, kNotice);
    EXPECT_EQ(user.Boxes()[0].type, UINT(MB_OK | MB_ICONINFORMATION));
    EXPECT_NE(ReadWholeFile(SettingsIni()).find(L"DemoMode=1"), std::wstring::npos);
    // The recording is named from the Start on: a session the application does not live through is saved next time.
    EXPECT_EQ(ReadWholeFile(LocalIni()),
              L"[Server]\r\nChannel1=Twitch\r\nChannel2=\r\nChannel3=\r\nChannel4=\r\n"
              L"[Local]\r\nSaveInLocalPath=1\r\nSaveInSeperateFile=0\r\nPendingConversion=" + (work / L"rec.mp4") + L"\r\n");

    ASSERT_TRUE(WaitForEncoder());
    EXPECT_EQ(EncoderLog(),
              L"ffmpeg -framerate 12 -hwaccel auto  -vsync 1 -loglevel quiet -re -rtbufsize 1500M -f dshow "
              L"-i video=\"screen-capture-recorder\" -f dshow -i audio=\"Microphone\" -filter_complex \"amerge=inputs=1\" "
              L"-map 0:v -map 1:a -flags +global_header -force_key_frames expr:gte(t,n_forced*2) -b:v 1000k -minrate 1000k "
              L"-maxrate 1000k -bufsize:v 1000k -preset:v veryfast -pix_fmt yuv420p -tune film -c:a libmp3lame -q:a 2 "
              L"-ar 44100 -vcodec libx264 -ac 2  -f tee \"[f=flv:onfail=ignore]rtmp://live.twitch.example/app/live_1|"
              L"[f=flv:onfail=ignore]" + Slashed(work / L"rec.mp4") + L"\" -y\n" + work.Path() + L"\n");
    EXPECT_EQ(CountProcesses(L"ffmpeg.exe"), 1);

    // Labels stay inert while streaming.
    ClickLabel(IDC_SAVE_LOCALLY_LABEL);
    EXPECT_TRUE(Checked(IDC_SAVE_LOCALLY));
    EXPECT_FALSE(Enabled(IDC_START));
    EXPECT_FALSE(Enabled(IDC_RECORDING_FILE));

    const DWORD took = TimedStop();
    std::printf("Stop with an encoder that ends on 'q': %lu ms\n", static_cast<unsigned long>(took));
    EXPECT_GE(took, 2000u);
    EXPECT_LT(took, 5000u);  // ended by the key, long before the 10 s bound
    EXPECT_EQ(ReadWholeFile(work / L"fake_encoder.end"), L"q");  // Ctrl+C never reaches a new group
    EXPECT_EQ(CountProcesses(L"ffmpeg.exe"), 0);
    ExpectIdle();
    EXPECT_TRUE(Enabled(IDC_START));  // Save Locally with a path

    // A second session: no second notice.
    ShowWindow(dlg->Handle(), SW_SHOWNORMAL);
    Click(IDC_START);
    ASSERT_TRUE(WaitForEncoder());
    EXPECT_EQ(user.Boxes().size(), 1u);
    TimedStop();
}

TEST_F(EncoderFixture, EncoderIgnoringTheQuitKeyIsTerminatedAfterTheBound) {
    Build(kThreeServers);
    InstallEncoder();
    SetEnvironmentVariableW(L"VANDREL_FAKE_MODE", L"ignore");
    PrepareSession();
    Click(IDC_START);
    ASSERT_TRUE(WaitForEncoder());
    const DWORD took = TimedStop();
    std::printf("Stop with an encoder that ignores 'q' and Ctrl+C: %lu ms\n", static_cast<unsigned long>(took));
    EXPECT_GE(took, 11900u);
    EXPECT_LT(took, 15000u);
    EXPECT_EQ(CountProcesses(L"ffmpeg.exe"), 0);
    ExpectIdle();
}

TEST_F(EncoderFixture, EncoderThatEndsByItselfEndsTheSessionWithOneNotice) {
    FakeShell shell;
    Build(kThreeServers);
    InstallEncoder();
    SetEnvironmentVariableW(L"VANDREL_FAKE_MODE", L"late");  // exits with code 7 after a second
    PrepareSession();
    const DWORD start = GetTickCount();
    Click(IDC_START);
    ASSERT_TRUE(PumpUntil([] { return g_bSessionRunning == 0; }, 3000)) << "still shown as streaming";
    const DWORD took = GetTickCount() - start;
    std::printf("Session of an encoder that ends by itself after 1 s: Idle after %lu ms\n", static_cast<unsigned long>(took));
    EXPECT_LT(took, 2900u);  // no Stop wait on top of the encoder's second
    ExpectIdle();
    EXPECT_TRUE(Enabled(IDC_START));
    const std::wstring notice = L"Streaming has stopped: the encoder ended by itself (exit code 7).";
    const auto balloons = FakeShell::Balloons();  // what went live, then how it ended
    ASSERT_EQ(balloons.size(), 2u);
    EXPECT_EQ(balloons[1], notice);
    EXPECT_STREQ(g_shellCalls.back().data.szInfoTitle, L"Vandrel");
    EXPECT_EQ(Status(), notice);
    ShowWindow(dlg->Handle(), SW_SHOWNORMAL);  // still there when the user looks
    EXPECT_EQ(Status(), notice);

    // Ended by Stop: no notice.
    SetEnvironmentVariableW(L"VANDREL_FAKE_MODE", nullptr);
    DeleteFileW((work / L"fake_encoder.log").c_str());
    Click(IDC_START);
    ASSERT_TRUE(WaitForEncoder());
    TimedStop();
    PumpFor(500);
    EXPECT_EQ(FakeShell::Balloons().size(), 3u);  // only the second session's start
    EXPECT_NE(FakeShell::Balloons().back(), notice);
    ExpectIdle();
}

// The real Save As dialog, driven through its own window from another thread: the user types a
// folder and Return (the dialog goes into it), then a file name and Return.
TEST_F(EncoderFixture, RealSaveAsInAnotherFolderThenStartLaunchesTheEncoder) {
    Build(kThreeServers);
    InstallEncoder();
    SetEncoderFolder(work.Path());  // as start-up decides it
    Choose(0, L"Twitch");
    Click(IDC_SAVE_LOCALLY);
    TempFolder other{L"other"};
    bool driven = false;
    std::thread person([&] {
        auto typeAndReturn = [](HWND dialog, const std::wstring& text) {
            HWND name = GetDlgItem(dialog, cmb13);
            if (!name) name = GetDlgItem(dialog, edt1);
            HWND edit = FindWindowExW(name, nullptr, L"Edit", nullptr);
            SetWindowTextW(edit ? edit : name, text.c_str());
            PostMessageW(edit ? edit : name, WM_KEYDOWN, VK_RETURN, 1);
            PostMessageW(edit ? edit : name, WM_KEYUP, VK_RETURN, 0xC0000001);
        };
        auto saveAs = [] {
            HWND d = nullptr;
            for (int i = 0; i < 300 && !(d && IsWindowVisible(d)); ++i, Sleep(50)) d = FindWindowW(L"#32770", L"Save As");
            return d;
        };
        HWND dialog = saveAs();
        if (!dialog) return;
        typeAndReturn(dialog, other.Path());
        Sleep(1000);
        if (!IsWindow(dialog)) return;
        typeAndReturn(dialog, L"clip.mp4");
        driven = true;
    });
    SetUserInterface(nullptr);  // the platform's dialogs
    Click(IDC_BROWSE);
    SetUserInterface(&user);
    person.join();
    ASSERT_TRUE(driven) << "no Save As window";
    EXPECT_EQ(Text(IDC_RECORDING_FILE), other / L"clip.mp4");
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    EXPECT_EQ(std::wstring(current), work.Path()) << "the dialog moved the current folder";

    SetCurrentDirectoryW(other.Path().c_str());  // whatever the current folder has become
    ASSERT_TRUE(Enabled(IDC_START));
    Click(IDC_START);
    ASSERT_TRUE(WaitForEncoder()) << "the encoder was not launched";
    const std::wstring log = EncoderLog();
    EXPECT_EQ(log.substr(log.find(L'\n') + 1), work.Path() + L"\n");  // its working folder
    EXPECT_NE(log.find(Slashed(other / L"clip.mp4") + L"\""), std::wstring::npos);
    TimedStop();
    SetCurrentDirectoryW(work.Path().c_str());
    SetEncoderFolder(L"");
}

TEST_F(EncoderFixture, AnEncoderMissingOrMuteIsSaidBeforeAnythingStarts) {
    Build(kThreeServers);
    PrepareSession();
    const std::wstring home = work.Path();  // the encoder folder: where the encoder belongs
    const struct {
        bool install;
        const wchar_t* version;  // VANDREL_FAKE_VERSION
        std::wstring message;
    } rows[] = {
        {false, nullptr,
         L"Streaming cannot start: the encoder ffmpeg.exe is missing. It belongs in \"" + home +
             L"\", beside vandrel.exe. Download a Windows build of FFmpeg from https://ffmpeg.org/download.html and "
             L"copy its ffmpeg.exe there."},
        {true, L"silent",
         L"Streaming cannot start: the encoder \"" + (work / L"ffmpeg.exe") + L"\" did not answer \"-version\" within 5 "
             L"seconds as FFmpeg does. Replace it with a Windows build of FFmpeg from https://ffmpeg.org/download.html; "
             L"it belongs in \"" + home + L"\"."},
    };
    for (const auto& row : rows) {
        if (row.install) InstallEncoder();
        SetEnvironmentVariableW(L"VANDREL_FAKE_VERSION", row.version);
        const DWORD began = GetTickCount();
        Click(IDC_START);
        const DWORD took = GetTickCount() - began;
        SetEnvironmentVariableW(L"VANDREL_FAKE_VERSION", nullptr);
        ASSERT_FALSE(user.Boxes().empty());
        EXPECT_EQ(user.Boxes().back().text, row.message);
        EXPECT_EQ(user.Boxes().back().type, UINT(MB_OK | MB_ICONWARNING));
        EXPECT_LT(took, 8000u);  // a mute encoder is given 5 s, then ended
        EXPECT_TRUE(IsWindowVisible(dlg->Handle()));
        EXPECT_TRUE(Enabled(IDC_START));
        EXPECT_EQ(g_bSessionRunning, 0);
        EXPECT_TRUE(EncoderLog().empty()) << "launched";
        EXPECT_TRUE(PumpUntil([] { return CountProcesses(L"ffmpeg.exe") == 0; }));
    }
    EXPECT_EQ(user.Boxes().size(), std::size(rows));
    // The file changes: checked again, and the Start goes ahead.
    SetEnvironmentVariableW(L"VANDREL_FAKE_VERSION", nullptr);
    HANDLE file = CreateFileW((work / L"ffmpeg.exe").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    SetFileTime(file, nullptr, nullptr, &now);  // as a new build copied over it
    CloseHandle(file);
    Click(IDC_START);
    EXPECT_TRUE(WaitForEncoder());
    EXPECT_EQ(g_bSessionRunning, 1);
}

TEST_F(EncoderFixture, WithoutTheScreenFilterStartOffersTheBuiltInCapture) {
    Build(kThreeServers);
    InstallEncoder();
    PrepareSession();
    ASSERT_TRUE(RegisterScreenCaptureFilter(false));
    user.nextAnswer = IDNO;
    Click(IDC_START);
    ASSERT_EQ(user.Boxes().size(), 1u);
    const std::wstring question = user.Boxes()[0].text;
    EXPECT_EQ(question.rfind(L"Recording Mode \"Desktop\" captures the screen through the DirectShow filter "
                             L"\"screen-capture-recorder\", which is not installed", 0), 0u);
    EXPECT_EQ(user.Boxes()[0].type, UINT(MB_YESNO | MB_ICONQUESTION));
    EXPECT_TRUE(EncoderLog().empty()) << "launched";
    EXPECT_EQ(g_bSessionRunning, 0);
    EXPECT_EQ(Settings().GetString(SettingsIni(), L"Device", L"RecMode", L"-"), L"-");  // No: nothing changes

    user.nextAnswer = IDYES;
    Click(IDC_START);
    RegisterScreenCaptureFilter(true);
    ASSERT_TRUE(WaitForEncoder());
    EXPECT_EQ(user.Boxes().size(), 2u);
    EXPECT_EQ(Settings().GetString(SettingsIni(), L"Device", L"RecMode", L""), L"Desktop (built-in)");
    const std::wstring line = EncoderLog().substr(0, EncoderLog().find(L'\n'));
    const std::wstring screen = std::to_wstring(GetSystemMetrics(SM_CXSCREEN)) + L"x" + std::to_wstring(GetSystemMetrics(SM_CYSCREEN));
    EXPECT_NE(line.find(L" -f gdigrab -framerate 12 -offset_x 0 -offset_y 0 -video_size " + screen + L" -i desktop -f dshow -i audio="),
              std::wstring::npos) << testing::PrintToString(line);
}

TEST_F(EncoderFixture, StartRefusesASourceItCannotFind) {
    InstallEncoder();
    const std::wstring servers = kThreeServers.substr(kThreeServers.find(L"DemoMode"));
    for (const auto& [settings, message] : {
             std::pair<std::wstring, std::wstring>{L"RecMode=Other\r\nPrimaryVidSrc=\r\nAudioDevice=Microphone\r\nDisableVideo=1\r\n", L"Streaming cannot start: Recording Mode is \"Other\" but no Primary "
                                                        L"Video Source is chosen. Please choose one in Media Settings and try again."},
             {L"RecMode=Other\r\nPrimaryVidSrc=Gone Camera\r\nAudioDevice=Microphone\r\nDisableVideo=1\r\n",
              L"Streaming cannot start: the Primary Video Source \"Gone Camera\" is not connected to this "
              L"computer. Please connect it, or choose another source in Media Settings, and try again."},
             // A sound device of that name is not a video source.
             {L"RecMode=Other\r\nPrimaryVidSrc=Microphone\r\nAudioDevice=Microphone\r\nDisableVideo=1\r\n",
              L"Streaming cannot start: the Primary Video Source \"Microphone\" is not connected to this "
              L"computer. Please connect it, or choose another source in Media Settings, and try again."},
             {L"AudioDevice=Gone Mic (Wave:2)\r\nDisableVideo=1\r\n",
              L"Streaming cannot start: the audio device \"Gone Mic (Wave:2)\" is not connected to this computer. "
              L"Please connect it, or choose another audio device in Media Settings, and try again."},
             {L"AudioDevice=Microphone\r\nVideoDevice=Gone Cam\r\nDisableVideo=0\r\n",
              L"Streaming cannot start: the Overlay Video Device \"Gone Cam\" is not connected to this computer. "
              L"Please connect it, or choose another in Media Settings (or turn on Disable Video Overlay), and try again."}}) {
        Build(L"[Device]\r\n" + settings + servers);
        PrepareSession();
        Click(IDC_START);
        ASSERT_FALSE(user.Boxes().empty());
        EXPECT_EQ(user.Boxes().back().text, message);
        EXPECT_EQ(g_bSessionRunning, 0);
        EXPECT_TRUE(EncoderLog().empty()) << "launched: " << testing::PrintToString(EncoderLog());
    }
}

// Twitch takes only AAC: a Start with MP3 asks; No starts as it is, Yes stores AAC and sends it.
TEST_F(EncoderFixture, AStartToAPlatformThatTakesOnlyAacOffersTheSwitch) {
    Build(L"[Device]\r\nAudioDevice=Microphone\r\nDisableVideo=1\r\nDemoMode=1\r\n"
          L"[TW]\r\nRtmpurl=rtmp://live.twitch.tv/app\r\nKey=k1\r\n");
    InstallEncoder();
    Choose(0, L"TW");
    const auto start = [&](int answer) {
        DeleteFileW((work / L"fake_encoder.log").c_str());
        user.nextAnswer = answer;
        ShowWindow(dlg->Handle(), SW_SHOWNORMAL);
        Click(IDC_START);
        EXPECT_TRUE(WaitForEncoder());
        const std::wstring line = EncoderLog();
        TimedStop();
        return line;
    };
    EXPECT_NE(start(IDNO).find(L" -c:a libmp3lame -q:a 2 "), std::wstring::npos);
    ASSERT_EQ(user.Boxes().size(), 1u);
    EXPECT_EQ(user.Boxes()[0].text.rfind(L"The server \"TW\" streams to Twitch, which takes only AAC sound", 0), 0u);
    EXPECT_EQ(user.Boxes()[0].type, UINT(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(Settings().GetString(SettingsIni(), L"Device", L"AudioCodec", L"-"), L"-");
    EXPECT_NE(start(IDYES).find(L" -c:a aac -b:a 160k "), std::wstring::npos);
    EXPECT_EQ(Settings().GetString(SettingsIni(), L"Device", L"AudioCodec", L""), L"AAC");
    EXPECT_NE(start(IDNO).find(L" -c:a aac -b:a 160k "), std::wstring::npos);
    EXPECT_EQ(user.Boxes().size(), 2u);  // asked no more
}

TEST_F(EncoderFixture, StopRightAfterStartLeavesNoEncoder) {
    Build(kThreeServers);
    InstallEncoder();
    PrepareSession();
    for (int i = 0; i < 3; ++i) {
        ShowWindow(dlg->Handle(), SW_SHOWNORMAL);
        Click(IDC_START);
        Click(IDC_STOP);  // before or while the worker launches
        PumpFor(1500);
        EXPECT_EQ(CountProcesses(L"ffmpeg.exe"), 0) << "round " << i;
        ExpectIdle();
    }
}

TEST_F(EncoderFixture, WmvFileWithChannelsIsRefusedBeforeAnythingChanges) {
    Build(kThreeServers);
    InstallEncoder();
    Choose(0, L"Twitch");
    Click(IDC_SAVE_LOCALLY);
    TypePath(work / L"rec.wmv");
    EXPECT_FALSE(Enabled(IDC_START));  // the window says why before anyone presses Start
    EXPECT_NE(Status().find(L"WMV"), std::wstring::npos);
    theApp.OnTrayStart();
    ASSERT_EQ(user.Boxes().size(), 1u);
    EXPECT_NE(user.Boxes()[0].text.find(L"WMV"), std::wstring::npos);
    EXPECT_TRUE(IsWindowVisible(dlg->Handle()));
    EXPECT_EQ(g_bSessionRunning, 0);
    EXPECT_FALSE(Enabled(IDC_STOP));
    EXPECT_EQ(GetFileAttributesW(LocalIni().c_str()), INVALID_FILE_ATTRIBUTES);
    PumpFor(500);
    EXPECT_EQ(CountProcesses(L"ffmpeg.exe"), 0);
}

TEST_F(EncoderFixture, RepeatedSessionsReleaseTheirHandles) {
    Build(kThreeServers);
    InstallEncoder();
    SetEnvironmentVariableW(L"VANDREL_FAKE_MODE", L"exit");
    PrepareSession();
    // Each Start walks the capture devices; Wine's device enumerator keeps two handles of every
    // device it lists (its monikers' registry keys), which a walk on Windows does not. Allowed: one
    // walk's worth a session, measured here after a first walk has loaded what it loads once.
    AllCaptureDevices();
    const int beforeWalk = OpenHandleCount();
    AllCaptureDevices();
    const int walk = OpenHandleCount() - beforeWalk;
    int counts[3] = {};
    for (int& count : counts) {
        ShowWindow(dlg->Handle(), SW_SHOWNORMAL);
        DeleteFileW((work / L"fake_encoder.log").c_str());
        Click(IDC_START);
        ASSERT_TRUE(WaitForEncoder());
        PumpUntil([] { return CountProcesses(L"ffmpeg.exe") == 0; });
        PumpFor(200);  // the worker closes its wait handle as the encoder ends
        TimedStop();
        count = OpenHandleCount();
    }
    ASSERT_GT(counts[0], 0);
    EXPECT_EQ(counts[2] - counts[1], walk);
    EXPECT_EQ(counts[1] - counts[0], walk);
}

TEST_F(EncoderFixture, ExitWhileStreamingStopsTheEncoderBeforeQuitting) {
    Build(kThreeServers);
    InstallEncoder();
    PrepareSession();
    Click(IDC_START);
    ASSERT_TRUE(WaitForEncoder());
    user.nextAnswer = IDNO;
    theApp.OnTrayExit();
    EXPECT_EQ(CountProcesses(L"ffmpeg.exe"), 1);
    EXPECT_EQ(g_bSessionRunning, 1);
    user.nextAnswer = IDYES;
    theApp.OnTrayExit();
    EXPECT_EQ(CountProcesses(L"ffmpeg.exe"), 0);
    ExpectIdle();
    MSG quit;
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
    const auto boxes = user.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, L"Are you sure you want to exit Vandrel?");
}

namespace {

enum class Act { Choose, CloseAndShow, Start, Restart, ServerListClose, ServerListRemoveThenOk };
struct Action {
    Act act;
    int channel = 0;
    std::wstring name = L"";
};
struct ChannelCase {
    const char* title;
    std::wstring local;  // LocalSettings.ini before the first start
    std::vector<Action> actions;
};

// The RTMP addresses of a composed line's tee targets.
std::vector<std::wstring> RtmpTargets(const std::wstring& line) {
    std::vector<std::wstring> targets;
    for (size_t at = line.find(L"]rtmp://"); at != std::wstring::npos; at = line.find(L"]rtmp://", at + 1))
        targets.push_back(line.substr(at + 1, line.find_first_of(L"|\"", at) - at - 1));
    std::sort(targets.begin(), targets.end());
    return targets;
}

}  // namespace

TEST_F(EncoderFixture, SelectorsShowExactlyWhatAStartStreamsTo) {
    const ChannelCase cases[] = {
        {"chosen, closed, shown again", L"", {{Act::Choose, 0, L"Twitch"}, {Act::Choose, 2, L"Beta"}, {Act::CloseAndShow}}},
        {"stored choices at start-up", L"[Server]\r\nChannel1=beta\r\nChannel4=Studio A\r\n", {}},
        {"a new choice over a stored one", L"[Server]\r\nChannel1=Beta\r\n", {{Act::Choose, 0, L"Twitch"}, {Act::CloseAndShow}}},
        {"Start, then a new start of the application", L"",
         {{Act::Choose, 0, L"Twitch"}, {Act::Choose, 3, L"Studio A"}, {Act::Start}, {Act::Restart}, {Act::CloseAndShow}}},
        {"stored server without key", L"[Server]\r\nChannel1=NoKey\r\nChannel2=Twitch\r\n", {}},
        {"server without key chosen over a valid one", L"",
         {{Act::Choose, 0, L"Twitch"}, {Act::Choose, 1, L"Beta"}, {Act::Choose, 1, L"NoKey"}, {Act::CloseAndShow}}},
        {"stored name that no server has", L"[Server]\r\nChannel1=Gone\r\nChannel2=Twitch\r\n", {}},
        {"one server stored twice", L"[Server]\r\nChannel1=Beta\r\nChannel3=BETA\r\n", {}},
        {"channel 4 after two hides", L"", {{Act::Choose, 3, L"Beta"}, {Act::CloseAndShow}, {Act::CloseAndShow}}},
        {"the server list closed without changes", L"",
         {{Act::Choose, 0, L"Twitch"}, {Act::Choose, 1, L"Beta"}, {Act::ServerListClose}}},
        {"a shown server removed in the server list", L"",
         {{Act::Choose, 0, L"Twitch"}, {Act::Choose, 1, L"Beta"}, {Act::ServerListRemoveThenOk, 0, L"Beta"}}},
        {"the empty item releases", L"",
         {{Act::Choose, 0, L"Twitch"}, {Act::Choose, 1, L"Beta"}, {Act::Choose, 0, L""}, {Act::CloseAndShow}}},
    };
    const std::wstring noKey[2] = {
        L"The selected server does not have a valid key, url. Configure by going to Configure channels > Modify.",
        L"The selected server does not have a valid key, url. Configure by going to Settings > Modify."};
    InstallEncoder();
    SetEnvironmentVariableW(L"VANDREL_FAKE_MODE", L"exit");
    auto startFromTray = [&] {
        DeleteFileW((work / L"fake_encoder.log").c_str());
        theApp.OnTrayStart();
        PumpUntil([] { return g_bSessionRunning == 0; }, 5000);  // the stand-in ends at once
    };
    for (const ChannelCase& c : cases) {
        SCOPED_TRACE(c.title);
        DeleteFileW(LocalIni().c_str());
        Build(kThreeServers, c.local);
        for (const Action& a : c.actions) {
            if (a.act == Act::Choose) Choose(a.channel, a.name);
            if (a.act == Act::CloseAndShow) {
                Click(IDC_CLOSE);
                theApp.OnTrayManageServers();
            }
            if (a.act == Act::Start) startFromTray();
            if (a.act == Act::Restart) Rebuild();
            if (a.act == Act::ServerListClose || a.act == Act::ServerListRemoveThenOk) {
                user.OnNextModal([&](HWND d) {
                    if (a.act == Act::ServerListClose) return;  // left open: cancelled, as Close does
                    HWND list = GetDlgItem(d, IDC_SERVERS_LIST);
                    LVFINDINFOW find{};
                    find.flags = LVFI_STRING;
                    find.psz = a.name.c_str();
                    const LRESULT row = SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find));
                    LVITEMW state{};
                    state.stateMask = state.state = LVIS_SELECTED;
                    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
                    SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_SERVERS_REMOVE, BN_CLICKED), 0);
                    SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_SERVERS_OK, BN_CLICKED), 0);
                });
                ClickLabel(IDC_LINK_CONFIGURE);
            }
        }
        std::vector<std::wstring> shown, inUse, expected;
        int problem = -1;
        for (int i = 0; i < 4; ++i) {
            EXPECT_GE(dlg->Channel(i).CurSel(), 0) << "selector " << i << " shows no item at all";
            const std::wstring name = dlg->Channel(i).SelectedText();
            if (name.empty()) continue;
            const CStreamingServices& s = g_ServerList.ServerAt(g_ServerList.FindServerByName(name));
            if (s.Key.empty() && problem < 0) problem = i;
            if (s.Key.empty()) continue;
            shown.push_back(s.Name);
            expected.push_back(s.RtmpUrl + L"/" + s.Key);
            for (int j = 0; j < 4; ++j)
                if (j != i) {
                EXPECT_LT(dlg->Channel(j).FindExact(name), 0) << "also listed in selector " << j;
            }
        }
        for (const CStreamingServices& s : g_ServerList)
            if (s.InUse) inUse.push_back(s.Name);
        std::sort(shown.begin(), shown.end());
        std::sort(inUse.begin(), inUse.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(inUse, shown);
        if (!dlg->Channel(2).SelectedText().empty() || !dlg->Channel(3).SelectedText().empty()) {
            EXPECT_TRUE(IsWindowVisible(Item(IDC_CHANNEL3)) && IsWindowVisible(Item(IDC_CHANNEL4)));
        }
        EXPECT_EQ(Enabled(IDC_START), problem < 0 && !shown.empty());

        const size_t boxes = user.Boxes().size();
        startFromTray();
        if (problem >= 0) {
            EXPECT_EQ(Status(), noKey[problem == 0 ? 0 : 1]);
            ASSERT_EQ(user.Boxes().size(), boxes + 1);
            EXPECT_EQ(user.Boxes().back().text, noKey[problem == 0 ? 0 : 1]);
            EXPECT_EQ(user.Boxes().back().type, UINT(MB_OK | MB_ICONWARNING));
            EXPECT_EQ(EncoderLog(), L"") << "launched with a refused server shown";
        } else {
            EXPECT_EQ(RtmpTargets(EncoderLog()), expected);
        }
    }
}

TEST_F(EncoderFixture, TrayTooltipAndBalloonSayWhatIsLive) {
    FakeShell shell;
    Build(kThreeServers);
    InstallEncoder();
    ASSERT_TRUE(theApp.m_trayIcon.AddToNotificationArea(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))));
    auto lastTip = [](DWORD message) {
        for (auto c = g_shellCalls.rbegin(); c != g_shellCalls.rend(); ++c)
            if (c->message == message && (c->data.uFlags & NIF_TIP)) return std::wstring(c->data.szTip);
        return std::wstring(L"<none>");
    };
    PrepareSession();
    Click(IDC_START);
    ASSERT_TRUE(WaitForEncoder());
    // Nothing reported yet: no channel counts as live and the file is not said to record.
    EXPECT_EQ(lastTip(NIM_MODIFY).substr(0, 36), L"Vandrel: live on 0 of 1 channel \u2013 0:");
    EXPECT_EQ(FakeShell::Balloons().back(), L"Going live on Twitch. Recording to " + work / L"rec.mp4" + L".");
    SendMessageW(theApp.m_trayIcon.Handle(), g_uTaskbarCreated, 0, 0);  // the shell came back
    EXPECT_EQ(lastTip(NIM_ADD).substr(0, 36), L"Vandrel: live on 0 of 1 channel \u2013 0:");
    TimedStop();
    EXPECT_EQ(lastTip(NIM_MODIFY), L"Double click to Launch Vandrel Main Window");

    SetEnvironmentVariableW(L"VANDREL_FAKE_MODE", L"exit");
    ShowWindow(dlg->Handle(), SW_SHOWNORMAL);
    Choose(0, L"");
    Click(IDC_SAVE_LOCALLY);
    Click(IDC_SAVE_LOCALLY);
    Click(IDC_START);
    ASSERT_TRUE(PumpUntil([] { return g_bSessionRunning == 0; }));
    EXPECT_EQ(FakeShell::Balloons().end()[-2], L"Recording to " + work / L"rec.mp4" + L".");
    EXPECT_EQ(std::count_if(g_shellCalls.begin(), g_shellCalls.end(), [](const ShellCall& c) {
                  return std::wstring(c.data.szTip) == L"Vandrel: waiting for the encoder \u2013 0:00:00" && (c.data.uFlags & NIF_TIP);
              }), 1);
    theApp.m_trayIcon.RemoveFromNotificationArea();
}

// ---- Every door to a Start launches exactly what the window shows ----

namespace {
const wchar_t kPathRefusedText[] =
    L"CCannot save to the given path. Either the folder does not exist or you do not have the permission to write to the folder ";
std::wstring FirstRun() {
    std::wstring settings = kThreeServers;
    return settings.replace(settings.find(L"DemoMode=1"), 10, L"DemoMode=0");
}
}  // namespace

TEST_F(EncoderFixture, WindowStartRecordsToTheShownFileNeverToAnEarlierOne) {
    Build(kThreeServers);
    InstallEncoder();
    Choose(0, L"Twitch");
    Choose(1, L"Beta");
    Click(IDC_SAVE_LOCALLY);
    TypePath(work / L"first.mp4");
    TypePath(work / L"missing\\second.mp4");  // refused: the accepted one before must not be used
    EXPECT_FALSE(Enabled(IDC_START));
    EXPECT_EQ(Status(), kPathRefusedText);
    TypePath(work / L"second.mp4");
    dlg->m_nScreenWidth = 1;  // the screen is measured again at each Start
    Click(IDC_START);
    ASSERT_TRUE(WaitForEncoder());
    EXPECT_EQ(ShownTargets(), (std::vector<std::wstring>{L"rtmp://b.example/live/b1", L"rtmp://live.twitch.example/app/live_1",
                                                         Slashed(work / L"second.mp4")}));
    EXPECT_EQ(ReceivedTargets(), ShownTargets());
    EXPECT_EQ(dlg->m_nScreenWidth, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(theApp.m_trayIcon.m_bIdle, 0);
    TimedStop();
}

TEST_F(EncoderFixture, TrayStartLaunchesWhatTheWindowShowsOrSaysWhyAndStaysIdle) {
    Build(kThreeServers);
    InstallEncoder();
    Choose(0, L"Studio A");
    Click(IDC_SAVE_LOCALLY);
    TypePath(work / L"a.mp4");
    TypePath(work / L"missing\\b.mp4");
    Click(IDC_CLOSE);  // in the tray, as the tray's Start is used
    theApp.OnTrayStart();
    ASSERT_EQ(user.Boxes().size(), 1u);
    EXPECT_EQ(user.Boxes()[0].text, kPathRefusedText);
    EXPECT_EQ(user.Boxes()[0].type, UINT(MB_OK | MB_ICONWARNING));
    PumpFor(300);
    EXPECT_EQ(EncoderLog(), L"");
    EXPECT_EQ(g_bSessionRunning, 0);
    EXPECT_EQ(theApp.m_trayIcon.m_bIdle, 1);  // the tray follows the session, not the request

    theApp.OnTrayManageServers();
    TypePath(work / L"b.mp4");
    Click(IDC_CLOSE);
    theApp.OnTrayStart();
    ASSERT_TRUE(WaitForEncoder());
    EXPECT_EQ(ReceivedTargets(), (std::vector<std::wstring>{L"rtmp://a.example/live/abc", Slashed(work / L"b.mp4")}));
    EXPECT_EQ(ReceivedTargets(), ShownTargets());
    EXPECT_EQ(theApp.m_trayIcon.m_bIdle, 0);
    EXPECT_EQ(InUse(L"Studio A"), 1);
    theApp.OnTrayStop();
    ExpectIdle();
}

TEST_F(EncoderFixture, TrayStartAndStopDuringTheNoticeDoNothing) {
    Build(FirstRun());
    InstallEncoder();
    PrepareSession();
    int busyDuringNotice = -1;
    user.duringMessageBox = [&](const std::wstring&) {
        user.duringMessageBox = nullptr;
        busyDuringNotice = theApp.m_trayIcon.m_bBusy;
        SendMessageW(dlg->Handle(), WM_COMMAND, ID_TRAY_START, 0);
        SendMessageW(dlg->Handle(), WM_COMMAND, ID_TRAY_STOP, 0);
    };
    Click(IDC_START);
    ASSERT_TRUE(WaitForEncoder());
    PumpFor(1000);
    EXPECT_EQ(busyDuringNotice, 1);  // the tray greys Start and Stop meanwhile
    EXPECT_EQ(CountProcesses(L"ffmpeg.exe"), 1);
    EXPECT_EQ(user.Boxes().size(), 1u);
    EXPECT_EQ(ReceivedTargets(), ShownTargets());
    EXPECT_EQ(g_bSessionRunning, 1);
    EXPECT_EQ(theApp.m_trayIcon.m_bIdle, 0);
    EXPECT_EQ(theApp.m_trayIcon.m_bBusy, 0);
    TimedStop();
    ExpectIdle();
}

// Tray commands that come while a dialog is open or a Stop waits are not acted on, then or later.
TEST_F(EncoderFixture, TrayCommandsDuringADialogOrAStopDoNotReachTheSessionAfterwards) {
    Build(kThreeServers);
    InstallEncoder();
    PrepareSession();
    FakeShell shell;
    ASSERT_TRUE(theApp.m_trayIcon.AddToNotificationArea(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))));
    HWND foreground = nullptr;
    user.OnNextModal([&](HWND) {  // Media Settings from the window; the user turns to the tray
        for (UINT command : {ID_TRAY_SETTINGS, ID_TRAY_ABOUT, ID_TRAY_START})
            SendMessageW(dlg->Handle(), WM_COMMAND, command, 0);
        foreground = OpenModalWindow();
    });
    ClickLabel(IDC_LINK_MEDIA_SETTINGS);
    EXPECT_EQ(user.Modals(), std::vector<int>{IDD_MEDIA_SETTINGS});  // brought forward, no second one
    EXPECT_NE(foreground, nullptr);
    EXPECT_EQ(FakeShell::Balloons(), (std::vector<std::wstring>{L"Vandrel Application Started!",
                                                                L"Streaming was not started: close the open Vandrel window first."}));
    EXPECT_EQ(g_bSessionRunning, 0);
    EXPECT_TRUE(EncoderLog().empty());

    Click(IDC_START);
    ASSERT_TRUE(WaitForEncoder());
    PostMessageW(dlg->Handle(), WM_COMMAND, ID_TRAY_START, 0);  // a second press, queued behind the Stop
    TimedStop();
    PumpFor(1500);
    EXPECT_EQ(g_bSessionRunning, 0);
    EXPECT_EQ(CountProcesses(L"ffmpeg.exe"), 0) << "a new session started after the Stop";
    theApp.m_trayIcon.RemoveFromNotificationArea();
}

TEST_F(EncoderFixture, AFolderThatTakesNoFileIsRefusedAtStartWithThePathsMessage) {
    Build(kThreeServers);
    InstallEncoder();
    PrepareSession();
    TypePath(L"Z:\\proc\\rec.mp4");  // there, but read-only even to root
    ASSERT_TRUE(Enabled(IDC_START));
    Click(IDC_START);
    ASSERT_EQ(user.Boxes().size(), 1u);
    EXPECT_EQ(user.Boxes()[0].text, L"CCannot save to the given path. Either the folder does not exist or you do not have "
                                    L"the permission to write to the folder ");
    EXPECT_EQ(g_bSessionRunning, 0);
    EXPECT_TRUE(EncoderLog().empty());
}

TEST_F(EncoderFixture, ExitDuringTheNoticeRunsOnceTheStartHasEndedAndLeavesNoEncoder) {
    Build(FirstRun());
    InstallEncoder();
    PrepareSession();
    size_t boxesDuringNotice = 0;
    user.duringMessageBox = [&](const std::wstring&) {
        user.duringMessageBox = nullptr;
        SendMessageW(dlg->Handle(), WM_COMMAND, ID_TRAY_EXIT, 0);
        boxesDuringNotice = user.Boxes().size();
        user.nextAnswer = IDYES;
    };
    Click(IDC_START);
    EXPECT_EQ(boxesDuringNotice, 1u);  // Exit did not ask yet: it waits for the Start
    ASSERT_TRUE(PumpUntilQuit(20000)) << "Exit never ran";
    EXPECT_EQ(CountProcesses(L"ffmpeg.exe"), 0);
    const auto boxes = user.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, L"Are you sure you want to exit Vandrel?");
    ExpectIdle();
    if (!EncoderLog().empty()) EXPECT_EQ(ReceivedTargets(), ShownTargets());
}

TEST_F(EncoderFixture, StartAfterUntickingSaveLocallyStreamsTheChannels) {
    Build(kThreeServers);
    InstallEncoder();
    PrepareSession();
    Click(IDC_SAVE_LOCALLY);
    EXPECT_TRUE(Enabled(IDC_START));
    EXPECT_EQ(Status(), L"");
    Click(IDC_START);
    ASSERT_TRUE(WaitForEncoder());
    EXPECT_EQ(ReceivedTargets(), (std::vector<std::wstring>{L"rtmp://live.twitch.example/app/live_1"}));
    EXPECT_EQ(ReceivedTargets(), ShownTargets());
    TimedStop();
}

TEST_F(EncoderFixture, SeparateFileSessionsNeverShareAFile) {
    Build(kThreeServers);
    InstallEncoder();
    PrepareSession();
    Click(IDC_SEPARATE_FILE);
    std::wstring files[2];
    for (std::wstring& file : files) {
        ShowWindow(dlg->Handle(), SW_SHOWNORMAL);
        DeleteFileW((work / L"fake_encoder.log").c_str());
        Click(IDC_START);
        ASSERT_TRUE(WaitForEncoder());
        file = ReceivedTargets().back();
        TimedStop();
        for (wchar_t& c : file)
            if (c == L'/') c = L'\\';
        EXPECT_EQ(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES) << "would overwrite a recording";
        WriteTextFile(file, L"recorded");  // as the encoder would have left it
    }
    EXPECT_NE(files[0], files[1]);
    EXPECT_EQ(files[0].substr(0, work.Path().size() + 5), work / L"rec_");
}

namespace {

std::vector<EXECUTION_STATE> g_states;
EXECUTION_STATE WINAPI RecordExecutionState(EXECUTION_STATE state) {
    g_states.push_back(state);
    return ES_CONTINUOUS;
}

}  // namespace

// The computer stays awake from Start until the session ends, whichever way it ends.
TEST_F(EncoderFixture, SleepIsHeldOffFromStartUntilTheSessionEndsWhicheverWayItEnds) {
    const struct {
        const char* title;
        bool encoder;
        const wchar_t* mode;
        std::function<void()> end;
    } cases[] = {
        {"Stop", true, nullptr, [this] { TimedStop(); }},
        {"Stop right after Start", true, nullptr, [this] { Click(IDC_STOP); }},
        {"Exit", true, nullptr, [this] {
             user.nextAnswer = IDYES;
             theApp.OnTrayExit();
             MSG quit;
             PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
         }},
        {"the encoder ending by itself", true, L"late", [] {
             PumpUntil([] { return g_bSessionRunning == 0; }, 5000);
         }},
        {"a failed launch", false, nullptr, [this] {
             PumpUntil([] { return g_bSessionRunning == 0; });
             EXPECT_EQ(user.Boxes().back().text, L"Couldn't create stream with these parameters");
         }},
        {"Windows ending the session", true, nullptr, [this] {
             SendMessageW(dlg->Handle(), WM_ENDSESSION, TRUE, 0);
         }},
    };
    SetExecutionStateFunction(RecordExecutionState);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        g_states.clear();
        DeleteFileW((work / L"ffmpeg.exe").c_str());
        DeleteFileW((work / L"fake_encoder.log").c_str());
        InstallEncoder();
        SetEnvironmentVariableW(L"VANDREL_FAKE_MODE", c.mode);
        std::wstring settings = kThreeServers;
        if (!c.encoder) {  // the encoder checked, then gone while the first-Start notice is up
            settings.replace(settings.find(L"DemoMode=1"), 10, L"DemoMode=0");
            user.duringMessageBox = [this](const std::wstring&) { DeleteFileW((work / L"ffmpeg.exe").c_str()); };
        }
        Build(settings);
        PrepareSession();
        Click(IDC_START);
        EXPECT_EQ(g_states, std::vector<EXECUTION_STATE>{ES_CONTINUOUS | ES_SYSTEM_REQUIRED});
        if (c.encoder && std::string(c.title) != "Stop right after Start") {
            EXPECT_TRUE(WaitForEncoder());
        }
        c.end();
        ExpectIdle();
        EXPECT_EQ(g_states, (std::vector<EXECUTION_STATE>{ES_CONTINUOUS | ES_SYSTEM_REQUIRED, ES_CONTINUOUS}));
        PumpFor(300);
        EXPECT_EQ(CountProcesses(L"ffmpeg.exe"), 0);
        user.duringMessageBox = nullptr;
    }
    SetExecutionStateFunction(nullptr);
}
