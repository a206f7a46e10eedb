// The readiness rules before a Start: the screen source and the encoder's answer.
#include "engine/Readiness.h"
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
