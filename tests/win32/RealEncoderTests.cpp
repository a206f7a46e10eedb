// Sessions of the application with the real Windows encoder (through the wrapper, RealEncoder.h).
#include "MainWindowFixture.h"
#include "RealEncoder.h"
#include "engine/EncoderProcess.h"
#include "engine/Mp4Conversion.h"
#include <cstdio>
#include <cstdlib>

namespace {

class RealEncoderSession : public MainWindowFixture {
protected:
    void SetUp() override {
        FreeConsole();  // like the GUI program: the encoder's console is the only one it attaches to
        ASSERT_FALSE(RealEncoderPath().empty()) << "no real encoder: run scripts/setup.sh (VANDREL_REAL_ENCODER)";
        ASSERT_TRUE(InstallRealEncoder(work.Path()));
        GetCurrentDirectoryW(MAX_PATH, m_oldDir);
        SetCurrentDirectoryW(work.Path().c_str());
        SetEncoderFolder(work.Path());  // as start-up decides it
    }
    void TearDown() override {
        if (g_bSessionRunning) dlg->OnStop();
        SetEncoderFolder(L"");
        SetCurrentDirectoryW(m_oldDir);
        MainWindowFixture::TearDown();
        EXPECT_EQ(CountProcesses(L"ffmpeg.exe"), 0) << "an encoder outlived its test";
        KillProcesses(L"ffmpeg.exe");
    }
    // Waits until the real encoder has written for about `seconds` of the session.
    // run: the wrapper's run of the session (a conversion before it is a run too).
    bool Encode(const std::wstring& file, DWORD seconds, int run = 0) const {
        if (!PumpUntil([&] { return ReadWrapperReport(work.Path(), run).realPid != 0; }, 30000)) return false;
        if (!PumpUntil([&] { return GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000)) return false;
        PumpFor(seconds * 1000);
        return !ReadWrapperReport(work.Path(), run).exitedByItself;  // still running
    }
    // The tray's tooltip, which says "Saving recording…" while the recording becomes a real MP4.
    static std::wstring Tooltip() { return theApp.m_trayIcon.m_iconData.szTip; }
    static bool Saved() { return PumpUntil([] { return Tooltip() != L"Saving recording\u2026"; }, 30000); }
    std::wstring PendingConversion() const {
        wchar_t value[MAX_PATH] = {};
        GetPrivateProfileStringW(L"Local", L"PendingConversion", L"", value, MAX_PATH, LocalIni().c_str());
        return value;
    }
    DWORD TimedStop() const {
        const DWORD start = GetTickCount();
        Click(IDC_STOP);
        return GetTickCount() - start;
    }

    TempFolder work{L"real"};
    wchar_t m_oldDir[MAX_PATH] = {};
};

}  // namespace

// One session proves Stop by the quit key and the tee escaping: a key and a path with apostrophes,
// the key's target before the file's (an unescaped quote would swallow the file).
TEST_F(RealEncoderSession, StopEndsTheRealEncoderByItselfAndTheFileLandsAtTheChosenPath) {
    const std::wstring folder = work / L"O'Brien's videos";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring file = folder + L"\\O'Brien's talk.mp4";
    // Nothing listens on this port: the channel fails at once and the file goes on.
    Build(L"[Device]\r\nAudioDevice=Microphone\r\nDisableVideo=1\r\nDemoMode=1\r\n"
          L"[Dead]\r\nRtmpurl=rtmp://127.0.0.1:19399/live\r\nKey=it's\r\n");
    Choose(0, L"Dead");
    Click(IDC_SAVE_LOCALLY);
    TypePath(file);
    Click(IDC_START);
    ASSERT_TRUE(Encode(file, 2)) << "the real encoder did not write " << std::string(file.begin(), file.end());
    EXPECT_EQ(CountProcesses(L"ffmpeg.exe"), 2);  // the wrapper and the real encoder

    const DWORD took = TimedStop();
    std::printf("Stop with the real encoder: %lu ms\n", static_cast<unsigned long>(took));
    EXPECT_GE(took, 2000u);
    EXPECT_LT(took, 6000u);  // a terminated encoder takes 12 s
    const WrapperReport report = ReadWrapperReport(work.Path());
    EXPECT_TRUE(report.exitedByItself) << "the real encoder was terminated";
    EXPECT_EQ(report.exitCode, 0u);
    EXPECT_EQ(report.workingFolder, work.Path());
    EXPECT_NE(report.line.find(L"rtmp://127.0.0.1:19399/live/it\\'s|[f=flv:onfail=ignore]"), std::wstring::npos);
    // Then the FLV written while recording becomes a real MP4 in place, by the same encoder.
    EXPECT_EQ(Tooltip(), L"Saving recording\u2026");
    EXPECT_EQ(PendingConversion(), file);
    ASSERT_TRUE(Saved());
    const WrapperReport conversion = ReadWrapperReport(work.Path(), 1);
    EXPECT_TRUE(conversion.exitedByItself);
    EXPECT_EQ(conversion.exitCode, 0u);
    EXPECT_EQ(ProbeFormat(file), "mov,mp4,m4a,3gp,3g2,mj2");
    EXPECT_EQ(PendingConversion(), L"");
    EXPECT_EQ(CountProcesses(L"ffmpeg.exe"), 0);

    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*.mp4*").c_str(), &found);  // a temporary file left over too
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(found.cFileName, L"O'Brien's talk.mp4");
    EXPECT_FALSE(FindNextFileW(search, &found)) << "a second file";
    FindClose(search);
    const double playsTo = PlaysTo(file);
    std::printf("The file decodes to %.2f s\n", playsTo);
    EXPECT_GE(playsTo, 2.0);  // to its end: a cut file fails the full decode
}

// "Desktop (built-in)": the real encoder's own GDI capture of the whole primary screen, muted
// through the silent track; no DirectShow input, so the wrapper passes the line on unchanged.
TEST_F(RealEncoderSession, BuiltInCaptureRecordsTheWholePrimaryScreen) {
    const std::wstring file = work / L"desktop.mp4";
    Build(L"[Device]\r\nRecMode=Desktop (built-in)\r\nAudioDevice=Microphone\r\nMuteAudio=1\r\nDisableVideo=1\r\nDemoMode=1\r\n");
    Click(IDC_SAVE_LOCALLY);
    TypePath(file);
    Click(IDC_START);
    ASSERT_TRUE(Encode(file, 2)) << "the real encoder did not write " << std::string(file.begin(), file.end());
    const DWORD took = TimedStop();
    EXPECT_LT(took, 6000u);
    const WrapperReport report = ReadWrapperReport(work.Path());
    EXPECT_TRUE(report.exitedByItself);
    EXPECT_EQ(report.exitCode, 0u);
    ASSERT_TRUE(Saved());
    const std::wstring size = std::to_wstring(GetSystemMetrics(SM_CXSCREEN)) + L"x" + std::to_wstring(GetSystemMetrics(SM_CYSCREEN));
    EXPECT_NE(report.realLine.find(L"-f gdigrab -framerate 12 -offset_x 0 -offset_y 0 -video_size " + size +
                                   L" -i desktop -f lavfi -i anullsrc=channel_layout=stereo:sample_rate=44100 -map 0:v -map 1:a"),
              std::wstring::npos) << testing::PrintToString(report.realLine);
    const HostResult probe = RunHost("ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0 " +
                                     HostQuoted(file));
    EXPECT_EQ(probe.output.substr(0, probe.output.find_last_not_of("\r\n") + 1),
              std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "," + std::to_string(GetSystemMetrics(SM_CYSCREEN)));
    const double playsTo = PlaysTo(file);
    std::printf("The built-in capture decodes to %.2f s\n", playsTo);
    EXPECT_GE(playsTo, 1.5);
}

// A user's own FFREPORT reaches the encoder's version check too, which then writes two lines of its
// own to its error output before anything else: the check reads the version where it is said.
TEST_F(RealEncoderSession, AStartWorksWithTheUsersOwnEncoderReportSet) {
    const std::wstring file = work / L"report.mp4";
    SetEnvironmentVariableW(L"FFREPORT", (L"file=" + (work / L"own-report.log") + L":level=32").c_str());
    Build(L"[Device]\r\nRecMode=Desktop (built-in)\r\nMuteAudio=1\r\nDisableVideo=1\r\nDemoMode=1\r\n");
    Click(IDC_SAVE_LOCALLY);
    TypePath(file);
    Click(IDC_START);
    const bool encoding = Encode(file, 1);
    SetEnvironmentVariableW(L"FFREPORT", nullptr);
    EXPECT_TRUE(encoding) << testing::PrintToString(user.Boxes().empty() ? std::wstring() : user.Boxes().back().text);
    TimedStop();
    EXPECT_TRUE(Saved());
}

// "Also record": the wrapper's 440 Hz microphone and 1000 Hz second device in the one track, each
// at its level alone (within 3 dB), and the sound not cut short by the mix: against the same
// session without it, its end moves by less than 0.3 s. A second device that delivers nothing
// for its first 4 s holds nothing back either: silence there, its tone after.
TEST_F(RealEncoderSession, AlsoRecordMixesBothDevicesAtTheirOwnLevelsForTheWholeRecording) {
    // Mean level of one tone (a narrow band around it) in a file, in dB.
    const auto level = [](const std::string& input, int hz, const std::string& part = "") {
        const HostResult r = RunHost("ffmpeg -hide_banner -nostats " + part + " -i " + input + " -af bandpass=f=" + std::to_string(hz) +
                                     ":width_type=q:w=10,volumedetect -f null - 2>&1 | sed -n 's/.*mean_volume: \\(.*\\) dB/\\1/p'");
        return std::atof(r.output.c_str());
    };
    const auto last = [](const std::wstring& file, const char* stream) {
        return std::atof(RunHost(std::string("ffprobe -v error -select_streams ") + stream +
                                 " -show_entries packet=pts_time -of csv=p=0 " + HostQuoted(file) + " | sort -n | tail -1")
                             .output.c_str());
    };
    double shortfall[3] = {};
    Build(L"[Device]\r\nAudioDevice=Microphone\r\nMuteAudio=0\r\nDisableVideo=1\r\nDemoMode=1\r\n");
    Click(IDC_SAVE_LOCALLY);
    for (int mixed = 0; mixed < 3; ++mixed) {
        const bool late = mixed == 2;
        const std::wstring file = work / (mixed ? late ? L"late.mp4" : L"both.mp4" : L"one.mp4");
        SetEnvironmentVariableW(L"VANDREL_WRAPPER_SECOND_LATE", late ? L"4" : nullptr);
        // Read at each Start, as Apply in Media Settings leaves it.
        WritePrivateProfileStringW(L"Device", L"AlsoRecord", mixed ? L"Microphone (USB Audio)" : L"", SettingsIni().c_str());
        ShowWindow(dlg->Handle(), SW_SHOWNORMAL);
        TypePath(file);
        ClearWrapperReport(work.Path());
        Click(IDC_START);
        const bool encoded = Encode(file, late ? 8 : 4);
        SetEnvironmentVariableW(L"VANDREL_WRAPPER_SECOND_LATE", nullptr);
        ASSERT_TRUE(encoded) << "the real encoder did not write " << std::string(file.begin(), file.end());
        TimedStop();
        ASSERT_TRUE(Saved());
        const double video = last(file, "v");
        shortfall[mixed] = video - last(file, "a");
        std::printf("%s: picture to %.2f s, sound %.2f s shorter\n", late ? "late" : mixed ? "mixed" : "alone", video, shortfall[mixed]);
        EXPECT_GE(video, 3.0);
        if (!mixed) continue;
        if (late) {
            const double before = level(HostQuoted(file), 1000, "-t 1"), after = level(HostQuoted(file), 1000, "-ss 5");
            std::printf("late 1000 Hz: %.1f dB before, %.1f dB after\n", before, after);
            EXPECT_LT(before, after - 20.0);
            EXPECT_GT(after, -30.0);
            continue;
        }
        const std::string alone = HostQuoted(work / L"alone.mp3");
        for (int hz : {440, 1000}) {
            RunHost("ffmpeg -v error -y -f lavfi -i sine=frequency=" + std::to_string(hz) +
                    ":sample_rate=44100 -t 4 -c:a libmp3lame -q:a 2 -ar 44100 -ac 2 " + alone);
            const double inMix = level(HostQuoted(file), hz), own = level(alone, hz);
            std::printf("%d Hz: %.1f dB mixed, %.1f dB alone\n", hz, inMix, own);
            EXPECT_NEAR(inMix, own, 3.0) << hz << " Hz";
        }
    }
    EXPECT_NEAR(shortfall[1], shortfall[0], 0.3);
    EXPECT_NEAR(shortfall[2], shortfall[0], 0.3);
}

// An "Also record" device whose own encoder ends (a device in use elsewhere) is said in the tray and
// the status line while the session and its recording go on.
TEST_F(RealEncoderSession, ASecondSoundDeviceThatStopsIsSaidAndTheSessionGoesOn) {
    const std::wstring file = work / L"lost.mp4";
    FakeShell shell;
    SetEnvironmentVariableW(L"VANDREL_WRAPPER_SECOND_FAILS", L"1");
    Build(L"[Device]\r\nAudioDevice=Microphone\r\nAlsoRecord=Microphone (USB Audio)\r\nMuteAudio=0\r\nDisableVideo=1\r\nDemoMode=1\r\n");
    Click(IDC_SAVE_LOCALLY);
    TypePath(file);
    Click(IDC_START);
    const bool encoded = Encode(file, 3);
    SetEnvironmentVariableW(L"VANDREL_WRAPPER_SECOND_FAILS", nullptr);
    ASSERT_TRUE(encoded);
    const std::wstring said = L"\"Microphone (USB Audio)\" stopped sending sound (unplugged, or in use by another program): "
                              L"the session goes on without it.";
    ASSERT_TRUE(PumpUntil([&] { return !FakeShell::Balloons().empty() && FakeShell::Balloons().back() == said; }, 5000))
        << testing::PrintToString(FakeShell::Balloons());
    EXPECT_EQ(Status(), L"Recording. " + said);
    EXPECT_TRUE(g_bSessionRunning);
    TimedStop();
    ASSERT_TRUE(Saved());
    EXPECT_GE(PlaysTo(file), 2.0);
}

// A device name the encoder would split at its ':' goes in as the alternative name, which the real
// encoder finds the device by; Wine's devices cannot then be opened (no pins): the session ends by
// itself, and the notice names the device as the user knows it.
TEST_F(RealEncoderSession, ADeviceNamedWithAColonIsFoundByTheEncoderAndNamedWhenItCannotOpen) {
    const wchar_t audio[] = L"{33D9A762-90C8-11D0-BD43-00A0C911CE86}", instance[] = L"{7E570000-0000-0000-0000-0000000000C1}";
    ASSERT_TRUE(RegisterFakeDevice(audio, instance, L"Microphone (Wave:3)", nullptr, true));
    SetEnvironmentVariableW(L"VANDREL_WRAPPER_INPUTS", L"real");
    FakeShell shell;
    Build(L"[Device]\r\nRecMode=Desktop (built-in)\r\nAudioDevice=Microphone (Wave:3)\r\nDisableVideo=1\r\nDemoMode=1\r\n");
    Click(IDC_SAVE_LOCALLY);
    TypePath(work / L"mic.mp4");
    Click(IDC_START);
    const bool ended = PumpUntil([] { return g_bSessionRunning == 0; }, 30000);
    SetEnvironmentVariableW(L"VANDREL_WRAPPER_INPUTS", nullptr);
    const std::wstring given = std::wstring(L"@device_sw_") + audio + L"\\" + instance;
    const std::wstring line = ReadWrapperReport(work.Path()).line;
    EXPECT_NE(line.find(L" -f dshow -i audio=\"" + given + L"\" "), std::wstring::npos) << testing::PrintToString(line);
    ASSERT_TRUE(ended);
    EXPECT_EQ(Status(), L"Streaming has stopped: the encoder could not open the device \"Microphone (Wave:3)\" "
                        L"(check that it is connected and not in use by another program).");
    // The encoder's own words: it found the device by that name (and only then failed to open it);
    // by its friendly name it cannot even read its input.
    const auto said = [&](const std::wstring& name) {
        const std::wstring out = work / L"said.txt";
        const std::wstring cmd = L"\"" + RealEncoderPath() + L"\" -hide_banner -loglevel debug -f dshow -i \"audio=" + name +
                                 L"\" > \"" + out + L"\" 2>&1";
        _wsystem((L"\"" + cmd + L"\"").c_str());
        std::string text(64 * 1024, '\0');
        FILE* f = _wfopen(out.c_str(), L"rb");
        text.resize(f ? std::fread(text.data(), 1, text.size(), f) : 0);
        if (f) std::fclose(f);
        return text;
    };
    EXPECT_NE(said(given).find("Unable to BindToObject for " + std::string(given.begin(), given.end())), std::string::npos);
    EXPECT_NE(said(L"Microphone (Wave:3)").find("Malformed dshow input string."), std::string::npos);
    RegisterFakeDevice(audio, instance, L"", nullptr, false);
}

// Windows signing out: the session stops as Stop does, without the 2 s wait; the encoder finishes the file.
TEST_F(RealEncoderSession, WindowsEndingTheSessionEndsTheEncoderByItselfWithoutTheWait) {
    const std::wstring file = work / L"ending.mp4";
    Build(L"[Device]\r\nAudioDevice=Microphone\r\nDisableVideo=1\r\nDemoMode=1\r\n");
    Click(IDC_SAVE_LOCALLY);
    TypePath(file);
    Click(IDC_START);
    ASSERT_TRUE(Encode(file, 2));
    SendMessageW(dlg->Handle(), WM_ENDSESSION, FALSE, 0);  // the ending was called off
    EXPECT_EQ(g_bSessionRunning, 1);
    const DWORD start = GetTickCount();
    SendMessageW(dlg->Handle(), WM_ENDSESSION, TRUE, 0);
    const DWORD took = GetTickCount() - start;
    std::printf("Session end to encoder gone: %lu ms\n", static_cast<unsigned long>(took));
    EXPECT_LT(took, 2000u);
    EXPECT_EQ(g_bSessionRunning, 0);
    const WrapperReport report = ReadWrapperReport(work.Path());
    EXPECT_TRUE(report.exitedByItself) << "the real encoder was terminated";
    EXPECT_EQ(report.exitCode, 0u);
    // The conversion is left for the next start: no encoder runs on, the file is the FLV recorded.
    EXPECT_EQ(CountProcesses(L"ffmpeg.exe"), 0);
    EXPECT_EQ(PendingConversion(), file);
    EXPECT_EQ(ProbeFormat(file), "flv");
    EXPECT_GE(PlaysTo(file), 1.0);
}

namespace {

HWND VisibleMainWindowOf(DWORD pid) {
    struct Search { DWORD pid; HWND found; } search{pid, nullptr};
    EnumWindows([](HWND w, LPARAM p) {
        auto* s = reinterpret_cast<Search*>(p);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        wchar_t title[64] = {};
        GetWindowTextW(w, title, 64);
        if (owner == s->pid && IsWindowVisible(w) && lstrcmpW(title, L"Quillane Vandrel") == 0) s->found = w;
        return s->found ? FALSE : TRUE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

// The application killed mid-session (a crash, End task): its encoder does not stream on alone.
TEST_F(RealEncoderSession, KilledApplicationLeavesNoEncoderRunning) {
    TempFolder appData{L"killed"};
    const std::wstring settings = appData / L"Quillane\\Vandrel";
    CreateDirectoryW((appData / L"Quillane").c_str(), nullptr);
    CreateDirectoryW(settings.c_str(), nullptr);
    const std::wstring file = work / L"killed.mp4";
    WriteTextFile(settings + L"\\settings.ini", L"[Device]\r\nAudioDevice=Microphone\r\nDisableVideo=1\r\nDemoMode=1\r\n"
                                                L"[Paths]\r\nVideo Local Folder=" + file + L"\r\n");
    WriteTextFile(settings + L"\\LocalSettings.ini", L"[Local]\r\nSaveInLocalPath=1\r\n");
    wchar_t oldAppData[MAX_PATH] = {};
    GetEnvironmentVariableW(L"APPDATA", oldAppData, MAX_PATH);
    std::wstring commandLine = L"\"" + ExeFolder() + L"\\vandrel.exe\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION app{};
    // Started in the encoder's folder, as from its shortcut.
    auto startApp = [&] {
        SetEnvironmentVariableW(L"APPDATA", appData.Path().c_str());
        const BOOL ok = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                       work.Path().c_str(), &si, &app);
        SetEnvironmentVariableW(L"APPDATA", oldAppData);
        return ok != FALSE;
    };
    ASSERT_TRUE(startApp());
    HWND window = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (window = VisibleMainWindowOf(app.dwProcessId)) != nullptr; }, 30000));
    PostMessageW(window, WM_COMMAND, ID_TRAY_START, 0);
    // Killed once the file holds a few seconds: what the encoder still buffered is lost with it.
    auto size = [&] {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        return GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data) ? data.nFileSizeLow : 0ul;
    };
    const bool encoding = Encode(file, 2) && PumpUntil([&] { return size() >= 300000; }, 20000);
    TerminateProcess(app.hProcess, 1);
    WaitForSingleObject(app.hProcess, 5000);
    CloseHandle(app.hProcess);
    CloseHandle(app.hThread);
    ASSERT_TRUE(encoding) << "the application's session did not start the real encoder";
    const DWORD start = GetTickCount();
    EXPECT_TRUE(PumpUntil([] { return CountProcesses(L"ffmpeg.exe") == 0; }, 3000)) << "an encoder streams on alone";
    std::printf("Application killed to encoder gone: %lu ms\n", static_cast<unsigned long>(GetTickCount() - start));
    EXPECT_FALSE(ReadWrapperReport(work.Path()).exitedByItself);  // ended with the application

