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

const CaptureDevice* FindCaptureDevice(std::wstring_view name, const std::vector<CaptureDevice>& devices) {
    for (const CaptureDevice& d : devices)
        if (d.shown == name) return &d;
    for (const CaptureDevice& d : devices)
        if (d.friendly == name) return &d;
    return nullptr;
}

std::wstring EncoderDeviceName(std::wstring_view name, const std::vector<CaptureDevice>& devices) {
    const CaptureDevice* d = FindCaptureDevice(name, devices);
    if (!d) return std::wstring(name);
    const bool writable = PassableDeviceName(d->friendly) && d->friendly.find(L':') == std::wstring::npos;
    return (d->friendly == name && writable) || d->alternative.empty() ? d->friendly : d->alternative;
}

bool SystemSoundDevice(std::wstring_view name) { return name == kSystemSoundDevice || InternalSoundDevice(name); }

std::vector<DeviceName> AlsoRecordOffers(const std::vector<DeviceName>& audioDevices, std::wstring_view audioDevice) {
    std::vector<DeviceName> system, others;
    for (const DeviceName& name : audioDevices)
        if (name != audioDevice) (SystemSoundDevice(name) ? system : others).push_back(name);
    system.insert(system.end(), others.begin(), others.end());
    return system;
}
