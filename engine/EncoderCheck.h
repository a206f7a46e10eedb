// Whether the encoder a Start would launch is there and answers "-hide_banner -version".
#pragma once
#include "engine/Readiness.h"
#include <windows.h>
#include <mutex>
#include <string>

// The encoder a Start launches: ffmpeg.exe of the encoder folder, as a full path.
std::wstring EncoderPath();
// Where the encoder belongs: the folder start-up decided (the program's own when it found none).
std::wstring EncoderHomeFolder();

// Runs "<encoder> -hide_banner -version" and judges the answer; at most kEncoderAnswerMs.
EncoderReadiness ProbeEncoder(const std::wstring& path);

// Probes once per version of the file: again only when it has changed (size or time) or gone.
class CEncoderCheck {
public:
    EncoderReadiness Check();
    // The message for a result that is not Ready, naming the encoder and its folder.
    static std::wstring Message(EncoderReadiness r);

private:
    std::mutex m_lock;
    std::wstring m_path;
    WIN32_FILE_ATTRIBUTE_DATA m_stamp{};
    EncoderReadiness m_result = EncoderReadiness::Unchecked;
};

CEncoderCheck& EncoderCheck();
