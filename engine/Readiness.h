// What a Start needs before anything is launched: a screen source and an encoder that answers.
#pragma once
#include <string>
#include <string_view>
#include <vector>

// Recording Mode texts, stored as they are in [Device] "RecMode".
inline constexpr wchar_t kRecModeDesktop[] = L"Desktop";
inline constexpr wchar_t kRecModeBuiltIn[] = L"Desktop (built-in)";
inline constexpr wchar_t kRecModeOther[] = L"Other";

enum class CaptureReadiness {
    Ready,
    NoScreenFilter,  // "Desktop" (or no mode yet) without the screen-capture filter registered
    NoSource,        // "Other" with no Primary Video Source
    SourceGone,      // "Other" with a source that is not registered any more
};

// videoDevices: every registered video capture device, the screen-capture filter included.
CaptureReadiness CheckCapture(std::wstring_view recMode, std::wstring_view primaryVidSrc,
                              const std::vector<std::wstring>& videoDevices);

// The message for a capture that is not ready. NoScreenFilter asks Yes/No: Yes switches to the
// built-in capture.
std::wstring CaptureReadinessMessage(CaptureReadiness r, std::wstring_view primaryVidSrc);

// The audio device and the overlay camera a session opens, checked against line.devices: the
// message naming the first that is not present; "" when every one is.
std::wstring MissingDeviceMessage(const struct EncoderInputs& line);

enum class EncoderReadiness { Unchecked, Ready, Missing, NoAnswer };

// How long the encoder has to answer "-hide_banner -version".
inline constexpr unsigned kEncoderAnswerMs = 5000;
inline constexpr wchar_t kEncoderVersionArguments[] = L"-hide_banner -version";

// The verdict on one run of "<encoder> -hide_banner -version": an encoder prints its version
// line and ends with 0 in time.
EncoderReadiness JudgeEncoderAnswer(bool found, bool endedInTime, unsigned long exitCode, std::string_view output);

// encoder: the full path a Start would launch; folder: where it belongs.
std::wstring EncoderReadinessMessage(EncoderReadiness r, std::wstring_view encoder, std::wstring_view folder);
