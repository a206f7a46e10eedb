// The encoder command line: fixed pieces around the session's devices, servers and file.
#include "engine/CommandLine.h"
#include "config/TextRules.h"
#include "engine/Platforms.h"
#include "engine/Readiness.h"
#include <cmath>
#include <cwchar>

namespace {

constexpr wchar_t kFlvTarget[] = L"[f=flv:onfail=ignore]";
// Through the encoder's fifo a dropped channel is retried every two seconds, without limit,
// from a key frame, while the other outputs go on. The tee and the fifo each take one level of
// escaping off the ':' inside fifo_options.
constexpr wchar_t kRecoveringFlvTarget[] =
    L"[f=flv:onfail=ignore:use_fifo=1:fifo_options=attempt_recovery=1\\\\:recovery_wait_time=2"
    L"\\\\:drop_pkts_on_overflow=1\\\\:restart_with_keyframe=1]";

std::wstring Format(const wchar_t* fmt, auto... args) {
    std::wstring out(64, L'\0');
    for (;;) {
        int n = std::swprintf(out.data(), out.size(), fmt, args...);
        if (n >= 0 && static_cast<size_t>(n) < out.size()) {
            out.resize(static_cast<size_t>(n));
            return out;
        }
        out.resize(out.size() * 2);
    }
}

// A quoted value must not close its quotes: no '"' and no backslash right before the quote.
bool SafeInQuotes(const std::wstring& v) {
    return v.find(L'"') == std::wstring::npos && (v.empty() || v.back() != L'\\');
}

// A tee target value must, besides, not start another target.
bool SafeInTee(const std::wstring& v) { return SafeInQuotes(v) && v.find(L'|') == std::wstring::npos; }

// The tee splits its targets with its own escaping, in which '\'' quotes and '\\' escapes.
std::wstring TeeEscaped(const std::wstring& v) {
    std::wstring out;
    for (wchar_t c : v) {
        if (c == L'\'' || c == L'\\') out += L'\\';
        out += c;
    }
    return out;
}

std::wstring SeparateFileStamp(const std::tm& t) {
    wchar_t buf[64] = {};
    std::wcsftime(buf, 64, L"_%Y-%b-%d_%H-%M", &t);  // %b is %h: the locale's short month
    return buf;
}

// The value of a whole number of at most digits digits, written bare, from lo to hi; 0 otherwise.
int WholeNumberIn(std::wstring_view text, size_t digits, int lo, int hi) {
    if (text.empty() || text.size() > digits) return 0;
    int value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return 0;
        value = value * 10 + (c - L'0');
    }
    return value >= lo && value <= hi ? value : 0;
}

}  // namespace

std::wstring SeparateFileName(const std::wstring& path, const std::tm& time, int copy) {
    const size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos) return path;
    std::wstring stamp = SeparateFileStamp(time);
    if (copy > 1) stamp += L" (" + std::to_wstring(copy) + L")";
    return path.substr(0, dot) + stamp + path.substr(dot);
}

std::wstring OverlayPosition(int width, int height, int index) {
    const double scaled = 250.0 / (static_cast<double>(width) / height);
    const int h = std::isfinite(scaled) && std::fabs(scaled) < 1e9 ? static_cast<int>(scaled) : 0;
    int x = 0, y = 0;
    switch (index) {
    case 0: x = 10, y = height - h - 110; break;
    case 1: x = 10, y = 10; break;
    case 2: x = width - 260, y = height - h - 110; break;
    case 3: x = width - 260, y = 10; break;
    default: break;
    }
    return Format(L"%d:%d", x, y);
}

int VideoBitrateOf(std::wstring_view text) { return text.empty() ? kDefaultVideoBitrate : WholeNumberIn(text, 5, 300, 20000); }

int OutputHeightOf(std::wstring_view text) {
    if (text.empty() || EqualsIgnoringCase(text, L"Screen")) return 0;
    for (int height : {1080, 720, 480})
        if (EqualsIgnoringCase(text, std::to_wstring(height) + L"p")) return height;
    return -1;
}

