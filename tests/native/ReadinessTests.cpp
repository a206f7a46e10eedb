// The readiness rules before a Start: the screen source and the encoder's answer.
#include "engine/Readiness.h"
#include "engine/CommandLine.h"
#include <gtest/gtest.h>

TEST(Readiness, CaptureByModeSourceAndRegisteredDevices) {
    using R = CaptureReadiness;
    const std::vector<std::wstring> withFilter = {L"USB Camera", L"screen-capture-recorder"};
    const std::vector<std::wstring> without = {L"USB Camera", L"Screen-Capture-Recorder", L"screen-capture-recorder2"};
    const struct {
        const wchar_t* mode;
        const wchar_t* source;
        const std::vector<std::wstring>& devices;
        R expected;
    } rows[] = {
        {L"Desktop", L"", withFilter, R::Ready},
        {L"Desktop", L"", without, R::NoScreenFilter},  // only the exact name counts
        {L"", L"", without, R::NoScreenFilter},         // a fresh install has no mode yet
        {L"desktop", L"", without, R::NoScreenFilter},
        {L"Desktop (built-in)", L"", without, R::Ready},
        {L"Other", L"USB Camera", without, R::Ready},
        {L"Other", L"", withFilter, R::NoSource},
        {L"Other", L"HD Webcam", withFilter, R::SourceGone},
        {L"Other", L"screen-capture-recorder", withFilter, R::Ready},
    };
    for (const auto& row : rows)
        EXPECT_EQ(CheckCapture(row.mode, row.source, row.devices), row.expected)
            << testing::PrintToString(std::wstring(row.mode)) << " " << testing::PrintToString(std::wstring(row.source));

    EXPECT_EQ(CaptureReadinessMessage(R::SourceGone, L"HD Webcam"),
              L"Streaming cannot start: the Primary Video Source \"HD Webcam\" is not connected to this computer. "
              L"Please connect it, or choose another source in Media Settings, and try again.");
    const std::wstring filter = CaptureReadinessMessage(R::NoScreenFilter, L"");
    for (const wchar_t* part : {L"\"screen-capture-recorder\"", L"https://github.com/rdp/screen-capture-recorder-to-video-windows-free/releases",
                                L"\"Desktop (built-in)\""})
        EXPECT_NE(filter.find(part), std::wstring::npos) << testing::PrintToString(std::wstring(part));
    EXPECT_EQ(CaptureReadinessMessage(R::Ready, L""), L"");
}

TEST(Readiness, EncoderAnswerAndItsMessage) {
    using R = EncoderReadiness;
    const struct {
        bool found, inTime;
        unsigned long code;
        const char* output;
        R expected;
    } rows[] = {
        {true, true, 0, "ffmpeg version 4.1 Copyright (c) 2000-2018\r\nbuilt with gcc", R::Ready},
        {false, false, 0, "", R::Missing},
        {true, false, 0, "ffmpeg version 4.1", R::NoAnswer},  // still running at 5 s
        {true, true, 1, "ffmpeg version 4.1", R::NoAnswer},
        {true, true, 0, "", R::NoAnswer},
        {true, true, 0, "Usage: notepad", R::NoAnswer},
    };
    for (const auto& row : rows) EXPECT_EQ(JudgeEncoderAnswer(row.found, row.inTime, row.code, row.output), row.expected) << row.output;

    EXPECT_EQ(EncoderReadinessMessage(R::Missing, L"C:\\Vandrel\\ffmpeg.exe", L"C:\\Vandrel"),
              L"Streaming cannot start: the encoder ffmpeg.exe is missing. It belongs in \"C:\\Vandrel\", beside "
              L"vandrel.exe. Download a Windows build of FFmpeg from https://ffmpeg.org/download.html and copy its "
              L"ffmpeg.exe there.");
    EXPECT_EQ(EncoderReadinessMessage(R::NoAnswer, L"C:\\Vandrel\\ffmpeg.exe", L"C:\\Vandrel"),
              L"Streaming cannot start: the encoder \"C:\\Vandrel\\ffmpeg.exe\" did not answer \"-version\" within 5 "
              L"seconds as FFmpeg does. Replace it with a Windows build of FFmpeg from https://ffmpeg.org/download.html; "
              L"it belongs in \"C:\\Vandrel\".");
    EXPECT_EQ(EncoderReadinessMessage(R::Ready, L"x", L"y"), L"");
}

TEST(Readiness, TheAudioDeviceAndTheOverlayCameraMustBePresent) {
    EncoderInputs line;
    line.devices = {{L"Line In (Realtek Audio)", L"Realtek HD Audio Input", L"@a"}, {L"USB Camera", L"USB Camera", L"@v"}};
    const struct { int mute, noOverlay; const wchar_t *audio, *camera, *named; } rows[] = {
        {0, 1, L"Line In (Realtek Audio)", L"", nullptr},
        {0, 1, L"Realtek HD Audio Input", L"", nullptr},
        {0, 0, L"Line In (Realtek Audio)", L"USB Camera", nullptr},
        {1, 1, L"Gone Mic", L"Gone Cam", nullptr},  // neither is opened
        {0, 1, L"Gone Mic", L"Gone Cam", L"the audio device \"Gone Mic\" is not connected"},
        {1, 0, L"Gone Mic", L"Gone Cam", L"the Overlay Video Device \"Gone Cam\" is not connected"},
        {1, 0, L"", L"", L"no Overlay Video Device is chosen"},
        {0, 1, L"Line In (Realtek Audio)", L"", L"the audio device \"Gone Mix\" (Also record) is not connected"},
    };
    for (const auto& row : rows) {
        line.muteAudio = row.mute;
        line.disableVideo = row.noOverlay;
        line.audioDevice = row.audio;
        line.videoDevice = row.camera;
        line.alsoRecord = row.named && std::wstring(row.named).find(L"Also") != std::wstring::npos ? L"Gone Mix" : L"";
        const std::wstring message = MissingDeviceMessage(line);
        if (!row.named) EXPECT_EQ(message, L"") << testing::PrintToString(std::wstring(row.audio));
        else EXPECT_EQ(message.find(std::wstring(L"Streaming cannot start: ") + row.named), 0u) << testing::PrintToString(message);
    }
}
