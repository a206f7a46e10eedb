// The media settings dialog on fake capture devices: first use, the lists, Apply and its refusals,
// Close, and a Start that carries the choices to the encoder.
#include "MainWindowFixture.h"
#include "resources/MediaSettingsRes.h"
#include "ui/main/StartStopHotkey.h"
#include "config/Win32SettingsStore.h"
#include <array>
#include <cstdio>

namespace {

using Names = std::vector<std::wstring>;

// Fake DirectShow devices, registered where the device enumerator looks; enumerated in the
// order of their instance keys.
struct FakeDevice { const wchar_t *category, *friendlyName, *description; };
constexpr wchar_t kAudio[] = L"{33D9A762-90C8-11D0-BD43-00A0C911CE86}";
constexpr wchar_t kVideo[] = L"{860BB310-5D01-11D0-BD3B-00A0C911CE86}";
const FakeDevice kDevices[] = {
    {kAudio, L"Microphone (USB Audio)", nullptr},
    {kAudio, L"Realtek HD Audio Input", L"Line In (Realtek Audio)"},
    {kAudio, L"Stereo Mix (Realtek Audio)", nullptr},
    {kAudio, L"Микрофон (Гарнитура)", nullptr},
    {kAudio, L"Mic \"Pro\"", nullptr},
    {kVideo, L"USB Camera", nullptr},
    {kVideo, L"Integrated Camera", L"HD Webcam (Front)"},
};

std::wstring InstanceKey(size_t i) {
    wchar_t key[160];
    std::swprintf(key, 160, L"CLSID\\%ls\\Instance\\{7E570000-0000-0000-0000-%012zu}", kDevices[i].category, i);
    return key;
}

void SetValue(HKEY key, const wchar_t* name, const wchar_t* value) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), DWORD((wcslen(value) + 1) * 2));
}

const wchar_t kSameSource[] =
    L"'Primary Video Source' and 'Overlay Video Device' is not of same Type. Please change one of them or 'Disable Video Overlay'..";
const wchar_t kNoAudio[] = L"Please Select an Audio Device or Mute Audio..";
const wchar_t kNoOverlay[] = L"Please Select an Overlay Video Device or Disable Video Overlay..";
const wchar_t kBadFrameRate[] = L"Please Enter a Video Frame Rate that is a whole number from 1 to 240..";
const wchar_t kBadBitrate[] = L"Please Enter a Video Bitrate that is a whole number from 300 to 20000 kbit/s..";

// The dialog's controls, as a script inside its modal loop drives them.
HWND Ctl(HWND d, int id) { return GetDlgItem(d, id); }
bool IsOn(HWND d, int id) { return SendMessageW(Ctl(d, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
void Press(HWND d, int id) { ClickButton(Ctl(d, id)); }
void Pick(HWND d, int id, const std::wstring& text) {
    const LRESULT i = text.empty() ? -1 : SendMessageW(Ctl(d, id), CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(text.c_str()));
    ASSERT_TRUE(text.empty() || i >= 0) << "no item " << testing::PrintToString(text);
    SendMessageW(Ctl(d, id), CB_SETCURSEL, WPARAM(i), 0);
    SendMessageW(d, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), LPARAM(Ctl(d, id)));
}
std::wstring ItemText(HWND d, int id, int item) {
    wchar_t buf[512] = {};
    if (item < 0) GetWindowTextW(Ctl(d, id), buf, 512);
    else SendMessageW(Ctl(d, id), CB_GETLBTEXT, item, LPARAM(buf));
    return buf;
}
Names ComboItems(HWND d, int id) {
    Names items;
    for (int i = 0; i < SendMessageW(Ctl(d, id), CB_GETCOUNT, 0, 0); ++i) items.push_back(ItemText(d, id, i));
    return items;
}

class MediaSettingsTest : public MainWindowFixture {
protected:
    static void SetUpTestSuite() {
        RegisterTestDevices(false);  // this suite's devices only
        for (size_t i = 0; i < std::size(kDevices); ++i) {
            HKEY key = nullptr;
            ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, InstanceKey(i).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), ERROR_SUCCESS);
            SetValue(key, L"FriendlyName", kDevices[i].friendlyName);
            if (kDevices[i].description) SetValue(key, L"Description", kDevices[i].description);
            RegCloseKey(key);
        }
    }
    static void TearDownTestSuite() {
        for (size_t i = 0; i < std::size(kDevices); ++i) RegDeleteTreeW(HKEY_CLASSES_ROOT, InstanceKey(i).c_str());
        RegisterTestDevices(true);
    }
    void OpenMediaSettings(std::function<void(HWND)> script) {
        user.OnNextModal(std::move(script));
        ClickLabel(IDC_LINK_MEDIA_SETTINGS);
    }
};

