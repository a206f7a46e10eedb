// The line the application launches for a session with the overlay camera, sound, two channels
// and a local MP4 file, written out for tests/e2e/real-encoder.sh to run with the real encoder.
#include "MainWindowFixture.h"
#include <cstdio>

namespace {

std::wstring Env(const wchar_t* name, const wchar_t* fallback) {
    wchar_t buf[1024] = {};
    const DWORD n = GetEnvironmentVariableW(name, buf, 1024);
    return n > 0 && n < 1024 ? buf : fallback;
}

}  // namespace

TEST_F(MainWindowFixture, SessionWithOverlaySoundTwoChannelsAndFileLaunchesItsLine) {
    FreeConsole();
    TempFolder work{L"line"};
    const std::wstring urlA = Env(L"VANDREL_E2E_URL_A", L"rtmp://127.0.0.1:19351/live");
    const std::wstring urlB = Env(L"VANDREL_E2E_URL_B", L"rtmp://127.0.0.1:19352/live");
    const std::wstring file = Env(L"VANDREL_E2E_FILE", (work / L"session.mp4").c_str());
    const std::wstring reconnect = Env(L"VANDREL_E2E_RECONNECT", L"0");
    Build(L"[Device]\r\nAudioDevice=Microphone (USB Audio)\r\nVideoDevice=USB Camera\r\nDisableVideo=0\r\n"
          L"MuteAudio=0\r\nOverlayVideoPos=Top Right\r\nDemoMode=1\r\nReconnectChannels=" + reconnect + L"\r\n"
          L"[Studio A]\r\nRtmpurl=" + urlA + L"\r\nKey=alpha\r\nPort=1935\r\n"
          L"[Studio B]\r\nRtmpurl=" + urlB + L"\r\nKey=beta\r\nPort=1935\r\n");
    ASSERT_TRUE(CopyFileW((ExeFolder() + L"\\fake_encoder.exe").c_str(), (work / L"ffmpeg.exe").c_str(), FALSE));
    wchar_t oldDir[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, oldDir);
    SetCurrentDirectoryW(work.Path().c_str());

    Choose(0, L"Studio A");
    Choose(1, L"Studio B");
    Click(IDC_SAVE_LOCALLY);
    TypePath(file);
    Click(IDC_START);
    const std::wstring log = work / L"fake_encoder.log";
    const bool launched = PumpUntil([&] { return ReadWholeFile(log).find(L'\n') != std::wstring::npos; }, 15000);
    if (g_bSessionRunning) dlg->OnStop();
    SetCurrentDirectoryW(oldDir);
    ASSERT_TRUE(launched);

    const std::wstring text = ReadWholeFile(log);
    const std::wstring line = text.substr(0, text.find(L'\n'));
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

    const std::wstring out = Env(L"VANDREL_E2E_LINE", L"");
    if (!out.empty()) {
        const int n = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
        std::string utf8(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
        WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, utf8.data(), n, nullptr, nullptr);
        FILE* f = _wfopen(out.c_str(), L"wb");
        ASSERT_NE(f, nullptr);
        std::fprintf(f, "%s\n", utf8.c_str());
        std::fclose(f);
    }
}
