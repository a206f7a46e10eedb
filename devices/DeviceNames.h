// The rules on capture device names: which device records the computer's own sound, which
// video devices can be an overlay, and how the audio list splits.
#pragma once
#include <string>
#include <string_view>
#include <vector>

// The display name of one capture device, exactly as the device reports it.
using DeviceName = std::wstring;

// The screen-capture filter: a primary source, never an overlay.
inline constexpr wchar_t kScreenCaptureDevice[] = L"screen-capture-recorder";

// True for the "Stereo Mix (...)" device: the first "("-delimited token is "Stereo Mix ".
bool InternalSoundDevice(std::wstring_view name);

// The video devices an overlay can use: all but the screen-capture filter, order kept.
std::vector<DeviceName> OverlayVideoNames(const std::vector<DeviceName>& videoDevices);

struct AudioDeviceSplit {
    std::vector<DeviceName> offered;  // for the audio combo, in list order
    DeviceName recordingDevice;       // the last internal sound device, "" when none
};
AudioDeviceSplit SplitAudioDevices(const std::vector<DeviceName>& audioDevices);

// What "Also record" offers beside the audio device: every other audio device, the sources of the
// computer's own sound ("virtual-audio-capturer", "Stereo Mix (...)") first, order kept otherwise.
inline constexpr wchar_t kSystemSoundDevice[] = L"virtual-audio-capturer";
bool SystemSoundDevice(std::wstring_view name);
std::vector<DeviceName> AlsoRecordOffers(const std::vector<DeviceName>& audioDevices, std::wstring_view audioDevice);

// A name the encoder can be given between double quotes.
bool PassableDeviceName(std::wstring_view name);

// One capture device as the list shows it and as the encoder can be told it.
struct CaptureDevice {
    DeviceName shown;          // its "Description", else its friendly name
    std::wstring friendly;     // "FriendlyName"
    std::wstring alternative;  // the moniker's display name with ':' as '_', as the encoder spells it
    bool video = false;        // of the video capture category
};

// The device stored as name: by the name shown, else by its friendly name; nullptr when none is.
const CaptureDevice* FindCaptureDevice(std::wstring_view name, const std::vector<CaptureDevice>& devices);

// The name the encoder opens the stored device by. It matches only the friendly name or the
// alternative name, and splits its input at every ':': the friendly name when that is what is
// stored and it can be written in the line, else the alternative name. A device not present
// keeps the stored name.
std::wstring EncoderDeviceName(std::wstring_view name, const std::vector<CaptureDevice>& devices);