// The stand-in encoder in a folder of its own, the current one while this lives.
struct StandInEncoder {
    StandInEncoder() {
        GetCurrentDirectoryW(MAX_PATH, oldDir);
        SetCurrentDirectoryW(work.Path().c_str());
        FreeConsole();
        EXPECT_TRUE(CopyFileW((ExeFolder() + L"\\fake_encoder.exe").c_str(), (work / L"ffmpeg.exe").c_str(), FALSE));
    }
    ~StandInEncoder() { SetCurrentDirectoryW(oldDir); }
    // The line a Start gave it, once it has written it.
    std::wstring Line() const {
        const std::wstring log = work / L"fake_encoder.log";
        EXPECT_TRUE(PumpUntil([&] { return ReadWholeFile(log).find(L'\n') != std::wstring::npos; }, 15000));
        return ReadWholeFile(log);
    }
    TempFolder work{L"work"};
    wchar_t oldDir[MAX_PATH] = {};
};

const std::wstring kStored =
    L"[Device]\r\nAudioDevice=microphone (usb audio)\r\nVideoDevice=USB Camera\r\nMuteAudio=0\r\nDisableVideo=0\r\n"
    L"OverlayVideoPos=Top Left\r\nVideoFPS=24\r\nDemoMode=1\r\nHandWritten=x\r\n";

}  // namespace

