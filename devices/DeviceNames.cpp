// Capture device name rules, free of the platform.
#include "devices/DeviceNames.h"

bool InternalSoundDevice(std::wstring_view name) {
    const size_t start = name.find_first_not_of(L'(');
    if (start == std::wstring_view::npos) return false;
    const std::wstring_view token = name.substr(start, name.find(L'(', start) - start);
    return token == L"Stereo Mix ";
}

std::vector<DeviceName> OverlayVideoNames(const std::vector<DeviceName>& videoDevices) {
    std::vector<DeviceName> names;
    for (const DeviceName& name : videoDevices)
        if (name != kScreenCaptureDevice) names.push_back(name);
    return names;
}

AudioDeviceSplit SplitAudioDevices(const std::vector<DeviceName>& audioDevices) {
    AudioDeviceSplit split;
    for (const DeviceName& name : audioDevices) {
        if (InternalSoundDevice(name))
            split.recordingDevice = name;
        else
            split.offered.push_back(name);
    }
    return split;
}

bool PassableDeviceName(std::wstring_view name) { return name.find(L'"') == std::wstring_view::npos; }
