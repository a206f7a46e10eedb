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
    std::wstring alsoRecord;       // [Device] "AlsoRecord": mixed with the audio device; "" for none
    std::wstring soundPipe = L"\\\\.\\pipe\\vandrel-sound";  // where the relay passes it on
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
    // Stream quality as stored in [Device]; "" is the default, which leaves the line as it always was.
    std::wstring videoBitrate;  // "VideoBitrate": kbit/s, 300 to 20000 (1000)
    std::wstring outputSize;    // "OutputSize": "Screen", "1080p", "720p" or "480p"
    std::wstring audioCodec;    // "AudioCodec": "MP3" or "AAC"
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
    BadQuality,       // a hand-edited stream quality value the dialog does not offer
};

struct ComposedCommand {
    std::wstring text;
    ComposeError error = ComposeError::None;
    std::wstring detail;           // what was refused, for the message
    std::wstring recordingDevice;  // the recording device after composing (written back)
    std::vector<std::wstring> channels;  // names of the servers streamed to, in line order
    std::wstring localFile;              // the file recorded to, as the user knows it; "" for none
    std::wstring soundLine;  // the relay's encoder line for the second sound device; "" for none
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

// The stream quality's values: 0 (or -1 for the two lists) when the text is not one the dialog offers.
inline constexpr int kDefaultVideoBitrate = 1000;
int VideoBitrateOf(std::wstring_view text);     // "" is 1000
int OutputHeightOf(std::wstring_view text);     // "" and "Screen" are 0: the screen's own size
int AacOf(std::wstring_view text);              // "" and "MP3" are 0, "AAC" 1
inline constexpr int kAudioKbps = 160;          // AAC's rate; MP3 at quality 2 comes close

// What a Start will send: "Upload: 2 × 3.2 Mbit/s = 6.3 Mbit/s", video and sound of each channel;
// "" for no channel.
std::wstring UploadText(int channels, int videoKbps);

// One sentence telling the user why Start cannot go ahead.
std::wstring ComposeErrorMessage(const ComposedCommand& c);
