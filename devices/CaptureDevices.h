// Capture devices of the computer, by the DirectShow device categories.
#pragma once
#include "devices/DeviceNames.h"
#include <windows.h>
#include <vector>

extern const GUID kAudioInputDeviceCategory;  // CLSID_AudioInputDeviceCategory
extern const GUID kVideoInputDeviceCategory;  // CLSID_VideoInputDeviceCategory

// Every device of one category, in enumeration order; every failure is silent.
std::vector<CaptureDevice> CaptureDevicesOf(const GUID& category);
// Their names as shown.
std::vector<DeviceName> EnumerateCaptureDevices(const GUID& category);
// Both categories: what a Start checks and names in the encoder's line.
std::vector<CaptureDevice> AllCaptureDevices();

std::vector<DeviceName> ListAudioInputDevices();
// Without the screen-capture filter.
std::vector<DeviceName> ListVideoInputDevices();
// Whether the screen-capture filter is registered: its registration is read first, the device
// enumeration walked only when that does not name it.
bool ScreenCaptureFilterRegistered();