TEST_F(MediaSettingsTest, FirstUseMutesAndWritesTheFiveKeysAndListsTheDevices) {
    std::wstring fileAtOpening;
    bool muted = false, audioEnabled = true;
    Names audio, overlay, primary;
    user.OnNextModal([&](HWND d) {
        fileAtOpening = ReadWholeFile(SettingsIni());
        muted = IsOn(d, IDC_MUTE_AUDIO);
        audioEnabled = IsWindowEnabled(Ctl(d, IDC_AUDIO_DEVICE));
        audio = ComboItems(d, IDC_AUDIO_DEVICE);
        overlay = ComboItems(d, IDC_OVERLAY_DEVICE);
        Pick(d, IDC_RECORDING_MODE, L"Other");
        primary = ComboItems(d, IDC_PRIMARY_VIDEO_SOURCE);
        SendMessageW(Ctl(d, IDC_SOUND_DEVICES_LINK), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageW(Ctl(d, IDC_SOUND_DEVICES_LINK), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    });
    Build(L"[Device]\r\nDemoMode=1\r\n");  // no audio device: opened once start-up has ended
    EXPECT_TRUE(user.Modals().empty());
    ASSERT_TRUE(PumpUntil([&] { return !user.Modals().empty(); }));
    EXPECT_EQ(user.Modals(), std::vector<int>{IDD_MEDIA_SETTINGS});
    EXPECT_EQ(fileAtOpening, L"[Device]\r\nDemoMode=1\r\nAudioDevice=\r\nVideoDevice=\r\nMuteAudio=1\r\nDisableVideo=1\r\nOverlayVideoPos=\r\n");
    EXPECT_TRUE(muted);
    EXPECT_FALSE(audioEnabled);
    EXPECT_EQ(audio, (Names{L"Microphone (USB Audio)", L"Line In (Realtek Audio)", L"Микрофон (Гарнитура)", L"Mic \"Pro\""}));
    EXPECT_EQ(overlay, (Names{L"HD Webcam (Front)", L"USB Camera"}));
    EXPECT_EQ(primary, (Names{L"HD Webcam (Front)", L"screen-capture-recorder", L"USB Camera"}));
    EXPECT_EQ(user.Opened(), Names{L"mmsys.cpl"});
    // Cancelled: the main window takes what the dialog loaded.
    EXPECT_EQ(g_strRecordingDevice, L"Stereo Mix (Realtek Audio)");
    EXPECT_EQ(dlg->m_nMuteAudio, 1);
    EXPECT_EQ(dlg->m_nOverlayVideoPos, -1);
}

TEST_F(MediaSettingsTest, ApplyRefusesWithTheExactMessagesAndWritesNothing) {
    Build(kStored);
    const std::wstring before = ReadWholeFile(SettingsIni());
    const struct { std::function<void(HWND)> choose; std::wstring message; } cases[] = {
        {[](HWND d) { Pick(d, IDC_RECORDING_MODE, L"Other"); Pick(d, IDC_PRIMARY_VIDEO_SOURCE, L"USB Camera"); }, kSameSource},
        {[](HWND d) { Pick(d, IDC_RECORDING_MODE, L"Other"); }, L"Please Select a Primary Video Source for Recording Mode 'Other'.."},
        {[](HWND d) { Pick(d, IDC_AUDIO_DEVICE, L""); }, kNoAudio},
        {[](HWND d) { Pick(d, IDC_OVERLAY_DEVICE, L""); }, kNoOverlay},
        {[](HWND d) { SetWindowTextW(Ctl(d, IDC_FRAME_RATE), L"30 -i x"); }, kBadFrameRate},
        {[](HWND d) { SetWindowTextW(Ctl(d, IDC_FRAME_RATE), L"0"); }, kBadFrameRate},
        {[](HWND d) { SetWindowTextW(Ctl(d, IDC_VIDEO_BITRATE), L"299"); }, kBadBitrate},
        {[](HWND d) { SetWindowTextW(Ctl(d, IDC_VIDEO_BITRATE), L""); }, kBadBitrate},
        {[](HWND d) { Pick(d, IDC_AUDIO_DEVICE, L"Mic \"Pro\""); },
         L"The Device \"Mic \"Pro\"\" has a double quote in its name, which cannot be passed to the encoder. Please Select another Device.."},
    };
    for (const auto& c : cases) {
        bool open = false;
        OpenMediaSettings([&](HWND d) {
            c.choose(d);
            Press(d, IDOK);
            open = IsWindowVisible(d);
        });
        ASSERT_FALSE(user.Boxes().empty());
        EXPECT_EQ(user.Boxes().back().text, c.message);
        EXPECT_EQ(user.Boxes().back().type, UINT(MB_OK | MB_ICONWARNING));
        EXPECT_TRUE(open);
        EXPECT_EQ(ReadWholeFile(SettingsIni()), before);
    }
    EXPECT_EQ(user.Boxes().size(), std::size(cases));
    // The same source twice is fine once the overlay is off.
    OpenMediaSettings([&](HWND d) {
        Pick(d, IDC_RECORDING_MODE, L"Other");
        Pick(d, IDC_PRIMARY_VIDEO_SOURCE, L"USB Camera");
        SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_DISABLE_VIDEO_LABEL, STN_CLICKED), LPARAM(Ctl(d, IDC_DISABLE_VIDEO_LABEL)));
        Press(d, IDOK);
    });
    EXPECT_EQ(user.Boxes().size(), std::size(cases));
    EXPECT_NE(ReadWholeFile(SettingsIni()), before);
}

