// Sessions the end-to-end scripts run: the line for the overlay camera, sound, two channels and a
// local MP4 file, written out for tests/e2e/real-encoder.sh; one channel to a relay through the
// real encoder, for tests/e2e/relay.sh.
#include "MainWindowFixture.h"
#include "RealEncoder.h"
#include "engine/EncoderProcess.h"
#include <cstdio>

namespace {

std::wstring Env(const wchar_t* name, const wchar_t* fallback) {
    wchar_t buf[1024] = {};
    const DWORD n = GetEnvironmentVariableW(name, buf, 1024);
    return n > 0 && n < 1024 ? buf : fallback;
}

// The line in UTF-8 into the file the environment variable names, if it names one.
void WriteLine(const wchar_t* variable, const std::wstring& line) {
    const std::wstring out = Env(variable, L"");
    if (out.empty()) return;
    const int n = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, utf8.data(), n, nullptr, nullptr);
    FILE* f = _wfopen(out.c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    std::fprintf(f, "%s\n", utf8.c_str());
    std::fclose(f);
}

}  // namespace

class SessionLine : public MainWindowFixture {
protected:
    // Starts the session the window is set up for, with the stand-in encoder in the work folder,
    // and returns the line the encoder received (empty if none came).
    std::wstring Launch() {
        if (!CopyFileW((ExeFolder() + L"\\fake_encoder.exe").c_str(), (work / L"ffmpeg.exe").c_str(), FALSE)) return L"";
        wchar_t oldDir[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, oldDir);
        SetCurrentDirectoryW(work.Path().c_str());
        Click(IDC_START);
        const std::wstring log = work / L"fake_encoder.log";
        PumpUntil([&] { return ReadWholeFile(log).find(L'\n') != std::wstring::npos; }, 15000);
        if (g_bSessionRunning) dlg->OnStop();
        SetCurrentDirectoryW(oldDir);
        const std::wstring text = ReadWholeFile(log);
        return text.substr(0, text.find(L'\n'));
    }

    TempFolder work{L"line"};
};

TEST_F(SessionLine, SessionWithOverlaySoundTwoChannelsAndFileLaunchesItsLine) {
    FreeConsole();
    const std::wstring urlA = Env(L"VANDREL_E2E_URL_A", L"rtmp://127.0.0.1:19351/live");
    const std::wstring urlB = Env(L"VANDREL_E2E_URL_B", L"rtmp://127.0.0.1:19352/live");
    const std::wstring file = Env(L"VANDREL_E2E_FILE", (work / L"session.mp4").c_str());
    const std::wstring reconnect = Env(L"VANDREL_E2E_RECONNECT", L"0");
    Build(L"[Device]\r\nAudioDevice=Microphone (USB Audio)\r\nVideoDevice=USB Camera\r\nDisableVideo=0\r\n"
          L"MuteAudio=0\r\nOverlayVideoPos=Top Right\r\nDemoMode=1\r\nReconnectChannels=" + reconnect + L"\r\n"
          L"[Studio A]\r\nRtmpurl=" + urlA + L"\r\nKey=alpha\r\nPort=1935\r\n"
          L"[Studio B]\r\nRtmpurl=" + urlB + L"\r\nKey=beta\r\nPort=1935\r\n");
    Choose(0, L"Studio A");
    Choose(1, L"Studio B");
    Click(IDC_SAVE_LOCALLY);
    TypePath(file);
    const std::wstring line = Launch();
    ASSERT_FALSE(line.empty());

    // The three capture inputs and the three targets the real-encoder test replaces and checks.
    EXPECT_NE(line.find(L"-f dshow -i video=\"screen-capture-recorder\" -f dshow -i video=\"USB Camera\""), std::wstring::npos);
    EXPECT_NE(line.find(L"-f dshow -i audio=\"Microphone (USB Audio)\""), std::wstring::npos);
    EXPECT_NE(line.find(L"-map 0:v -map 2:a"), std::wstring::npos);
    const std::wstring channel = reconnect == L"1"
        ? L"[f=flv:onfail=ignore:use_fifo=1:fifo_options=attempt_recovery=1\\\\:recovery_wait_time=2"
          L"\\\\:drop_pkts_on_overflow=1\\\\:restart_with_keyframe=1]"
        : L"[f=flv:onfail=ignore]";
    EXPECT_NE(line.find(L"\"" + channel + urlA + L"/alpha|" + channel + urlB + L"/beta|[f=flv:onfail=ignore]"),
              std::wstring::npos);
    WriteLine(L"VANDREL_E2E_LINE", line);
}

// One channel to a relay, as the README sets it up, through the real encoder the application
// starts and stops itself: the server's URL names the relay's application, the key only names the
// stream there. tests/e2e/relay.sh starts the relay and its destinations first and checks what
// they recorded; without them (no VANDREL_E2E_RELAY_URL) there is nothing to stream to.
TEST_F(SessionLine, OneChannelToARelayStreamsThroughTheRealEncoder) {
    const std::wstring url = Env(L"VANDREL_E2E_RELAY_URL", L"");
    if (url.empty()) GTEST_SKIP() << "run by tests/e2e/relay.sh";
    FreeConsole();  // like the GUI program: the encoder's console is the only one it attaches to
    ASSERT_FALSE(RealEncoderPath().empty()) << "no real encoder: run scripts/setup.sh (VANDREL_REAL_ENCODER)";
    ASSERT_TRUE(InstallRealEncoder(work.Path()));
    SetEncoderFolder(work.Path());
    Build(L"[Device]\r\nAudioDevice=Microphone (USB Audio)\r\nVideoDevice=USB Camera\r\nDisableVideo=1\r\n"
          L"MuteAudio=0\r\nDemoMode=1\r\n"
          L"[Relay]\r\nRtmpurl=" + url + L"\r\nKey=vandrel\r\nPort=1935\r\n");
    Choose(0, L"Relay");
    Click(IDC_START);
    const bool started = PumpUntil([&] { return ReadWrapperReport(work.Path()).realPid != 0; }, 15000);
    if (started) PumpFor(8000);
    const bool running = g_bSessionRunning && !ReadWrapperReport(work.Path()).exitedByItself;
    if (g_bSessionRunning) Click(IDC_STOP);
    SetEncoderFolder(L"");
    ASSERT_TRUE(started) << "the real encoder did not start";
    EXPECT_TRUE(running) << "the session ended before Stop";

    const WrapperReport report = ReadWrapperReport(work.Path());
    EXPECT_NE(report.line.find(L"-f dshow -i audio=\"Microphone (USB Audio)\""), std::wstring::npos);
    EXPECT_NE(report.line.find(L" -f tee \"[f=flv:onfail=ignore]" + url + L"/vandrel\" -y"), std::wstring::npos);
    EXPECT_TRUE(report.exitedByItself) << "the real encoder was terminated";
    EXPECT_EQ(report.exitCode, 0u);
    EXPECT_EQ(CountProcesses(L"ffmpeg.exe"), 0);
    KillProcesses(L"ffmpeg.exe");
}