int AacOf(std::wstring_view text) {
    if (text.empty() || EqualsIgnoringCase(text, L"MP3")) return 0;
    return EqualsIgnoringCase(text, L"AAC") ? 1 : -1;
}

std::wstring UploadText(int channels, int videoKbps) {
    if (channels <= 0) return L"";
    const double each = (videoKbps + kAudioKbps) / 1000.0;
    return Format(L"Upload: %d \u00D7 %.1f Mbit/s = %.1f Mbit/s", channels, each, each * channels);
}

bool AcceptedFrameRate(std::wstring_view text) { return WholeNumberIn(text, 3, 1, 240) != 0; }

ComposedCommand ComposeEncoderCommandLine(const EncoderInputs& in, const ServerList& servers) {
    ComposedCommand out;
    out.recordingDevice = in.recordingDevice.empty() ? in.audioDevice : in.recordingDevice;
    auto refuse = [&](ComposeError e, std::wstring detail) {
        out.text.clear();
        out.error = e;
        out.detail = std::move(detail);
        return out;
    };

    // The frame rate goes into the line bare: anything but a number would add options or fail.
    if (!AcceptedFrameRate(in.videoFps)) return refuse(ComposeError::BadFrameRate, in.videoFps);
    const int bitrate = VideoBitrateOf(in.videoBitrate), height = OutputHeightOf(in.outputSize), aac = AacOf(in.audioCodec);
    if (bitrate == 0)
        return refuse(ComposeError::BadQuality, L"the Video bitrate \"" + in.videoBitrate + L"\" is not a whole number from 300 to 20000");
    if (height < 0)
        return refuse(ComposeError::BadQuality, L"the Output size \"" + in.outputSize + L"\" is not Screen, 1080p, 720p or 480p");
    if (aac < 0) return refuse(ComposeError::BadQuality, L"the Audio \"" + in.audioCodec + L"\" is not MP3 or AAC");

    // 1. Channel targets, in list order.
    std::wstring tee = L"\"";
    bool channels = false;
    for (const CStreamingServices& s : servers) {
        if (s.InUse != 1) continue;
        if (!SafeInTee(s.RtmpUrl) || !SafeInTee(s.Key)) return refuse(ComposeError::UnsafeValue, s.Name);
        tee += (in.reconnectChannels ? kRecoveringFlvTarget : kFlvTarget) + TeeEscaped(EncoderUrl(s.RtmpUrl)) + L"/" +
               TeeEscaped(s.Key) + L"|";
        out.channels.push_back(s.Name);
        channels = true;
    }
    tee.back() = L'"';

    // 2. Local path.
    std::wstring path = in.recordingPath;
    const size_t dot = path.rfind(L'.');
    const std::wstring ext = LowerAscii(dot == std::wstring::npos ? L"" : path.substr(dot + 1));
    if (in.separateFile) path = SeparateFileName(path, in.localTime, in.separateFileCopy);
    const std::wstring stamped = path;
    for (wchar_t& c : path)
        if (c == L'\\') c = L'/';

    // 3. Local target and codec.
    bool wmv = false;
    if (in.saveLocally && (ext == L"mp4" || ext == L"wmv")) {
        if (!SafeInTee(path)) return refuse(ComposeError::UnsafeValue, in.recordingPath);
        if (ext == L"wmv" && channels) return refuse(ComposeError::WmvWithChannels, L"");
        if (channels) tee.back() = L'|';
        if (ext == L"mp4") tee += kFlvTarget;
        tee += TeeEscaped(path) + L"\"";
        wmv = ext == L"wmv";
        out.localFile = stamped;
    } else if (!channels) {
        return refuse(ComposeError::NoTarget, L"");
    }

    // Sound from a device needs one: audio="" is an input the encoder cannot open.
    if (in.muteAudio == 0 && in.audioDevice.empty()) return refuse(ComposeError::NoAudioDevice, L"");

    // Only the device names that go into the line have to be safe there.
    const bool other = in.recMode == kRecModeOther;
    // The encoder's own GDI capture of the primary screen: no driver, and no sound of its own.
    const bool builtIn = in.recMode == kRecModeBuiltIn;
    // Muted without any device to take the track from (a first run): a generated silent track.
    const bool silent = in.muteAudio != 0 && (builtIn || out.recordingDevice.empty());
    // A second sound device, mixed into the one track; not the audio device a second time.
    const bool mix = in.muteAudio == 0 && !in.alsoRecord.empty() && in.alsoRecord != in.audioDevice;
    std::wstring primary, recording, overlay, audio, second;
    const std::pair<std::wstring*, const std::wstring*> used[] = {
        {&primary, other ? &in.primaryVidSrc : nullptr},
        {&recording, in.muteAudio != 0 && !silent ? &out.recordingDevice : nullptr},
        {&overlay, in.disableVideo == 0 ? &in.videoDevice : nullptr},
        {&audio, in.muteAudio == 0 ? &in.audioDevice : nullptr},
        {&second, mix ? &in.alsoRecord : nullptr}};
    for (const auto& [name, stored] : used) {
        if (!stored) continue;
        *name = EncoderDeviceName(*stored, in.devices);
        if (!SafeInQuotes(*name)) return refuse(ComposeError::UnsafeValue, *stored);
        out.devices.emplace_back(*name, *stored);
    }

    // 4, 5, 6. Overlay position, frame synchronisation, head.
    const std::wstring position = OverlayPosition(in.screenWidth, in.screenHeight, in.overlayVideoPos);
    const wchar_t* vsync = in.muteAudio != 0 && in.disableVideo != 0 ? L"" : L"-vsync 1";
    std::wstring cmd = other
        ? Format(L"ffmpeg -framerate %ls -hwaccel auto  %ls -loglevel quiet -re -rtbufsize 1500M "
                 L"-f dshow -i video=\"%ls\"", in.videoFps.c_str(), vsync, primary.c_str())
        : builtIn
        ? Format(L"ffmpeg -framerate %ls -hwaccel auto  %ls -loglevel quiet -re -rtbufsize 1500M "
                 L"-f gdigrab -framerate %ls -offset_x %d -offset_y %d -video_size %dx%d -i desktop",
                 in.videoFps.c_str(), vsync, in.videoFps.c_str(), in.screenLeft, in.screenTop, in.screenWidth,
                 in.screenHeight)
        : Format(L"ffmpeg -framerate %ls -hwaccel auto  %ls -loglevel quiet -re -rtbufsize 1500M "
                 L"-f dshow -i video=\"screen-capture-recorder\"", in.videoFps.c_str(), vsync);

    // 7, 8. Audio suffix, extra input and filter.
    // The second device reaches the encoder through the application's relay, which keeps its pace
    // while it delivers nothing (a loopback source while nothing plays): the mix never waits for it.
    // Mixed at full level each (the mix halves two inputs); the microphone's track decides the length.
    // The first input after the video ones: the audio device, or the silent track.
    const int mic = in.disableVideo == 0 ? 2 : 1;
    const std::wstring a1 = Format(L"-f dshow -i audio=\"%ls\"", audio.c_str()) +
        (mix ? Format(L" -f s16le -ar 44100 -ac 2 -i \"%ls\"", in.soundPipe.c_str()) : L"");
    const std::wstring soundGraph = mix ? Format(L"[%d:a] [%d:a] amix=inputs=2:duration=first:dropout_transition=0,volume=2",
                                            mic, mic + 1)
                                   : L"amerge=inputs=1";
    if (mix)
        out.soundLine = Format(L"ffmpeg -loglevel quiet -audio_buffer_size 50 -f dshow -i audio=\"%ls\" "
                               L"-f s16le -ar 44100 -ac 2 -flush_packets 1 -", second.c_str());
    const std::wstring overlayInput = Format(L" -f dshow -i video=\"%ls\"", overlay.c_str());
    if (in.muteAudio != 0 && !silent) cmd += Format(L":audio=\"%ls\"", recording.c_str());
    // The output size scales the composed picture: the overlay keeps its place and size on it. The
    // height is never raised, the width follows the aspect, even.
    const std::wstring scale = height ? Format(L"scale=-2:min(%d\\,ih)", height) : L"";
    const std::wstring overlayChain = position + (scale.empty() ? L"" : L"," + scale);
    if (in.disableVideo == 0 && in.muteAudio == 0)
        cmd += overlayInput + Format(L" -filter_complex \"[1] scale=%d:-1[inner]; [0] [inner] overlay =%ls\" "
                                     L"%ls -filter_complex \"%ls\" ", 250, overlayChain.c_str(), a1.c_str(), soundGraph.c_str());
    else if (in.disableVideo == 0)
        cmd += overlayInput + Format(L" -filter_complex \"[1] scale=%d:-1[inner]; [0] [inner] overlay =%ls\" "
                                     L"%ls ", 250, overlayChain.c_str(), L"");
    else if (in.muteAudio == 0)
        cmd += L" " + a1 + L" -filter_complex \"" + soundGraph + L"\"";

    // 9. Stream maps. A silent track is the last input.
    if (silent)
        cmd += Format(L" -f lavfi -i anullsrc=channel_layout=stereo:sample_rate=44100 -map 0:v -map %d:a", mic);
    else if (in.muteAudio != 0) cmd += L" -filter:a \"volume = 0.0\" -map 0:v -map 0:a";
    else if (in.disableVideo != 0) cmd += L" -map 0:v -map 1:a";
    else cmd += L" -map 0:v -map 2:a";

    if (!scale.empty() && in.disableVideo != 0) cmd += L" -vf \"" + scale + L"\"";

    // 10. Output options with the tee target. WMV keeps MP3 sound.
    const wchar_t* sound = aac && !wmv ? L"-c:a aac -b:a 160k" : L"-c:a libmp3lame -q:a 2";
    cmd += Format(L" -flags +global_header -force_key_frames expr:gte(t,n_forced*2) -b:v %dk "
                  L"-minrate %dk -maxrate %dk -bufsize:v %dk -preset:v veryfast -pix_fmt yuv420p "
                  L"-tune film %ls -ar 44100 %ls -ac 2  -f tee %ls -y",
                  bitrate, bitrate, bitrate, bitrate, sound, wmv ? L"-vcodec wmv2" : L"-vcodec libx264", tee.c_str());
    if (cmd.size() > kMaxCommandLine) return refuse(ComposeError::TooLong, L"");
    out.text = std::move(cmd);
    return out;
}

