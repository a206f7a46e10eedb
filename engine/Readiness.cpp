// The readiness rules and their messages.
#include "engine/Readiness.h"
#include "devices/DeviceNames.h"
#include "engine/CommandLine.h"
#include <algorithm>

namespace {
constexpr wchar_t kEncoderDownload[] = L"https://ffmpeg.org/download.html";
}

CaptureReadiness CheckCapture(std::wstring_view recMode, std::wstring_view primaryVidSrc,
                              const std::vector<std::wstring>& videoDevices) {
    const auto registered = [&](std::wstring_view name) {
        return std::find(videoDevices.begin(), videoDevices.end(), name) != videoDevices.end();
    };
    if (recMode == kRecModeBuiltIn) return CaptureReadiness::Ready;
    if (recMode == kRecModeOther) {
        if (primaryVidSrc.empty()) return CaptureReadiness::NoSource;
        return registered(primaryVidSrc) ? CaptureReadiness::Ready : CaptureReadiness::SourceGone;
    }
    // "Desktop", and anything else (a fresh install has no mode), captures through the filter.
    return registered(kScreenCaptureDevice) ? CaptureReadiness::Ready : CaptureReadiness::NoScreenFilter;
}

std::wstring CaptureReadinessMessage(CaptureReadiness r, std::wstring_view primaryVidSrc) {
    switch (r) {
    case CaptureReadiness::NoScreenFilter:
        return L"Recording Mode \"Desktop\" captures the screen through the DirectShow filter "
               L"\"screen-capture-recorder\", which is not installed on this computer. It comes with the free "
               L"\"Screen Capturer Recorder\" by Roger Pack: download its setup from "
               L"https://github.com/rdp/screen-capture-recorder-to-video-windows-free/releases, run it, and "
               L"press Start again.\r\n\r\nUse the encoder's own screen capture, \"Desktop (built-in)\", instead? "
               L"It needs no driver and records the primary screen.";
    case CaptureReadiness::NoSource:
        return L"Streaming cannot start: Recording Mode is \"Other\" but no Primary Video Source is chosen. "
               L"Please choose one in Media Settings and try again.";
    case CaptureReadiness::SourceGone:
        return L"Streaming cannot start: the Primary Video Source \"" + std::wstring(primaryVidSrc) +
               L"\" is not connected to this computer. Please connect it, or choose another source in Media "
               L"Settings, and try again.";
    case CaptureReadiness::Ready: break;
    }
    return L"";
}

std::wstring MissingDeviceMessage(const EncoderInputs& line) {
    if (line.muteAudio == 0 && !FindCaptureDevice(line.audioDevice, line.devices))
        return L"Streaming cannot start: the audio device \"" + line.audioDevice +
               L"\" is not connected to this computer. Please connect it, or choose another audio device in Media "
               L"Settings, and try again.";
    if (line.muteAudio == 0 && !line.alsoRecord.empty() && !FindCaptureDevice(line.alsoRecord, line.devices))
        return L"Streaming cannot start: the audio device \"" + line.alsoRecord +
               L"\" (Also record) is not connected to this computer. Please connect it, or choose another in Media "
               L"Settings, and try again.";
    if (line.disableVideo == 0 && line.videoDevice.empty())
        return L"Streaming cannot start: no Overlay Video Device is chosen. Please choose one in Media Settings, "
               L"or turn on Disable Video Overlay.";
    if (line.disableVideo == 0 && !FindCaptureDevice(line.videoDevice, line.devices))
        return L"Streaming cannot start: the Overlay Video Device \"" + line.videoDevice +
               L"\" is not connected to this computer. Please connect it, or choose another in Media Settings "
               L"(or turn on Disable Video Overlay), and try again.";
    return L"";
}

EncoderReadiness JudgeEncoderAnswer(bool found, bool endedInTime, unsigned long exitCode, std::string_view output) {
    if (!found) return EncoderReadiness::Missing;
    if (!endedInTime || exitCode != 0 || output.substr(0, 15) != "ffmpeg version ") return EncoderReadiness::NoAnswer;
    return EncoderReadiness::Ready;
}

std::wstring EncoderReadinessMessage(EncoderReadiness r, std::wstring_view encoder, std::wstring_view folder) {
    switch (r) {
    case EncoderReadiness::Missing:
        return L"Streaming cannot start: the encoder ffmpeg.exe is missing. It belongs in \"" + std::wstring(folder) +
               L"\", beside vandrel.exe. Download a Windows build of FFmpeg from " + kEncoderDownload +
               L" and copy its ffmpeg.exe there.";
    case EncoderReadiness::NoAnswer:
        return L"Streaming cannot start: the encoder \"" + std::wstring(encoder) +
               L"\" did not answer \"-version\" within 5 seconds as FFmpeg does. Replace it with a Windows build of "
               L"FFmpeg from " + kEncoderDownload + L"; it belongs in \"" + std::wstring(folder) + L"\".";
    case EncoderReadiness::Unchecked: case EncoderReadiness::Ready: break;
    }
    return L"";
}