TEST_F(MediaSettingsTest, ApplyRewritesTheSectionInOrderAndCloseWritesNothing) {
    Build(L"[Paths]\r\nVideo Local Folder=C:\\v\\a.mp4\r\n" + kStored);
    dlg->m_strTheme = L"Light";
    const std::wstring before = ReadWholeFile(SettingsIni());
    // Close, Escape and the close box: nothing written, the stored values come back.
    for (UINT close : {0u, 1u, 2u}) {
        OpenMediaSettings([&](HWND d) {
            EXPECT_EQ(ItemText(d, IDC_FRAME_RATE, -1), L"24");  // not an item, shown as stored
            Press(d, IDC_MUTE_AUDIO);
            Pick(d, IDC_OVERLAY_POSITION, L"Top Right");
            if (close == 0) Press(d, IDC_SETTINGS_CLOSE);
            if (close == 1) SendMessageW(d, WM_COMMAND, IDCANCEL, 0);
            if (close == 2) SendMessageW(d, WM_CLOSE, 0, 0);  // posts the cancel
            EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(d); }, 2000)) << close;
        });
        EXPECT_EQ(ReadWholeFile(SettingsIni()), before);
        EXPECT_EQ(dlg->m_nMuteAudio, 0);
        EXPECT_EQ(dlg->m_nOverlayVideoPos, 1);
        EXPECT_EQ(dlg->m_strAudioDevice, L"microphone (usb audio)");
    }
    user.OnNextModal([](HWND d) { Press(d, IDC_MUTE_AUDIO); Press(d, IDOK); });
    theApp.OnTraySettings();  // applied from the tray: the main window takes it as from its own link
    EXPECT_EQ(dlg->m_nMuteAudio, 1);
    EXPECT_EQ(ReadWholeFile(SettingsIni()),
              L"[Paths]\r\nVideo Local Folder=C:\\v\\a.mp4\r\n[Device]\r\nAudioDevice=Microphone (USB Audio)\r\n"
              L"VideoDevice=USB Camera\r\nMuteAudio=1\r\nDisableVideo=0\r\nTheme=Light\r\nRecMode=Desktop\r\nPrimaryVidSrc=\r\n"
              L"OverlayVideoPos=Top Left\r\nVideoFPS=24\r\nRecordingDevice=Stereo Mix (Realtek Audio)\r\n"
              L"DefaultRecordingFormat=mp4\r\nReconnectChannels=0\r\nVideoBitrate=1000\r\nOutputSize=Screen\r\nAudioCodec=MP3\r\nAlsoRecord=\r\n"
              L"DemoMode=1\r\n");
    // The reconnect option: its label toggles it, Apply stores it, the next opening shows it.
    user.OnNextModal([](HWND d) {
        SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_RECONNECT_CHANNELS_LABEL, STN_CLICKED), 0);
        Press(d, IDOK);
    });
    theApp.OnTraySettings();
    EXPECT_NE(ReadWholeFile(SettingsIni()).find(L"\r\nReconnectChannels=1\r\nVideoBitrate=1000\r\n"), std::wstring::npos);
    bool checked = false;
    user.OnNextModal([&](HWND d) { checked = SendDlgItemMessageW(d, IDC_RECONNECT_CHANNELS, BM_GETCHECK, 0, 0) == BST_CHECKED; });
    theApp.OnTraySettings();
    EXPECT_TRUE(checked);
}

// The recommended quality is set in the dialog, stored by Apply, said below the channels and sent.
TEST_F(MediaSettingsTest, RecommendedForStreamingIsStoredByApplyAndTheNextStartSendsIt) {
    StandInEncoder encoder;
    Build(kThreeServers);
    Choose(0, L"Twitch");
    Choose(1, L"Beta");
    EXPECT_EQ(Text(IDC_UPLOAD), L"Upload: 2 \u00D7 1.2 Mbit/s = 2.3 Mbit/s");
    std::wstring shown[4];
    OpenMediaSettings([&](HWND d) {
        Press(d, IDC_RECOMMENDED);
        for (int i = 0; i < 4; ++i) shown[i] = ItemText(d, std::array{IDC_FRAME_RATE, IDC_OUTPUT_SIZE, IDC_VIDEO_BITRATE, IDC_AUDIO_CODEC}[i], -1);
        Press(d, IDOK);
    });
    EXPECT_EQ(shown[0] + L" " + shown[1] + L" " + shown[2] + L" " + shown[3], L"30 720p 3000 AAC");
    const std::wstring ini = ReadWholeFile(SettingsIni());
    for (const wchar_t* key : {L"\r\nVideoFPS=30\r\n", L"\r\nVideoBitrate=3000\r\nOutputSize=720p\r\nAudioCodec=AAC\r\n"})
        EXPECT_NE(ini.find(key), std::wstring::npos) << testing::PrintToString(std::wstring(key));
    EXPECT_EQ(Text(IDC_UPLOAD), L"Upload: 2 \u00D7 3.2 Mbit/s = 6.3 Mbit/s");
    Click(IDC_START);
    const std::wstring line = encoder.Line();
    dlg->OnStop();
    for (const wchar_t* piece : {L"ffmpeg -framerate 30 ", L" -vf \"scale=-2:min(720\\,ih)\" ",
                                 L" -b:v 3000k -minrate 3000k -maxrate 3000k -bufsize:v 3000k ", L" -c:a aac -b:a 160k -ar 44100 "})
        EXPECT_NE(line.find(piece), std::wstring::npos) << testing::PrintToString(std::wstring(piece)) << testing::PrintToString(line);
}

