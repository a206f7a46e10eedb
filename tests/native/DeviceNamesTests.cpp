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

TEST(DeviceNames, TheEncoderIsGivenANameItMatchesAndCanSplit) {
    const std::vector<CaptureDevice> devices = {
        {L"USB Mic", L"USB Mic", L"@device_cm_{A}\\wave_{1}"},
        {L"Microphone (Wave:3)", L"Microphone (Wave:3)", L"@device_cm_{A}\\wave_{2}"},
        {L"Line In (Realtek Audio)", L"Realtek HD Audio Input", L"@device_pnp_\\\\?\\hdaudio#3"},
        {L"Mic \"Pro\"", L"Mic \"Pro\"", L"@device_sw_{A}\\{4}"},
        {L"Old Cam", L"Old Cam", L""},  // no alternative name: its friendly name is all there is
    };
    const struct { const wchar_t *stored, *given; } rows[] = {
        {L"USB Mic", L"USB Mic"},
        {L"Microphone (Wave:3)", L"@device_cm_{A}\\wave_{2}"},          // ':' splits the input
        {L"Line In (Realtek Audio)", L"@device_pnp_\\\\?\\hdaudio#3"},  // stored by its description
        {L"Realtek HD Audio Input", L"Realtek HD Audio Input"},        // stored by its friendly name
        {L"Mic \"Pro\"", L"@device_sw_{A}\\{4}"},                      // '"' would end its quotes
        {L"Old Cam", L"Old Cam"},
        {L"Unplugged (Wave:9)", L"Unplugged (Wave:9)"},  // not present: checked at Start, kept as stored
        {L"usb mic", L"usb mic"},                        // the encoder's match is exact
    };
    for (const auto& row : rows)
        EXPECT_EQ(EncoderDeviceName(row.stored, devices), row.given) << testing::PrintToString(std::wstring(row.stored));
}

TEST(DeviceNames, AlsoRecordOffersTheComputersSoundFirstAndNeverTheAudioDevice) {
    EXPECT_EQ(AlsoRecordOffers({L"Mic A", L"Line In", L"Stereo Mix (Realtek)", L"virtual-audio-capturer", L"Mic B"}, L"Mic A"),
              (std::vector<DeviceName>{L"Stereo Mix (Realtek)", L"virtual-audio-capturer", L"Line In", L"Mic B"}));
    EXPECT_EQ(AlsoRecordOffers({L"Mic A"}, L"Mic A"), std::vector<DeviceName>{});
}
