// Composes the encoder command line of one session.
#pragma once
#include "config/StreamingServices.h"
#include "devices/DeviceNames.h"
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

struct EncoderInputs {
    std::wstring videoFps = L"12";
    std::wstring recMode;        // [Device] "RecMode": "Desktop", "Desktop (built-in)" or "Other"
    std::wstring primaryVidSrc;  // [Device] "PrimaryVidSrc", used when recMode is "Other"
    int disableVideo = 0;
    std::wstring videoDevice;
    int overlayVideoPos = 0;
    int muteAudio = 0;
    std::wstring audioDevice;
    std::wstring recordingDevice;  // g_strRecordingDevice
    int screenWidth = 0;   // the primary screen, in pixels
    int screenHeight = 0;
    int screenLeft = 0;    // its origin on the desktop, for the built-in capture
    int screenTop = 0;
    bool saveLocally = false;
    std::wstring recordingPath;
    bool separateFile = false;
    int separateFileCopy = 1;  // 2 and up: " (n)" after the stamp, the stamped name being taken
    bool reconnectChannels = false;  // [Device] "ReconnectChannels": channels recover after a drop
    std::tm localTime{};  // the clock, for the separate-file stamp
    // The capture devices present, for the names the encoder opens them by; a device not among
    // them goes into the line by its stored name.
    std::vector<CaptureDevice> devices;
};

enum class ComposeError {
    None,
    UnsafeValue,      // a value would end its quotes or add a tee target
    NoTarget,         // no channel in use and no local file
    WmvWithChannels,  // wmv2 video cannot go to the FLV channels
    TooLong,          // longer than process creation takes
    BadFrameRate,     // not a whole number from 1 to 240 (a hand-edited "VideoFPS")
    NoAudioDevice,    // sound on, but no audio device to take it from
};

struct ComposedCommand {
    std::wstring text;
    ComposeError error = ComposeError::None;
    std::wstring detail;           // what was refused, for the message
    std::wstring recordingDevice;  // the recording device after composing (written back)
    std::vector<std::wstring> channels;  // names of the servers streamed to, in line order
    std::wstring localFile;              // the file recorded to, as the user knows it; "" for none
    // Each capture device of the line: the name the encoder was given, the name the user knows.
    std::vector<std::pair<std::wstring, std::wstring>> devices;
};

// Process creation takes at most 32,767 units with the terminating zero.
inline constexpr size_t kMaxCommandLine = 32766;

ComposedCommand ComposeEncoderCommandLine(const EncoderInputs& in, const ServerList& servers);

// The separate-file name: the date stamp (and " (n)" for a copy above 1) before the extension.
std::wstring SeparateFileName(const std::wstring& path, const std::tm& time, int copy);

// The overlay picture's "X:Y" for a W x H screen and a corner index.
std::wstring OverlayPosition(int width, int height, int index);

// A frame rate the encoder can be given: a whole number from 1 to 240, digits only.
bool AcceptedFrameRate(std::wstring_view text);

// One sentence telling the user why Start cannot go ahead.
std::wstring ComposeErrorMessage(const ComposedCommand& c);
