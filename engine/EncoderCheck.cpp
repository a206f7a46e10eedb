// The encoder's readiness: found, started hidden, answered in time.
#include "engine/EncoderCheck.h"
#include "engine/EncoderProcess.h"
#include "engine/OwnedProcess.h"
#include <cstring>
#include <string>

std::wstring EncoderPath() { return EncoderFolder() + L"\\ffmpeg.exe"; }

std::wstring EncoderHomeFolder() { return EncoderFolder(); }

EncoderReadiness ProbeEncoder(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return JudgeEncoderAnswer(false, false, 0, "");
    std::wstring commandLine = L"\"" + path + L"\" " + kEncoderVersionArguments;
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\') + 1);  // it runs where a session runs it
    // The version is said on standard output; the error output can start with other lines (with
    // FFREPORT set, "ffmpeg started on …" and "Report written to …"), so it goes nowhere.
    HANDLE process = nullptr, read = nullptr;
    if (!CreatePipedProcess(path, commandLine, folder.empty() ? nullptr : folder.c_str(), process, read, nullptr))
        return EncoderReadiness::NoAnswer;
    // Read while waiting, so that a long answer never fills the pipe and stalls the encoder.
    std::string output;
    const ULONGLONG deadline = GetTickCount64() + kEncoderAnswerMs;
    bool ended = false;
    for (;;) {
        ReadAvailable(read, output);
        if (output.size() > 65536) output.resize(65536);
        if (ended) break;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) break;
        ended = WaitForSingleObject(process, static_cast<DWORD>(deadline - now < 20 ? deadline - now : 20)) == WAIT_OBJECT_0;
    }
    DWORD code = STILL_ACTIVE;
    if (ended) GetExitCodeProcess(process, &code);
    else TerminateProcess(process, 1);
    CloseHandle(process);
    CloseHandle(read);
    return JudgeEncoderAnswer(true, ended, code, output);
}

EncoderReadiness CEncoderCheck::Check() {
    const std::wstring path = EncoderPath();
    WIN32_FILE_ATTRIBUTE_DATA stamp{};
    const bool found = GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &stamp) != 0;
    std::lock_guard<std::mutex> hold(m_lock);
    // Running the encoder touches its access time: a change is a new size or write time.
    const bool same = found && path == m_path && stamp.nFileSizeLow == m_stamp.nFileSizeLow &&
                      stamp.nFileSizeHigh == m_stamp.nFileSizeHigh &&
                      std::memcmp(&stamp.ftLastWriteTime, &m_stamp.ftLastWriteTime, sizeof(FILETIME)) == 0 &&
                      std::memcmp(&stamp.ftCreationTime, &m_stamp.ftCreationTime, sizeof(FILETIME)) == 0;
    if (same && m_result != EncoderReadiness::Unchecked) return m_result;
    m_path = path;
    m_stamp = stamp;
    m_result = found ? ProbeEncoder(path) : EncoderReadiness::Missing;
    if (!found) m_path.clear();
    return m_result;
}

std::wstring CEncoderCheck::Message(EncoderReadiness r) {
    return EncoderReadinessMessage(r, EncoderPath(), EncoderHomeFolder());
}

CEncoderCheck& EncoderCheck() {
    static CEncoderCheck check;
    return check;
}