TEST_F(MediaSettingsTest, StartAfterApplyLaunchesTheEncoderWithTheChoices) {
    StandInEncoder encoder;
    Build(kThreeServers);
    OpenMediaSettings([](HWND d) {
        Press(d, IDC_MUTE_AUDIO);
        Pick(d, IDC_AUDIO_DEVICE, L"Микрофон (Гарнитура)");
        Press(d, IDC_DISABLE_VIDEO);
        Pick(d, IDC_OVERLAY_DEVICE, L"HD Webcam (Front)");
        Pick(d, IDC_OVERLAY_POSITION, L"Top Left");
        Pick(d, IDC_FRAME_RATE, L"30");
        Press(d, IDOK);
    });
    Choose(0, L"Twitch");
    Click(IDC_START);
    const std::wstring line = encoder.Line();
    dlg->OnStop();
    // The camera shown by its description goes in by the name the encoder finds it by.
    EXPECT_EQ(line.substr(0, line.find(L'\n')),
              L"ffmpeg -framerate 30 -hwaccel auto  -vsync 1 -loglevel quiet -re -rtbufsize 1500M -f dshow "
              L"-i video=\"screen-capture-recorder\" -f dshow -i video=\"@device_sw_" + std::wstring(kVideo) + L"\\" +
                  InstanceKey(6).substr(InstanceKey(6).rfind(L'\\') + 1) + L"\" "
              L"-filter_complex \"[1] scale=250:-1[inner]; [0] [inner] overlay =10:10\" "
              L"-f dshow -i audio=\"Микрофон (Гарнитура)\" -filter_complex \"amerge=inputs=1\"  -map 0:v -map 2:a "
              L"-flags +global_header -force_key_frames expr:gte(t,n_forced*2) -b:v 1000k -minrate 1000k "
              L"-maxrate 1000k -bufsize:v 1000k -preset:v veryfast -pix_fmt yuv420p -tune film -c:a libmp3lame -q:a 2 "
              L"-ar 44100 -vcodec libx264 -ac 2  -f tee \"[f=flv:onfail=ignore]rtmp://live.twitch.example/app/live_1\" -y");
}

TEST_F(MediaSettingsTest, FirstStartOfTheApplicationWritesTheFirstUseKeys) {
    SetEnvironmentVariableW(L"APPDATA", appData.Path().c_str());
    const std::wstring exe = ExeFolder() + L"\\vandrel.exe";
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, appData.Path().c_str(), &si, &pi));
    const std::wstring ini = SettingsIni();
    EXPECT_TRUE(PumpUntil([&] { return ReadWholeFile(ini).find(L"OverlayVideoPos=") != std::wstring::npos; }, 30000));
    KillProcesses(L"vandrel.exe");
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(ReadWholeFile(ini), L"[Device]\r\nAudioDevice=\r\nVideoDevice=\r\nMuteAudio=1\r\nDisableVideo=1\r\nOverlayVideoPos=\r\n");
}

