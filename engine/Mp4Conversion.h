// The recording's conversion after a session: the ".mp4" file is written through the FLV muxer
// (safe against a killed encoder) and copied into a real MP4 once the encoder has ended.
#pragma once
#include <string>

// True for a local file the session recorded as FLV under an ".mp4" name (any letter case).
bool NeedsMp4Conversion(const std::wstring& file);
// The temporary file beside the recording that the conversion writes before it replaces it.
std::wstring Mp4ConversionTempPath(const std::wstring& file);
// The encoder's command line: stream copy, index at the front, into the temporary file.
std::wstring Mp4ConversionCommandLine(const std::wstring& file);
// What the user is told, once, when a conversion fails.
std::wstring Mp4ConversionFailedText(const std::wstring& file);

inline constexpr wchar_t kSavingRecording[] = L"Saving recording\u2026";
inline constexpr wchar_t kWaitingForSave[] = L"Waiting until the last recording is saved\u2026";
