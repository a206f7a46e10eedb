// What the real Windows encoder reports, read by the application while the session runs: with
// nginx-rtmp on 127.0.0.1 one channel goes live and one is refused; a session whose only channel
// fails ends by itself and says which server and why. No file but settings.ini keeps a key.
#include "MainWindowFixture.h"
#include "RealEncoder.h"
#include "engine/EncoderProcess.h"
#include "engine/ReportFile.h"
#include "ui/main/SessionStatus.h"

namespace {

constexpr int kLivePort = 19560;  // nginx-rtmp listens here
constexpr int kDeadPort = 19561;  // nothing listens here
constexpr int kTlsPort = 19562;   // RTMPS: nginx's stream module with TLS in front of nginx-rtmp

class RealEncoderReport : public MainWindowFixture {
protected:
    void SetUp() override {
        FreeConsole();
        ASSERT_FALSE(RealEncoderPath().empty()) << "no real encoder: run scripts/setup.sh (VANDREL_REAL_ENCODER)";
        ASSERT_TRUE(InstallRealEncoder(work.Path()));
        GetCurrentDirectoryW(MAX_PATH, m_oldDir);
        SetCurrentDirectoryW(work.Path().c_str());
        SetEncoderFolder(work.Path());
    }
    void TearDown() override {
        if (g_bSessionRunning) dlg->OnStop();
        StopServer();
        SetEncoderFolder(L"");
        SetCurrentDirectoryW(m_oldDir);
        MainWindowFixture::TearDown();
        EXPECT_EQ(CountProcesses(L"ffmpeg.exe"), 0) << "an encoder outlived its test";
        KillProcesses(L"ffmpeg.exe");
    }
    // nginx-rtmp in the foreground on 127.0.0.1, as tests/e2e/rtmp.sh runs it, recording what it
    // receives into rtmp\rec; with tls, a TLS front on kTlsPort with a certificate made here.
    void StartServer(bool tls = false) {
        const std::string dir = HostQuoted(work / L"rtmp");
        const std::string port = std::to_string(kLivePort), tlsPort = std::to_string(kTlsPort);
        const std::string front =
            tls ? " 'stream { server { listen 127.0.0.1:" + tlsPort + " ssl; ssl_certificate cert.pem; "
                  "ssl_certificate_key key.pem; proxy_pass 127.0.0.1:" + port + "; } }'" : "";
        const HostResult r = RunHost(
            "mkdir -p " + dir + "/rec && cd " + dir + " && " +
            (tls ? "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1 -keyout key.pem -out cert.pem "
                   "2>/dev/null && printf '%s\\n' 'load_module /usr/lib/nginx/modules/ngx_stream_module.so;' > nginx.conf && "
                 : ": > nginx.conf && ") +
            "printf '%s\\n' 'load_module /usr/lib/nginx/modules/ngx_rtmp_module.so;' "
            "'daemon off; master_process off; worker_processes 1; pid nginx.pid; error_log error.log info;' "
            "'events { worker_connections 128; }' 'rtmp { server { listen 127.0.0.1:" + port +
            "; application live { live on; record all; record_path rec; } } }'" + front +
            " >> nginx.conf && (timeout 120 nginx -p . -e error.log -c nginx.conf "
            "</dev/null >/dev/null 2>&1 &) && for i in $(seq 100); do ss -ltn | grep -q '127.0.0.1:" + (tls ? tlsPort : port) +
            " ' && exit 0; sleep 0.1; done; exit 1");
        ASSERT_EQ(r.status, 0) << r.output;
        m_server = true;
    }
    void StopServer() {
        if (m_server) RunHost("kill $(cat " + HostQuoted(work / L"rtmp\\nginx.pid") + ")");
        m_server = false;
    }
    std::wstring State(int channel) const { return Text(IDC_CHANNEL1_STATE + channel); }

    TempFolder work{L"realreport"};
    wchar_t m_oldDir[MAX_PATH] = {};
    bool m_server = false;
};

const std::wstring kServers = L"[Device]\r\nAudioDevice=Microphone\r\nDisableVideo=1\r\nDemoMode=1\r\n"
                              L"[Live]\r\nRtmpurl=rtmp://127.0.0.1:" + std::to_wstring(kLivePort) +
                              L"/live\r\nKey=livekey_0001\r\n"
                              L"[Dead]\r\nRtmpurl=rtmp://127.0.0.1:" + std::to_wstring(kDeadPort) +
                              L"/live\r\nKey=deadkey_0002\r\n";

}  // namespace