TEST_F(MediaSettingsTest, ANonAnsiDeviceAppliedIntoAnAnsiFileWrittenElsewhereKeepsEverything) {
    const std::wstring device = L"Mikrofon (\u00dcn\u00efc\u00f8d\u00e9 \u2603)";
    const std::wstring key = std::wstring(L"CLSID\\") + kAudio + L"\\Instance\\{7E570000-0000-0000-0000-0000000000A5}";
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr), ERROR_SUCCESS);
    SetValue(k, L"FriendlyName", device.c_str());
    RegCloseKey(k);
    Build(L"");
    // Written by another tool in the ANSI code page (Windows-1252 here): no byte-order mark.
    const char ansi[] = "[Paths]\r\nVideo Local Folder=C:\\Videos\\M\xfcller.mp4\r\n"
                        "[Caf\xe9 Live]\r\nRtmpurl=rtmp://caf\xe9.example/live\r\nKey=k\xe9y\r\n"
                        "[Device]\r\nAudioDevice=Microphone (USB Audio)\r\nMuteAudio=0\r\nDisableVideo=1\r\nDemoMode=1\r\n";
    ASSERT_EQ(GetACP(), 1252u) << "the file below is Windows-1252";
    HANDLE f = CreateFileW(SettingsIni().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(f, ansi, sizeof ansi - 1, &written, nullptr);
    CloseHandle(f);
    Rebuild();
    EXPECT_EQ(g_ServerList.FindServerByName(L"Caf\u00e9 Live") >= 0, true);  // read through the ANSI code page

    OpenMediaSettings([&](HWND d) { Pick(d, IDC_AUDIO_DEVICE, device); Press(d, IDOK); });
    RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    EXPECT_TRUE(user.Boxes().empty());
    const std::wstring raw = [&] {
        HANDLE h = CreateFileW(SettingsIni().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        std::wstring bytes(4096, L'\0');
        DWORD got = 0;
        ReadFile(h, bytes.data(), 8192, &got, nullptr);
        CloseHandle(h);
        bytes.resize(got / 2);
        return bytes;
    }();
    EXPECT_EQ(raw,
              L"\ufeff[Paths]\r\nVideo Local Folder=C:\\Videos\\M\u00fcller.mp4\r\n"
              L"[Caf\u00e9 Live]\r\nRtmpurl=rtmp://caf\u00e9.example/live\r\nKey=k\u00e9y\r\n"
              L"[Device]\r\nAudioDevice=" + device + L"\r\nVideoDevice=\r\nMuteAudio=0\r\nDisableVideo=1\r\nTheme=\r\n"
              L"RecMode=Desktop\r\nPrimaryVidSrc=\r\nOverlayVideoPos=\r\nVideoFPS=12\r\nRecordingDevice=Stereo Mix (Realtek Audio)\r\n"
              L"DefaultRecordingFormat=mp4\r\nReconnectChannels=0\r\nVideoBitrate=1000\r\nOutputSize=Screen\r\nAudioCodec=MP3\r\nAlsoRecord=\r\n"
              L"DemoMode=1\r\n");
    // The next start reads the device back as chosen.
    Rebuild();
    EXPECT_EQ(dlg->m_strAudioDevice, device);
}

TEST_F(MediaSettingsTest, BuiltInCaptureIsAModeOfItsOwnAndOfferedWhenTheFilterIsMissing) {
    Build(kStored);
    Names modes;
    bool sourceEnabled = true;
    OpenMediaSettings([&](HWND d) {
        modes = ComboItems(d, IDC_RECORDING_MODE);
        Pick(d, IDC_RECORDING_MODE, L"Other");
        Pick(d, IDC_RECORDING_MODE, L"Desktop (built-in)");
        sourceEnabled = IsWindowEnabled(Ctl(d, IDC_PRIMARY_VIDEO_SOURCE));
        Press(d, IDOK);
    });
    EXPECT_EQ(modes, (Names{L"Desktop", L"Desktop (built-in)", L"Other"}));
    EXPECT_FALSE(sourceEnabled);
    EXPECT_TRUE(user.Boxes().empty());
    EXPECT_EQ(Settings().GetString(SettingsIni(), L"Device", L"RecMode", L""), L"Desktop (built-in)");
    std::wstring shown;
    OpenMediaSettings([&](HWND d) { shown = ItemText(d, IDC_RECORDING_MODE, -1); });
    EXPECT_EQ(shown, L"Desktop (built-in)");

    // "Desktop" without the filter: the same question as at Start; No keeps "Desktop", Yes takes the built-in capture.
    ASSERT_TRUE(RegisterScreenCaptureFilter(false));
    for (const int answer : {IDNO, IDYES}) {
        user.nextAnswer = answer;
        OpenMediaSettings([&](HWND d) { Pick(d, IDC_RECORDING_MODE, L"Desktop"); Press(d, IDOK); });
        ASSERT_FALSE(user.Boxes().empty());
        EXPECT_NE(user.Boxes().back().text.find(L"\"screen-capture-recorder\", which is not installed"), std::wstring::npos);
        EXPECT_EQ(user.Boxes().back().type, UINT(MB_YESNO | MB_ICONQUESTION));
        EXPECT_EQ(Settings().GetString(SettingsIni(), L"Device", L"RecMode", L""),
                  answer == IDYES ? L"Desktop (built-in)" : L"Desktop");
    }
    RegisterScreenCaptureFilter(true);
}

TEST_F(MediaSettingsTest, HotkeyIsStoredAsPrintedAndAKeyInUseIsSaidOnce) {
    Build(kStored);
    HWND holder = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    HWND tray = CreateWindowExW(0, L"STATIC", L"tray", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(RegisterHotKey(holder, 7, MOD_CONTROL | MOD_ALT, VK_F10));  // another program's
    StartStopHotkey().SetWindow(tray);

    OpenMediaSettings([](HWND d) { SetWindowTextW(Ctl(d, IDC_HOTKEY), L"Q"); Press(d, IDOK); });
    ASSERT_EQ(user.Boxes().size(), 1u);
    EXPECT_EQ(user.Boxes()[0].text, L"The hotkey \"Q\" would take a key away from typing everywhere. Please add Ctrl, Alt or Win..");
    EXPECT_EQ(Settings().GetString(SettingsIni(), L"Device", L"StartStopHotkey", L"-"), L"-");

    std::wstring state;
    for (int round = 0; round < 2; ++round)
        OpenMediaSettings([&](HWND d) {
            SetWindowTextW(Ctl(d, IDC_HOTKEY), L"alt+CTRL+f10");
            Press(d, IDOK);
            state = ItemText(d, IDC_HOTKEY_STATE, -1);
        });
    EXPECT_EQ(Settings().GetString(SettingsIni(), L"Device", L"StartStopHotkey", L""), L"Ctrl+Alt+F10");
    ASSERT_EQ(user.Boxes().size(), 2u);  // said once, not at every Apply
    EXPECT_EQ(user.Boxes()[1].text, L"Ctrl+Alt+F10 is in use by another program: choose another hotkey in the media settings.");
    std::wstring shown;
    OpenMediaSettings([&](HWND d) {
        shown = ItemText(d, IDC_HOTKEY, -1);
        state = ItemText(d, IDC_HOTKEY_STATE, -1);
    });
    EXPECT_EQ(shown, L"Ctrl+Alt+F10");
    EXPECT_EQ(state, L"in use by another program");

    // A free key registers on the icon's window, with no word said.
    OpenMediaSettings([&](HWND d) {
        SetWindowTextW(Ctl(d, IDC_HOTKEY), L"Ctrl+Alt+F11");
        Press(d, IDOK);
        state = ItemText(d, IDC_HOTKEY_STATE, -1);
    });
    EXPECT_EQ(user.Boxes().size(), 2u);
    EXPECT_EQ(state, L"");
    EXPECT_FALSE(RegisterHotKey(holder, 8, MOD_CONTROL | MOD_ALT, VK_F11));  // taken by Vandrel now
    StartStopHotkey().Register(L"");
    StartStopHotkey().SetWindow(nullptr);
    UnregisterHotKey(holder, 7);
    DestroyWindow(holder);
    DestroyWindow(tray);
}
