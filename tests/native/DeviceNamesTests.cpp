// The capture device name rules: the internal sound device, the overlay filter, the audio split.
#include "devices/DeviceNames.h"
#include <gtest/gtest.h>

TEST(DeviceNames, InternalSoundDeviceOverlayFilterAndAudioSplit) {
    const struct { const wchar_t* name; bool internal; } cases[] = {
        {L"Stereo Mix (Realtek High Definition Audio)", true},
        {L"((Stereo Mix (X)", true},   // leading "(" skipped
        {L"Stereo Mix ", true},        // the token runs to the end
        {L"Stereo Mix", false},        // no blank
        {L"Stereo Mix(Realtek)", false},
        {L"stereo mix (Realtek)", false},
        {L"Microphone (Stereo Mix )", false},
        {L"", false},
        {L"((", false},
    };
    for (const auto& c : cases) EXPECT_EQ(InternalSoundDevice(c.name), c.internal) << testing::PrintToString(std::wstring(c.name));

    // Exact name only; duplicates and order kept.
    EXPECT_EQ(OverlayVideoNames({L"USB Camera", L"screen-capture-recorder", L"screen-capture-recorder 2",
                                 L"Screen-Capture-Recorder", L"USB Camera"}),
              (std::vector<DeviceName>{L"USB Camera", L"screen-capture-recorder 2", L"Screen-Capture-Recorder", L"USB Camera"}));

    const AudioDeviceSplit split = SplitAudioDevices(
        {L"Mic B", L"Stereo Mix (One)", L"Mic A", L"Mic B", L"Stereo Mix (Two)", L"Line In"});
    EXPECT_EQ(split.offered, (std::vector<DeviceName>{L"Mic B", L"Mic A", L"Mic B", L"Line In"}));
    EXPECT_EQ(split.recordingDevice, L"Stereo Mix (Two)");  // the last one wins
    EXPECT_EQ(SplitAudioDevices({L"Mic"}).recordingDevice, L"");
}