TEST_F(RealEncoderReport, OneChannelLiveAndOneRefusedShowAsSuch) {
    ASSERT_NO_FATAL_FAILURE(StartServer());
    Build(kServers);
    Choose(0, L"Live");
    Choose(1, L"Dead");
    Click(IDC_START);
    ShowWindow(dlg->Handle(), SW_SHOWNORMAL);  // as from the tray
    ASSERT_TRUE(PumpUntil([&] { return State(0) == L"Live" && State(1).substr(0, 4) == L"Down"; }, 40000))
        << "channel 1: " << std::string(State(0).begin(), State(0).end())
        << ", channel 2: " << std::string(State(1).begin(), State(1).end());
    EXPECT_EQ(State(1), L"Down: connection refused");
    EXPECT_TRUE(IsWindowVisible(Item(IDC_CHANNEL1_STATE)));
    EXPECT_TRUE(IsWindowVisible(Item(IDC_CHANNEL2_STATE)));
    Click(IDC_STOP);

    // Only settings.ini keeps the keys; the kept report has them redacted.
    const std::wstring kept = KeptReportsFolder(SettingsIni());
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW((kept + L"\\vandrel-report-*.log").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE) << "no kept report";
    FindClose(find);
    const std::wstring report = ReadWholeFile(kept + L"\\" + found.cFileName);
    EXPECT_NE(report.find(L"rtmp://127.0.0.1:" + std::to_wstring(kLivePort) + L"/live/********"), std::wstring::npos);
    EXPECT_EQ(report.find(L"livekey_0001"), std::wstring::npos);
    EXPECT_EQ(report.find(L"deadkey_0002"), std::wstring::npos);
    EXPECT_NE(report.find(L"Slave muxer #1 failed"), std::wstring::npos);
    find = FindFirstFileW((ReportFolder() + L"vandrel-report-*.log").c_str(), &found);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE) << "the raw report stayed";
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
}

TEST_F(RealEncoderReport, SessionWhoseOnlyChannelFailsEndsAndNamesIt) {
    Build(kServers);
    Choose(0, L"Dead");
    Click(IDC_START);
    ASSERT_TRUE(PumpUntil([] { return g_bSessionRunning == 0; }, 40000)) << "still streaming";
    EXPECT_EQ(Status(), L"Streaming has stopped: no channel could be reached (Dead: connection refused).");
}

// The recommended quality through the real encoder to nginx, over RTMP and over RTMPS: H.264 at
// 720p (the test screen is 1280x800) with AAC sound, recorded by nginx, decoding to its end.
TEST_F(RealEncoderReport, AacAt720pReachesTheServerOverRtmpAndRtmps) {
    StartServer(true);
    Build(L"[Device]\r\nAudioDevice=Microphone\r\nDisableVideo=1\r\nDemoMode=1\r\nVideoBitrate=3000\r\nOutputSize=720p\r\n"
          L"AudioCodec=AAC\r\n[Plain]\r\nRtmpurl=rtmp://127.0.0.1:" + std::to_wstring(kLivePort) + L"/live\r\nKey=plainkey\r\n"
          L"[Secure]\r\nRtmpurl=RTMPS://127.0.0.1:" + std::to_wstring(kTlsPort) + L"/live\r\nKey=securekey\r\n");
    Choose(0, L"Plain");
    Choose(1, L"Secure");
    Click(IDC_START);
    EXPECT_TRUE(PumpUntil([&] { return State(0) == L"Live" && State(1) == L"Live"; }, 30000))
        << testing::PrintToString(State(0) + L" / " + State(1));
    PumpFor(3000);
    dlg->OnStop();
    StopServer();
    for (const wchar_t* key : {L"plainkey", L"securekey"}) {
        const std::wstring file = work / (std::wstring(L"rtmp\\rec\\") + key + L".flv");
        const HostResult probe = RunHost("ffprobe -v error -show_entries stream=codec_name,width,height -of csv=p=0 " +
                                         HostQuoted(file) + " | sort");
        EXPECT_EQ(probe.output, "aac\nh264,1152,720\n") << testing::PrintToString(std::wstring(key));
        EXPECT_GE(PlaysTo(file, true), 2.0) << testing::PrintToString(std::wstring(key));
    }
}