    // The next start converts the recording the killed session left, which plays up to the kill.
    const std::wstring local = settings + L"\\LocalSettings.ini";
    std::printf("The killed session left %lu bytes\n", size());
    EXPECT_NE(ReadWholeFile(local).find(L"PendingConversion=" + file + L"\r\n"), std::wstring::npos);
    EXPECT_EQ(ProbeFormat(file), "flv");
    ASSERT_TRUE(startApp());
    const bool converted = PumpUntil([&] { return ReadWholeFile(local).find(L"PendingConversion=\r\n") != std::wstring::npos; }, 30000);
    TerminateProcess(app.hProcess, 1);
    WaitForSingleObject(app.hProcess, 5000);
    CloseHandle(app.hProcess);
    CloseHandle(app.hThread);
    ASSERT_TRUE(converted) << "the pending conversion was not done";
    EXPECT_EQ(ProbeFormat(file), "mov,mp4,m4a,3gp,3g2,mj2");
    EXPECT_GE(PlaysTo(file, true), 1.0);
}

// A conversion left by an earlier run is done at start-up. One that fails keeps the file as it was
// and says so once; a Start while one runs waits for it, says so, and then starts; Exit waits too.
TEST_F(RealEncoderSession, PendingConversionsAtStartUpAndAStartAndAnExitThatWaitForTheSave) {
    const std::wstring broken = work / L"broken.mp4", earlier = work / L"earlier.mp4", next = work / L"next.mp4";
    WriteTextFile(broken, L"not a recording");
    const std::wstring brokenText = ReadWholeFile(broken);
    ASSERT_EQ(RunHost("ffmpeg -v error -f lavfi -i testsrc=size=320x240:rate=10 -t 2 -c:v libx264 -pix_fmt yuv420p -f flv -y " +
                      HostQuoted(earlier)).status, 0);
    Build(L"[Device]\r\nAudioDevice=Microphone\r\nDisableVideo=1\r\nDemoMode=1\r\n",
          L"[Local]\r\nPendingConversion=" + broken + L"\r\n");
    dlg->ConvertPendingRecording();
    EXPECT_EQ(Tooltip(), L"Saving recording\u2026");
    ASSERT_TRUE(Saved());
    EXPECT_EQ(Status(), L"The recording could not be converted to a standard MP4 file. It is kept as recorded (FLV) in " +
                            broken + L".");
    EXPECT_EQ(ReadWholeFile(broken), brokenText);
    EXPECT_EQ(GetFileAttributesW((broken + L".saving").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(PendingConversion(), L"") << "a failed conversion is tried again";

    WritePrivateProfileStringW(L"Local", L"PendingConversion", earlier.c_str(), LocalIni().c_str());
    ClearWrapperReport(work.Path());  // run 0 is the conversion, run 1 the session
    Click(IDC_SAVE_LOCALLY);
    TypePath(next);
    dlg->ConvertPendingRecording();
    Click(IDC_START);
    EXPECT_EQ(Status(), L"Waiting until the last recording is saved\u2026");
    EXPECT_EQ(g_bSessionRunning, 0);
    ASSERT_TRUE(PumpUntil([] { return g_bSessionRunning == 1; }, 30000)) << "the waiting Start never started";
    EXPECT_EQ(ProbeFormat(earlier), "mov,mp4,m4a,3gp,3g2,mj2");
    EXPECT_GE(PlaysTo(earlier), 1.5);
    ASSERT_TRUE(Encode(next, 1, 1));
    // Exit stops the session and waits for its recording to be saved before the application ends.
    user.nextAnswer = IDYES;
    theApp.OnTrayExit();
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(PendingConversion(), L"");
    EXPECT_EQ(ProbeFormat(next), "mov,mp4,m4a,3gp,3g2,mj2");
    EXPECT_EQ(CountProcesses(L"ffmpeg.exe"), 0);
}
