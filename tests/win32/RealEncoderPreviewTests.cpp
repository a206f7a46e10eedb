// The media settings' preview with the real Windows encoder (through the wrapper, RealEncoder.h):
// the wrapper's test pattern for the screen and camera, its 440 Hz tone for the microphone.
#include "MainWindowFixture.h"
#include "RealEncoder.h"
#include "engine/EncoderProcess.h"
#include "resources/MediaSettingsRes.h"
#include <cstdlib>
#include <set>

namespace {

class RealEncoderPreview : public MainWindowFixture {
protected:
    void SetUp() override {
        FreeConsole();
        ASSERT_FALSE(RealEncoderPath().empty()) << "no real encoder: run scripts/setup.sh (VANDREL_REAL_ENCODER)";
        ASSERT_TRUE(InstallRealEncoder(work.Path()));
        SetEncoderFolder(work.Path());
        Build(L"[Device]\r\nRecMode=Desktop\r\nAudioDevice=Microphone\r\nMuteAudio=0\r\nVideoDevice=USB Camera\r\n"
              L"DisableVideo=0\r\nOverlayVideoPos=Top Right\r\nDemoMode=1\r\n");
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"VANDREL_WRAPPER_SILENT", nullptr);
        SetEncoderFolder(L"");
        MainWindowFixture::TearDown();
        KillProcesses(L"ffmpeg.exe");
    }
    static std::wstring Text(HWND d, int id) {
        wchar_t text[512] = {};
        GetWindowTextW(GetDlgItem(d, id), text, 512);
        return text;
    }
    // Presses Preview and waits for its answer; false when the button never came back.
    static bool Preview(HWND d) {
        ClickButton(GetDlgItem(d, IDC_PREVIEW));
        EXPECT_EQ(Text(d, IDC_PREVIEW), L"Previewing\u2026");
        return PumpUntil([&] { return IsWindowEnabled(GetDlgItem(d, IDC_PREVIEW)) != 0; }, 30000);
    }
    std::set<std::wstring> Files() const {
        std::set<std::wstring> names;
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW((work / L"*").c_str(), &found);
        for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found)) names.insert(found.cFileName);
        if (find != INVALID_HANDLE_VALUE) FindClose(find);
        return names;
    }
    TempFolder work{L"preview"};
};

}  // namespace

// What the box shows is the pattern as drawn on screen (many colours, not one), the microphone's
// level is the tone's (-21.1 dB mean, -18.1 dB peak, within 3 dB), nothing is hinted, nothing stored.
TEST_F(RealEncoderPreview, ShowsThePatternAndTheTonesLevel) {
    const std::wstring stored = ReadWholeFile(SettingsIni());
    std::wstring level, hint;
    std::set<COLORREF> colours;
    user.OnNextModal([&](HWND d) {
        ASSERT_TRUE(Preview(d));
        level = Text(d, IDC_PREVIEW_LEVEL1);
        hint = Text(d, IDC_PREVIEW_HINT);
        HWND box = GetDlgItem(d, IDC_PREVIEW_PICTURE);
        UpdateWindow(box);
        RECT r;
        GetClientRect(box, &r);
        HDC dc = GetDC(box);
        for (int y = 1; y < 8; ++y)
            for (int x = 1; x < 8; ++x) colours.insert(GetPixel(dc, r.right * x / 8, r.bottom * y / 8));
        ReleaseDC(box, dc);
        ClickButton(GetDlgItem(d, IDC_SETTINGS_CLOSE));
    });
    ClickLabel(IDC_LINK_MEDIA_SETTINGS);
    EXPECT_GE(colours.size(), 6u) << "the box shows no picture";
    const size_t peak = level.find(L"peak "), mean = level.find(L"mean ");
    ASSERT_NE(mean, std::wstring::npos) << testing::PrintToString(level);
    EXPECT_EQ(level.substr(0, 12), L"Microphone: ");
    EXPECT_NEAR(std::wcstod(level.c_str() + peak + 5, nullptr), -18.1, 3.0) << testing::PrintToString(level);
    EXPECT_NEAR(std::wcstod(level.c_str() + mean + 5, nullptr), -21.1, 3.0) << testing::PrintToString(level);
    EXPECT_EQ(hint, L"");
    EXPECT_EQ(ReadWholeFile(SettingsIni()), stored);
    EXPECT_EQ(ReadWrapperReport(work.Path()).exitCode, 0u);
}

// A microphone that gives silence is said so; Close during a preview ends its encoder at once and
// leaves no file behind.
TEST_F(RealEncoderPreview, SaysASilentDeviceAndCloseDuringOneLeavesNothing) {
    SetEnvironmentVariableW(L"VANDREL_WRAPPER_SILENT", L"1");
    std::wstring level, hint;
    std::set<std::wstring> before;
    bool running = false;
    user.OnNextModal([&](HWND d) {
        ASSERT_TRUE(Preview(d));
        level = Text(d, IDC_PREVIEW_LEVEL1);
        hint = Text(d, IDC_PREVIEW_HINT);
        before = Files();
        ClickButton(GetDlgItem(d, IDC_PREVIEW));
        running = PumpUntil([&] { return ReadWrapperReport(work.Path(), 1).realPid != 0; }, 15000);
        ClickButton(GetDlgItem(d, IDC_SETTINGS_CLOSE));
    });
    ClickLabel(IDC_LINK_MEDIA_SETTINGS);
    EXPECT_EQ(level, L"Microphone: silent");
    EXPECT_EQ(hint, L"No sound from Microphone: check that it is connected and not muted in Windows");
    EXPECT_TRUE(running);
    EXPECT_TRUE(PumpUntil([] { return CountProcesses(L"ffmpeg.exe") == 0; }, 5000)) << "an encoder outlived Close";
    EXPECT_FALSE(ReadWrapperReport(work.Path(), 1).exitedByItself);
    EXPECT_EQ(Files(), before);
}

// A video input the encoder cannot open (Wine's registered camera has no pins) is named as such.
TEST_F(RealEncoderPreview, NamesACameraTheEncoderCannotOpen) {
    WritePrivateProfileStringW(L"Device", L"RecMode", L"Desktop (built-in)", SettingsIni().c_str());
    SetEnvironmentVariableW(L"VANDREL_WRAPPER_INPUTS", L"real");
    std::wstring hint;
    user.OnNextModal([&](HWND d) {
        ASSERT_TRUE(Preview(d));
        hint = Text(d, IDC_PREVIEW_HINT);
        ClickButton(GetDlgItem(d, IDC_SETTINGS_CLOSE));
    });
    ClickLabel(IDC_LINK_MEDIA_SETTINGS);
    SetEnvironmentVariableW(L"VANDREL_WRAPPER_INPUTS", nullptr);
    EXPECT_EQ(hint, L"No picture from USB Camera: check that it is connected and not in use by another program");
}