std::wstring ComposeErrorMessage(const ComposedCommand& c) {
    switch (c.error) {
    case ComposeError::UnsafeValue:
        return L"Streaming cannot start: \"" + c.detail +
               L"\" contains a character that cannot be passed to the encoder (a double quote, a "
               L"vertical bar, or a backslash at the end). Please correct it and try again.";
    case ComposeError::NoTarget:
        return L"Streaming cannot start: choose at least one server or a local file to record to.";
    case ComposeError::WmvWithChannels:
        return L"Streaming cannot start: a WMV recording cannot be streamed to servers at the same "
               L"time. Choose an MP4 file for the local recording, or record without servers.";
    case ComposeError::TooLong:
        return L"Streaming cannot start: the server addresses, keys and recording path together are "
               L"too long for the encoder's command line.";
    case ComposeError::BadFrameRate:
        return L"Streaming cannot start: the frame rate \"" + c.detail +
               L"\" is not a whole number from 1 to 240. Please choose a frame rate in Media Settings and try again.";
    case ComposeError::BadQuality:
        return L"Streaming cannot start: " + c.detail + L". Please choose one in Media Settings and try again.";
    case ComposeError::NoAudioDevice:
        return L"Streaming cannot start: no audio device is chosen. Please choose one in Media Settings "
               L"(Select Audio Device), or turn on Mute Audio.";
    case ComposeError::None: break;
    }
    return L"";
}
